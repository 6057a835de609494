// The static viewer's scene: only the first mesh of a file is shown, its
// streams follow its content, and W walks it.
#include <fstream>

#include "SceneFixture.h"
#include "propviewer/WindowEx.h"

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

TEST_F(PropSceneTest, OnlyTheFirstMeshIsShownWithTheStreamsItsContentAsksFor) {
  std::filesystem::path file = std::filesystem::temp_directory_path() / ("two-" + std::to_string(getpid()) + ".x");
  std::ofstream(file) << kTwoMeshes;
  WindowEx& scene = Start(file.wstring());
  const std::vector<XMesh>* meshes = FindModel();
  ASSERT_NE(meshes, nullptr);
  ASSERT_EQ(meshes->size(), 2u);
  EXPECT_EQ(scene.mesh.record, &meshes->front());
  EXPECT_EQ(scene.mesh.flags, 0x01u);
  EXPECT_EQ(scene.mesh.strides, (std::vector<std::uint32_t>{24}));

  compat::testing::StartTrace();
  Frames(1);
  std::vector<std::string> trace = compat::testing::StopTrace();
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                          [](const std::string& line) { return line.rfind("DrawIndexedPrimitive", 0) == 0; }),
            1);
  std::filesystem::remove(file);
}

TEST_F(PropSceneTest, HoldingWWalksTheModelAtItsOwnSize) {
  WindowEx& scene = Start(L"squarepolygon.x");
  HoldKey(SDL_SCANCODE_W, 6);
  ExpectWalkedForward(scene.mesh.position, 5.0f);
  EXPECT_NEAR(scene.mesh.rotation._11, -1.0f, 1e-6f);
  EXPECT_EQ(scene.mesh.scale, D3DXVECTOR3(1, 1, 1));
}

}  // namespace
