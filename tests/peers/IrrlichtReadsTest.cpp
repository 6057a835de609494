// An engine that still loads .x (Irrlicht, on its null driver) loads every
// model we have and what the converter writes from them, finds every mesh,
// and poses skinned characters as our viewers do.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "ConverterRun.h"
#include "PeerReaders.h"
#include "ViewerPoses.h"

namespace {

namespace fs = std::filesystem;
using convert_test::ModelFolder;
using convert_test::ModelsToConvert;
using convert_test::RunConverter;
using convert_test::Scratch;
using convert_test::ViewerModel;
using peers::Position;

bool Compressed(const std::string& path) {
  const std::string header = convert_test::ReadWholeFile(path).substr(0, 16);
  return header.size() == 16 && (header.compare(8, 4, "tzip") == 0 || header.compare(8, 4, "bzip") == 0);
}

std::vector<Position> Merged(const std::vector<std::vector<Position>>& buffers) {
  std::vector<Position> all;
  for (const std::vector<Position>& buffer : buffers) all.insert(all.end(), buffer.begin(), buffer.end());
  return all;
}

// Our reader's vertices of every mesh with faces, where the file has them.
std::vector<Position> FilePositions(ViewerModel& model) {
  std::vector<Position> all;
  for (const XMesh& mesh : model.Scene().meshes)
    if (!mesh.faces.empty())
      for (const XVertex& vertex : mesh.vertices)
        all.push_back({vertex.position.x, vertex.position.y, vertex.position.z});
  return all;
}

// The viewers' pose, in the file's coordinates (ViewerModel mirrors Z for glTF).
std::vector<Position> ViewerPose(ViewerModel& model, std::uint32_t set, double tick) {
  std::vector<Position> all;
  for (const std::vector<convert_test::Vec3>& mesh : model.Positions(set, tick))
    for (const convert_test::Vec3& p : mesh)
      all.push_back({static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(-p[2])});
  return all;
}

bool HasBones(ViewerModel& model) {
  for (const XMesh& mesh : model.Scene().meshes)
    if (!mesh.bones.empty()) return true;
  return false;
}

// A bone that no frame has is the file's fault, and each reader poses it by
// a rule of its own (Irrlicht at the model's origin, our viewers not at
// all): such a file is not one to compare poses on.
bool EveryBoneHasAFrame(ViewerModel& model) {
  for (const XMesh& mesh : model.Scene().meshes)
    for (const XBone& bone : mesh.bones) {
      bool found = false;
      for (const XFrame& frame : model.Scene().frames) found = found || frame.name == bone.name;
      if (!found) return false;
    }
  return true;
}

class IrrlichtReads : public testing::TestWithParam<const char*> {};

// Every model, as it is or converted to text or binary: Irrlicht loads it,
// with every vertex of every mesh (a mesh becomes a buffer per material).
// Irrlicht reads no compressed .x: those it refuses, as it says. A rigid
// mesh's vertices are where the file has them (Irrlicht places no mesh by
// its frames).
TEST_P(IrrlichtReads, FindsEveryMesh) {
  const std::string format = GetParam();
  Scratch folder;
  for (const ModelFolder& models : ModelsToConvert()) {
    for (const std::string& source : models.files) {
      std::string path = source;
      if (format != "asis") {
        path = folder / (models.name + "_" + fs::path(source).stem().string() + ".x");
        const convert_test::ConverterRun converted = RunConverter({source, "-o", path, "--format", format});
        ASSERT_EQ(converted.exitCode, 0) << converted.output;
      }
      SCOPED_TRACE(source + (format == "asis" ? "" : " written as " + format));
      const peers::IrrlichtModel irrlicht = peers::LoadWithIrrlicht(path, 0);
      if (!irrlicht.unavailable.empty()) GTEST_SKIP() << irrlicht.unavailable;
      if (Compressed(path)) {
        EXPECT_FALSE(irrlicht.loaded);
        EXPECT_NE(irrlicht.failure.find("Only uncompressed x files"), std::string::npos) << irrlicht.failure;
        continue;
      }
      ASSERT_TRUE(irrlicht.loaded) << irrlicht.failure;
      ViewerModel ours(source);
      ASSERT_TRUE(ours.Loaded());
      const std::vector<Position> file = FilePositions(ours), loaded = Merged(irrlicht.positions);
      EXPECT_EQ(loaded.size(), file.size()) << "vertices Irrlicht loaded, against the file's";
      if (!HasBones(ours)) {
        const double size = ours.Size();
        EXPECT_LE(peers::FarthestApart(loaded, file), 1e-5 * size) << "size " << size;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, IrrlichtReads, testing::Values("asis", "txt", "bin"));

// A skinned model with one animation set (Irrlicht merges sets into one
// timeline) or none: at its first, middle and last key ticks, Irrlicht's
// skinned vertices lie where our viewers pose them, within 1e-3 of the
// model's size. Irrlicht's frame numbers are the file's ticks.
TEST(IrrlichtPoses, SkinnedModelsPoseAsTheViewersPoseThem) {
  int checked = 0;
  for (const ModelFolder& models : ModelsToConvert()) {
    for (const std::string& path : models.files) {
      if (Compressed(path)) continue;
      ViewerModel ours(path);
      ASSERT_TRUE(ours.Loaded()) << path;
      if (!HasBones(ours) || ours.Sets() > 1 || !EveryBoneHasAFrame(ours)) continue;
      const double size = ours.Size();
      std::vector<double> ticks{0};
      if (ours.Sets() == 1) {
        const std::vector<double> keys = ours.KeyTimes(0);
        ticks = {keys.front(), keys[keys.size() / 2], keys.back()};
      }
      for (double tick : ticks) {
        SCOPED_TRACE(path + " at tick " + std::to_string(tick));
        const peers::IrrlichtModel irrlicht = peers::LoadWithIrrlicht(path, tick);
        if (!irrlicht.unavailable.empty()) GTEST_SKIP() << irrlicht.unavailable;
        ASSERT_TRUE(irrlicht.loaded) << irrlicht.failure;
        EXPECT_TRUE(irrlicht.Skinned());
        const double apart = peers::FarthestApart(Merged(irrlicht.positions), ViewerPose(ours, 0, tick));
        EXPECT_LE(apart, 1e-3 * size) << "size " << size;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 0) << "no skinned model was checked";
}

}  // namespace
