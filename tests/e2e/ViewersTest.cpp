// What a user sees of the two viewers, run as programs, headless: the
// character where it stands, its animation, the console's text, any model
// from any folder, and the options.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>
#include <unistd.h>

#include <windows.h>
#include <d3dx9.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramRun.h"

namespace {

namespace fs = std::filesystem;

// Runs a viewer from `folder` (the shipped assets when empty), headless, and
// checks that the layer released everything by the end.
e2e::Outcome RunViewer(const std::string& program, std::vector<std::string> arguments, const fs::path& folder = {}) {
  e2e::Launch launch;
  launch.program = program;
  launch.arguments = std::move(arguments);
  launch.folder = folder.string();
  launch.set = {{"SDL_VIDEODRIVER", "offscreen"}};
  e2e::Outcome run = e2e::Run(launch);
  EXPECT_TRUE(e2e::ReleasedEverything(run)) << run.output;
  return run;
}

struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
  std::array<int, 3> At(int x, int y) const {
    const unsigned char* p = &rgb[static_cast<std::size_t>(y * width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

Image Load(const fs::path& file) {
  Image image;
  int channels = 0;
  unsigned char* data = stbi_load(file.string().c_str(), &image.width, &image.height, &channels, 3);
  if (!data) return image;
  image.rgb.assign(data, data + image.width * image.height * 3);
  stbi_image_free(data);
  return image;
}

class ViewersTest : public ::testing::Test {
 protected:
  ~ViewersTest() override { fs::remove_all(scratch_); }

  // A screenshot of `frames` frames of `program`, from `folder`.
  Image Shot(const std::string& program, int frames, std::vector<std::string> arguments = {},
             const fs::path& folder = {}) {
    fs::path file = scratch_ / (program + "-" + std::to_string(frames) + ".png");
    arguments.insert(arguments.end(), {"--frames", std::to_string(frames), "--screenshot", file.string()});
    e2e::Outcome run = RunViewer(program, arguments, folder);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    Image image = Load(file);
    EXPECT_EQ(image.width, 656) << run.output;
    return image;
  }

  fs::path scratch_ = [] {
    fs::path folder = fs::temp_directory_path() / ("viewers-" + std::to_string(getpid()));
    fs::create_directories(folder);
    return folder;
  }();
};

// Where the viewers' camera shows a world point on the 656 x 519 back buffer.
std::array<int, 2> Project(float x, float y, float z) {
  D3DXMATRIX view, projection, both;
  D3DXVECTOR3 eye(0, 30, -100), at(0, 5, 0), up(0, 1, 0), point(x, y, z), out;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 0.7853981852531433f, 656.0f / 519.0f, 0.1f, 1000.0f);
  D3DXMatrixMultiply(&both, &view, &projection);
  D3DXVec3TransformCoord(&out, &point, &both);
  return {static_cast<int>((out.x + 1) * 0.5f * 656), static_cast<int>((1 - out.y) * 0.5f * 519)};
}

bool Red(const std::array<int, 3>& p) { return p[0] > 90 && p[0] > p[1] + 50 && p[0] > p[2] + 50; }
bool White(const std::array<int, 3>& p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; }

// Pixels in the box of world x -5..5, y 0..18 around the origin that `test` accepts.
template <class Test>
int CountAroundTheOrigin(const Image& image, Test test) {
  std::array<int, 2> low = Project(-5, 0, 0), high = Project(5, 18, 0);
  int count = 0;
  for (int y = high[1]; y <= low[1]; ++y)
    for (int x = low[0]; x <= high[0]; ++x) count += test(image.At(x, y));
  return count;
}

// True when a pixel within one of (x, y) passes `test`: lines are one pixel wide.
template <class Test>
bool Near(const Image& image, std::array<int, 2> at, Test test) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (test(image.At(at[0] + dx, at[1] + dy))) return true;
  return false;
}

TEST_F(ViewersTest, TheCharacterStandsTexturedAmidTheGridAndAxesAndMoves) {
  Image first = Shot("actorviewer", 1);
  ASSERT_FALSE(first.rgb.empty());
  // The red of the character's texture where it stands, the grid's corner
  // lines and the red X axis around it.
  EXPECT_GT(CountAroundTheOrigin(first, Red), 40);
  EXPECT_TRUE(Near(first, Project(-50, 0, -50), White));
  EXPECT_TRUE(Near(first, Project(50, 0, 50), White));
  EXPECT_TRUE(Near(first, Project(20, 0, 0), Red));
  EXPECT_EQ(first.At(10, 10), (std::array<int, 3>{0, 0, 0}));  // the background

  Image later = Shot("actorviewer", 20);
  int changed = 0;
  for (std::size_t i = 0; i < first.rgb.size(); ++i) changed += first.rgb[i] != later.rgb[i];
  EXPECT_GT(changed, 100) << "the character has the same pose after 20 frames";
  EXPECT_TRUE(Near(later, Project(-50, 0, -50), White));
}

TEST_F(ViewersTest, ThePropsConsoleShowsTheModelFilesText) {
  // Without a terminal the console writes where standard output went.
  e2e::Outcome run = RunViewer("propviewer", {"--frames", "1"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::ifstream model(fs::path(XVIEW_SOURCE_DIR) / "assets" / "squarepolygon.x", std::ios::binary);
  // What the reader takes: the file in text mode, without its comments.
  std::string text;
  for (bool comment = false; model;) {
    int c = model.get();
    if (c == EOF || c == '\r') continue;
    if (c == '\n') comment = false;
    if (c == '/' && model.peek() == '/') comment = true;
    if (!comment) text += static_cast<char>(c);
  }
  ASSERT_GT(text.size(), 100u);
  EXPECT_EQ(run.output.substr(0, text.size()), text);
}

TEST_F(ViewersTest, EveryModelOfOtherToolsRunsInBothViewers) {
  fs::path models = fs::exists(XVIEW_SHARED_MODELS) ? fs::path(XVIEW_SHARED_MODELS)
                                                     : fs::path(XVIEW_TEST_DATA) / "models";
  int files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(models)) {
    for (const char* program : {"actorviewer", "propviewer"}) {
      e2e::Outcome run = RunViewer(program, {"--frames", "3", entry.path().string()}, scratch_);
      EXPECT_EQ(run.exitCode, 0) << program << " " << entry.path() << "\n" << run.output;
    }
    ++files;
  }
  EXPECT_GE(files, 10);
}

// A mesh with more bones than the skinning effect's palette holds is drawn
// whole in its bind pose, and the program says so once, not every frame.
TEST_F(ViewersTest, AMeshWithMoreBonesThanThePaletteIsNamedOnce) {
  fs::path model = fs::path(XVIEW_TEST_DATA) / "models" / "bones300.x";
  e2e::Outcome run = RunViewer("actorviewer", {"--frames", "5", model.string()}, scratch_);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::string line =
      "mesh \"crowd\": 300 bones are more than the 256 the palette of skinmesh.cfx holds; it is drawn "
      "unskinned in its bind pose\n";
  std::size_t first = run.output.find(line);
  ASSERT_NE(first, std::string::npos) << run.output;
  EXPECT_EQ(run.output.find(line, first + 1), std::string::npos) << run.output;
}

TEST_F(ViewersTest, AModelFromAnotherMachineFindsItsTextureBesideIt) {
  std::vector<unsigned char> green(4 * 4 * 3);
  for (std::size_t i = 1; i < green.size(); i += 3) green[i] = 255;
  stbi_write_png((scratch_ / "Wall.png").string().c_str(), 4, 4, 3, green.data(), 12);
  std::ofstream(scratch_ / "wall.x") << "xof 0303txt 0032\n"
                                        "Mesh Wall { 4; -10;0;0;, -10;20;0;, 10;20;0;, 10;0;0;; 1; 4;0,1,2,3;;\n"
                                        " MeshNormals { 1; 0;0;-1;; 1; 4;0,0,0,0;; }\n"
                                        " MeshTextureCoords { 4; 0;1;, 0;0;, 1;0;, 1;1;; }\n"
                                        " MeshMaterialList { 1; 1; 0;;\n"
                                        "  Material { 1;1;1;1;; 1; 0;0;0;; 0;0;0;;\n"
                                        "   TextureFilename { \"C:\\\\Users\\\\author\\\\textures\\\\wall.png\"; } } } }\n";
  fs::path shot = scratch_ / "wall.png.shot.png";
  e2e::Outcome run = RunViewer("propviewer", {"--frames", "1", "--screenshot", shot.string(), "wall.x"}, scratch_);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.find("cannot be loaded"), std::string::npos) << run.output;
  Image image = Load(shot);
  std::array<int, 3> middle = image.At(Project(0, 10, 0)[0], Project(0, 10, 0)[1]);
  EXPECT_GT(middle[1], 100);
  EXPECT_LT(middle[0], 40);
}

TEST_F(ViewersTest, FromAnyFolderTheViewersFindTheirOwnFiles) {
  Image image = Shot("actorviewer", 1, {}, scratch_);
  ASSERT_FALSE(image.rgb.empty());
  EXPECT_GT(CountAroundTheOrigin(image, Red), 40);
}

TEST_F(ViewersTest, OptionsAndTheirMistakes) {
  e2e::Outcome second = RunViewer("actorviewer", {"--frames", "1", "--set", "1"});
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(second.output.find("set"), std::string::npos) << second.output;
  e2e::Outcome missing = RunViewer("actorviewer", {"--frames", "1", "--set", "9"});
  EXPECT_EQ(missing.exitCode, 0);
  EXPECT_NE(missing.output.find("set 9 does not exist, so set 0 plays"), std::string::npos) << missing.output;

  Image large = Shot("actorviewer", 1, {"--scale", "20"});
  EXPECT_GT(CountAroundTheOrigin(large, Red), 0);
  std::array<int, 2> head = Project(0, 30, 0);  // above a character of normal size
  EXPECT_NE(large.At(head[0], head[1]), (std::array<int, 3>{0, 0, 0}));

  const std::vector<std::pair<std::string, std::vector<std::string>>> mistakes = {
      {"actorviewer", {"--scale", "0"}}, {"actorviewer", {"--set", "-1"}}, {"propviewer", {"--set", "1"}},
      {"propviewer", {"a.x", "b.x"}},    {"actorviewer", {"--scale"}}};
  for (const auto& [program, arguments] : mistakes) {
    e2e::Outcome run = RunViewer(program, arguments);
    EXPECT_EQ(run.exitCode, 2) << program << " " << arguments.front();
    EXPECT_NE(run.output.find("usage: "), std::string::npos) << run.output;
  }
}

}  // namespace
