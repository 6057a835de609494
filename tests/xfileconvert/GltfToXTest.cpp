// glTF in, .x out: the .x the converter writes, read by the viewers' own
// reader without a warning and posed by their own Model, stands where the
// glTF (read by tinygltf, posed by the tests' own evaluator) puts it: at
// every key time of every animation within 1e-3 of the model's size, halfway
// between key times within 1e-2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "ConverterRun.h"
#include "GltfFixtures.h"
#include "GltfPoses.h"
#include "PeerReaders.h"
#include "ViewerPoses.h"
#include "platform/TextConversion.h"

namespace convert_test {
namespace {

namespace fs = std::filesystem;

constexpr double kAtKeys = 1e-3;
constexpr double kBetweenKeys = 1e-2;

// The largest distance between two posings of the meshes, as a share of `size`.
double ShareApart(const std::vector<std::vector<Vec3>>& viewer, const std::vector<std::vector<Vec3>>& gltf, double size) {
  return Apart(viewer, gltf) / size;
}

// The glTF samples of other authors (tests/data/gltf).
std::string Shared(const std::string& name) { return std::string(XVIEW_TEST_DATA) + "/gltf/" + name; }

// Converts `gltfPath` with `arguments` and compares every pose.
void ExpectPosesOfTheGltf(const std::string& gltfPath, const std::vector<std::string>& arguments = {}) {
  SCOPED_TRACE(gltfPath);
  Scratch out;
  const std::string x = out / "model.x";
  std::vector<std::string> command{gltfPath, "-o", x};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const ConverterRun run = RunConverter(command);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  tinygltf::Model gltf;
  std::string error;
  ASSERT_TRUE(LoadGltf(gltfPath, gltf, error)) << error;
  ViewerModel viewer(x);
  ASSERT_TRUE(viewer.Loaded());
  for (const std::wstring& warning : viewer.Warnings()) ADD_FAILURE() << "the reader warns: " << ToUtf8(warning);
  const double size = std::max(viewer.Size(), 1e-6);

  EXPECT_LE(ShareApart(viewer.Positions(UINT32_MAX, 0), PosedMeshUses(gltf, -1, 0), size), kAtKeys) << "the rest pose";
  ASSERT_EQ(viewer.Sets(), gltf.animations.size());
  const double perSecond = viewer.TicksPerSecond();
  // A key time of glTF's, a float of seconds, lies a hair off its tick: a
  // player at that tick shows that key.
  auto tick = [&](double seconds) {
    const double ticks = seconds * perSecond;
    return std::fabs(ticks - std::round(ticks)) < 1e-3 ? std::round(ticks) : ticks;
  };
  for (std::uint32_t set = 0; set < viewer.Sets(); ++set) {
    const std::vector<double> times = AnimationTimes(gltf, static_cast<int>(set));
    for (std::size_t i = 0; i < times.size(); ++i) {
      EXPECT_LE(ShareApart(viewer.Positions(set, tick(times[i])), PosedMeshUses(gltf, static_cast<int>(set), times[i]),
                      size),
                kAtKeys)
          << "animation " << set << " at " << times[i] << " s";
      if (i + 1 == times.size()) continue;
      const double halfway = (times[i] + times[i + 1]) / 2;
      EXPECT_LE(ShareApart(viewer.Positions(set, tick(halfway)), PosedMeshUses(gltf, static_cast<int>(set), halfway),
                      size),
                kBetweenKeys)
          << "animation " << set << " halfway at " << halfway << " s";
    }
  }
}

TEST(GltfToX, SharedModelsStandAsTheGltfPosesThem) {
  for (const char* model : {"RiggedSimple/RiggedSimple.glb", "Fox/Fox.glb", "InterpolationTest/InterpolationTest.glb",
                            "TextureCoordinateTest/TextureCoordinateTest.glb", "MeshPrimitiveModes/MeshPrimitiveModes.gltf",
                            "AnimatedMorphCube/AnimatedMorphCube.glb"})
    ExpectPosesOfTheGltf(Shared(model));
}

// Matrix keys, baked keys, and a tick rate of the user's on which the keys
// (at 24 a second) fall.
TEST(GltfToX, KeyOptionsKeepThePoses) {
  for (const char* model : {"RiggedSimple/RiggedSimple.glb", "InterpolationTest/InterpolationTest.glb"})
    for (const std::vector<std::string>& options : std::vector<std::vector<std::string>>{
             {"--keys", "matrix"}, {"--ticks-per-second", "240"}, {"--bake", "1", "--ticks-per-second", "240"}}) {
      SCOPED_TRACE(options.front() + " " + options[1]);
      ExpectPosesOfTheGltf(Shared(model), options);
    }
}

// Files of our own for what the shared ones do not show.
TEST(GltfToX, WhatGltfAllowsStandsAsItPoses) {
  Scratch in;
  ExpectPosesOfTheGltf(in.Write("sheared.gltf", ShearedNodeGltf()));
  ExpectPosesOfTheGltf(in.Write("twice.gltf", MeshUsedTwiceGltf()));
  ExpectPosesOfTheGltf(in.Write("sparse.gltf", SparseGltf()));
  ExpectPosesOfTheGltf(in.Write("quantized.gltf", QuantizedGltf()));
  ExpectPosesOfTheGltf(in.Write("roots.gltf", JointsUnderTwoRootsGltf()));
}

TEST(GltfToX, AMeshUsedTwiceIsAMeshRecordForEachUse) {
  Scratch in, out;
  const ConverterRun run = RunConverter({in.Write("twice.gltf", MeshUsedTwiceGltf()), "-o", out / "twice.x"});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  ViewerModel viewer(out / "twice.x");
  ASSERT_EQ(viewer.Scene().meshes.size(), 2u);
  // The two nodes share a name: the second frame is made unique.
  ASSERT_EQ(viewer.Scene().frames.size(), 2u);
  EXPECT_EQ(viewer.Scene().frames[0].name, L"left");
  EXPECT_EQ(viewer.Scene().frames[1].name, L"left_2");
}

// Compressed geometry comes out as the geometry it packs: meshopt's exactly,
// Draco's within its quantization.
TEST(GltfToX, CompressedGeometryIsDecoded) {
  std::vector<Vec3> grid;
  for (int y = 0; y <= 4; ++y)
    for (int x = 0; x <= 4; ++x) grid.push_back({x / 4.0, y / 4.0, 0.1 * x * y / 4.0});
  Scratch in, out;
  for (const auto& [name, json] : {std::pair{"meshopt.gltf", MeshoptGltf()}, std::pair{"draco.gltf", DracoGltf()}}) {
    SCOPED_TRACE(name);
    const ConverterRun run = RunConverter({in.Write(name, json), "-o", out / "model.x"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ViewerModel viewer(out / "model.x");
    ASSERT_TRUE(viewer.Loaded());
    const std::vector<std::vector<Vec3>> meshes = viewer.Positions(UINT32_MAX, 0);
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(viewer.Scene().meshes[0].faces.size(), 32u);
    // Every grid point has a vertex where it stands, and no vertex stands elsewhere.
    auto nearest = [](const Vec3& p, const std::vector<Vec3>& set) {
      double best = 1e300;
      for (const Vec3& q : set)
        best = std::min(best, std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]));
      return best;
    };
    for (const Vec3& p : grid) EXPECT_LT(nearest(p, meshes[0]), 1e-4);
    for (const Vec3& p : meshes[0]) EXPECT_LT(nearest(p, grid), 1e-4);
  }
}

TEST(GltfToX, ARequiredExtensionThatCannotBeHonouredIsRefused) {
  Scratch in, out;
  const std::string input = in.Write("basisu.gltf", RequiresUnknownGltf());
  const ConverterRun run = RunConverter({input, "-o", out / "basisu.x"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Has(run.output, "KHR_texture_basisu")) << run.output;
  EXPECT_TRUE(Has(run.output, input)) << run.output;
  EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
  EXPECT_FALSE(fs::exists(out / "basisu.x"));
}

// A joint past its skin, an accessor past its buffer and NaN in positions
// and keys: each is said and left out or replaced, and the rest converts to
// a file the reader reads without a warning.
TEST(GltfToX, AHostileFileConvertsWhatIsSound) {
  Scratch in, out;
  const ConverterRun run = RunConverter({in.Write("hostile.gltf", HostileGltf()), "-o", out / "hostile.x"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(Has(run.output, "joints past the skin")) << run.output;
  EXPECT_TRUE(Has(run.output, "more than its buffer view holds")) << run.output;
  EXPECT_TRUE(Has(run.output, "not finite")) << run.output;
  ViewerModel viewer(out / "hostile.x");
  ASSERT_TRUE(viewer.Loaded());
  EXPECT_TRUE(viewer.Warnings().empty());
  ASSERT_EQ(viewer.Scene().meshes.size(), 1u);
  for (const XVertex& vertex : viewer.Scene().meshes[0].vertices)
    EXPECT_TRUE(std::isfinite(vertex.position.x) && std::isfinite(vertex.position.y) && std::isfinite(vertex.position.z));
}

std::vector<peers::Position> Points(const std::vector<std::vector<Vec3>>& meshes) {
  std::vector<peers::Position> points;
  for (const std::vector<Vec3>& mesh : meshes)
    for (const Vec3& p : mesh)
      points.push_back({static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])});
  return points;
}

// .x to .glb and back to .x: every skinned model of other tools and ours
// poses as it did at every key of every set, as one point set (the glTF
// holds a mesh's vertices as it draws them), within 1e-3 of its size.
TEST(GltfToX, SkinnedModelsComeBackFromGltfPosedAsTheyWere) {
  Scratch folder;
  std::vector<std::string> models{GeneratedCharacter(folder, 1, 8)};
  for (const ModelFolder& inFolder : ModelsToConvert())
    models.insert(models.end(), inFolder.files.begin(), inFolder.files.end());
  int checked = 0;
  for (const std::string& model : models) {
    if (model.empty()) continue;
    ViewerModel original(model);
    ASSERT_TRUE(original.Loaded()) << model;
    bool skinned = false;
    for (const XMesh& mesh : original.Scene().meshes) skinned |= !mesh.bones.empty();
    if (!skinned) continue;
    SCOPED_TRACE(model);
    Scratch out;
    ASSERT_EQ(RunConverter({model, "-o", out / "model.glb"}).exitCode, 0);
    const ConverterRun back = RunConverter({out / "model.glb", "-o", out / "back.x"});
    ASSERT_EQ(back.exitCode, 0) << back.output;
    ViewerModel again(out / "back.x");
    ASSERT_TRUE(again.Loaded());
    ASSERT_EQ(again.Sets(), original.Sets());
    const double size = std::max(original.Size(), 1e-6);
    const double scale = again.TicksPerSecond() / original.TicksPerSecond();
    EXPECT_LE(peers::FarthestApart(Points(again.Positions(UINT32_MAX, 0)), Points(original.Positions(UINT32_MAX, 0))),
              kAtKeys * size)
        << "the file's pose";
    for (std::uint32_t set = 0; set < original.Sets(); ++set)
      for (double tick : original.KeyTimes(set))
        EXPECT_LE(peers::FarthestApart(Points(again.Positions(set, std::round(tick * scale))),
                                       Points(original.Positions(set, tick))),
                  kAtKeys * size)
            << "set " << set << " at tick " << tick;
    ++checked;
  }
  EXPECT_GE(checked, 4);
}

// The base colour image is written beside the .x, named after it where the
// glTF names none: a file of that name that holds another image stays as it
// is (the converter takes another name); one that holds the same is used.
TEST(GltfToX, ImagesGoBesideTheFileAndNeverOverwriteAnother) {
  Scratch out;
  const std::string fox = Shared("Fox/Fox.glb");
  fs::create_directories(out.Path() / "first");
  ASSERT_EQ(RunConverter({fox, "-o", out / "first/fox.x"}).exitCode, 0);
  const std::string image = ReadWholeFile(out / "first/fox-image0.png");
  ASSERT_EQ(image.compare(1, 3, "PNG"), 0);
  EXPECT_TRUE(Has(ReadWholeFile(out / "first/fox.x"), "\"fox-image0.png\""));
  // Again into the same folder: the image there is the same, and used.
  ASSERT_EQ(RunConverter({fox, "-o", out / "first/fox.x"}).exitCode, 0);
  EXPECT_FALSE(fs::exists(out.Path() / "first/fox-image0-2.png"));
  // A file of the user's under that name stays theirs.
  fs::create_directories(out.Path() / "second");
  out.Write("second/fox-image0.png", "the user's own");
  ASSERT_EQ(RunConverter({fox, "-o", out / "second/fox.x"}).exitCode, 0);
  EXPECT_EQ(ReadWholeFile(out / "second/fox-image0.png"), "the user's own");
  EXPECT_EQ(ReadWholeFile(out / "second/fox-image0-2.png"), image);
  EXPECT_TRUE(Has(ReadWholeFile(out / "second/fox.x"), "\"fox-image0-2.png\""));
  ViewerModel viewer(out / "second/fox.x");
  ASSERT_TRUE(viewer.Loaded());
  ASSERT_FALSE(viewer.Scene().meshes.empty());
  const std::wstring texture = viewer.Scene().meshes[0].materials.at(0).textureFiles[0];
  EXPECT_NE(texture.find(L"fox-image0-2.png"), std::wstring::npos);
}

}  // namespace
}  // namespace convert_test
