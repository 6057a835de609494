// xfileconvert as a user meets it: its options, what it says, its exit
// status, and outputs that are whole or not there at all.
#include <gtest/gtest.h>

#include <filesystem>

#include "ConverterRun.h"
#include "TestModels.h"

namespace convert_test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CommandLine, HelpAndMistakes) {
  const ConverterRun help = RunConverter({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(Has(help.output, "usage: xfileconvert [options] IN... -o OUT")) << help.output;
  EXPECT_TRUE(Has(help.output, "--format")) << help.output;
  for (const std::vector<std::string>& mistaken : {std::vector<std::string>{"model.x"},
                                                   {"-o", "out.glb"},
                                                   {"model.x", "-o", "out.obj"},
                                                   {"model.x", "-o", "out.glb", "--format", "bin"},
                                                   {"model.x", "-o", "out.x", "--float", "16"},
                                                   {"model.x", "-o", "out.glb", "--frobnicate"},
                                                   {"model.x", "-o", "out.x", "--block", "0"}}) {
    const ConverterRun run = RunConverter(mistaken);
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_TRUE(Has(run.output, "usage: xfileconvert")) << run.output;
  }
}

// A refused file writes nothing and says why; the others of the run still
// convert; a file the reader reads with warnings converts, its warnings said
// and nothing else.
TEST(CommandLine, EachFailureIsOneLineAndTheOthersStillConvert) {
  Scratch in, out;
  const std::string empty = in.Write("empty.x", "");
  const std::string notX = in.Write("notes.x", "these are not the models you are looking for\n");
  const std::string cube = in.Write("cube.x", CubeModel());
  const std::string warned = DataModel("malformed_skinweights_oob.x");
  const ConverterRun run = RunConverter({empty, cube, notX, warned, "-o", out.Path().string()});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"cube.glb", "malformed_skinweights_oob.glb"}));
  EXPECT_TRUE(Has(run.output, "model file \"" + empty + "\": is empty, not an X file\n")) << run.output;
  EXPECT_TRUE(Has(run.output, "model file \"" + notX + "\": not an X file")) << run.output;
  EXPECT_TRUE(Has(run.output, "model file \"" + warned + "\": a skin weight names no vertex")) << run.output;

  const ConverterRun alone = RunConverter({warned, "-o", out / "alone.glb"});
  EXPECT_EQ(alone.exitCode, 0) << alone.output;
  EXPECT_TRUE(Has(alone.output, "a skin weight names no vertex")) << alone.output;
  EXPECT_FALSE(Has(alone.output, "xof 0")) << "the model's own text is not echoed: " << alone.output;
}

// An output that cannot be written is said, leaves no temporary file, and
// leaves what stood there before as it was.
TEST(CommandLine, AnOutputIsNeverLeftHalfWritten) {
  Scratch in, out;
  const std::string cube = in.Write("cube.x", CubeModel());
  fs::create_directories(out.Path() / "cube.glb");  // a folder where the file would go
  const ConverterRun blocked = RunConverter({cube, "-o", out.Path().string() + "/"});
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_TRUE(Has(blocked.output, "\"" + out / "cube.glb" + "\" not written: ")) << blocked.output;
  const ConverterRun missing = RunConverter({cube, "-o", out / "no/such/folder/cube.x", "--format", "bin"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(Has(missing.output, "not written: No such file or directory")) << missing.output;
  EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"cube.glb"}));
  EXPECT_TRUE(fs::is_directory(out.Path() / "cube.glb"));
  fs::remove(out.Path() / "cube.glb");

  // Over an older output, the new one replaces it whole.
  const std::string glb = out / "cube.glb";
  ASSERT_TRUE(RunConverter({cube, "-o", glb}).exitCode == 0);
  const std::string first = ReadWholeFile(glb);
  ASSERT_EQ(RunConverter({cube, "-o", glb}).exitCode, 0);
  EXPECT_EQ(ReadWholeFile(glb), first);
  EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"cube.glb"}));
}

// A folder stands for its .x files; two inputs that would write one output
// are said; the same inputs give the same bytes on one thread as on several.
TEST(CommandLine, FoldersAndManyInputsAtOnce) {
  Scratch in, one, many;
  in.Write("a.x", CubeModel());
  in.Write("b.X", ReadWholeFile(DataModel("anim_test.x")));
  in.Write("c.x", ReadWholeFile(DataModel("BCN_Epileptic.X")));
  in.Write("d.x", ReadWholeFile(AssetModel("miko.x")));
  in.Write("readme.txt", "not a model");
  ASSERT_EQ(RunConverter({in.Path().string(), "-o", one.Path().string(), "--jobs", "1"}).exitCode, 0);
  ASSERT_EQ(RunConverter({in.Path().string(), "-o", many.Path().string(), "--jobs", "4"}).exitCode, 0);
  EXPECT_EQ(FilesIn(one.Path()), (std::vector<std::string>{"a.glb", "b.glb", "c.glb", "d.glb"}));
  for (const std::string& name : FilesIn(one.Path()))
    EXPECT_EQ(ReadWholeFile((one.Path() / name).string()), ReadWholeFile((many.Path() / name).string())) << name;

  Scratch elsewhere, twice;
  const std::string copy = elsewhere.Write("anim_test.x", ReadWholeFile(DataModel("anim_test.x")));
  const ConverterRun clash = RunConverter({in / "a.x", DataModel("anim_test.x"), copy, "-o", twice.Path().string()});
  EXPECT_EQ(clash.exitCode, 1);
  EXPECT_TRUE(
      Has(clash.output, "\"" + copy + "\": not converted: \"" + DataModel("anim_test.x") + "\" writes the same output"))
      << clash.output;
  EXPECT_EQ(FilesIn(twice.Path()), (std::vector<std::string>{"a.glb", "anim_test.glb"}));
}

// A .gltf has its buffer and its textures beside it, named after it.
TEST(CommandLine, GltfOutputWritesItsFilesBesideIt) {
  Scratch in, out;
  in.Write("tex/leaf.png", ReadWholeFile(DataModel("test.png")));
  std::string model = MaterialsModel();
  const ConverterRun run = RunConverter({in.Write("squares.x", model), "-o", out / "squares.gltf"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"squares-leaf.png", "squares.bin", "squares.gltf"}));
  EXPECT_EQ(ReadWholeFile(out / "squares-leaf.png"), ReadWholeFile(DataModel("test.png")));
  const std::string json = ReadWholeFile(out / "squares.gltf");
  EXPECT_TRUE(Has(json, "\"uri\":\"squares.bin\"")) << json.substr(0, 200);
  EXPECT_TRUE(Has(json, "\"uri\":\"squares-leaf.png\""));
}

// A folder of .x and glTF files to .x: each converts, named after its
// input; glTF goes only to .x, and says so where it is asked for glTF.
TEST(CommandLine, GltfAndXInputsMixInAFolderToX) {
  Scratch in, out;
  in.Write("cube.x", CubeModel());
  in.Write("rig.glb", ReadWholeFile(std::string(XVIEW_TEST_DATA) + "/gltf/RiggedSimple/RiggedSimple.glb"));
  const ConverterRun run = RunConverter({in.Path().string(), "-o", out.Path().string(), "--to", "x", "--format", "bin"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"cube.x", "rig.x"}));
  EXPECT_EQ(ReadWholeFile(out / "rig.x").substr(8, 8), "bin 0032");
  // As glTF, the folder stands for its .x files only; a glTF file named alone is refused.
  Scratch glb;
  EXPECT_EQ(RunConverter({in.Path().string(), "-o", glb.Path().string()}).exitCode, 0);
  EXPECT_EQ(FilesIn(glb.Path()), (std::vector<std::string>{"cube.glb"}));
  const ConverterRun refused = RunConverter({in / "rig.glb", "-o", glb / "rig.gltf"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(Has(refused.output, "is glTF, which converts to .x only")) << refused.output;
}

}  // namespace
}  // namespace convert_test
