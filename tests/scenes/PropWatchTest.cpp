// --watch in the static viewer: the model file and its texture rewritten on
// disk under the running scene, as a modelling tool exports them, and files
// caught half written.
#include <fstream>

#include "SceneFixture.h"
#include "propviewer/WindowEx.h"
#include "support/ImageFiles.h"
#include "support/LayerTestSupport.h"
#include "support/StderrCapture.h"

namespace {

namespace fs = std::filesystem;

// A square facing the camera, covering the point it looks at, in one colour
// or with `texture`.
std::string Square(float r, float g, float b, const char* texture = nullptr) {
  std::string text =
      "xof 0303txt 0032\n"
      "Mesh { 4; -20;0;0;, -20;40;0;, 20;40;0;, 20;0;0;; 2; 3;0,1,2;, 3;0,2,3;;\n"
      " MeshNormals { 1; 0;0;-1;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
      " MeshTextureCoords { 4; 0;1;, 0;0;, 1;0;, 1;1;; }\n"
      " MeshMaterialList { 1; 2; 0, 0;;\n  Material { " +
      std::to_string(r) + ";" + std::to_string(g) + ";" + std::to_string(b) + ";1;; 1; 0;0;0;; 0;0;0;;";
  if (texture) text += std::string(" TextureFilename { \"") + texture + "\"; }";
  return text + " } } }\n";
}

// Each write a second later than the last: the file system's clock may not
// move between two quick writes of the same size.
void WriteFile(const fs::path& file, const std::string& bytes) {
  static int writes = 0;
  std::ofstream(file, std::ios::binary) << bytes;
  fs::last_write_time(file, fs::file_time_type::clock::now() + std::chrono::seconds(++writes));
}

void WritePng(const fs::path& file, testimages::Rgba colour) {
  const std::vector<std::uint8_t> png = testimages::Png(4, 4, std::vector<testimages::Rgba>(16, colour));
  WriteFile(file, std::string(png.begin(), png.end()));
}

class PropWatchTest : public SceneFixture<WindowEx> {
 protected:
  PropWatchTest() : SceneFixture({L"propviewer", false, 1.0f}) {
    fs::create_directories(folder_);
    UseFrameTime(0.1);
  }
  ~PropWatchTest() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // The colour at the centre of the picture, where the camera looks.
  std::uint32_t Centre() {
    test_support::Pixels pixels = test_support::ReadBackBuffer(scene_->direct3d9.device);
    return pixels.At(pixels.width / 2, pixels.height / 2) & 0xFFFFFF;
  }

  fs::path folder_ = fs::temp_directory_path() / ("prop-watch-" + std::to_string(getpid()));
};

TEST_F(PropWatchTest, ARewrittenModelIsShownAgainWithTheViewKept) {
  const fs::path model = folder_ / "square.x";
  WriteFile(model, Square(1, 0, 0));
  Options({"--watch"});
  WindowEx& scene = Start(model.wstring());
  HoldKey(SDL_SCANCODE_S, 2);  // walked a little towards the camera, still facing it
  scripted_input::Button(SDL_BUTTON_RIGHT, true);
  scripted_input::Motion(5, 0);  // the camera turned a little
  Frames(1);
  scripted_input::Button(SDL_BUTTON_RIGHT, false);
  Frames(1);
  const D3DXVECTOR3 position = scene.prop.position, eye = scene.camera.eye;
  EXPECT_GT(Centre() & 0xFF0000, 0x800000u);  // red
  EXPECT_EQ(Centre() & 0x00FFFF, 0u);

  WriteFile(model, Square(0, 1, 0));
  StderrCapture said;
  Frames(11);  // a check sees the change, the next that it held still
  EXPECT_EQ(said.Take(), "propviewer: \"" + model.string() + "\" changed on disk and is shown again\n");
  EXPECT_EQ(scene.prop.position, position);
  EXPECT_EQ(scene.camera.eye, eye);
  const std::uint32_t green = Centre();
  EXPECT_GT((green >> 8) & 0xFF, 0x80u);
  EXPECT_EQ(green & 0xFF00FF, 0u);
  const std::string title = SDL_GetWindowTitle(compat::testing::SdlWindowOf(scene.GetHandle()));
  EXPECT_NE(title.find("propviewer - square.x - watching - "), std::string::npos) << title;
}

TEST_F(PropWatchTest, AFileCaughtHalfWrittenKeepsTheModelAndIsSaidOnceThenTheNextChangeIsTried) {
  const fs::path model = folder_ / "square.x";
  WriteFile(model, Square(1, 0, 0));
  Options({"--watch"});
  WindowEx& scene = Start(model.wstring());
  const XMesh* shown = scene.meshes.at(0).record;
  const std::string whole = Square(0, 0, 1);
  WriteFile(model, whole.substr(0, whole.size() / 2));
  StderrCapture errors;
  Frames(30);
  const std::string said = errors.Take();
  const std::string expected = "changed on disk but is not shown: it ends inside a record";
  ASSERT_NE(said.find(expected), std::string::npos) << said;
  EXPECT_EQ(said.find(expected), said.rfind(expected)) << said;  // once, however long it stays so
  EXPECT_EQ(scene.meshes.at(0).record, shown);
  Frames(1);
  EXPECT_GT(Centre() & 0xFF0000, 0x800000u);  // still red

  WriteFile(model, "");  // emptied by the next export before it writes
  errors.Start();
  Frames(11);
  EXPECT_NE(errors.Take().find("is empty, not an X file"), std::string::npos);
  EXPECT_EQ(scene.meshes.at(0).record, shown);

  WriteFile(model, whole);
  Frames(11);
  EXPECT_NE(scene.meshes.at(0).record, shown);
  EXPECT_GT(Centre() & 0xFF, 0x80u);  // blue
}

TEST_F(PropWatchTest, ARewrittenTextureIsShownAgainAndABrokenOneKeepsTheOld) {
  const fs::path model = folder_ / "square.x";
  WriteFile(model, Square(1, 1, 1, "skin.png"));
  WritePng(folder_ / "skin.png", {255, 0, 0, 255});
  Options({"--watch"});
  WindowEx& scene = Start(model.wstring());
  const XMesh* shown = scene.meshes.at(0).record;
  Frames(1);
  EXPECT_GT(Centre() & 0xFF0000, 0x800000u);

  WritePng(folder_ / "skin.png", {0, 0, 255, 255});
  Frames(11);
  EXPECT_EQ(scene.meshes.at(0).record, shown);  // the model itself was not read again
  EXPECT_GT(Centre() & 0xFF, 0x80u);
  EXPECT_EQ(Centre() & 0xFF0000, 0u);

  WriteFile(folder_ / "skin.png", "\x89PNG\r\n");  // cut short
  StderrCapture errors;
  Frames(11);
  const std::string said = errors.Take();
  EXPECT_NE(said.find("skin.png\" changed on disk but is not shown: it is not an image that can be read"),
            std::string::npos)
      << said;
  EXPECT_GT(Centre() & 0xFF, 0x80u);  // the blue texture stays
}

TEST_F(PropWatchTest, ChecksAreAtMostTwoASecond) {
  const fs::path model = folder_ / "square.x";
  WriteFile(model, Square(1, 0, 0));
  Options({"--watch"});
  WindowEx& scene = Start(model.wstring());
  UseFrameTime(0.125);  // the clock starts again
  const XMesh* shown = scene.meshes.at(0).record;
  WriteFile(model, Square(0, 1, 0));
  Frames(7);  // 0.875 s: the check at 0.5 s has seen the change, none yet that it held still
  EXPECT_EQ(scene.meshes.at(0).record, shown);
  Frames(1);  // the check at 1 s
  EXPECT_NE(scene.meshes.at(0).record, shown);
}

}  // namespace
