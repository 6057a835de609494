#include "render/NormalDrawing.h"

#include "model/ModelBounds.h"

XFILE_SHAPE_BEGIN

namespace {

// `direction` as the effects turn a normal: by the inverse transpose of the
// placement, so that a stretched model's normals stay upright on its
// surface; then made unit length.
D3DXVECTOR3 Turned(const D3DXVECTOR3& direction, const D3DXMATRIX& inverse) {
  D3DXVECTOR3 turned(inverse._11 * direction.x + inverse._12 * direction.y + inverse._13 * direction.z,
                     inverse._21 * direction.x + inverse._22 * direction.y + inverse._23 * direction.z,
                     inverse._31 * direction.x + inverse._32 * direction.y + inverse._33 * direction.z);
  D3DXVec3Normalize(&turned, &turned);
  return turned;
}

D3DXMATRIX InverseOf(const D3DXMATRIX& placement) {
  D3DXMATRIX inverse;
  // A singular placement (a zero scale) is drawn with the identity, as the effects are.
  if (!D3DXMatrixInverse(&inverse, nullptr, &placement)) D3DXMatrixIdentity(&inverse);
  return inverse;
}

}  // namespace

void AddPlacedNormals(const XMesh& record, const D3DXMATRIX& placement, std::vector<PlacedNormal>& normals) {
  const D3DXMATRIX inverse = InverseOf(placement);
  normals.reserve(normals.size() + record.vertices.size());
  for (const XVertex& v : record.vertices) {
    D3DXVECTOR3 position;
    D3DXVec3TransformCoord(&position, &v.position, &placement);
    normals.push_back({position, Turned(v.normal, inverse)});
  }
}

#if !defined(XVIEW_REDUCED_MODEL)
std::vector<PlacedNormal> PosedNormals(const Model& model) {
  std::vector<PlacedNormal> normals;
  if (!model.sceneData) return normals;
  for (std::size_t i = 0; i < model.meshes.size(); ++i) {
    const Mesh& mesh = model.meshes[i];
    if (!mesh.record) continue;
    const D3DXMATRIX placement = model.MeshWorldMatrix(i);
    if (!mesh.IsSkinned()) {
      AddPlacedNormals(*mesh.record, placement, normals);
      continue;
    }
    const D3DXMATRIX inverse = InverseOf(placement);
    for (const XVertex& v : mesh.record->vertices) {
      D3DXVECTOR3 position = v.position, direction = v.normal;
      D3DXMATRIX skin;
      if (mesh.BlendedSkin(v, skin)) {
        position = SkinnedPoint(v.position, skin);
        D3DXVec3TransformNormal(&direction, &v.normal, &skin);
      }
      D3DXVECTOR3 placed;
      D3DXVec3TransformCoord(&placed, &position, &placement);
      normals.push_back({placed, Turned(direction, inverse)});
    }
  }
  return normals;
}
#endif

std::vector<ColorVertex> NormalLines(const std::vector<PlacedNormal>& normals) {
  WorldBounds bounds;
  for (const PlacedNormal& normal : normals) bounds.Add(normal.position);
  const float length = 2.0f * bounds.Radius() * kNormalLengthShare;
  std::vector<ColorVertex> lines;
  lines.reserve(2 * normals.size());
  for (const PlacedNormal& normal : normals) {
    if (normal.direction == D3DXVECTOR3(0, 0, 0)) continue;
    const D3DXVECTOR3& p = normal.position;
    const D3DXVECTOR3 end = p + normal.direction * length;
    lines.push_back({p.x, p.y, p.z, kNormalColor});
    lines.push_back({end.x, end.y, end.z, kNormalColor});
  }
  return lines;
}

bool DrawNormals(const std::vector<PlacedNormal>& normals) {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  return DrawSceneLines(NormalLines(normals), identity);
}

XFILE_SHAPE_END
