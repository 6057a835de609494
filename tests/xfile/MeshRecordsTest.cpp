#include <gtest/gtest.h>

#include "ModelFiles.h"
#include "xfile/MeshFinishing.h"

namespace xfile_test {
namespace {

// The meshes of the parsed text, in either shape.
std::vector<XMesh> Meshes(const std::string& text) {
#if defined(XVIEW_REDUCED_MODEL)
  return Parse(text);
#else
  return Parse(text).meshes;
#endif
}

XMesh OneMesh(const std::string& text) {
  std::vector<XMesh> meshes = Meshes(text);
  EXPECT_EQ(meshes.size(), 1u);
  return meshes.empty() ? XMesh{} : meshes[0];
}

// A unit square in the z = 0 plane, as one quad, with extra members.
std::string Square(const std::string& members = "") {
  return "Mesh square {\n 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n 1; 4;0,1,2,3;;\n" + members + "}\n";
}

void ExpectVector(const D3DXVECTOR3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-6f);
  EXPECT_NEAR(v.y, y, 1e-6f);
  EXPECT_NEAR(v.z, z, 1e-6f);
}

XCorners Corners(std::int32_t a, std::int32_t b, std::int32_t c) { return {a, b, c}; }

TEST(MeshFaces, PolygonsBecomeFansAroundTheirFirstCorner) {
  XMesh mesh = OneMesh(
      "Mesh {\n 5; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 0;2;0;;\n"
      " 3; 4;0,1,2,3;, 5;0,1,2,3,4;, 2;0,1;;\n}\n");
  EXPECT_EQ(mesh.name, L"");
  ASSERT_EQ(mesh.faces.size(), 5u);
  EXPECT_EQ(mesh.faces[0].corners, Corners(0, 1, 2));
  EXPECT_EQ(mesh.faces[1].corners, Corners(0, 2, 3));
  EXPECT_EQ(mesh.faces[2].corners, Corners(0, 1, 2));
  EXPECT_EQ(mesh.faces[3].corners, Corners(0, 2, 3));
  EXPECT_EQ(mesh.faces[4].corners, Corners(0, 3, 4));
  EXPECT_EQ(mesh.flags & (HasPositions | HasNormals), static_cast<std::uint32_t>(HasPositions | HasNormals));
}

TEST(MeshFaces, FaceWithACornerOutsideTheVertexListIsDroppedAndTheRestStayAligned) {
  XMesh mesh = OneMesh(
      "Mesh {\n 3; 0;0;0;, 1;0;0;, 0;1;0;;\n 3; 3;0,1,7;, 3;0,-1,2;, 3;0,1,2;;\n"
      " MeshMaterialList { 3; 3; 0, 1, 2;; Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }"
      " Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n");
  ASSERT_EQ(mesh.faces.size(), 1u);
  EXPECT_EQ(mesh.faces[0].material, 2);
  ASSERT_EQ(mesh.subsets.size(), 1u);
  EXPECT_EQ(mesh.subsets[0].material, 2);
}

TEST(MeshFaces, TriangulateWorksOnItsOwn) {
  XMesh mesh;
  mesh.vertices.resize(4);
  mesh.faces = {XFace{3, {0, 1, 2, 3}}, XFace{1, {0, 1}}};
  Triangulate(mesh);
  ASSERT_EQ(mesh.faces.size(), 2u);
  EXPECT_EQ(mesh.faces[1].corners, Corners(0, 2, 3));
  EXPECT_EQ(mesh.faces[1].material, 3);
}

TEST(MeshNormals, ComputedForALoneTriangle) {
  XMesh mesh = OneMesh("Mesh { 3; 0;0;0;, 2;0;0;, 0;2;0;; 1; 3;0,1,2;; }\n");
  for (const XVertex& vertex : mesh.vertices) ExpectVector(vertex.normal, 0, 0, 1);
}

TEST(MeshNormals, ComputedNormalsWeighLargerTrianglesMore) {
  // Vertex 0 is shared by a large triangle facing +z and a small one facing +x.
  XMesh mesh = OneMesh("Mesh { 5; 0;0;0;, 4;0;0;, 0;4;0;, 0;0.1;0;, 0;0;0.1;;\n 2; 3;0,1,2;, 3;0,3,4;; }\n");
  const D3DXVECTOR3& n = mesh.vertices[0].normal;
  EXPECT_GT(n.z, n.x);
  EXPECT_GT(n.x, 0.0f);
  EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-5f);
}

TEST(MeshNormals, ReadNormalsAddUpPerVertexAndAreNormalised) {
  XMesh mesh = OneMesh(
      "Mesh { 4; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;0;; 2; 3;0,1,2;, 3;1,3,2;;\n"
      " MeshNormals normals { 2; 1;0;0;, 0;1;0;; 2; 3;0,0,0;, 3;1,1,1;; }\n}\n");
  ExpectVector(mesh.vertices[0].normal, 1, 0, 0);
  ExpectVector(mesh.vertices[3].normal, 0, 1, 0);
  float half = std::sqrt(0.5f);
  ExpectVector(mesh.vertices[1].normal, half, half, 0);
  ExpectVector(mesh.vertices[2].normal, half, half, 0);
}

TEST(MeshNormals, EmptyNormalRecordLeavesNormalsZero) {
  XMesh mesh = OneMesh(Square(" MeshNormals { 0;; 0;; }\n"));
  EXPECT_TRUE(mesh.flags & HasNormals);
  for (const XVertex& vertex : mesh.vertices) ExpectVector(vertex.normal, 0, 0, 0);
}

TEST(MeshNormals, IndicesOutsideTheRecordArePassedOver) {
  XMesh mesh = OneMesh(Square(" MeshNormals { 1; 0;0;1;; 2; 4;0,9,-1,0;, 3;0,0,0;; }\n"));
  ExpectVector(mesh.vertices[0].normal, 0, 0, 1);
  ExpectVector(mesh.vertices[1].normal, 0, 0, 0);
  ExpectVector(mesh.vertices[3].normal, 0, 0, 1);
}

TEST(MeshTangents, NoTextureCoordinatesNoTangents) {
  XMesh mesh = OneMesh(Square());
  EXPECT_FALSE(mesh.flags & HasTangents);
  EXPECT_FALSE(mesh.flags & HasTexCoords);
  for (const XVertex& vertex : mesh.vertices) EXPECT_EQ(vertex.tangent.w, 0.0f);
}

TEST(MeshTangents, TangentFollowsUAndHandednessIsSigned) {
  XMesh mesh = OneMesh(Square(" MeshTextureCoords tc { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n"));
  EXPECT_TRUE(mesh.flags & HasTangents);
  EXPECT_EQ(mesh.vertices[2].texCoord.x, 1.0f);
  for (const XVertex& vertex : mesh.vertices) {
    EXPECT_NEAR(vertex.tangent.x, 1.0f, 1e-6f);
    EXPECT_EQ(vertex.tangent.w, 1.0f);
  }
  XMesh mirrored = OneMesh(Square(" MeshTextureCoords { 4; 1;0;, 0;0;, 0;1;, 1;1;; }\n"));
  for (const XVertex& vertex : mirrored.vertices) {
    EXPECT_NEAR(vertex.tangent.x, -1.0f, 1e-6f);
    EXPECT_EQ(vertex.tangent.w, -1.0f);
  }
}

TEST(MeshTangents, ZeroHandednessProductCountsAsPositive) {
  // A triangle with no area: N is zero, so (N x T) . B is exactly 0.
  XMesh mesh = OneMesh(
      "Mesh { 3; 0;0;0;, 1;0;0;, 2;0;0;; 1; 3;0,1,2;;\n"
      " MeshTextureCoords { 3; 0;0;, 1;0;, 0;1;; }\n}\n");
  EXPECT_EQ(mesh.vertices[0].tangent.w, 1.0f);
}

TEST(MeshTangents, DegenerateTextureCoordinatesGiveNoTangentAndNeverNaN) {
  XMesh mesh = OneMesh(Square(" MeshTextureCoords { 4; 0;0;, 0;0;, 0;0;, 0;0;; }\n"));
  for (const XVertex& vertex : mesh.vertices) {
    EXPECT_EQ(vertex.tangent.x, 0.0f);
    EXPECT_EQ(vertex.tangent.w, 0.0f);
  }
  XMesh huge = OneMesh(
      "Mesh { 3; 0;0;0;, 1e38;0;0;, 0;1e-38;0;; 1; 3;0,1,2;;\n"
      " MeshTextureCoords { 3; 0;0;, 1;1e-30;, 1;2e-30;; }\n}\n");
  for (const XVertex& vertex : huge.vertices)
    EXPECT_TRUE(std::isfinite(vertex.tangent.x) && std::isfinite(vertex.tangent.y) &&
                std::isfinite(vertex.tangent.z) && std::isfinite(vertex.tangent.w));
}

std::string Material(const std::string& name, float red, const std::string& members = "") {
  return " Material " + name + " { " + std::to_string(red) + ";0.5;0.25;1;; 8; 0.1;0.2;0.3;; 0.4;0.5;0.6;; " +
         members + "}\n";
}

TEST(MeshMaterials, FourTrianglesSortIntoTwoSubsetsStably) {
  XMesh mesh = OneMesh(
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 4; 3;0,1,2;, 3;1,2,0;, 3;2,0,1;, 3;0,2,1;;\n"
      " MeshMaterialList { 2; 4; 1,0,1,0;;" +
      Material("a", 0) + Material("b", 1) + "}\n}\n");
  ASSERT_EQ(mesh.faces.size(), 4u);
  EXPECT_EQ(mesh.faces[0].corners, Corners(1, 2, 0));
  EXPECT_EQ(mesh.faces[1].corners, Corners(0, 2, 1));
  EXPECT_EQ(mesh.faces[2].corners, Corners(0, 1, 2));
  EXPECT_EQ(mesh.faces[3].corners, Corners(2, 0, 1));
  ASSERT_EQ(mesh.subsets.size(), 2u);
  EXPECT_EQ(mesh.subsets[0].faceCount, 2u);
  EXPECT_EQ(mesh.subsets[0].firstFace, 0u);
  EXPECT_EQ(mesh.subsets[0].material, 0);
  EXPECT_EQ(mesh.subsets[1].faceCount, 2u);
  EXPECT_EQ(mesh.subsets[1].firstFace, 2u);
  EXPECT_EQ(mesh.subsets[1].material, 1);
}

// Large meshes are finished beside the reader while the next is read; each
// comes out as the same records finished where they stand. Five meshes make
// the mesh list grow while one of them is being finished.
TEST(MeshFinishing, LargeMeshesFinishedBesideTheReaderMatchThoseFinishedInPlace) {
  constexpr int kGrid = 70;  // 4,900 quads: enough for a thread of their own
  std::vector<XMesh> expected;
  std::string text;
  for (int m = 0; m < 5; ++m) {
    XMesh& mesh = expected.emplace_back();
    mesh.flags = HasPositions | HasTexCoords | HasNormals | HasTangents;
    mesh.materials.resize(2);
    std::string positions, coords, faces, materials;
    for (int j = 0; j <= kGrid; ++j)
      for (int i = 0; i <= kGrid; ++i) {
        // A bumpy sheet, so that normals and tangents differ from vertex to vertex.
        const float x = i * 0.25f, y = j * 0.25f, z = static_cast<float>((i * 7 + j * 3 + m) % 5) * 0.125f;
        XVertex& vertex = mesh.vertices.emplace_back();
        vertex.position = D3DXVECTOR3(x, y, z);
        vertex.texCoord = D3DXVECTOR2(i / 64.0f, j / 32.0f);
        positions += std::to_string(x) + ";" + std::to_string(y) + ";" + std::to_string(z) + ";,";
        coords += std::to_string(i / 64.0f) + ";" + std::to_string(j / 32.0f) + ";,";
      }
    for (int j = 0; j < kGrid; ++j)
      for (int i = 0; i < kGrid; ++i) {
        const std::int32_t a = j * (kGrid + 1) + i, b = a + kGrid + 1;
        XFace& face = mesh.faces.emplace_back();
        face.material = (i + j) % 3 == 0 ? 1 : 0;
        face.corners = {a, b, b + 1, a + 1};
        faces += "4;" + std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(b + 1) + "," +
                 std::to_string(a + 1) + ";,";
        materials += std::to_string(face.material) + ",";
      }
    FinishMesh(mesh, true);
    positions.back() = materials.back() = faces.back() = coords.back() = ';';
    const std::string vertexCount = std::to_string((kGrid + 1) * (kGrid + 1));
    const std::string faceCount = std::to_string(kGrid * kGrid);
    const std::string material = " Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n";
    text += "Mesh {\n" + vertexCount + ";\n" + positions + ";\n" + faceCount + ";\n" + faces +
            ";\n MeshTextureCoords {\n" + vertexCount + ";\n" + coords + ";\n}\n MeshMaterialList { 2; " + faceCount +
            ";\n" + materials + ";\n" + material + material + "}\n}\n";
  }
  std::vector<XMesh> meshes = Meshes(text);
  ASSERT_EQ(meshes.size(), expected.size());
  for (std::size_t m = 0; m < meshes.size(); ++m) {
    ASSERT_EQ(meshes[m].vertices.size(), expected[m].vertices.size()) << "mesh " << m;
    for (std::size_t v = 0; v < meshes[m].vertices.size(); ++v) {
      const XVertex &got = meshes[m].vertices[v], &want = expected[m].vertices[v];
      ASSERT_TRUE(got.normal == want.normal && got.tangent == want.tangent) << "mesh " << m << ", vertex " << v;
    }
    ASSERT_EQ(meshes[m].faces.size(), expected[m].faces.size()) << "mesh " << m;
    for (std::size_t f = 0; f < meshes[m].faces.size(); ++f)
      ASSERT_TRUE(meshes[m].faces[f].corners == expected[m].faces[f].corners &&
                  meshes[m].faces[f].material == expected[m].faces[f].material)
          << "mesh " << m << ", face " << f;
    ASSERT_EQ(meshes[m].subsets.size(), 2u);
    EXPECT_EQ(meshes[m].subsets[1].firstFace, expected[m].subsets[1].firstFace);
  }
}

// One index for a mesh of many faces is the format's shorthand for "all of
// them"; any other short list is still said.
TEST(MeshMaterials, OneIndexGivesEveryFaceItsMaterialWithoutAWarning) {
  const std::string threeFaces = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 3; 3;0,1,2;, 3;1,2,0;, 3;2,0,1;;\n";
  QuietParse one = ParseTextQuietly(threeFaces + " MeshMaterialList { 2; 1; 1;;" + Material("a", 0) +
                                    Material("b", 1) + "}\n}\n");
  ASSERT_EQ(one.Meshes().size(), 1u);
  ASSERT_EQ(one.Meshes()[0].subsets.size(), 1u);
  EXPECT_EQ(one.Meshes()[0].subsets[0].material, 1);
  EXPECT_EQ(one.Meshes()[0].subsets[0].faceCount, 3u);
  EXPECT_TRUE(one.warnings.empty());
  QuietParse shortList =
      ParseTextQuietly(threeFaces + " MeshMaterialList { 2; 2; 1,1;;" + Material("a", 0) + Material("b", 1) + "}\n}\n");
  EXPECT_TRUE(shortList.Warned(ParseWarningKind::ListMismatch));
  ASSERT_EQ(shortList.Meshes()[0].subsets.size(), 2u);
  EXPECT_EQ(shortList.Meshes()[0].subsets[0].faceCount, 1u);  // the third face keeps material 0
}

TEST(MeshMaterials, MaterialFieldsInFileOrder) {
  XMesh mesh = OneMesh(Square(" MeshMaterialList { 1; 1; 0;;" + Material("shiny", 0.75f) + "}\n"));
  ASSERT_EQ(mesh.materials.size(), 1u);
  const XMaterial& m = mesh.materials[0];
  EXPECT_EQ(m.name, L"shiny");
  EXPECT_FLOAT_EQ(m.diffuse.r, 0.75f);
  EXPECT_FLOAT_EQ(m.diffuse.b, 0.25f);
  EXPECT_FLOAT_EQ(m.power, 8.0f);
  EXPECT_FLOAT_EQ(m.specular.b, 0.3f);
  EXPECT_FLOAT_EQ(m.emissive.r, 0.4f);
  EXPECT_EQ(m.emissive.a, 0.0f);
  EXPECT_EQ(m.textureFiles[0], L"");
  ASSERT_EQ(mesh.subsets.size(), 1u);
  EXPECT_EQ(mesh.subsets[0].faceCount, 2u);
}

TEST(MeshMaterials, TextureNamesCarryTheModelDirectoryAndTheLastNameWins) {
  std::string text = kHeader + Square(" MeshMaterialList { 2; 1; 0;;" +
                                      Material("a", 1, "TextureFilename { \"first.png\"; \"second.png\"; }") +
                                      Material("b", 1, "TextureFileName { \"sub\\\\b.png\"; }") + "}\n");
  ModelFile file(text);
  XModelContent content;
  ASSERT_TRUE(ParseXFile(file.WidePath(), content, kQuiet));
#if defined(XVIEW_REDUCED_MODEL)
  const XMesh& mesh = content.at(0);
#else
  const XMesh& mesh = content.meshes.at(0);
#endif
  EXPECT_EQ(mesh.materials[0].textureFiles[0], file.Folder() + L"second.png");
  EXPECT_EQ(mesh.materials[1].textureFiles[0], file.Folder() + L"sub\\\\b.png");
  EXPECT_EQ(mesh.materials[1].textureFiles[1], L"");
}

TEST(MeshMaterials, ReferencesFillFromNamedMaterialsAndTheListGoesOn) {
  std::vector<XMesh> meshes =
      Meshes("Material Red { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; TextureFilename { \"red.png\"; } }\n" +
             Square(" MeshMaterialList { 3; 1; 1;; { Red } {Unknown} { Red } }\n"
                    " MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n") +
             Square(" MeshMaterialList { 1; 1; 0;;" + Material("Inner", 0.5f) + "}\n") +
             Square(" MeshMaterialList { 1; 1; 0;; {Inner} }\n"));
  ASSERT_EQ(meshes.size(), 3u);
  const XMesh& first = meshes[0];
  ASSERT_EQ(first.materials.size(), 3u);
  EXPECT_EQ(first.materials[0].name, L"Red");
  EXPECT_EQ(first.materials[0].diffuse.r, 1.0f);
  EXPECT_EQ(first.materials[0].textureFiles[0].substr(first.materials[0].textureFiles[0].size() - 7),
            L"red.png");
  EXPECT_EQ(first.materials[1].name, L"");  // unresolved: left unfilled
  EXPECT_EQ(first.materials[2].name, L"Red");
  EXPECT_TRUE(first.flags & HasTexCoords);  // the list did not end the mesh
  EXPECT_EQ(meshes[2].materials[0].name, L"Inner");
  EXPECT_FLOAT_EQ(meshes[2].materials[0].diffuse.r, 0.5f);
}

TEST(MeshMaterials, MaterialRecordsBeyondTheCountArePassedOver) {
  XMesh mesh = OneMesh(Square(" MeshMaterialList { 1; 1; 0;;" + Material("a", 1) + Material("extra", 0) +
                              "}\n" + " MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n"));
  ASSERT_EQ(mesh.materials.size(), 1u);
  EXPECT_EQ(mesh.materials[0].name, L"a");
  EXPECT_TRUE(mesh.flags & HasTexCoords);
}

TEST(MeshMaterials, WithoutAListEveryFaceUsesOneDefaultMaterial) {
  XMesh mesh = OneMesh(Square());
  ASSERT_EQ(mesh.materials.size(), 1u);
  EXPECT_EQ(mesh.materials[0].diffuse.r, 1.0f);
  EXPECT_EQ(mesh.materials[0].diffuse.a, 1.0f);
  EXPECT_EQ(mesh.materials[0].textureFiles[0], L"");
  ASSERT_EQ(mesh.subsets.size(), 1u);
  EXPECT_EQ(mesh.subsets[0].material, 0);
  EXPECT_EQ(mesh.subsets[0].faceCount, 2u);
}

TEST(MeshRecords, VertexColoursAreSkippedButFlagged) {
  XMesh mesh =
      OneMesh(Square(" MeshVertexColors { 4; 0;1;0;0;1;;, 1;1;0;0;1;;, 2;1;0;0;1;;, 3;1;0;0;1;;; }\n"
                     " VertexDuplicationIndices { 4; 4; 0, 1, 2, 3; }\n"
                     " DeclData { 1; 2;0;3;0;; 4; 1,2,3,4; }\n"));
  EXPECT_TRUE(mesh.flags & HasColors);
  for (const XVertex& vertex : mesh.vertices) EXPECT_EQ(vertex.color.r, 0.0f);
}

TEST(MeshRecords, HugeCountsAreReadOnlyAsFarAsTheFileGoes) {
  XMesh mesh = OneMesh("Mesh { 2000000000; 0;0;0;, 1;0;0;, 0;1;0;;\n 2000000000; 3;0,1,2;; }\n");
  EXPECT_LE(mesh.vertices.size(), 20u);
  std::vector<XMesh> faces = Meshes("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2000000000; 0,1,2;; }\n");
  std::vector<XMesh> normals = Meshes(Square(" MeshNormals { 2000000000; 0;0;1;; 2000000000; 1; 0;; }"));
  std::vector<XMesh> coords = Meshes(Square(" MeshTextureCoords { 2000000000; 0;0;; }"));
  std::vector<XMesh> materials = Meshes(Square(" MeshMaterialList { 2000000000; 2000000000; 0;; }"));
  EXPECT_LE(materials.at(0).materials.size(), 100u);
  EXPECT_EQ(normals.at(0).vertices.size(), 4u);
  EXPECT_EQ(coords.at(0).vertices.size(), 4u);
}

TEST(MeshRecords, TruncatedFileEndsTheMeshWhereverItFalls) {
  std::string full = kHeader + Square(
                                   " MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; }\n"
                                   " MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n"
                                   " MeshMaterialList { 1; 1; 0;;" +
                                   Material("a", 1, "TextureFilename { \"t.png\"; }") + "}\n");
  for (std::size_t length = 0; length <= full.size(); ++length) {
    ModelFile file(full.substr(0, length));
    XModelContent content;
    bool accepted = ParseXFile(file.WidePath(), content, kQuiet).accepted;
    ExpectSoundContent(content);
    // Accepted once the second word of the header is complete.
    EXPECT_EQ(accepted, length >= 11) << length;
  }
}

}  // namespace
}  // namespace xfile_test
