#include "SharedStretch.h"

#include <algorithm>
#include <cmath>

namespace xfileconvert {

namespace {

// How alike the stretches must be, and how far from the identity one must be
// to be moved, as shares of its largest entry.
constexpr double kAlike = 1e-4;

struct Matrix3 {
  double m[3][3] = {};
};

Matrix3 LinearPart(const D3DXMATRIX& matrix) {
  Matrix3 out;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) out.m[i][j] = matrix.m[i][j];
  return out;
}

Matrix3 Product(const Matrix3& a, const Matrix3& b) {
  Matrix3 out;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) out.m[i][j] += a.m[i][k] * b.m[k][j];
  return out;
}

Matrix3 Transposed(const Matrix3& a) {
  Matrix3 out;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) out.m[i][j] = a.m[j][i];
  return out;
}

double Determinant(const Matrix3& a) {
  const auto& m = a.m;
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// The transpose of the inverse: the cofactors over the determinant.
Matrix3 InverseTransposed(const Matrix3& a, double determinant) {
  const auto& m = a.m;
  Matrix3 out;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      out.m[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / determinant;
    }
  return out;
}

double Largest(const Matrix3& a) {
  double largest = 0;
  for (const auto& row : a.m)
    for (double value : row) largest = std::max(largest, std::fabs(value));
  return largest;
}

double Apart(const Matrix3& a, const Matrix3& b) {
  double apart = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) apart = std::max(apart, std::fabs(a.m[i][j] - b.m[i][j]));
  return apart;
}

// The symmetric part P of L = P x R, R orthogonal: Newton's iteration
// R <- (R + R^-T) / 2 from L converges to R; then P = L R^T. False for a
// flat or non-finite L.
bool StretchOf(const Matrix3& linear, Matrix3& stretch) {
  Matrix3 rotation = linear;
  for (int step = 0; step < 100; ++step) {
    const double determinant = Determinant(rotation);
    if (!std::isfinite(determinant) || std::fabs(determinant) < 1e-300) return false;
    const Matrix3 inverse = InverseTransposed(rotation, determinant);
    Matrix3 next;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) next.m[i][j] = (rotation.m[i][j] + inverse.m[i][j]) / 2;
    const double change = Apart(next, rotation);
    rotation = next;
    if (change < 1e-14) break;
  }
  stretch = Product(linear, Transposed(rotation));
  // Symmetric by construction, up to rounding.
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j) stretch.m[i][j] = stretch.m[j][i] = (stretch.m[i][j] + stretch.m[j][i]) / 2;
  return std::isfinite(Largest(stretch));
}

}  // namespace

bool SharedStretch(const std::vector<D3DXMATRIX>& inverseBinds, D3DXMATRIX& stretch) {
  if (inverseBinds.empty()) return false;
  Matrix3 shared;
  if (!StretchOf(LinearPart(inverseBinds.front()), shared)) return false;
  const double size = Largest(shared);
  for (const D3DXMATRIX& matrix : inverseBinds) {
    Matrix3 own;
    if (!StretchOf(LinearPart(matrix), own) || Apart(own, shared) > kAlike * size) return false;
  }
  Matrix3 identity;
  for (int i = 0; i < 3; ++i) identity.m[i][i] = 1;
  if (Apart(shared, identity) <= kAlike * std::max(size, 1.0)) return false;
  D3DXMatrixIdentity(&stretch);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) stretch.m[i][j] = static_cast<float>(shared.m[i][j]);
  return true;
}

}  // namespace xfileconvert
