// Damaged models through both viewers, headless for a few frames: every file
// of other tools, the bundled models and binary and compressed twins, each
// cut inside it and with bytes replaced. No crash, no hang, every layer object released, and a cut inside
// a record is said.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ProgramRun.h"
#include "XFileWriter.h"
#include "xfile/DamagedModels.h"

namespace {

namespace fs = std::filesystem;
using namespace damaged_models;

TEST(DamagedModels, BothViewersSurviveCutAndCorruptedFiles) {
  fs::path scratch = fs::temp_directory_path() / ("damaged-" + std::to_string(getpid()));
  fs::create_directories(scratch);
  std::vector<fs::path> models = ModelFilesIn(fs::path(XVIEW_TEST_DATA) / "models");
  for (const char* bundled : {"miko.x", "squarepolygon.x"})
    models.push_back(fs::path(XVIEW_SOURCE_DIR) / "assets" / bundled);
  // Binary and compressed twins of two small text models, in several blocks.
  for (const char* name : {"test_cube_text.x", "test.x"}) {
    const std::string text = ReadWholeFile(fs::path(XVIEW_TEST_DATA) / "models" / name);
    for (const char* format : {"bin", "bzip"}) {
      fs::path twin = scratch / (std::string(format) + "-" + name);
      WriteWholeFile(twin, xfileconvert::Twin(text, format, false, 2000));
      models.push_back(twin);
    }
  }
  int runs = 0, cutsInside = 0;
  for (const fs::path& model : models) {
    std::string text = ReadWholeFile(model);
    // Only a text file says the line where a cut record began.
    bool textFormat = text.compare(0, 4, "xof ") == 0 && text.compare(8, 3, "txt") == 0;
    // Two cuts and one corruption of each file, the viewers taking turns.
    std::vector<std::pair<std::string, bool>> cases;  // the damaged text, cut inside a record
    for (std::size_t cut : {text.size() / 3, text.size() * 4 / 5})
      cases.emplace_back(text.substr(0, cut), textFormat && CutInsideRecord(text, cut));
    cases.emplace_back(Corrupted(text, text.size(), 8, 16), false);
    for (const auto& [damaged, inside] : cases) {
      fs::path file = scratch / ("case-" + std::to_string(runs) + ".x");
      WriteWholeFile(file, damaged);
      e2e::Launch launch;
      launch.program = runs % 2 ? "propviewer" : "actorviewer";
      launch.arguments = {"--frames", "3", file.string()};
      launch.folder = scratch.string();
      launch.set = {{"SDL_VIDEODRIVER", "offscreen"}};
      e2e::Outcome run = e2e::Run(launch);
      std::string what = launch.program + " on " + model.filename().string() + " as " + file.string();
      EXPECT_EQ(run.exitCode, 0) << what << "\n" << run.output;
      EXPECT_FALSE(run.timedOut) << what;
      EXPECT_TRUE(e2e::ReleasedEverything(run)) << what << "\n" << run.output;
      if (inside) {
        EXPECT_NE(run.output.find("the file ends at line"), std::string::npos) << what << "\n" << run.output;
        ++cutsInside;
      }
      ++runs;
    }
  }
  EXPECT_GE(runs, 30);
  EXPECT_GE(cutsInside, 10);
  fs::remove_all(scratch);
}

}  // namespace
