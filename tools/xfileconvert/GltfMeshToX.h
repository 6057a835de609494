// One use of a glTF mesh as a .x Mesh record: its triangle primitives
// together, positions and normals with Z mirrored and each triangle's
// corners in the other order (so the model is neither mirrored nor inside
// out), texture coordinates (TEXCOORD_0, its base colour's texture transform
// applied), vertex colours (COLOR_0), one material per primitive's material,
// and the node's skin: a SkinWeights record for each joint that has weights.
#pragma once

#include "GltfImageFiles.h"
#include "GltfToXContext.h"

namespace xfileconvert {

// Writes the Mesh record of node `node`'s mesh into the frame being
// written; nothing where the mesh has no triangles.
void WriteMeshOfNode(GltfToXContext& context, int node, GltfImageFiles& images);

// The corners of the boxes of a mesh's triangle primitives, in the mesh's
// own glTF space, for measuring the model.
std::vector<D3DXVECTOR3> MeshCorners(const GltfToXContext& context, int mesh);

}  // namespace xfileconvert
