// The world box of a drawn model: skinned vertices as the skin shader places
// them, and large meshes by the box of their bind pose.
#include <gtest/gtest.h>

#include "ModelTesting.h"
#include "model/ModelBounds.h"

namespace {

using namespace modeltest;

TEST(ModelBoundsTest, SkinnedVerticesFollowTheirBonesAndUnweightedOnesStay) {
  XFileScene scene;
  AddFrame(scene, L"Bone", nullptr, Translation(0, 0, 0));
  XAnimation& moving = AddAnimation(scene, L"Bone", 10);
  moving.positionKeys[0] = D3DXVECTOR3(0, 0, 0);
  moving.positionKeys[10] = D3DXVECTOR3(10, 0, 0);
  XMesh& mesh = scene.meshes.emplace_back();
  mesh.flags = HasPositions | HasSkin;
  mesh.bones.push_back({L"Bone", Translation(0, 0, 0)});
  XVertex weighted, half, free;
  weighted.position = D3DXVECTOR3(1, 0, 0);
  weighted.influences = {{1.0f, 0}};
  half.position = D3DXVECTOR3(0, 0, 2);
  half.influences = {{0.5f, 0}};  // weights as the file gives them, not renormalised
  free.position = D3DXVECTOR3(0, 1, 0);
  mesh.vertices = {weighted, half, free};

  Model model;
  ASSERT_TRUE(model.Setup(nullptr, &scene));
  model.scale = D3DXVECTOR3(2, 2, 2);
  model.animationTick = 5.0;
  WorldBounds bounds = PosedModelBounds(model);
  ASSERT_FALSE(bounds.empty);
  EXPECT_EQ(bounds.bindPoseMeshes, 0u);
  ExpectPointNear(bounds.max, 12, 2, 2);  // (1 + 5) x 2, the free vertex's 1 x 2, half of 2 x 2
  ExpectPointNear(bounds.min, 0, 0, 0);
}

TEST(ModelBoundsTest, MeshesOverTheLimitAreBoundedByTheirBindPoseBox) {
  XMesh large = FanMesh(kPosedBoundsVertexLimit - 1);  // one vertex over the limit
  Mesh mesh;
  mesh.record = &large;
  WorldBounds bounds;
  AddMeshBounds(mesh, Translation(0, 0, 10), bounds);
  EXPECT_EQ(bounds.bindPoseMeshes, 1u);
  ExpectPointNear(bounds.min, -1, 0, 10);
  ExpectPointNear(bounds.max, 1, 1, 10);

  XMesh atLimit = FanMesh(kPosedBoundsVertexLimit - 2);
  mesh.record = &atLimit;
  WorldBounds exact;
  AddMeshBounds(mesh, Translation(0, 0, 0), exact);
  EXPECT_EQ(exact.bindPoseMeshes, 0u);
  EXPECT_FALSE(exact.empty);
}

TEST(ModelBoundsTest, NothingToBoundIsEmpty) {
  Model model;
  EXPECT_TRUE(PosedModelBounds(model).empty);
  WorldBounds bounds;
  bounds.Add(D3DXVECTOR3(std::nanf(""), 0, 0));  // a broken vertex does not poison the box
  EXPECT_TRUE(bounds.empty);
  EXPECT_EQ(bounds.Radius(), 0.0f);
}

}  // namespace
