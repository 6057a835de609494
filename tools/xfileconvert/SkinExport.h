// The skin of a mesh record with bones, as glTF requires it.
//
// The viewers draw a skinned mesh's bind-pose vertex v at
// sum of w_i * v * offset_i * F_i, F_i being the combined matrix of the first
// frame named by bone i (identity for a bone whose frame the file lacks), and
// ignore the mesh's own frame. glTF computes sum of w_i * G_i * IBM_i * p,
// G_i being the joint node's global matrix. The vertices are stored where the
// model stands in the file's pose, p = v * B (B = offset_r * F_r in that pose,
// r the bone that carries most weight), so that viewers which frame a model by
// its stored positions see it at its size; B is folded into the inverse bind
// matrices, IBM_i = S * B^-1 * offset_i * S (mirrored), so the skinned result
// is the viewers'. Where every joint's B^-1 * offset_i stretches alike
// (SharedStretch.h), the stretch P joins B (p = v * B * P) and the joints'
// matrices are rigid; the skinned result is the same.
#pragma once

#include <map>
#include <string>

#include "ExportContext.h"

namespace xfileconvert {

struct SkinnedMesh {
  D3DXMATRIX bind;  // B (times a shared stretch): where the stored vertices stand
  int skin = -1;
};

// Adds the skin of `mesh` (joints, inverse bind matrices) and its JOINTS_n and
// WEIGHTS_n accessors to `attributes`. Every influence is kept, in sets of
// four, heaviest first; influences of weight zero or less are dropped, two on
// one joint are one, and a vertex left without any is bound to the static
// joint, where the viewers leave it in the bind pose. Weights are normalised
// to sum to 1 in single precision; where they were more than 1e-3 off, that
// is said once for the mesh.
SkinnedMesh ExportSkin(ExportContext& context, const XMesh& mesh, std::map<std::string, int>& attributes);

}  // namespace xfileconvert
