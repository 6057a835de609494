#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <cstdio>
#include <filesystem>
#include <string>

#include "xfile/DamagedModels.h"

namespace {

struct ToolRun {
  int exitCode = -1;
  std::string output;  // standard output, or standard error when asked for
};

ToolRun RunInspector(const std::string& arguments, bool standardError = false) {
  std::string command =
      std::string(XVIEW_XFILEINFO) + " " + arguments + (standardError ? " 2>&1 >/dev/null" : " 2>/dev/null");
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    run.output.append(buffer, got);
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

// Every SkinWeights record is a bone, however many there are.
TEST(XFileInfo, ReportsEveryBoneOfAMeshWithMoreThan256) {
  ToolRun run = RunInspector(Model("bones300.x"));
  ASSERT_EQ(run.exitCode, 0);
  std::size_t bones = 0;
  for (std::size_t at = run.output.find("\"offset\":"); at != std::string::npos;
       at = run.output.find("\"offset\":", at + 1))
    ++bones;
  EXPECT_EQ(bones, 300u);
  EXPECT_TRUE(Has(run.output, "\"name\":\"B299\""));
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
  EXPECT_EQ(run.output.rfind("{\"format\":\"txt\",\"meshes\":[", 0), 0u);
  EXPECT_FALSE(Has(run.output, "\"bones\""));
  EXPECT_FALSE(Has(run.output, "\"frame\""));
  EXPECT_FALSE(Has(run.output, "animationSets"));
}

TEST(XFileInfo, SaysTheFormatOfEachFile) {
  for (auto [name, format] : {std::pair{"test_cube_text.x", "txt"}, {"test_cube_binary.x", "bin"},
                              {"test_cube_compressed.x", "bzip"}, {"fromtruespace_bin32.x", "bin"}}) {
    for (const char* shape : {"", "--reduced "}) {
      ToolRun run = RunInspector(shape + Model(name));
      ASSERT_EQ(run.exitCode, 0) << name;
      EXPECT_EQ(run.output.rfind(std::string("{\"format\":\"") + format + "\",", 0), 0u) << run.output.substr(0, 80);
    }
  }
}

TEST(XFileInfo, RefusedFilesGiveAOneLineMessageAndExitCodeOne) {
  for (const std::string& file : {Model("empty.x"), Model("missing.x")}) {
    ToolRun run = RunInspector(file, true);
    EXPECT_EQ(run.exitCode, 1) << file;
    EXPECT_TRUE(Has(run.output, file)) << run.output;
    EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << run.output;
    EXPECT_EQ(RunInspector(file).output, "");
  }
}

TEST(XFileInfo, WarningsOfTheReaderAreListedAndPrintedOnce) {
  for (const char* shape : {"", "--reduced "}) {
    ToolRun run = RunInspector(shape + Model("kwxport_test_cubewithvcolors.x"));
    EXPECT_TRUE(Has(run.output, "\"warnings\":[]}")) << shape;
  }
  ToolRun damaged = RunInspector(Model("malformed_skinweights_oob.x"));
  ASSERT_EQ(damaged.exitCode, 0);
  const std::string message =
      "a skin weight names no vertex (1000000, of 24 vertices, in the SkinWeights record \\\"Cube\\\" opened "
      "at "
      "line 218); it is passed over";
  EXPECT_TRUE(Has(
      damaged.output,
      "\"warnings\":[{\"kind\":\"skin-index-out-of-range\",\"count\":1,\"message\":\"" + message + "\"}]}"))
      << damaged.output.substr(damaged.output.size() - 300);
  ToolRun said = RunInspector(Model("malformed_skinweights_oob.x"), true);
  EXPECT_EQ(said.output,
            "model file \"" + Model("malformed_skinweights_oob.x") +
                "\": a skin weight names no vertex (1000000, of 24 vertices, in the SkinWeights record "
                "\"Cube\" opened at line 218); it is passed over\n");
}

TEST(XFileInfo, ACutFileIsReadAndSaysWhereItEnded) {
  namespace fs = std::filesystem;
  fs::path folder = fs::path(testing::TempDir()) / ("xfileinfo_cut_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::string text = damaged_models::ReadWholeFile(Model("test_cube_text.x"));
  damaged_models::WriteWholeFile(folder / "cut.x", text.substr(0, text.find("MeshNormals") + 20));
  ToolRun run = RunInspector((folder / "cut.x").string());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(Has(run.output, "\"vertices\":24,\"faces\":12")) << run.output.substr(0, 400);
  EXPECT_TRUE(Has(run.output, "{\"kind\":\"file-ends\",\"count\":1,\"message\":\"the file ends at line"));
  EXPECT_TRUE(Has(RunInspector((folder / "cut.x").string(), true).output, "inside the MeshNormals record"));
  fs::remove_all(folder);
}

TEST(XFileInfo, AFolderIsNoModelFile) {
  ToolRun run = RunInspector(std::string(XVIEW_TEST_DATA) + "/models", true);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output,
            "model file \"" + std::string(XVIEW_TEST_DATA) + "/models\": is a folder, not a model file\n");
}

TEST(XFileInfo, BadArgumentsShowUsage) {
  EXPECT_EQ(RunInspector("").exitCode, 2);
  EXPECT_EQ(RunInspector("--bogus a.x").exitCode, 2);
}

}  // namespace

// A frame B under A, a one-triangle mesh skinned to B, and a walk of B along X.
const char* kPosedFile =
    "xof 0303txt 0032\n"
    "Frame A {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,0,0,1;; }\n"
    " Frame B { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,2,0,1;; } }\n"
    " Mesh M {\n  3; 0;0;0;, 1;0;0;, 0;1;0;;\n  1; 3;0,1,2;;\n"
    "  XSkinMeshHeader { 1; 1; 2; }\n"
    "  SkinWeights { \"B\"; 3; 0,1,2; 1,1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, -1,-2,0,1;; }\n"
    "  SkinWeights { \"Nowhere\"; 1; 0; 1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,5,5,1;; }\n"
    " }\n"
    "}\n"
    "AnimationSet Walk {\n Animation { { B }\n"
    "  AnimationKey { 2; 2; 0;3;0,2,0;;, 10;3;10,2,0;;; }\n }\n}\n";

TEST(XFileInfo, PoseGivesCombinedFrameMatricesAndPalettesAtATick) {
  std::string file = ::testing::TempDir() + "posed-" + std::to_string(::getpid()) + ".x";
  std::FILE* out = std::fopen(file.c_str(), "w");
  ASSERT_NE(out, nullptr);
  std::fputs(kPosedFile, out);
  std::fclose(out);

  ToolRun bind = RunInspector("--pose 0 0 " + file);
  ASSERT_EQ(bind.exitCode, 0);
  // In the bind pose B's palette matrix is the identity; a bone whose frame
  // the file lacks keeps its vertices in the bind pose.
  EXPECT_EQ(
      bind.output,
      "{\"frameMatrices\":[[1,0,0,0,0,1,0,0,0,0,1,0,1,0,0,1],[1,0,0,0,0,1,0,0,0,0,1,0,1,2,0,1]],"
      "\"palettes\":[[[1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1],[1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1]]]}\n");
  ToolRun walked = RunInspector("--pose 0 5 " + file);
  EXPECT_TRUE(Has(walked.output, ",[1,0,0,0,0,1,0,0,0,0,1,0,6,2,0,1]],")) << walked.output;
  EXPECT_TRUE(Has(walked.output, "\"palettes\":[[[1,0,0,0,0,1,0,0,0,0,1,0,5,0,0,1],")) << walked.output;
  // A set the file does not have leaves the file's matrices.
  EXPECT_TRUE(Has(RunInspector("--pose 1 5 " + file).output, ",[1,0,0,0,0,1,0,0,0,0,1,0,1,2,0,1]],"));
  std::remove(file.c_str());

  ToolRun character = RunInspector("--pose 0 7920 " + Model("BCN_Epileptic.X"));
  ASSERT_EQ(character.exitCode, 0);
  EXPECT_TRUE(Has(character.output, "{\"frameMatrices\":[["));
  EXPECT_EQ(std::count(character.output.begin(), character.output.end(), '['), 1 + 57 + 1 + 3 + 24 + 20 + 10);
}

TEST(XFileInfo, PoseRefusesASetOrTickThatIsNotANumber) {
  for (const char* arguments : {"--pose x 0 ", "--pose 0 1.5 ", "--pose 0 99999999999 "}) {
    ToolRun run = RunInspector(arguments + Model("test_cube_text.x"), true);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_TRUE(Has(run.output, "must be a whole number")) << run.output;
  }
  EXPECT_EQ(RunInspector("--pose 0 " + Model("test_cube_text.x")).exitCode, 2);
  EXPECT_EQ(RunInspector("--pose 0 0 " + Model("empty.x")).exitCode, 1);
}

namespace {

TEST(XFileInfo, SummaryTellsMeshesFramesBonesSetsAndTexturesInWords) {
  const std::string folder = std::string(XVIEW_TEST_DATA) + "/summary/";
  ToolRun run = RunInspector("--summary " + folder + "character.x");
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "model file \"" + folder + "character.x\"\n" +
                            "meshes: 1\n"
                            "  mesh 0 \"Body\": 4 vertices, 2 faces, 2 materials, 2 bones\n"
                            "frames: 2\n"
                            "bones: 2 in 1 skinned mesh\n"
                            "animation sets: 2, 100 ticks a second\n"
                            "  set 0 \"Walk\": 2 animations, 3 keys, 50 ticks, 0.500 s\n"
                            "  set 1 (no name): 0 animations, 0 keys, 0 ticks, 0.000 s\n"
                            "textures: 1 found, 1 missing\n"
                            "  found \"found.png\" as \"" +
                            folder + "found.png\"\n" + "  missing \"missing.png\"\n");

  ToolRun reduced = RunInspector("--summary --reduced " + folder + "character.x");
  ASSERT_EQ(reduced.exitCode, 0);
  EXPECT_TRUE(Has(reduced.output, "  mesh 0 \"Body\": 4 vertices, 2 faces, 2 materials\n")) << reduced.output;
  EXPECT_FALSE(Has(reduced.output, "bones")) << reduced.output;
  EXPECT_TRUE(Has(reduced.output, "textures: 1 found, 1 missing\n")) << reduced.output;

  EXPECT_EQ(RunInspector("--summary --full " + folder + "character.x").exitCode, 2);
  EXPECT_EQ(RunInspector("--summary " + Model("empty.x")).exitCode, 1);
}

}  // namespace
