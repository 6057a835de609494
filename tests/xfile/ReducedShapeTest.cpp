// The reduced record shape: a list of meshes, each with the transform its
// frames combine to; no frames, skin or animation of their own.
#include <gtest/gtest.h>

#include <type_traits>

#include "ModelFiles.h"
#include "support/StderrCapture.h"

namespace xfile_test {
namespace {

static_assert(std::is_same_v<XModelContent, std::vector<XMesh>>);

TEST(ReducedShape, MeshesInsideFramesAreReadAndFramesLeaveNothing) {
  std::vector<XMesh> meshes = Parse(
      "Frame A { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
      " Frame B { Mesh first { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } }\n"
      " Mesh second { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
      "  XSkinMeshHeader { 1; 1; 1; }\n"
      "  SkinWeights { \"A\"; 1; 0; 1; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
      "  MeshTextureCoords { 3; 0;0;, 1;0;, 0;1;; } } }\n");
  ASSERT_EQ(meshes.size(), 2u);
  EXPECT_EQ(meshes[0].name, L"first");
  EXPECT_EQ(meshes[1].name, L"second");
  EXPECT_FALSE(meshes[1].flags & 0x20);
  EXPECT_TRUE(meshes[1].flags & HasTexCoords);
}

TEST(ReducedShape, EachMeshKeepsWhatItsEnclosingFramesCombineTo) {
  // A turns a quarter about Y, B (inside A) moves 5 along X, C has no
  // transform of its own; a skinned mesh lies in model space already.
  std::vector<XMesh> meshes = Parse(
      "Mesh top { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"
      "Frame A { FrameTransformMatrix { 0,0,-1,0, 0,1,0,0, 1,0,0,0, 0,0,0,1;; }\n"
      " Frame B { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,0,0,1;; }\n"
      "  Frame C { Mesh inner { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } } }\n"
      " Mesh turned { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"
      " Mesh skinned { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
      "  SkinWeights { \"A\"; 1; 0; 1; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } } }\n"
      "Mesh after { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n");
  ASSERT_EQ(meshes.size(), 5u);
  const D3DXMATRIX identity = IdentityMatrix();
  EXPECT_EQ(meshes[0].frameTransform, identity);
  // B's point (1, 0, 0) is (6, 0, 0) in A, which A turns to (0, 0, -6).
  D3DXVECTOR3 point(1, 0, 0), placed;
  D3DXVec3TransformCoord(&placed, &point, &meshes[1].frameTransform);
  EXPECT_NEAR(placed.x, 0.0f, 1e-6f);
  EXPECT_NEAR(placed.z, -6.0f, 1e-6f);
  EXPECT_EQ(meshes[2].frameTransform, D3DXMATRIX(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1));
  EXPECT_EQ(meshes[3].frameTransform, identity);
  EXPECT_EQ(meshes[4].frameTransform, identity);
}

TEST(ReducedShape, AnimationAndTickRateAreSkipped) {
  std::vector<XMesh> meshes = Parse(
      "AnimTicksPerSecond { 24; }\n"
      "AnimationSet walk { Animation { { Hip } AnimationKey { 0; 1; 0;4;1,0,0,0;;; } } }\n"
      "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n");
  ASSERT_EQ(meshes.size(), 1u);
  EXPECT_EQ(meshes[0].faces.size(), 1u);
}

TEST(ReducedShape, RealFilesGiveTheirMeshes) {
  std::vector<XMesh> meshes;
  ASSERT_TRUE(ParseXFile(DataModel("BCN_Epileptic.X"), meshes, kQuiet));
  EXPECT_EQ(meshes.size(), 3u);
  std::vector<XMesh> cube;
  ASSERT_TRUE(ParseXFile(DataModel("kwxport_test_cubewithvcolors.x"), cube, kQuiet));
  ASSERT_EQ(cube.size(), 1u);
  EXPECT_EQ(cube[0].materials.size(), 3u);
  StderrCapture captured;
  EXPECT_FALSE(ParseXFile(DataModel("empty.x"), meshes, kQuiet));
  captured.Take();
}

TEST(ReducedShape, TheRegistryHoldsEachFilesMeshList) {
  ModelFile file(kHeader + "Frame F { Mesh a { 0; 0; } Mesh b { 0; 0; } }\n");
  ASSERT_TRUE(ParseXFile(file.WidePath(), g_ModelRegistry[file.WidePath()], kQuiet));
  const std::vector<XMesh>& meshes = g_ModelRegistry.at(file.WidePath());
  ASSERT_EQ(meshes.size(), 2u);
  EXPECT_EQ(meshes[1].name, L"b");
  g_ModelRegistry.erase(file.WidePath());
}

}  // namespace
}  // namespace xfile_test
