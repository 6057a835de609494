#include "model/ModelBounds.h"

#include <algorithm>
#include <cmath>

XFILE_SHAPE_BEGIN

void WorldBounds::Add(const D3DXVECTOR3& point) {
  if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) return;
  if (empty) {
    min = max = point;
    empty = false;
    return;
  }
  min = D3DXVECTOR3(std::min(min.x, point.x), std::min(min.y, point.y), std::min(min.z, point.z));
  max = D3DXVECTOR3(std::max(max.x, point.x), std::max(max.y, point.y), std::max(max.z, point.z));
}

float WorldBounds::Radius() const {
  if (empty) return 0.0f;
  D3DXVECTOR3 half = (max - min) * 0.5f;
  return D3DXVec3Length(&half);
}

namespace {

D3DXVECTOR3 Placed(const D3DXVECTOR3& point, const D3DXMATRIX& m) {
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &point, &m);
  return out;
}

// The eight corners of the file positions' box, placed: a cheap bound of a
// large mesh in its bind pose.
void AddBindPoseBox(const XMesh& record, const D3DXMATRIX& placement, WorldBounds& bounds) {
  WorldBounds local;
  for (const XVertex& v : record.vertices) local.Add(v.position);
  if (local.empty) return;
  for (int corner = 0; corner < 8; ++corner) {
    D3DXVECTOR3 p((corner & 1) ? local.max.x : local.min.x, (corner & 2) ? local.max.y : local.min.y,
                  (corner & 4) ? local.max.z : local.min.z);
    bounds.Add(Placed(p, placement));
  }
  ++bounds.bindPoseMeshes;
}

}  // namespace

void AddMeshBounds(const Mesh& mesh, const D3DXMATRIX& placement, WorldBounds& bounds) {
  if (!mesh.record) return;
  if (mesh.record->vertices.size() > kPosedBoundsVertexLimit) {
    AddBindPoseBox(*mesh.record, placement, bounds);
    return;
  }
  for (const XVertex& v : mesh.record->vertices) bounds.Add(Placed(v.position, placement));
}

#if !defined(XVIEW_REDUCED_MODEL)
WorldBounds PosedModelBounds(Model& model) {
  WorldBounds bounds;
  if (!model.sceneData) return bounds;
  model.UpdatePose();
  for (std::size_t i = 0; i < model.meshes.size(); ++i) {
    const Mesh& mesh = model.meshes[i];
    if (!mesh.record) continue;
    const D3DXMATRIX placement = model.MeshWorldMatrix(i);
    // Skinned as drawing skins it, whether or not its device objects exist.
    const std::size_t bones = mesh.record->bones.size();
    if (bones == 0 || bones > kMaxSkinBones || mesh.record->vertices.size() > kPosedBoundsVertexLimit) {
      AddMeshBounds(mesh, placement, bounds);
      continue;
    }
    model.UpdatePalette(i);
    for (const XVertex& v : mesh.record->vertices) {
      // A vertex that no bone moves stays in the bind pose, as in the shader.
      D3DXMATRIX skin;
      D3DXVECTOR3 skinned = v.position;
      if (mesh.BlendedSkin(v, skin)) skinned = SkinnedPoint(v.position, skin);
      bounds.Add(Placed(skinned, placement));
    }
  }
  return bounds;
}
#endif

XFILE_SHAPE_END
