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
#include "GltfPoses.h"
#include "ViewerPoses.h"
#include "platform/TextConversion.h"

namespace convert_test {
namespace {

namespace fs = std::filesystem;

constexpr double kAtKeys = 1e-3;
constexpr double kBetweenKeys = 1e-2;

// The largest distance between two sets of posed meshes, as a share of `size`.
double Apart(const std::vector<std::vector<Vec3>>& viewer, const std::vector<std::vector<Vec3>>& gltf, double size) {
  EXPECT_EQ(viewer.size(), gltf.size());
  double largest = 0;
  for (std::size_t m = 0; m < std::min(viewer.size(), gltf.size()); ++m) {
    EXPECT_EQ(viewer[m].size(), gltf[m].size()) << "mesh " << m;
    for (std::size_t v = 0; v < std::min(viewer[m].size(), gltf[m].size()); ++v) {
      double distance = 0;
      for (int c = 0; c < 3; ++c) distance += (viewer[m][v][c] - gltf[m][v][c]) * (viewer[m][v][c] - gltf[m][v][c]);
      largest = std::max(largest, std::sqrt(distance));
    }
  }
  return largest / size;
}

std::string Shared(const std::string& name) { return std::string(XVIEW_SHARED_MODELS) + "/gltf/" + name; }

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

  EXPECT_LE(Apart(viewer.Positions(UINT32_MAX, 0), PosedMeshUses(gltf, -1, 0), size), kAtKeys) << "the rest pose";
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
      EXPECT_LE(Apart(viewer.Positions(set, tick(times[i])), PosedMeshUses(gltf, static_cast<int>(set), times[i]),
                      size),
                kAtKeys)
          << "animation " << set << " at " << times[i] << " s";
      if (i + 1 == times.size()) continue;
      const double halfway = (times[i] + times[i + 1]) / 2;
      EXPECT_LE(Apart(viewer.Positions(set, tick(halfway)), PosedMeshUses(gltf, static_cast<int>(set), halfway),
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

}  // namespace
}  // namespace convert_test
