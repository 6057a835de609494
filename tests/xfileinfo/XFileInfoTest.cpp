#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

struct ToolRun {
  int exitCode = -1;
  std::string output;  // standard output, or standard error when asked for
};

ToolRun RunInspector(const std::string& arguments, bool standardError = false) {
  std::string command = std::string(XVIEW_XFILEINFO) + " " + arguments + (standardError ? " 2>&1 >/dev/null" : " 2>/dev/null");
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, got);
  int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Model(const char* name) { return std::string(XVIEW_TEST_DATA) + "/models/" + name; }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(XFileInfo, PrintsTheSceneOfACharacterFile) {
  ToolRun run = RunInspector(Model("BCN_Epileptic.X"));
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output.front(), '{');
  EXPECT_EQ(run.output.substr(run.output.size() - 2), "}\n");
  EXPECT_TRUE(Has(run.output, "\"ticksPerSecond\":4800"));
  EXPECT_TRUE(Has(run.output, "\"name\":\"Epileptisch\",\"lastKeyTime\":15840"));
  EXPECT_TRUE(Has(run.output, "\"name\":\"mesh_Torso\""));
  EXPECT_FALSE(Has(run.output, "vertexData"));
}

TEST(XFileInfo, FullOutputHasVerticesFacesAndKeys) {
  ToolRun run = RunInspector("--full " + Model("test_cube_text.x"));
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_TRUE(Has(run.output, "\"vertexData\":[{\"position\":["));
  EXPECT_TRUE(Has(run.output, "\"influences\":[["));
  EXPECT_TRUE(Has(run.output, "\"faceData\":[["));
  // Floats read back to the same float: nine significant digits.
  EXPECT_TRUE(Has(run.output, "0.639216006")) << run.output.substr(0, 400);
}

TEST(XFileInfo, ReducedShapeLeavesOutWhatItDoesNotHave) {
  ToolRun run = RunInspector("--reduced " + Model("BCN_Epileptic.X"));
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output.rfind("{\"meshes\":[", 0), 0u);
  EXPECT_FALSE(Has(run.output, "\"bones\""));
  EXPECT_FALSE(Has(run.output, "\"frame\""));
  EXPECT_FALSE(Has(run.output, "animationSets"));
}

TEST(XFileInfo, RefusedFilesGiveAOneLineMessageAndExitCodeOne) {
  for (const std::string& file : {Model("test_cube_binary.x"), Model("empty.x"), Model("missing.x")}) {
    ToolRun run = RunInspector(file, true);
    EXPECT_EQ(run.exitCode, 1) << file;
    EXPECT_TRUE(Has(run.output, file)) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    EXPECT_EQ(RunInspector(file).output, "");
  }
}

TEST(XFileInfo, BadArgumentsShowUsage) {
  EXPECT_EQ(RunInspector("").exitCode, 2);
  EXPECT_EQ(RunInspector("--bogus a.x").exitCode, 2);
}

}  // namespace
