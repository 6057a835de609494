// The static viewer's keys and dropped files: framing, the title, and a
// dropped model in place of the shown one.
#include <stb_image.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include "SceneControls.h"
#include "SceneFixture.h"
#include "compat/testing_draw.h"
#include "propviewer/WindowEx.h"
#include "render/NormalDrawing.h"
#include "support/StderrCapture.h"

namespace {

using namespace scene_controls;

class PropControlsTest : public SceneFixture<WindowEx> {
 protected:
  PropControlsTest() : SceneFixture({L"propviewer", false, 1.0f}) {}
};

// The world box of every mesh as the scene places it now.
WorldBounds Bounds(WindowEx& scene) {
  WorldBounds bounds;
  scene.prop.UpdateWorldMatrix();
  for (std::size_t i = 0; i < scene.meshes.size(); ++i)
    AddMeshBounds(scene.meshes[i], scene.MeshWorldMatrix(i), bounds);
  return bounds;
}

TEST_F(PropControlsTest, FramingFollowsTheModelWhereverItWalked) {
  WindowEx& scene = Start(L"squarepolygon.x");
  HoldKey(SDL_SCANCODE_D, 40);  // off to the side, partly out of the start view
  TapKey(SDL_SCANCODE_F);
  ExpectInView(Bounds(scene), scene.camera);
  D3DXVECTOR3 centre = Bounds(scene).Centre();
  EXPECT_NEAR(scene.camera.lookAt.x, centre.x, 1e-3f);
  EXPECT_NEAR(scene.camera.lookAt.y, centre.y, 1e-3f);
}

TEST_F(PropControlsTest, WireframeShowsTheSquareAsLinesWithTheFloorBehindIt) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / ("wire-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  Start(L"squarepolygon.x");
  TapKey(SDL_SCANCODE_F);
  auto shot = [&](const char* name) {
    std::filesystem::current_path(folder);
    TapKey(SDL_SCANCODE_F12);
    std::filesystem::current_path(previous_);
    std::filesystem::rename(folder / "propviewer-0001.png", folder / name);
    int width = 0, height = 0, channels = 0;
    unsigned char* rgb = stbi_load((folder / name).string().c_str(), &width, &height, &channels, 3);
    EXPECT_NE(rgb, nullptr);
    // Inside the framed square, off its diagonal, the axes and the grid.
    const unsigned char* p = rgb ? rgb + (200 * width + 250) * 3 : nullptr;
    int sum = p ? p[0] + p[1] + p[2] : -1;
    stbi_image_free(rgb);
    return sum;
  };
  EXPECT_GT(shot("solid.png"), 100);  // the texture
  TapKey(SDL_SCANCODE_X);
  EXPECT_EQ(shot("wire.png"), 0);     // the black background through the square
  std::filesystem::remove_all(folder);
}

TEST_F(PropControlsTest, NormalsRunFromEachCornerAlongItsNormalAShareOfTheModelLong) {
  WindowEx& scene = Start(L"squarepolygon.x");
  EXPECT_FALSE(scene.normals);
  TapKey(SDL_SCANCODE_N);
  ASSERT_TRUE(scene.normals);
  const std::vector<std::uint8_t> data = compat::testing::LastUserPrimitiveData();
  ASSERT_EQ(data.size(), 8 * sizeof(ColorVertex));
  ColorVertex lines[8];
  std::memcpy(lines, data.data(), data.size());
  // The square is 20 by 20 and faces -Z: each line is 2 % of its diagonal.
  const float length = 0.02f * std::sqrt(800.0f);
  EXPECT_EQ(lines[0].x, -10.0f);
  EXPECT_EQ(lines[0].y, 0.0f);
  EXPECT_EQ(lines[0].z, 0.0f);
  EXPECT_EQ(lines[1].x, -10.0f);
  EXPECT_NEAR(lines[1].z, -length, 1e-5f);
  EXPECT_EQ(lines[1].color, kNormalColor);
}

TEST_F(PropControlsTest, ISaysWhatTheStaticModelHoldsAsXfileinfoSummaryDoes) {
  const std::string file = std::string(XVIEW_TEST_DATA) + "/summary/character.x";
  Start(FromUtf8(file));
  const std::string text = SaidForTap(SDL_SCANCODE_I);
  EXPECT_NE(text.find("textures: 1 found, 1 missing\n"), std::string::npos) << text;
  EXPECT_EQ(text, ToolOutput(std::string(XVIEW_XFILEINFO) + " --summary --reduced " + file));
}

class TinyPropTest : public SceneFixture<WindowEx> {
 protected:
  TinyPropTest() : SceneFixture({L"propviewer", false, 0.0001f}) {}
};

TEST_F(TinyPropTest, FramingATinyModelBringsTheNearPlaneIn) {
  WindowEx& scene = Start(L"squarepolygon.x");
  TapKey(SDL_SCANCODE_F);
  EXPECT_LT(scene.nearPlane, 0.1f);
  EXPECT_EQ(scene.farPlane, 1000.0f);
  ExpectInView(Bounds(scene), scene.camera);
}

TEST_F(PropControlsTest, TheTitleNamesTheProgramTheFileAndTheFrameRate) {
  UseFrameTime(0.05);
  WindowEx& scene = Start(L"squarepolygon.x");
  Frames(5);
  EXPECT_STREQ(SDL_GetWindowTitle(compat::testing::SdlWindowOf(scene.GetHandle())),
               "propviewer - squarepolygon.x - 20.0 fps");
}

TEST_F(PropControlsTest, ADroppedModelIsShownAndTheOldOneReleased) {
  WindowEx& scene = Start(L"squarepolygon.x");
  const long before = compat::testing::LiveObjectCount();
  std::filesystem::path file = std::filesystem::temp_directory_path() / ("tri-" + std::to_string(getpid()) + ".x");
  std::ofstream(file) << "xof 0303txt 0032\nMesh T { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;\n"
                         " MeshNormals { 1; 0;0;-1;; 1; 3;0,0,0;; } }\n";
  DropFiles(scene.GetHandle(), {file.string()});
  ASSERT_NE(scene.meshes.at(0).record, nullptr);
  EXPECT_EQ(scene.meshes.at(0).record->vertices.size(), 3u);
  EXPECT_EQ(g_ModelRegistry.size(), 1u);
  // The texture of the square went with it; the triangle has none.
  EXPECT_TRUE(g_TextureMap.empty());
  EXPECT_LT(compat::testing::LiveObjectCount(), before);
  Frames(2);
  std::filesystem::remove(file);
}

TEST_F(PropControlsTest, AWindowThatDoesNotTakeFilesGetsNoDrop) {
  WindowEx& scene = Start(L"squarepolygon.x");
  DragAcceptFiles(scene.GetHandle(), FALSE);
  const XMesh* shown = scene.meshes.at(0).record;
  DropFiles(scene.GetHandle(), {(std::filesystem::path(XVIEW_SOURCE_DIR) / "assets" / "miko.x").string()});
  EXPECT_EQ(scene.meshes.at(0).record, shown);
  EXPECT_EQ(g_ModelRegistry.size(), 1u);
}

TEST_F(PropControlsTest, OneDropIsOneMessageWithEveryFile) {
  WindowEx& scene = Start(L"squarepolygon.x");
  PushDrop(scene.GetHandle(), {"/tmp/a.x", "/tmp/longer name.x"});
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, scene.GetHandle(), WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(&msg, scene.GetHandle(), WM_DROPFILES, WM_DROPFILES, PM_NOREMOVE) &&
               msg.message == WM_DROPFILES);
  HDROP drop = reinterpret_cast<HDROP>(msg.wParam);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  EXPECT_EQ(DragQueryFileW(drop, 1, nullptr, 0), 18u);
  wchar_t cut[6];
  EXPECT_EQ(DragQueryFileW(drop, 1, cut, 6), 18u);  // the full length, the name cut to fit
  EXPECT_STREQ(cut, L"/tmp/");
  EXPECT_EQ(DragQueryFileW(drop, 2, cut, 6), 0u);
  DragFinish(drop);
  // A finished drop, or a handle the layer never gave out, answers nothing.
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 0u);
  EXPECT_EQ(DragQueryFileW(reinterpret_cast<HDROP>(&msg), 0xFFFFFFFF, nullptr, 0), 0u);
}

}  // namespace
