// Every model converts to .glb (one to .gltf as well), and the Khronos glTF
// Validator, run once over all of them, finds no error; its warnings are
// printed for the record.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "ConverterRun.h"
#include "TestModels.h"

namespace convert_test {
namespace {

namespace fs = std::filesystem;

TEST(Validator, FindsNoErrorInAnyConvertedModel) {
  Scratch out;
  std::vector<std::string> outputs;
  auto convert = [&](const std::vector<std::string>& inputs, const std::string& folder) {
    const fs::path into = out.Path() / folder;
    ConverterRun run = RunConverter([&] {
      std::vector<std::string> arguments = inputs;
      arguments.insert(arguments.end(), {"-o", into.string() + "/"});
      return arguments;
    }());
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const fs::directory_entry& entry : fs::directory_iterator(into)) outputs.push_back(entry.path().string());
  };
  for (const ModelFolder& folder : ModelsToConvert()) convert(folder.files, folder.name);

  Scratch made;
  made.Write("tex/leaf.png", ReadWholeFile(DataModel("test.png")));
  std::vector<std::string> ours{made.Write("quirks.x", QuirksModel()), made.Write("halfturn.x", HalfTurnModel()),
                                made.Write("cube.x", CubeModel()), made.Write("squares.x", MaterialsModel()),
                                made.Write("centimetres.x", CentimetreModel()),
                                made.Write("nonfinite.x", NonFiniteModel()),
                                // Nothing but a header; a mesh without faces; a set that animates nothing.
                                made.Write("header.x", "xof 0303txt 0032\n"),
                                made.Write("faceless.x",
                                           "xof 0303txt 0032\nMesh m { 3; 0;0;0;, 1;0;0;, 0;1;0;; 0;; }\n"
                                           "AnimationSet still { }\n")};
  const std::string generated = GeneratedCharacter(made, 8, 180);
  if (generated.empty()) {
    std::printf("note: no generated character (no %s)\n", XVIEW_GENBIG_SCRIPT);
  } else {
    ours.push_back(generated);
  }
  const fs::path mine = out.Path() / "ours";
  ConverterRun run = RunConverter([&] {
    std::vector<std::string> arguments = ours;
    arguments.insert(arguments.end(), {"-o", mine.string() + "/"});
    return arguments;
  }());
  for (const fs::directory_entry& entry : fs::directory_iterator(mine)) outputs.push_back(entry.path().string());
  const ConverterRun gltf = RunConverter({made / "squares.x", "-o", out / "squares.gltf"});
  ASSERT_EQ(gltf.exitCode, 0) << gltf.output;
  outputs.push_back(out / "squares.gltf");

  ASSERT_TRUE(fs::exists(XVIEW_NODE)) << "node is missing: run scripts/setup";
  std::string command = std::string(XVIEW_NODE) + " " + XVIEW_SOURCE_DIR + "/scripts/validate-gltf.js";
  for (const std::string& file : outputs) command += " '" + file + "'";
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string report;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) report.append(buffer, got);
  const int status = ::pclose(pipe);
  EXPECT_EQ(status, 0) << report;

  std::istringstream lines(report);
  std::size_t summaries = 0;
  for (std::string line; std::getline(lines, line);) {
    EXPECT_FALSE(Has(line, "\terror\t")) << line;
    if (Has(line, "\twarning\t")) std::printf("validator warning: %s\n", line.c_str());
    summaries += Has(line, "\tsummary\t");
  }
  EXPECT_EQ(summaries, outputs.size()) << report;
}

}  // namespace
}  // namespace convert_test
