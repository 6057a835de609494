// The converted models, read back with tinygltf and posed as glTF defines,
// stand where the viewers' own Model poses them: at every key time of every
// animation set within 1e-4 of the model's size, halfway between key times
// within 1 %, and rigid models in the file's pose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "ConverterRun.h"
#include "GltfPoses.h"
#include "TestModels.h"
#include "ViewerPoses.h"

namespace convert_test {
namespace {

constexpr double kAtKeys = 1e-4;
constexpr double kBetweenKeys = 1e-2;

// Converts `model` and compares every pose; `stride` thins the key times of
// a long set.
void ExpectPosesOfTheViewer(const std::string& model, std::size_t stride = 1) {
  SCOPED_TRACE(model);
  Scratch out;
  const std::string glb = out / "model.glb";
  const ConverterRun run = RunConverter({model, "-o", glb});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  tinygltf::Model gltf;
  std::string error;
  ASSERT_TRUE(LoadGltf(glb, gltf, error)) << error;
  ViewerModel viewer(model);
  ASSERT_TRUE(viewer.Loaded());
  const double size = std::max(viewer.Size(), 1e-6);

  EXPECT_LE(Apart(viewer.Positions(UINT32_MAX, 0), PosedMeshes(gltf, -1, 0)), kAtKeys * size) << "the file's pose";
  ASSERT_EQ(gltf.animations.size(), viewer.Sets());
  for (std::uint32_t set = 0; set < viewer.Sets(); ++set) {
    const std::vector<double> ticks = viewer.KeyTimes(set);
    const double perSecond = viewer.TicksPerSecond();
    // glTF holds times as floats.
    auto seconds = [&](double tick) { return double{static_cast<float>(tick / perSecond)}; };
    for (std::size_t i = 0; i < ticks.size(); i += stride) {
      const double tick = ticks[i];
      EXPECT_LE(Apart(viewer.Positions(set, tick), PosedMeshes(gltf, static_cast<int>(set), seconds(tick))),
                kAtKeys * size)
          << "set " << set << " at tick " << tick;
      if (i + 1 >= ticks.size()) continue;
      const double halfway = (tick + ticks[i + 1]) / 2;
      EXPECT_LE(Apart(viewer.Positions(set, halfway), PosedMeshes(gltf, static_cast<int>(set), seconds(halfway))),
                kBetweenKeys * size)
          << "set " << set << " halfway at tick " << halfway;
    }
  }
}

TEST(Poses, EveryModelStandsAsTheViewersPoseIt) {
  for (const ModelFolder& folder : ModelsToConvert())
    for (const std::string& model : folder.files) ExpectPosesOfTheViewer(model);
}

TEST(Poses, TheGeneratedCharacterStandsAsTheViewersPoseIt) {
  Scratch folder;
  const std::string model = GeneratedCharacter(folder, 2, 12);
  if (model.empty()) GTEST_SKIP() << "no generator at " << XVIEW_GENBIG_SCRIPT;
  ExpectPosesOfTheViewer(model);
}

// Keys that start after tick 0 show the last key before them; a key at -1
// never shows but is the last key; matrix keys; a bone without a frame;
// weights that do not sum to 1; rotation keys a quarter turn apart about a
// frame's axis, which glTF follows only with added keys.
TEST(Poses, TheViewersQuirksStandAsTheyPose) {
  Scratch folder;
  ExpectPosesOfTheViewer(folder.Write("quirks.x", QuirksModel()));
}

}  // namespace
}  // namespace convert_test
