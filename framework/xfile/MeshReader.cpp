#include "xfile/MeshReader.h"

#include "xfile/MaterialReader.h"
#include "xfile/MeshFinisher.h"
#include "xfile/MeshFinishing.h"
#include "xfile/RecordReading.h"
#include "xfile/SizeAccounting.h"
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
  for (std::uint32_t i = 0; NextItem(i, count, L"vertices"); ++i) {
    XVertex& vertex = mesh.vertices.emplace_back();
    vertex.position.x = TokenFloat();
    vertex.position.y = ReadFloat();
    vertex.position.z = ReadFloat();
  }
  mesh.flags |= HasPositions;
}

// Faces are kept as the file gives them, out-of-range corners included, so
// that the per-face sub-records line up with them; finishing leaves them out.
void ReadFaces(XMesh& mesh) {
  std::uint32_t count = ReadCount();
  mesh.faces.reserve(Affordable(count, kMinimumFaceBytes));
  for (std::uint32_t i = 0; NextItem(i, count, L"faces"); ++i) {
    XFace& face = mesh.faces.emplace_back();
    std::uint32_t corners = TokenCount();
    if (corners > XCorners::kInPlace) face.corners.reserve(Affordable(corners, kMinimumNumberBytes));
    for (std::uint32_t k = 0; NextItem(k, corners, L"corners of a face"); ++k)
      face.corners.push_back(TokenInt());
  }
}

// Sub-records that carry nothing the programs use; skipping them is no loss
// worth a warning.
bool IsUnusedMeshRecord() {
  return TokenIs(L"VertexDuplicationIndices") || TokenIs(L"DeclData") || TokenIs(L"FVFData") ||
         TokenIs(L"MeshFaceWraps");
}

}  // namespace

bool ReadMesh(XMesh& mesh, MeshFinisher& finisher) {
  RecordScope scope(L"Mesh");
  mesh.name = ReadRecordName(&scope);
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
#else
    } else if (TokenIs(L"XSkinMeshHeader") || TokenIs(L"SkinWeights")) {
      // A skinned mesh's vertices lie in model space, where its bones'
      // offsets take them from: the static shape shows that bind pose placed
      // by the model alone, as the character shape places a skinned mesh,
      // not by its frames a second time.
      mesh.frameTransform = IdentityMatrix();
      SkipRecord(false);
#endif
    } else if (TokenIs(L"MeshVertexColors")) {
      SkipRecord(false);
      mesh.flags |= HasColors;
    } else {
      SkipRecord(!IsUnusedMeshRecord());
    }
    ReadToken();
  }

  // What the faces hold that cannot be drawn is said here, in file order;
  // the rest of finishing raises no warning, so it may run on another thread.
  ReportBadFaces(mesh);
  // Without a material list every face uses material 0, a default material;
  // a mesh without triangles draws nothing and needs none.
  if (mesh.materials.empty() && HasTriangles(mesh)) mesh.materials.emplace_back();
  ReportBadMaterials(mesh);
  const bool computeNormals = !(mesh.flags & HasNormals);
  mesh.flags |= HasNormals;
  if (mesh.flags & HasTexCoords) mesh.flags |= HasTangents;
  finisher.Finish(mesh, computeNormals);
  return true;
}

void ReadMeshNormals(XMesh& mesh) {
  RecordScope scope(L"MeshNormals");
  ReadOpeningBrace();
  std::uint32_t normalCount = ReadCount();
  std::vector<D3DXVECTOR3> normals;
  normals.reserve(Affordable(normalCount, kMinimumVertexBytes));
  for (std::uint32_t i = 0; NextItem(i, normalCount, L"normals"); ++i) {
    D3DXVECTOR3 normal;
    normal.x = TokenFloat();
    normal.y = ReadFloat();
    normal.z = ReadFloat();
    normals.push_back(normal);
  }

  // Each face's list gives, per corner, the normal of that corner's vertex.
  // The sums are added up as the lists are read, in face and corner order.
  std::uint32_t listCount = ReadCount();
  CheckListCount(listCount, mesh.faces.size(), L"normal lists", L"faces");
  bool apply = normalCount != 0 && listCount != 0;
  for (std::uint32_t f = 0; NextItem(f, listCount, L"normal lists"); ++f) {
    std::uint32_t indexCount = TokenCount();
    const XFace* face = f < mesh.faces.size() ? &mesh.faces[f] : nullptr;
    for (std::uint32_t k = 0; NextItem(k, indexCount, L"normal indices"); ++k) {
      std::int32_t normalIndex = TokenInt();
      if (!face) continue;  // a list for a face the mesh does not have: reported above
      if (!IndexIn(normalIndex, normals.size()) || k >= face->corners.size()) {
        Warn(ParseWarningKind::NormalIndexOutOfRange, [&] {
          return std::to_wstring(normalIndex) + L" for corner " + std::to_wstring(k) + L" of face " +
                 std::to_wstring(f) + L", of " + std::to_wstring(normals.size()) + L" normals";
        });
        continue;
      }
      std::int32_t corner = face->corners[k];
      if (!IndexIn(corner, mesh.vertices.size())) continue;  // ReportBadFaces says so
      D3DXVECTOR3& sum = mesh.vertices[corner].normal;
      const D3DXVECTOR3& add = normals[normalIndex];
      sum.x += add.x;
      sum.y += add.y;
      sum.z += add.z;
    }
  }
  ReadClosingBrace();
  if (apply)
    for (XVertex& vertex : mesh.vertices) Normalize(vertex.normal);
}

void ReadTextureCoords(XMesh& mesh) {
  RecordScope scope(L"MeshTextureCoords");
  ReadOpeningBrace();
  std::uint32_t count = ReadCount();
  CheckListCount(count, mesh.vertices.size(), L"texture coordinates", L"vertices");
  for (std::uint32_t i = 0; NextItem(i, count, L"texture coordinates"); ++i) {
    float u = TokenFloat();
    float v = ReadFloat();
    if (i < mesh.vertices.size()) mesh.vertices[i].texCoord = D3DXVECTOR2(u, v);
  }
  ReadClosingBrace();
}

XFILE_SHAPE_END
