#include "MeshExport.h"

#include <algorithm>
#include <cmath>

#include "ConvertMessages.h"
#include "Handedness.h"
#include "SkinExport.h"
#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"

namespace xfileconvert {

namespace {

// The largest vertex index that 16-bit indices hold: glTF keeps 65535 for
// restarting strips.
constexpr std::uint32_t kLargest16BitIndex = 65534;

struct SubsetIndices {
  std::vector<std::uint32_t> indices;
  std::uint32_t largest = 0;
  int material = -1;
};

// The triangles of one subset, each with its corners in the other order:
// the mirror turns them the other way round on screen, and glTF's front
// faces go counter-clockwise where Direct3D's went clockwise.
SubsetIndices IndicesOf(const XMesh& mesh, const XSubset& subset) {
  SubsetIndices out;
  const std::size_t vertexCount = mesh.vertices.size();
  const std::size_t end = std::min<std::size_t>(std::size_t{subset.firstFace} + subset.faceCount, mesh.faces.size());
  for (std::size_t f = subset.firstFace; f < end; ++f) {
    const XCorners& corners = mesh.faces[f].corners;
    if (corners.size() != 3) continue;
    bool inside = true;
    for (std::size_t k = 0; k < 3; ++k)
      inside = inside && corners[k] >= 0 && static_cast<std::size_t>(corners[k]) < vertexCount;
    if (!inside) continue;
    for (std::size_t k : {0, 2, 1}) {
      const auto corner = static_cast<std::uint32_t>(corners[k]);
      out.indices.push_back(corner);
      out.largest = std::max(out.largest, corner);
    }
  }
  return out;
}

int AddIndices(GltfDocument& document, const SubsetIndices& subset) {
  if (subset.largest <= kLargest16BitIndex) {
    std::vector<std::uint16_t> narrow(subset.indices.begin(), subset.indices.end());
    return document.AddAccessor(narrow.data(), narrow.size(), kUnsignedShort, "SCALAR", kElementArrayBuffer);
  }
  return document.AddAccessor(subset.indices.data(), subset.indices.size(), kUnsignedInt, "SCALAR",
                              kElementArrayBuffer);
}

// POSITION, NORMAL and TEXCOORD_0 of the mesh's vertices placed by `bind`
// (identity for a rigid mesh), mirrored.
void AddVertexAttributes(GltfDocument& document, const XMesh& mesh, const D3DXMATRIX& bind, bool placed,
                         std::map<std::string, int>& attributes) {
  const std::size_t count = mesh.vertices.size();
  // Normals go through the inverse transpose of the placement.
  D3DXMATRIX unbind;
  D3DXMatrixInverse(&unbind, nullptr, &bind);
  std::vector<float> positions(count * 3), normals(count * 3);
  bool anyNormal = false;
  for (std::size_t i = 0; i < count; ++i) {
    const XVertex& vertex = mesh.vertices[i];
    D3DXVECTOR3 p = vertex.position, n = vertex.normal;
    if (placed) {
      D3DXVec3TransformCoord(&p, &vertex.position, &bind);
      const D3DXVECTOR3 m = vertex.normal;
      for (int j = 0; j < 3; ++j) n[j] = m.x * unbind.m[j][0] + m.y * unbind.m[j][1] + m.z * unbind.m[j][2];
    }
    p = Mirrored(p);
    n = Mirrored(n);
    const double length = std::sqrt(double{n.x} * n.x + double{n.y} * n.y + double{n.z} * n.z);
    if (length > 0 && std::isfinite(length)) {
      anyNormal = true;
      n = D3DXVECTOR3(static_cast<float>(n.x / length), static_cast<float>(n.y / length),
                      static_cast<float>(n.z / length));
    } else {
      // A vertex no face uses, or a normal the file gave as zero: glTF asks
      // for unit normals, and any one serves.
      n = D3DXVECTOR3(0, 1, 0);
    }
    std::copy(&p.x, &p.x + 3, &positions[i * 3]);
    std::copy(&n.x, &n.x + 3, &normals[i * 3]);
  }
  attributes["POSITION"] = document.AddFloatAccessor(positions.data(), count, "VEC3", kArrayBuffer, true);
  // A mesh whose normals are all zero gets none: viewers then light its faces flat.
  if (anyNormal) attributes["NORMAL"] = document.AddFloatAccessor(normals.data(), count, "VEC3", kArrayBuffer, false);
  if (mesh.flags & HasTexCoords) {
    std::vector<float> texCoords(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
      texCoords[i * 2] = mesh.vertices[i].texCoord.x;
      texCoords[i * 2 + 1] = mesh.vertices[i].texCoord.y;
    }
    attributes["TEXCOORD_0"] = document.AddFloatAccessor(texCoords.data(), count, "VEC2", kArrayBuffer, false);
  }
}

void ExportMesh(ExportContext& context, MaterialExport& materials, const XMesh& mesh) {
  GltfDocument& document = context.document;
  std::vector<SubsetIndices> subsets;
  for (const XSubset& subset : mesh.subsets) {
    SubsetIndices indices = IndicesOf(mesh, subset);
    if (indices.indices.empty()) continue;
    indices.material = subset.material >= 0 && static_cast<std::size_t>(subset.material) < mesh.materials.size()
                           ? materials.MaterialOf(mesh.materials[static_cast<std::size_t>(subset.material)])
                           : materials.DefaultMaterial();
    subsets.push_back(std::move(indices));
  }
  if (subsets.empty()) {
    Say(ConvertMessage::MeshWithoutFaces, context.input.c_str(), ToUtf8(ShownName(mesh.name)).c_str());
    return;
  }

  std::map<std::string, int> attributes;
  GltfNode node;
  node.name = mesh.name;
  D3DXMATRIX bind;
  D3DXMatrixIdentity(&bind);
  const bool skinned = !mesh.bones.empty();
  if (skinned) {
    SkinnedMesh skin = ExportSkin(context, mesh, attributes);
    bind = skin.bind;
    node.skin = skin.skin;
  }
  AddVertexAttributes(document, mesh, bind, skinned, attributes);

  GltfMesh gltf;
  gltf.name = mesh.name;
  for (const SubsetIndices& subset : subsets) {
    GltfPrimitive primitive;
    primitive.attributes = attributes;
    primitive.indices = AddIndices(document, subset);
    primitive.material = subset.material;
    gltf.primitives.push_back(std::move(primitive));
  }
  document.meshes.push_back(std::move(gltf));
  node.mesh = static_cast<int>(document.meshes.size() - 1);

  const int frame = skinned ? -1 : context.FrameOf(mesh);
  const int index = context.AddNode(node);
  if (frame >= 0) {
    document.nodes[static_cast<std::size_t>(context.frameNodes[static_cast<std::size_t>(frame)])].children.push_back(
        index);
  } else {
    context.topNodes.push_back(index);
  }
}

}  // namespace

void ExportMeshes(ExportContext& context, MaterialExport& materials) {
  for (const XMesh& mesh : context.model.scene.meshes) ExportMesh(context, materials, mesh);
}

}  // namespace xfileconvert
