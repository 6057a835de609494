#include "Handedness.h"

#include <algorithm>
#include <cmath>

namespace xfileconvert {

D3DXMATRIX Mirrored(const D3DXMATRIX& m) {
  D3DXMATRIX out = m;
  for (int i = 0; i < 4; ++i) {
    if (i == 2) continue;
    out.m[2][i] = -m.m[2][i];
    out.m[i][2] = -m.m[i][2];
  }
  return out;
}

namespace {

// A unit quaternion of a rotation matrix given in column-vector form,
// by the largest of its four candidate divisors.
std::array<double, 4> QuaternionOf(const double r[3][3]) {
  const double trace = r[0][0] + r[1][1] + r[2][2];
  double x, y, z, w;
  if (trace > 0) {
    double s = std::sqrt(trace + 1.0) * 2;
    w = s / 4;
    x = (r[2][1] - r[1][2]) / s;
    y = (r[0][2] - r[2][0]) / s;
    z = (r[1][0] - r[0][1]) / s;
  } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
    double s = std::sqrt(std::max(1.0 + r[0][0] - r[1][1] - r[2][2], 0.0)) * 2;
    w = (r[2][1] - r[1][2]) / s;
    x = s / 4;
    y = (r[0][1] + r[1][0]) / s;
    z = (r[0][2] + r[2][0]) / s;
  } else if (r[1][1] > r[2][2]) {
    double s = std::sqrt(std::max(1.0 + r[1][1] - r[0][0] - r[2][2], 0.0)) * 2;
    w = (r[0][2] - r[2][0]) / s;
    x = (r[0][1] + r[1][0]) / s;
    y = s / 4;
    z = (r[1][2] + r[2][1]) / s;
  } else {
    double s = std::sqrt(std::max(1.0 + r[2][2] - r[0][0] - r[1][1], 0.0)) * 2;
    w = (r[1][0] - r[0][1]) / s;
    x = (r[0][2] + r[2][0]) / s;
    y = (r[1][2] + r[2][1]) / s;
    z = s / 4;
  }
  double length = std::sqrt(x * x + y * y + z * z + w * w);
  if (!(length > 0) || !std::isfinite(length)) return {0, 0, 0, 1};
  return {x / length, y / length, z / length, w / length};
}

}  // namespace

Trs Decompose(const D3DXMATRIX& m, float* shear) {
  Trs parts;
  double rows[3][3], scales[3];
  for (int row = 0; row < 3; ++row) {
    double x = m.m[row][0], y = m.m[row][1], z = m.m[row][2];
    double length = std::sqrt(x * x + y * y + z * z);
    scales[row] = length;
    for (int col = 0; col < 3; ++col) rows[row][col] = length > 0 ? m.m[row][col] / length : (row == col ? 1.0 : 0.0);
  }
  const double determinant = rows[0][0] * (rows[1][1] * rows[2][2] - rows[1][2] * rows[2][1]) -
                             rows[0][1] * (rows[1][0] * rows[2][2] - rows[1][2] * rows[2][0]) +
                             rows[0][2] * (rows[1][0] * rows[2][1] - rows[1][1] * rows[2][0]);
  if (determinant < 0) {
    for (int row = 0; row < 3; ++row) {
      scales[row] = -scales[row];
      for (double& entry : rows[row]) entry = -entry;
    }
  }
  // The rows are the rotation in row-vector form; its column-vector form is
  // their transpose.
  double column[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) column[i][j] = rows[j][i];
  std::array<double, 4> q = QuaternionOf(column);
  for (int i = 0; i < 4; ++i)
    parts.rotation[static_cast<std::size_t>(i)] = static_cast<float>(q[static_cast<std::size_t>(i)]);
  for (int i = 0; i < 3; ++i) {
    parts.scale[static_cast<std::size_t>(i)] = static_cast<float>(scales[i]);
    parts.translation[static_cast<std::size_t>(i)] = m.m[3][i];
  }
  if (shear) {
    D3DXMATRIX back = Compose(parts);
    double largest = 0, off = 0;
    for (int row = 0; row < 3; ++row) {
      largest = std::max(largest, std::fabs(scales[row]));
      for (int col = 0; col < 3; ++col) off = std::max(off, std::fabs(double{back.m[row][col]} - m.m[row][col]));
    }
    *shear = largest > 0 ? static_cast<float>(off / largest) : 0.0f;
  }
  return parts;
}

D3DXMATRIX Compose(const Trs& parts) {
  const double x = parts.rotation[0], y = parts.rotation[1], z = parts.rotation[2], w = parts.rotation[3];
  // The column-vector rotation matrix of the quaternion.
  const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                          {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                          {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
  D3DXMATRIX m;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col)
      m.m[row][col] = static_cast<float>(parts.scale[static_cast<std::size_t>(row)] * r[col][row]);
    m.m[row][3] = 0;
    m.m[3][row] = parts.translation[static_cast<std::size_t>(row)];
  }
  m.m[3][3] = 1;
  return m;
}

std::array<float, 4> Slerp(const std::array<float, 4>& a, const std::array<float, 4>& b, float t) {
  double dot = 0;
  for (int i = 0; i < 4; ++i) dot += double{a[static_cast<std::size_t>(i)]} * b[static_cast<std::size_t>(i)];
  const double sign = dot < 0 ? -1.0 : 1.0;
  dot = std::fabs(dot);
  double from = 1.0 - t, to = t;
  if (dot < 1.0 - 1e-6) {
    const double angle = std::acos(std::min(dot, 1.0));
    from = std::sin((1.0 - t) * angle) / std::sin(angle);
    to = std::sin(t * angle) / std::sin(angle);
  }
  std::array<double, 4> q;
  double length = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    q[i] = from * a[i] + sign * to * b[i];
    length += q[i] * q[i];
  }
  length = std::sqrt(length);
  std::array<float, 4> out;
  for (std::size_t i = 0; i < 4; ++i) out[i] = static_cast<float>(q[i] / length);
  return out;
}

}  // namespace xfileconvert
