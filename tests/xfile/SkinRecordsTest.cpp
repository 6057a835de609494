#include <gtest/gtest.h>

#include "ModelFiles.h"

namespace xfile_test {
namespace {

const std::string kOffset = "1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;;";

std::string SkinWeights(const std::string& bone, const std::string& indices, const std::string& weights,
                        int count, const std::string& recordName = "") {
  return " SkinWeights " + recordName + " { \"" + bone + "\"; " + std::to_string(count) + "; " + indices +
         "; " + weights + "; " + kOffset + " }\n";
}

std::string SkinnedSquare(const std::string& skin) {
  return "Mesh square {\n 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n 1; 4;0,1,2,3;;\n"
         " XSkinMeshHeader { 3; 6; 3; }\n" +
         skin + "}\n";
}

TEST(SkinWeights, InfluencesPerBoneInRecordOrder) {
  XFileScene scene = Parse(SkinnedSquare(SkinWeights("Hip", "0,1", "0.5,0.25", 2) +
                                         SkinWeights("Knee", "1", "0.75", 1, "W-Knee") +
                                         SkinWeights("Foot", "1,2", "0.125,1", 2)));
  const XMesh& mesh = scene.meshes.at(0);
  EXPECT_TRUE(mesh.flags & HasSkin);
  ASSERT_EQ(mesh.bones.size(), 3u);
  EXPECT_EQ(mesh.bones[0].name, L"Hip");
  EXPECT_EQ(mesh.bones[1].name, L"Knee");
  EXPECT_EQ(mesh.bones[2].name, L"Foot");
  ASSERT_EQ(mesh.vertices[1].influences.size(), 3u);
  EXPECT_EQ(mesh.vertices[1].influences[0].bone, 0);
  EXPECT_EQ(mesh.vertices[1].influences[0].weight, 0.25f);
  EXPECT_EQ(mesh.vertices[1].influences[1].bone, 1);
  EXPECT_EQ(mesh.vertices[1].influences[1].weight, 0.75f);
  EXPECT_EQ(mesh.vertices[1].influences[2].bone, 2);
  EXPECT_TRUE(mesh.vertices[3].influences.empty());
}

TEST(SkinWeights, OffsetMatrixIsStoredAsWritten) {
  XFileScene scene = Parse(
      "Mesh { 1; 0;0;0;; 0;; XSkinMeshHeader { 1; 1; 1; }\n"
      " SkinWeights { \"B\"; 1; 0; 1; 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16;; } }\n");
  const XBone& bone = scene.meshes.at(0).bones.at(0);
  EXPECT_EQ(bone.offset._12, 2.0f);
  EXPECT_EQ(bone.offset._43, 15.0f);
}

TEST(SkinWeights, VertexIndicesOutsideTheMeshArePassedOver) {
  XFileScene scene = Parse(SkinnedSquare(SkinWeights("Hip", "0,4,-1,2000000000,3", "1,1,1,1,0.5", 5)));
  const XMesh& mesh = scene.meshes.at(0);
  EXPECT_EQ(mesh.vertices[0].influences.size(), 1u);
  ASSERT_EQ(mesh.vertices[3].influences.size(), 1u);
  EXPECT_EQ(mesh.vertices[3].influences[0].weight, 0.5f);
  EXPECT_EQ(mesh.bones[0].name, L"Hip");
}

TEST(SkinWeights, RecordsBeyondTheBoneCountArePassedOver) {
  XFileScene scene = Parse(
      "Mesh { 2; 0;0;0;, 1;0;0;; 0;;\n"
      " SkinWeights { \"Early\"; 1; 0; 1; " +
      kOffset +
      " }\n"
      " XSkinMeshHeader { 1; 1; 1; }\n" +
      SkinWeights("Second", "1", "1", 1) + SkinWeights("Third", "0", "1", 1) +
      " MeshTextureCoords { 2; 0;0;, 1;1;; }\n}\n");
  const XMesh& mesh = scene.meshes.at(0);
  ASSERT_EQ(mesh.bones.size(), 1u);
  // Bones are numbered by SkinWeights records; the first came before the header had bones.
  EXPECT_EQ(mesh.bones[0].name, L"");
  EXPECT_TRUE(mesh.vertices[0].influences.empty());
  EXPECT_TRUE(mesh.vertices[1].influences.empty());
  EXPECT_TRUE(mesh.flags & HasTexCoords);
}

TEST(SkinWeights, ASecondHeaderKeepsTheBonesThatInfluencesName) {
  XFileScene scene =
      Parse(SkinnedSquare(SkinWeights("Hip", "0", "1", 1) + " XSkinMeshHeader { 1; 1; 0; }\n"));
  const XMesh& mesh = scene.meshes.at(0);
  ASSERT_EQ(mesh.bones.size(), 3u);
  EXPECT_EQ(mesh.bones[0].name, L"Hip");
  EXPECT_EQ(mesh.vertices[0].influences.size(), 1u);
}

// Every record the header declares is kept: bone indices have sixteen bits,
// so a mesh with more than 256 bones animates whole or not at all.
TEST(SkinWeights, EverySkinWeightsRecordIsKeptBeyondTheEightBitRange) {
  std::string skin;
  for (int bone = 0; bone < 300; ++bone) skin += SkinWeights("B" + std::to_string(bone), "0", "1", 1);
  XFileScene scene = Parse("Mesh { 1; 0;0;0;; 0;; XSkinMeshHeader { 1; 1; 300; }\n" + skin + "}\n");
  const XMesh& mesh = scene.meshes.at(0);
  ASSERT_EQ(mesh.vertices[0].influences.size(), 300u);
  EXPECT_EQ(mesh.vertices[0].influences[299].bone, 299);
  EXPECT_EQ(mesh.bones[299].name, L"B299");
  EXPECT_EQ(mesh.bones.size(), 300u);
}

}  // namespace
}  // namespace xfile_test
