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

// A subset's triangles that name vertices of the mesh, and the largest vertex they name.
struct SubsetTriangles {
  const XSubset* subset = nullptr;
  std::size_t triangles = 0;
  std::uint32_t largest = 0;
  int material = -1;
};

bool IsWholeTriangle(const XCorners& corners, std::size_t vertexCount) {
  if (corners.size() != 3) return false;
  for (std::size_t k = 0; k < 3; ++k)
    if (corners[k] < 0 || static_cast<std::size_t>(corners[k]) >= vertexCount) return false;
  return true;
}

SubsetTriangles Measure(const XMesh& mesh, const XSubset& subset) {
  SubsetTriangles out;
  out.subset = &subset;
  const std::size_t end = std::min<std::size_t>(std::size_t{subset.firstFace} + subset.faceCount, mesh.faces.size());
  for (std::size_t f = subset.firstFace; f < end; ++f) {
    const XCorners& corners = mesh.faces[f].corners;
    if (!IsWholeTriangle(corners, mesh.vertices.size())) continue;
    ++out.triangles;
    for (std::size_t k = 0; k < 3; ++k) out.largest = std::max(out.largest, static_cast<std::uint32_t>(corners[k]));
  }
  return out;
}

// The subset's triangles as indices, each with its corners in the other
// order: the mirror turns them the other way round on screen, and glTF's
// front faces go counter-clockwise where Direct3D's went clockwise.
template <class Index>
void FillIndices(const XMesh& mesh, const XSubset& subset, Index* out) {
  const std::size_t end = std::min<std::size_t>(std::size_t{subset.firstFace} + subset.faceCount, mesh.faces.size());
  for (std::size_t f = subset.firstFace; f < end; ++f) {
    const XCorners& corners = mesh.faces[f].corners;
    if (!IsWholeTriangle(corners, mesh.vertices.size())) continue;
    *out++ = static_cast<Index>(corners[0]);
    *out++ = static_cast<Index>(corners[2]);
    *out++ = static_cast<Index>(corners[1]);
  }
}

int AddIndices(GltfDocument& document, const XMesh& mesh, const SubsetTriangles& subset) {
  const bool narrow = subset.largest <= kLargest16BitIndex;
  const int accessor =
      document.AddAccessor(subset.triangles * 3, narrow ? kUnsignedShort : kUnsignedInt, "SCALAR", kElementArrayBuffer);
  if (narrow) {
    FillIndices(mesh, *subset.subset, document.Data<std::uint16_t>(accessor));
  } else {
    FillIndices(mesh, *subset.subset, document.Data<std::uint32_t>(accessor));
  }
  return accessor;
}

// POSITION, NORMAL and TEXCOORD_0 of the mesh's vertices placed by `bind`
// (a rigid mesh's are not placed), mirrored.
void AddVertexAttributes(GltfDocument& document, const XMesh& mesh, const D3DXMATRIX& bind, bool placed,
                         std::map<std::string, int>& attributes) {
  const std::size_t count = mesh.vertices.size();
  // A mesh whose normals are all zero gets none: viewers then light its faces flat.
  const bool anyNormal = std::any_of(mesh.vertices.begin(), mesh.vertices.end(), [](const XVertex& vertex) {
    return vertex.normal.x != 0 || vertex.normal.y != 0 || vertex.normal.z != 0;
  });
  const bool texCoords = (mesh.flags & HasTexCoords) != 0;
  const int positionAccessor = document.AddAccessor(count, kFloat, "VEC3", kArrayBuffer);
  const int normalAccessor = anyNormal ? document.AddAccessor(count, kFloat, "VEC3", kArrayBuffer) : -1;
  const int texCoordAccessor = texCoords ? document.AddAccessor(count, kFloat, "VEC2", kArrayBuffer) : -1;
  float* positions = document.Data<float>(positionAccessor);
  float* normals = anyNormal ? document.Data<float>(normalAccessor) : nullptr;
  float* uv = texCoords ? document.Data<float>(texCoordAccessor) : nullptr;

  // Normals go through the inverse transpose of the placement.
  D3DXMATRIX unbind;
  D3DXMatrixInverse(&unbind, nullptr, &bind);
  const auto& b = bind.m;
  const auto& u = unbind.m;
  for (std::size_t i = 0; i < count; ++i) {
    const XVertex& vertex = mesh.vertices[i];
    D3DXVECTOR3 p = vertex.position, n = vertex.normal;
    if (placed) {
      const D3DXVECTOR3 v = vertex.position, m = vertex.normal;
      for (int j = 0; j < 3; ++j) {
        p[j] = v.x * b[0][j] + v.y * b[1][j] + v.z * b[2][j] + b[3][j];
        n[j] = m.x * u[j][0] + m.y * u[j][1] + m.z * u[j][2];
      }
    }
    positions[i * 3] = p.x;
    positions[i * 3 + 1] = p.y;
    positions[i * 3 + 2] = -p.z;
    if (normals) {
      const double length = std::sqrt(double{n.x} * n.x + double{n.y} * n.y + double{n.z} * n.z);
      if (length > 0 && std::isfinite(length)) {
        normals[i * 3] = static_cast<float>(n.x / length);
        normals[i * 3 + 1] = static_cast<float>(n.y / length);
        normals[i * 3 + 2] = static_cast<float>(-n.z / length);
      } else {
        // A vertex no face uses, or a normal the file gave as zero: glTF asks
        // for unit normals, and any one serves.
        normals[i * 3] = 0;
        normals[i * 3 + 1] = 1;
        normals[i * 3 + 2] = 0;
      }
    }
    if (uv) {
      uv[i * 2] = vertex.texCoord.x;
      uv[i * 2 + 1] = vertex.texCoord.y;
    }
  }
  document.SetBounds(positionAccessor);
  attributes["POSITION"] = positionAccessor;
  if (anyNormal) attributes["NORMAL"] = normalAccessor;
  if (texCoords) attributes["TEXCOORD_0"] = texCoordAccessor;
}

void ExportMesh(ExportContext& context, MaterialExport& materials, const XMesh& mesh) {
  GltfDocument& document = context.document;
  // glTF textures nothing without texture coordinates: such a mesh's
  // materials go without their textures (said once for the mesh).
  const bool textured = (mesh.flags & HasTexCoords) != 0;
  bool textureLeftOut = false;
  std::vector<SubsetTriangles> subsets;
  for (const XSubset& subset : mesh.subsets) {
    SubsetTriangles indices = Measure(mesh, subset);
    if (indices.triangles == 0) continue;
    if (subset.material >= 0 && static_cast<std::size_t>(subset.material) < mesh.materials.size()) {
      const XMaterial& material = mesh.materials[static_cast<std::size_t>(subset.material)];
      indices.material = materials.MaterialOf(material, textured);
      textureLeftOut = textureLeftOut || (!textured && !material.textureFiles[0].empty());
    } else {
      indices.material = materials.DefaultMaterial();
    }
    subsets.push_back(std::move(indices));
  }
  if (subsets.empty()) {
    Say(ConvertMessage::MeshWithoutFaces, context.input.c_str(), ToUtf8(ShownName(mesh.name)).c_str());
    return;
  }
  if (textureLeftOut)
    Say(ConvertMessage::TextureWithoutTexCoords, context.input.c_str(), ToUtf8(ShownName(mesh.name)).c_str());

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
  for (const SubsetTriangles& subset : subsets) {
    GltfPrimitive primitive;
    primitive.attributes = attributes;
    primitive.indices = AddIndices(document, mesh, subset);
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
