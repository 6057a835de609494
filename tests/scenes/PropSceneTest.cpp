// The static viewer's scene: every mesh of a file is shown, placed by its
// frames, its streams following its content, and W walks the whole.
#include <fstream>

#include "SceneControls.h"
#include "SceneFixture.h"
#include "propviewer/WindowEx.h"
#include "support/LayerTestSupport.h"

namespace {

class PropSceneTest : public SceneFixture<WindowEx> {
 protected:
  PropSceneTest() : SceneFixture({L"propviewer", false, 1.0f}) {}
};

// Two meshes: a triangle with normals but no texture coordinates, then a
// square of two subsets.
const char* kTwoMeshes =
    "xof 0303txt 0032\n"
    "Mesh First { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;\n"
    " MeshNormals { 1; 0;0;-1;; 1; 3;0,0,0;; } }\n"
    "Mesh Second { 4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;; 2; 3;0,1,2;, 3;0,2,3;;\n"
    " MeshMaterialList { 2; 2; 0, 1;;\n"
    "  Material { 1;0;0;1;; 1; 0;0;0;; 0;0;0;; }\n"
    "  Material { 0;1;0;1;; 1; 0;0;0;; 0;0;0;; } } }\n";

TEST_F(PropSceneTest, EveryMeshIsShownWithTheStreamsItsContentAsksFor) {
  std::filesystem::path file = std::filesystem::temp_directory_path() / ("two-" + std::to_string(getpid()) + ".x");
  std::ofstream(file) << kTwoMeshes;
  WindowEx& scene = Start(file.wstring());
  const std::vector<XMesh>* meshes = FindModel();
  ASSERT_NE(meshes, nullptr);
  ASSERT_EQ(meshes->size(), 2u);
  ASSERT_EQ(scene.meshes.size(), 2u);
  EXPECT_EQ(scene.meshes[0].record, &meshes->front());
  EXPECT_EQ(scene.meshes[1].record, &meshes->back());
  EXPECT_EQ(scene.meshes[0].flags, 0x01u);
  EXPECT_EQ(scene.meshes[0].strides, (std::vector<std::uint32_t>{24}));

  compat::testing::StartTrace();
  Frames(1);
  std::vector<std::string> trace = compat::testing::StopTrace();
  // One draw for the triangle, one per subset of the square.
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& line) { return line.rfind("DrawIndexedPrimitive", 0) == 0; }),
            3);
  std::filesystem::remove(file);
}

// Four meshes in nested, turned frames under a root frame that stands the
// model up, as exporters of Z-up tools write it.
TEST_F(PropSceneTest, MeshesInNestedTurnedFramesStandWhereTheirFramesPutThem) {
  WindowEx& scene = Start(FromUtf8(std::string(XVIEW_TEST_DATA) + "/props/lamp-post.x"));
  ASSERT_EQ(scene.meshes.size(), 4u);
  HoldKey(SDL_SCANCODE_D, 3);  // the whole walks, and turns to face +X
  // Where a point of each mesh lands in the world and on the screen.
  auto placed = [&](std::size_t mesh, D3DXVECTOR3 point) {
    D3DXVec3TransformCoord(&point, &point, &scene.meshes[mesh].frameMatrix);
    return point;
  };
  auto colour = [&](const D3DXVECTOR3& world) {
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &scene.camera.view, &scene.camera.projection);
    D3DXVECTOR3 clip;
    D3DXVec3TransformCoord(&clip, &world, &viewProjection);
    test_support::Pixels pixels = test_support::ReadBackBuffer(scene.direct3d9.device);
    const UINT x = static_cast<UINT>((clip.x + 1) * 0.5f * pixels.width);
    const UINT y = static_cast<UINT>((1 - clip.y) * 0.5f * pixels.height);
    return pixels.At(x, y);
  };
  auto dominant = [](std::uint32_t argb) {
    const int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return r > g + 40 && r > b + 40 ? 'r' : g > r + 40 && g > b + 40 ? 'g' : b > r + 40 && b > g + 40 ? 'b'
                                                                                       : r > 100 ? 'w' : 'k';
  };
  const D3DXVECTOR3 at = scene.prop.position;
  // The post stands upright: its top, 30 up in its file's Z, is 30 above the floor.
  const D3DXVECTOR3 top = placed(1, D3DXVECTOR3(0, 0, 30));
  EXPECT_NEAR(top.x - at.x, 0.0f, 1e-4f);
  EXPECT_NEAR(top.y, 30.0f, 1e-4f);
  // The arm's end is 12 from the post and 25 up; facing +X, the model's -X
  // reaches towards the camera's -Z.
  const D3DXVECTOR3 end = placed(2, D3DXVECTOR3(0, 12, 0));
  EXPECT_NEAR(end.y, 25.0f, 1e-4f);
  EXPECT_NEAR(end.z - at.z, -12.0f, 1e-4f);
  const D3DXVECTOR3 lamp = placed(3, D3DXVECTOR3(0, 0, -3));
  EXPECT_NEAR(lamp.y, 22.0f, 1e-4f);
  EXPECT_NEAR(lamp.z - at.z, -12.0f, 1e-4f);
  EXPECT_EQ(dominant(colour(placed(1, D3DXVECTOR3(0, -1, 15)))), 'w');  // the post's front, halfway up
  EXPECT_EQ(dominant(colour(placed(3, D3DXVECTOR3(0, -2, -3)))), 'g');  // the lamp's front
  EXPECT_EQ(dominant(colour(placed(2, D3DXVECTOR3(0, 6, -0.75f)))), 'r');  // the arm, from below
  EXPECT_EQ(dominant(colour(placed(0, D3DXVECTOR3(4, 4, 1)))), 'b');  // the base's top, beside the post

  // Framing takes the whole: the lamp's corner far out on the arm comes into view too.
  TapKey(SDL_SCANCODE_F);
  WorldBounds whole;
  for (std::size_t i = 0; i < scene.meshes.size(); ++i)
    AddMeshBounds(scene.meshes[i], scene.meshes[i].frameMatrix, whole);
  EXPECT_NEAR(whole.max.y, 30.0f, 1e-4f);
  EXPECT_NEAR(whole.min.z - at.z, -14.0f, 1e-4f);
  scene_controls::ExpectInView(whole, scene.camera);
}

TEST_F(PropSceneTest, HoldingWWalksTheModelAtItsOwnSize) {
  WindowEx& scene = Start(L"squarepolygon.x");
  HoldKey(SDL_SCANCODE_W, 6);
  ExpectWalkedForward(scene.prop.position, 5.0f);
  EXPECT_NEAR(scene.prop.rotation._11, -1.0f, 1e-6f);
  EXPECT_EQ(scene.prop.scale, D3DXVECTOR3(1, 1, 1));
}

}  // namespace
