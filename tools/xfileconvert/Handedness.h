// From the .x convention (left-handed, row vectors, a local matrix being
// scale x rotation x translation) to glTF's (right-handed, column vectors,
// translation, rotation and scale apart). The one change of handedness is a
// mirror of Z, S = diag(1, 1, -1): a point (x, y, z) becomes (x, y, -z) and a
// matrix M becomes S M S, so the model is not mirrored; a triangle then turns
// the other way round on screen, so its corners are given in the other order.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <array>

namespace xfileconvert {

inline D3DXVECTOR3 Mirrored(const D3DXVECTOR3& v) { return D3DXVECTOR3(v.x, v.y, -v.z); }

// S M S: the entries of the third row and of the third column change sign,
// all but the one they share.
D3DXMATRIX Mirrored(const D3DXMATRIX& m);

// A local transform as glTF holds it.
struct Trs {
  std::array<float, 3> translation{0, 0, 0};
  std::array<float, 4> rotation{0, 0, 0, 1};  // x, y, z, w, unit length
  std::array<float, 3> scale{1, 1, 1};
};

// Takes a row-vector matrix (already mirrored) apart as the viewer's blending
// of matrix keys does: the length of each of the first three rows is a scale,
// the rows divided by it a rotation, the fourth row the translation. A matrix
// that mirrors (negative determinant) gets negative scales. A matrix that
// shears has no exact parts; `shear`, when given, receives how far the parts
// put back together are from it, as a share of its largest scale (0 for an
// exact one). A row of zero length counts as scale 0 along the identity's row.
Trs Decompose(const D3DXMATRIX& m, float* shear = nullptr);

// scale x rotation x translation as a row-vector matrix (in glTF's mirrored space).
D3DXMATRIX Compose(const Trs& parts);

// glTF's own blend of two rotations: spherical, the shorter way round.
std::array<float, 4> Slerp(const std::array<float, 4>& a, const std::array<float, 4>& b, float t);

}  // namespace xfileconvert
