// Placement and posing without a device: world matrices, combined frame
// matrices and bone palettes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ModelTesting.h"
#include "model/Model.h"
#include "support/FrameLookup.h"

namespace {

using namespace modeltest;

TEST(WorldMatrixTest, ScaleRotationAndPositionComposeInThatOrder) {
  Object3D object;
  object.UpdateWorldMatrix();
  ExpectMatrixNear(object.world, Translation(0, 0, 0));

  object.scale = D3DXVECTOR3(2, 2, 2);
  object.position = D3DXVECTOR3(1, 2, 3);
  object.UpdateWorldMatrix();
  EXPECT_EQ(object.world.m[0][0], 2.0f);
  EXPECT_EQ(object.world.m[2][2], 2.0f);
  EXPECT_EQ(object.world.m[3][3], 1.0f);
  ExpectPointNear(D3DXVECTOR3(object.world.m[3][0], object.world.m[3][1], object.world.m[3][2]), 1, 2, 3, 0);

  // Turned about its own origin, then moved: the scale never stretches the
  // position, the rotation never turns it.
  object.scale = D3DXVECTOR3(1, 1, 1);
  object.rotation = RotationY(D3DX_PI / 2);
  object.position = D3DXVECTOR3(5, 0, 0);
  object.UpdateWorldMatrix();
  ExpectPointNear(Transform(D3DXVECTOR3(1, 0, 0), object.world), 5, 0, -1);
  D3DXMATRIX first = object.world;
  object.UpdateWorldMatrix();
  EXPECT_EQ(std::memcmp(&first, &object.world, sizeof first), 0);
}

TEST(PoseTest, CombinedMatricesCarryFramesOutwardOneLevelAtATime) {
  XFileScene scene;
  XFrame& root = AddFrame(scene, L"root", nullptr, Translation(1, 0, 0));
  XFrame& child = AddFrame(scene, L"child", &root, Translation(0, 2, 0));
  AddFrame(scene, L"grandchild", &child, Translation(0, 0, 3));
  XFrame& parent = AddFrame(scene, L"parent", nullptr, Translation(5, 0, 0));
  AddFrame(scene, L"turned", &parent, RotationY(D3DX_PI / 2));

  Model model;
  ASSERT_TRUE(model.Setup(nullptr, &scene));
  model.UpdatePose();
  ExpectMatrixNear(FrameMatrix(model, L"grandchild"), Translation(1, 2, 3));
  ExpectMatrixNear(FrameMatrix(model, L"root"), Translation(1, 0, 0));
  // The child's rotation applies first, then the parent's translation.
  ExpectPointNear(Transform(D3DXVECTOR3(1, 0, 0), FrameMatrix(model, L"turned")), 5, 0, -1);

  std::vector<D3DXMATRIX> first = model.frameMatrices;
  model.UpdatePose();
  ASSERT_EQ(first.size(), model.frameMatrices.size());
  for (std::size_t i = 0; i < first.size(); ++i)
    EXPECT_EQ(std::memcmp(&first[i], &model.frameMatrices[i], sizeof first[i]), 0);
}

TEST(PoseTest, SetupRefusesANullSceneAndKeepsOneEntryPerFrame) {
  Model model;
  EXPECT_FALSE(model.Setup(nullptr, nullptr));
  EXPECT_EQ(model.sceneData, nullptr);
  model.UpdatePose();  // without scene data nothing is posed
  EXPECT_TRUE(model.Draw());

  XFileScene empty;
  ASSERT_TRUE(model.Setup(nullptr, &empty));
  EXPECT_TRUE(model.meshes.empty());
  EXPECT_TRUE(model.frameMatrices.empty());
}

// A skinned mesh of `bones` bones on a chain of frames, each bone's offset
// the inverse of its frame's bind pose.
struct SkinnedChain {
  XFileScene scene;
  explicit SkinnedChain(int bones) {
    XFrame* parent = nullptr;
    D3DXMATRIX combined = Translation(0, 0, 0);
    scene.meshes.emplace_back();
    XMesh& mesh = scene.meshes.back();
    mesh.flags = HasPositions | HasNormals | HasSkin;
    for (int i = 0; i < bones; ++i) {
      std::wstring name = L"bone" + std::to_wstring(i);
      D3DXMATRIX local = Product(RotationY(0.1f * static_cast<float>(i)), Translation(0, 1, 0));
      parent = &AddFrame(scene, name, parent, local);
      combined = Product(local, combined);
      mesh.bones.push_back({name, Inverse(combined)});
    }
  }
};

TEST(PaletteTest, TheBindPoseGivesIdentityMatricesInBoneOrder) {
  SkinnedChain chain(30);
  Model model;
  ASSERT_TRUE(model.Setup(nullptr, &chain.scene));
  ASSERT_EQ(model.meshes[0].palette.size(), 30u);
  EXPECT_EQ(model.meshes[0].palette[29].m[3][3], 0.0f);  // zeros until the first update
  model.UpdatePose();
  model.UpdatePalette(0);
  ASSERT_EQ(model.meshes[0].palette.size(), 30u);
  for (const D3DXMATRIX& matrix : model.meshes[0].palette) ExpectMatrixNear(matrix, Translation(0, 0, 0), 1e-4f);

  // Turning the first bone turns every later one with it.
  FrameNamed(chain.scene, L"bone0").transform = Product(RotationY(D3DX_PI), Translation(0, 1, 0));
  model.UpdatePose();
  model.UpdatePalette(0);
  ExpectPointNear(Transform(D3DXVECTOR3(1, 0, 0), model.meshes[0].palette[29]), -1, 0, 0, 1e-4f);
}

TEST(PaletteTest, ABoneWithoutAFrameKeepsItsVerticesInTheBindPose) {
  SkinnedChain chain(2);
  chain.scene.meshes[0].bones.push_back({L"nowhere", Translation(7, 7, 7)});
  Model model;
  ASSERT_TRUE(model.Setup(nullptr, &chain.scene));
  model.UpdatePose();
  model.UpdatePalette(0);
  ExpectMatrixNear(model.meshes[0].palette[2], Translation(0, 0, 0), 0);
  EXPECT_EQ(model.frameMatrices.size(), chain.scene.frames.size());
  EXPECT_EQ(FramesNamed(chain.scene, L"nowhere"), 0u);
}

TEST(PoseTest, AHierarchyThousandsOfFramesDeepIsPosedToItsLastFrame) {
  // 3,000 nested frames, each carried out by its parent's combined matrix.
  XFileScene scene;
  XFrame* parent = nullptr;
  for (int i = 0; i < 3000; ++i) parent = &AddFrame(scene, L"f" + std::to_wstring(i), parent, Translation(0, 1, 0));
  Model model;
  ASSERT_TRUE(model.Setup(nullptr, &scene));
  model.UpdatePose();
  ExpectMatrixNear(FrameMatrix(model, L"f2999"), Translation(0, 3000, 0), 0);
  ExpectMatrixNear(FrameMatrix(model, L"f0"), Translation(0, 1, 0), 0);
}

// Each combined matrix is its local matrix times the parent's combined
// matrix; grouped that way it equals the product of the locals from the
// frame out to the top, grouped from the left, within float rounding. Turns
// about different axes do not commute, so a product in the wrong order fails.
TEST(PoseTest, CombinedMatricesEqualTheLocalsMultipliedFromTheFrameOut) {
  XFileScene scene;
  XFrame* parent = nullptr;
  std::vector<D3DXMATRIX> locals;
  for (int i = 0; i < 12; ++i) {
    D3DXMATRIX turn;
    D3DXMatrixRotationYawPitchRoll(&turn, 0.3f * static_cast<float>(i), 0.7f - 0.1f * static_cast<float>(i),
                                   0.2f * static_cast<float>(i % 5));
    locals.push_back(Product(turn, Translation(0.5f, 1, -0.25f * static_cast<float>(i))));
    parent = &AddFrame(scene, L"f" + std::to_wstring(i), parent, locals.back());
  }
  Model model;
  ASSERT_TRUE(model.Setup(nullptr, &scene));
  model.UpdatePose();
  for (std::size_t i = 0; i < locals.size(); ++i) {
    D3DXMATRIX expected = locals[i];
    for (std::size_t up = i; up-- > 0;) expected = Product(expected, locals[up]);
    for (int row = 0; row < 4; ++row)
      for (int col = 0; col < 4; ++col) {
        float e = expected.m[row][col], a = model.frameMatrices[i].m[row][col];
        EXPECT_NEAR(a, e, 1e-5f * std::max(1.0f, std::fabs(e))) << "frame " << i << " at " << row << "," << col;
      }
  }
  // A reversed product would put the last frame elsewhere.
  D3DXMATRIX reversed = locals[0];
  for (std::size_t i = 1; i < locals.size(); ++i) reversed = Product(reversed, locals[i]);
  EXPECT_GT(std::fabs(reversed._41 - model.frameMatrices.back()._41) + std::fabs(reversed._43 - model.frameMatrices.back()._43), 0.1f);
}

// Frames that share a name stay apart: the animation and the bone that name
// it take the first, and each frame's mesh is placed by its own matrix.
TEST(PoseTest, AnimationsAndBonesTakeTheFirstFrameOfTheirName) {
  XFileScene scene;
  XFrame& first = AddFrame(scene, L"Black", nullptr, Translation(1, 0, 0));
  XFrame& second = AddFrame(scene, L"Black", nullptr, Translation(2, 0, 0));
  AddAnimation(scene, L"Black", 0).positionKeys[0] = D3DXVECTOR3(0, 7, 0);
  XMesh& mesh = scene.meshes.emplace_back();
  mesh.bones.push_back({L"Black", Translation(0, 0, 0)});
  Model model;
  ASSERT_TRUE(model.Setup(nullptr, &scene));
  model.UpdatePose();
  model.UpdatePalette(0);
  ASSERT_EQ(model.frameMatrices.size(), 2u);
  ExpectMatrixNear(first.transform, Translation(0, 7, 0), 0);
  ExpectMatrixNear(second.transform, Translation(2, 0, 0), 0);
  ExpectMatrixNear(model.frameMatrices[1], Translation(2, 0, 0), 0);
  ExpectMatrixNear(model.meshes[0].palette[0], Translation(0, 7, 0), 0);
}

TEST(PaletteTest, ParentCyclesInHandMadeRecordsDoNotHang) {
  XFileScene scene;
  XFrame& a = AddFrame(scene, L"a", nullptr, Translation(1, 0, 0));
  XFrame& b = AddFrame(scene, L"b", &a, Translation(1, 0, 0));
  a.parent = &b;
  Model model;
  ASSERT_TRUE(model.Setup(nullptr, &scene));
  model.UpdatePose();
  EXPECT_EQ(model.frameMatrices.size(), 2u);
}

}  // namespace
