#include "xfile/MeshReader.h"

#include "xfile/MaterialReader.h"
#include "xfile/MeshFinishing.h"
#include "xfile/RecordReading.h"
#include "xfile/SkinReader.h"

XFILE_SHAPE_BEGIN

namespace {

// Shortest text of one item, for bounding what a count may reserve:
// "1;1;1;," for a position, "3;1,2,3;," for a face.
constexpr std::size_t kMinimumVertexBytes = 6;
constexpr std::size_t kMinimumFaceBytes = 8;
constexpr std::size_t kMinimumNumberBytes = 2;

void ReadVertices(XMesh& mesh) {
  std::uint32_t count = ReadCount();
  mesh.vertices.reserve(Affordable(count, kMinimumVertexBytes));
  for (std::uint32_t i = 0; i < count && !AtEndOfModel(); ++i) {
    XVertex& vertex = mesh.vertices.emplace_back();
    vertex.position.x = ReadFloat();
    vertex.position.y = ReadFloat();
    vertex.position.z = ReadFloat();
  }
  mesh.flags |= HasPositions;
}

// Faces are kept as the file gives them, out-of-range corners included, so
// that the per-face sub-records line up with them; Triangulate drops them.
void ReadFaces(XMesh& mesh) {
  std::uint32_t count = ReadCount();
  mesh.faces.reserve(Affordable(count, kMinimumFaceBytes));
  for (std::uint32_t i = 0; i < count && !AtEndOfModel(); ++i) {
    XFace& face = mesh.faces.emplace_back();
    std::uint32_t corners = ReadCount();
    face.corners.reserve(Affordable(corners, kMinimumNumberBytes));
    for (std::uint32_t k = 0; k < corners && !AtEndOfModel(); ++k) face.corners.push_back(ReadInt());
  }
}

}  // namespace

bool ReadMesh(XMesh& mesh) {
  ReadToken();
  if (!TokenIsOpenBrace()) {
    mesh.name = g_Token;
    ReadToken();
  }
  mesh.flags = 0;
  ReadVertices(mesh);
  ReadFaces(mesh);

#if !defined(XVIEW_REDUCED_MODEL)
  std::size_t skinWeightsRead = 0;
#endif
  ReadToken();
  while (!TokenIsCloseBrace() && !AtEndOfModel()) {
    if (TokenIs(L"MeshNormals")) {
      ReadMeshNormals(mesh);
      mesh.flags |= HasNormals;
    } else if (TokenIs(L"MeshTextureCoords")) {
      ReadTextureCoords(mesh);
      mesh.flags |= HasTexCoords;
    } else if (TokenIs(L"MeshMaterialList")) {
      ReadMaterialList(mesh);
#if !defined(XVIEW_REDUCED_MODEL)
    } else if (TokenIs(L"XSkinMeshHeader")) {
      ReadSkinHeader(mesh);
      mesh.flags |= HasSkin;
    } else if (TokenIs(L"SkinWeights")) {
      ReadSkinWeights(mesh, skinWeightsRead++);
#endif
    } else if (TokenIs(L"MeshVertexColors")) {
      SkipToClosingBrace();
      mesh.flags |= HasColors;
    } else {
      SkipToClosingBrace();
    }
    ReadToken();
  }

  Triangulate(mesh);
  if (!(mesh.flags & HasNormals)) {
    mesh.flags |= HasNormals;
    ComputeNormals(mesh);
  }
  if (mesh.flags & HasTexCoords) {
    mesh.flags |= HasTangents;
    ComputeTangents(mesh);
  }
  // Without a material list every face uses material 0, a default material.
  if (mesh.materials.empty()) mesh.materials.emplace_back();
  BuildSubsets(mesh);
  return true;
}

void ReadMeshNormals(XMesh& mesh) {
  ReadOpeningBrace();
  std::uint32_t normalCount = ReadCount();
  std::vector<D3DXVECTOR3> normals;
  normals.reserve(Affordable(normalCount, kMinimumVertexBytes));
  for (std::uint32_t i = 0; i < normalCount && !AtEndOfModel(); ++i) {
    D3DXVECTOR3 normal;
    normal.x = ReadFloat();
    normal.y = ReadFloat();
    normal.z = ReadFloat();
    normals.push_back(normal);
  }

  // Each face's list gives, per corner, the normal of that corner's vertex.
  // The sums are added up as the lists are read, in face and corner order.
  std::uint32_t listCount = ReadCount();
  bool apply = normalCount != 0 && listCount != 0;
  for (std::uint32_t f = 0; f < listCount && !AtEndOfModel(); ++f) {
    std::uint32_t indexCount = ReadCount();
    const XFace* face = f < mesh.faces.size() ? &mesh.faces[f] : nullptr;
    for (std::uint32_t k = 0; k < indexCount && !AtEndOfModel(); ++k) {
      std::int32_t normalIndex = ReadInt();
      if (!apply || !face || k >= face->corners.size()) continue;
      std::int32_t corner = face->corners[k];
      if (normalIndex < 0 || static_cast<std::size_t>(normalIndex) >= normals.size()) continue;
      if (corner < 0 || static_cast<std::size_t>(corner) >= mesh.vertices.size()) continue;
      D3DXVECTOR3& sum = mesh.vertices[corner].normal;
      const D3DXVECTOR3& add = normals[normalIndex];
      sum.x += add.x;
      sum.y += add.y;
      sum.z += add.z;
    }
  }
  ReadToken();
  if (apply)
    for (XVertex& vertex : mesh.vertices) D3DXVec3Normalize(&vertex.normal, &vertex.normal);
}

void ReadTextureCoords(XMesh& mesh) {
  ReadOpeningBrace();
  std::uint32_t count = ReadCount();
  for (std::uint32_t i = 0; i < count && !AtEndOfModel(); ++i) {
    float u = ReadFloat();
    float v = ReadFloat();
    if (i < mesh.vertices.size()) mesh.vertices[i].texCoord = D3DXVECTOR2(u, v);
  }
  ReadToken();
}

XFILE_SHAPE_END
