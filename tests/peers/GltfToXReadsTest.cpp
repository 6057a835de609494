// The .x files the converter writes from glTF, read by readers nobody here
// wrote: D3DX enumerates each whole, in every format, with the same objects
// whatever the format; Irrlicht finds every mesh, and poses a skinned model
// of one animation where glTF poses it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "ConverterRun.h"
#include "GltfFixtures.h"
#include "GltfPoses.h"
#include "PeerReaders.h"
#include "ViewerPoses.h"

namespace convert_test {
namespace {

struct GltfSource {
  std::string name;
  std::string path;
};

// The glTF samples of other authors (tests/data/gltf), and ours for what they do not show.
std::vector<GltfSource> Sources(const Scratch& folder) {
  const std::string shared = std::string(XVIEW_TEST_DATA) + "/gltf/";
  std::vector<GltfSource> sources;
  for (const char* model : {"RiggedSimple/RiggedSimple.glb", "Fox/Fox.glb", "InterpolationTest/InterpolationTest.glb",
                            "TextureCoordinateTest/TextureCoordinateTest.glb",
                            "MeshPrimitiveModes/MeshPrimitiveModes.gltf", "AnimatedMorphCube/AnimatedMorphCube.glb"}) {
    const std::string name = std::string(model).substr(0, std::string(model).find('/'));
    sources.push_back({name, shared + model});
  }
  for (const auto& [name, json] :
       {std::pair{"sheared", ShearedNodeGltf()}, std::pair{"twice", MeshUsedTwiceGltf()},
        std::pair{"sparse", SparseGltf()}, std::pair{"quantized", QuantizedGltf()},
        std::pair{"roots", JointsUnderTwoRootsGltf()}, std::pair{"meshopt", MeshoptGltf()},
        std::pair{"draco", DracoGltf()}})
    sources.push_back({name, folder.Write(std::string(name) + ".gltf", json)});
  return sources;
}

// Every format of every source enumerates whole, and the binary, compressed
// and 64-bit ones have the text's objects.
TEST(GltfToXReads, D3dxEnumeratesEveryFormatWithTheSameObjects) {
  Scratch in, out;
  const std::vector<GltfSource> sources = Sources(in);
  const std::vector<std::pair<std::string, std::vector<std::string>>> formats{
      {"txt", {"--format", "txt"}},
      {"bin", {"--format", "bin"}},
      {"tzip", {"--format", "tzip"}},
      {"bzip", {"--format", "bzip"}},
      // Wine's D3DX takes every binary float as 4 bytes: 64-bit floats are checked in text.
      {"txt64", {"--format", "txt", "--float", "64"}},
      {"tzip64", {"--format", "tzip", "--float", "64"}},
      // Without declarations of the standard templates: D3DX has them registered.
      {"bare", {"--format", "txt", "--no-templates"}}};
  std::vector<std::string> paths;
  for (const GltfSource& source : sources)
    for (const auto& [format, options] : formats) {
      // Each format in a folder of its own, so that the images beside have the same names.
      const std::string path = out / (format + "/" + source.name + ".x");
      std::filesystem::create_directories(out / format);
      std::vector<std::string> arguments{source.path, "-o", path};
      arguments.insert(arguments.end(), options.begin(), options.end());
      const ConverterRun run = RunConverter(arguments);
      ASSERT_EQ(run.exitCode, 0) << source.name << " " << format << ": " << run.output;
      paths.push_back(path);
    }
  const peers::D3dxRun run = peers::EnumerateWithD3dx(paths);
  if (!run.unavailable.empty()) GTEST_SKIP() << run.unavailable;
  ASSERT_EQ(run.files.size(), paths.size()) << run.errorOutput;
  for (std::size_t s = 0; s < sources.size(); ++s) {
    const peers::D3dxListing& text = run.files[s * formats.size()];
    ASSERT_TRUE(text.ok) << sources[s].name << ": " << text.failure;
    EXPECT_GT(text.objects.size(), 2u) << sources[s].name;
    for (std::size_t f = 1; f < formats.size(); ++f) {
      const peers::D3dxListing& other = run.files[s * formats.size() + f];
      SCOPED_TRACE(sources[s].name + " " + formats[f].first);
      ASSERT_TRUE(other.ok) << other.failure;
      EXPECT_EQ(peers::CompareListings(text, other), "");
      if (formats[f].first == "bare") {
        EXPECT_FALSE(Has(ReadWholeFile(paths[s * formats.size() + f]), "template "));
      }
    }
  }
}

std::vector<peers::Position> Mirrored(const std::vector<std::vector<Vec3>>& meshes) {
  std::vector<peers::Position> points;
  for (const std::vector<Vec3>& mesh : meshes)
    for (const Vec3& p : mesh)
      points.push_back({static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(-p[2])});
  return points;
}

// Irrlicht loads what the converter writes (text and binary: it takes no
// compressed files) and finds every vertex that a face of a mesh uses; a skinned model of
// one animation it poses at the first, a middle and the last key as glTF
// does, within 1e-3 of the model's size. Irrlicht's frames are the file's
// ticks; it leaves rigid meshes where their vertices lie, so those are
// checked for loading only.
TEST(GltfToXReads, IrrlichtLoadsEveryMeshAndPosesSkins) {
  Scratch in, out;
  int posed = 0;
  for (const GltfSource& source : Sources(in))
    for (const char* format : {"txt", "bin"}) {
      SCOPED_TRACE(source.name + " " + format);
      const std::string path = out / (source.name + "-" + format + ".x");
      ASSERT_EQ(RunConverter({source.path, "-o", path, "--format", format}).exitCode, 0);
      ViewerModel ours(path);
      ASSERT_TRUE(ours.Loaded());
      // Irrlicht keeps the vertices that faces use (a buffer per material).
      std::size_t vertices = 0;
      for (const XMesh& mesh : ours.Scene().meshes) {
        std::vector<bool> used(mesh.vertices.size(), false);
        for (const XFace& face : mesh.faces)
          for (std::int32_t corner : face.corners) used.at(static_cast<std::size_t>(corner)) = true;
        vertices += static_cast<std::size_t>(std::count(used.begin(), used.end(), true));
      }
      const peers::IrrlichtModel irrlicht = peers::LoadWithIrrlicht(path);
      if (!irrlicht.unavailable.empty()) GTEST_SKIP() << irrlicht.unavailable;
      ASSERT_TRUE(irrlicht.loaded) << irrlicht.failure;
      std::size_t found = 0;
      for (unsigned count : irrlicht.bufferVertices) found += count;
      EXPECT_EQ(found, vertices) << irrlicht.log;

      tinygltf::Model gltf;
      std::string error;
      ASSERT_TRUE(LoadGltf(source.path, gltf, error) || source.name == "meshopt" || source.name == "draco") << error;
      bool skinned = false;
      for (const tinygltf::Node& node : gltf.nodes) skinned |= node.skin >= 0;
      if (!skinned || gltf.animations.size() != 1) continue;
      const std::vector<double> times = AnimationTimes(gltf, 0);
      const double size = ours.Size();
      for (double time : {times.front(), times[times.size() / 2], times.back()}) {
        const double tick = std::round(time * ours.TicksPerSecond());
        const peers::IrrlichtModel at = peers::LoadWithIrrlicht(path, tick);
        ASSERT_TRUE(at.loaded) << at.failure;
        std::vector<peers::Position> theirs;
        for (const std::vector<peers::Position>& buffer : at.positions) theirs.insert(theirs.end(), buffer.begin(), buffer.end());
        EXPECT_LE(peers::FarthestApart(theirs, Mirrored(PosedMeshUses(gltf, 0, time))), 1e-3 * size)
            << "at " << time << " s";
      }
      ++posed;
    }
  EXPECT_GT(posed, 0) << "no skinned model was posed";
}

}  // namespace
}  // namespace convert_test
