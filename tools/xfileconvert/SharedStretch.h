// The scale (or other stretch) that every joint of a skin carries alike.
//
// A joint's inverse bind matrix takes a stored vertex into the joint's own
// space. Where every joint's matrix stretches the vertices by the same
// symmetric part first (a model whose skeleton is in other units than its
// mesh: a character made at twenty times its size under a root frame that
// scales it back), that part can move into the stored vertices instead, and
// the joints' matrices become rigid, as editors such as Blender need for a
// skeleton's rest pose; the skinned result is the same.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <vector>

namespace xfileconvert {

// The part P that the linear part of every matrix of `inverseBinds`
// (row-vector form, p * M) shares: each is P x R_i with R_i orthogonal and P
// symmetric, alike for all within 1e-4 of P's size. True with P (a matrix
// without translation) when there is such a part and it is no rotation (it
// differs from the identity by more than 1e-4); false for an empty list, a
// flat matrix or matrices that stretch differently.
bool SharedStretch(const std::vector<D3DXMATRIX>& inverseBinds, D3DXMATRIX& stretch);

}  // namespace xfileconvert
