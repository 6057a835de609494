// The programs' pictures stay what they were: each run is compared with a
// reference picture rendered before the effect files changed language
// (scripts/reference-screenshots). At most 0.5 % of the pixels may differ by
// more than 8/255 in some channel: rasterisation of the same geometry by
// other shader code may move a few edge pixels, never the picture.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ProgramRun.h"

namespace {

namespace fs = std::filesystem;

struct Picture {
  const char* program;
  const char* frames;
  const char* reference;  // in tests/data/screenshots
  bool sharedModel;       // the character of ../shared/models instead of the bundled model
  const char* ownModel = nullptr;  // or a model of tests/data
};

const Picture kPictures[] = {
    {"actorviewer", "40", "actorviewer-bundled.png", false},
    {"propviewer", "3", "propviewer-bundled.png", false},
    {"actorviewer", "40", "actorviewer-shared.png", true},
    {"propviewer", "3", "propviewer-shared.png", true},
    // Four meshes in nested, turned frames: the whole model, upright.
    {"propviewer", "3", "propviewer-lamp-post.png", false, "props/lamp-post.x"},
};

class Pictures : public ::testing::TestWithParam<Picture> {};

TEST_P(Pictures, MatchTheReference) {
  const Picture& picture = GetParam();
  fs::path model = fs::path(XVIEW_SHARED_MODELS) / "BCN_Epileptic.X";
  if (picture.sharedModel && !fs::exists(model)) GTEST_SKIP() << "no " << model;
  fs::path scratch = fs::temp_directory_path() / ("pictures-" + std::to_string(::getpid()));
  fs::create_directories(scratch);
  std::string shot = (scratch / picture.reference).string();
  e2e::Launch launch;
  launch.program = picture.program;
  launch.arguments = {"--frames", picture.frames, "--screenshot", shot};
  if (picture.sharedModel) launch.arguments.push_back(model.string());
  if (picture.ownModel) launch.arguments.push_back(std::string(XVIEW_TEST_DATA) + "/" + picture.ownModel);
  launch.set = {{"SDL_VIDEODRIVER", "offscreen"}, {"XDG_CACHE_HOME", (scratch / "cache").string()}};
  e2e::Outcome run = e2e::Run(launch);
  ASSERT_EQ(run.exitCode, 0) << run.output;

  std::string reference = std::string(XVIEW_TEST_DATA) + "/screenshots/" + picture.reference;
  int width = 0, height = 0, channels = 0, refWidth = 0, refHeight = 0;
  unsigned char* pixels = stbi_load(shot.c_str(), &width, &height, &channels, 4);
  unsigned char* expected = stbi_load(reference.c_str(), &refWidth, &refHeight, &channels, 4);
  ASSERT_NE(pixels, nullptr) << "no screenshot at " << shot << "\n" << run.output;
  ASSERT_NE(expected, nullptr) << "no reference picture " << reference;
  ASSERT_EQ(width, refWidth);
  ASSERT_EQ(height, refHeight);
  long differing = 0;
  for (long i = 0; i < static_cast<long>(width) * height; ++i) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(pixels[i * 4 + c] - expected[i * 4 + c]));
    differing += worst > 8;
  }
  EXPECT_LE(differing * 1000, 5L * width * height)
      << differing << " of " << width * height << " pixels differ from " << reference;
  stbi_image_free(pixels);
  stbi_image_free(expected);
  fs::remove_all(scratch);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, Pictures, ::testing::ValuesIn(kPictures),
                         [](const ::testing::TestParamInfo<Picture>& info) {
                           std::string name = info.param.reference;
                           name = name.substr(0, name.find('.'));
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
