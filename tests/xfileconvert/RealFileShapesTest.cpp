// Shapes of real files that once gave glTF which validators refuse or editors
// misplace: each a small file of tests/data/real-models (which the validator
// and pose tests also take) or made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "ConverterRun.h"
#include "GltfPoses.h"
#include "TestModels.h"

namespace convert_test {
namespace {

namespace fs = std::filesystem;

std::string RealModel(const std::string& name) { return std::string(XVIEW_TEST_DATA) + "/real-models/" + name; }

tinygltf::Model Converted(const std::string& model, const std::string& output, std::string* messages = nullptr) {
  const ConverterRun run = RunConverter({model, "-o", output});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  if (messages) *messages = run.output;
  tinygltf::Model gltf;
  std::string error;
  EXPECT_TRUE(LoadGltf(output, gltf, error)) << error;
  return gltf;
}

std::vector<double> InverseBinds(const tinygltf::Model& gltf) {
  EXPECT_EQ(gltf.skins.size(), 1u);
  return gltf.skins.empty() ? std::vector<double>{} : ReadAccessor(gltf, gltf.skins[0].inverseBindMatrices);
}

// The positions' extent along each axis.
Vec3 Extent(const tinygltf::Model& gltf) {
  const tinygltf::Accessor& positions =
      gltf.accessors.at(static_cast<std::size_t>(gltf.meshes.at(0).primitives.at(0).attributes.at("POSITION")));
  Vec3 extent{};
  for (std::size_t c = 0; c < 3; ++c) extent[c] = positions.maxValues.at(c) - positions.minValues.at(c);
  return extent;
}

// An exporter that inverts the bind pose in single precision writes
// 0.99999994 where the offsets end in 1: glTF takes exactly (0, 0, 0, 1).
TEST(RealFiles, InverseBindMatricesEndInExactlyZeroZeroZeroOne) {
  Scratch out;
  const std::vector<double> matrices =
      InverseBinds(Converted(RealModel("single-precision-offsets.x"), out / "leg.glb"));
  ASSERT_EQ(matrices.size(), 32u);
  for (std::size_t m = 0; m < matrices.size(); m += 16) {
    EXPECT_EQ(matrices[m + 3], 0.0);
    EXPECT_EQ(matrices[m + 7], 0.0);
    EXPECT_EQ(matrices[m + 11], 0.0);
    EXPECT_EQ(matrices[m + 15], 1.0);
  }
}

// Every joint carries the same scale (a character made at twenty times its
// size; a square of centimetres): the scale is in the stored vertices and
// the joints' matrices are rigid, as Blender's bones need them. The poses
// themselves are the viewers' (the pose tests take these files too).
TEST(RealFiles, AStretchEveryJointSharesMovesIntoTheVertices) {
  Scratch out;
  const tinygltf::Model twentyfold = Converted(RealModel("twentyfold-skeleton.x"), out / "twentyfold.glb");
  const std::vector<double> matrices = InverseBinds(twentyfold);
  ASSERT_EQ(matrices.size(), 32u);
  for (std::size_t m = 0; m < matrices.size(); m += 16)
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        double dot = 0;  // of columns i and j of the linear part
        for (int k = 0; k < 3; ++k) dot += matrices[m + i * 4 + k] * matrices[m + j * 4 + k];
        EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 1e-5) << "joint " << m / 16;
      }
  // 2 units tall as the viewers show it, 40 in the skeleton's units.
  EXPECT_NEAR(Extent(twentyfold)[1], 40.0, 1e-4);

  Scratch made;
  const tinygltf::Model centimetres = Converted(made.Write("centimetres.x", CentimetreModel()), out / "cm.glb");
  EXPECT_NEAR(Extent(centimetres)[0], 200.0, 1e-3);
  const std::vector<double> square = InverseBinds(centimetres);
  ASSERT_EQ(square.size(), 16u);
  EXPECT_NEAR(square[0], 1.0, 1e-6);
}

// A mesh without texture coordinates that shares a textured material: its
// primitive gets the material without the texture, said once for the mesh.
TEST(RealFiles, AMeshWithoutTextureCoordinatesHasItsMaterialWithoutTheTexture) {
  Scratch out;
  std::string messages;
  const tinygltf::Model gltf = Converted(RealModel("untextured-mesh.x"), out / "sign.glb", &messages);
  ASSERT_EQ(gltf.meshes.size(), 2u);
  const tinygltf::Primitive& panel = gltf.meshes[0].primitives.at(0);
  const tinygltf::Primitive& rim = gltf.meshes[1].primitives.at(0);
  ASSERT_TRUE(panel.attributes.count("TEXCOORD_0"));
  ASSERT_FALSE(rim.attributes.count("TEXCOORD_0"));
  ASSERT_NE(panel.material, rim.material);
  const tinygltf::Material& textured = gltf.materials.at(static_cast<std::size_t>(panel.material));
  const tinygltf::Material& plain = gltf.materials.at(static_cast<std::size_t>(rim.material));
  EXPECT_GE(textured.pbrMetallicRoughness.baseColorTexture.index, 0);
  EXPECT_EQ(plain.pbrMetallicRoughness.baseColorTexture.index, -1);
  EXPECT_EQ(plain.name, textured.name);
  EXPECT_EQ(plain.pbrMetallicRoughness.roughnessFactor, textured.pbrMetallicRoughness.roughnessFactor);
  const std::string line = "mesh \"rim\" has no texture coordinates; its materials are written without their textures";
  EXPECT_TRUE(Has(messages, line)) << messages;
  EXPECT_EQ(messages.find(line), messages.rfind(line)) << messages;
  EXPECT_FALSE(Has(messages, "mesh \"panel\"")) << messages;
}

// NaN and infinity: said for each record, replaced, and never null in the JSON.
TEST(RealFiles, NumbersThatAreNotFiniteAreSaidAndReplaced) {
  Scratch folder;
  std::string messages;
  const std::string gltfFile = folder / "broken.gltf";
  const tinygltf::Model gltf = Converted(folder.Write("broken.x", NonFiniteModel()), gltfFile, &messages);
  EXPECT_FALSE(Has(ReadWholeFile(gltfFile), "null"));
  for (const char* said :
       {"frame \"Broken\": its matrix holds a number that is not finite (NaN or infinite); the identity is written "
        "in its place",
        "mesh \"plate\": 3 vertices hold a number that is not finite (NaN or infinite); it is written as 0",
        "mesh \"skinned\": the offset matrix of bone \"Lost\" holds a number that is not finite",
        "animation set \"Move\": 1 keys hold a number that is not finite (NaN or infinite); they are left out"})
    EXPECT_TRUE(Has(messages, said)) << said << "\n" << messages;
  for (std::size_t a = 0; a < gltf.accessors.size(); ++a)
    for (double value : ReadAccessor(gltf, static_cast<int>(a))) EXPECT_TRUE(std::isfinite(value)) << "accessor " << a;
  // The plate's vertices: a coordinate that is not finite is 0 (z mirrored).
  const std::vector<double> plate = ReadAccessor(gltf, gltf.meshes.at(0).primitives.at(0).attributes.at("POSITION"));
  EXPECT_EQ(plate, (std::vector<double>{0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 0, 0}));
  // The key at tick 10 is gone: the position blends from the key at 0 to the one at 20.
  const std::vector<double> times = AnimationTimes(gltf, 0);
  EXPECT_EQ(std::count(times.begin(), times.end(), static_cast<float>(10.0 / 30.0)), 0);
}

// A .gltf that cannot be written whole (here: files may be no larger than
// 256 KiB, and its buffer is larger) leaves the former output of that name
// as it was, every file of it.
TEST(RealFiles, AFailedGltfWriteLeavesTheFormerOutputWhole) {
  Scratch in, out;
  in.Write("checker.png", ReadWholeFile(RealModel("checker.png")));
  const std::string small = in.Write("small.x", ReadWholeFile(RealModel("untextured-mesh.x")));
  ASSERT_EQ(RunConverter({small, "-o", out / "sign.gltf"}).exitCode, 0);
  std::vector<std::pair<fs::path, std::string>> former;
  for (const fs::directory_entry& entry : fs::directory_iterator(out.Path()))
    former.emplace_back(entry.path(), ReadWholeFile(entry.path().string()));
  ASSERT_EQ(former.size(), 3u);  // sign.gltf, sign.bin, sign-checker.png

  // The same textured material on a sheet of 40,000 vertices.
  std::string sheet = "xof 0303txt 0032\nMesh panel {\n 40000;\n";
  for (int v = 0; v < 40000; ++v)
    sheet += " " + std::to_string(v % 200) + ".0;" + std::to_string(v / 200) + ".0;0.0;" + (v < 39999 ? "," : ";");
  sheet += "\n 1;\n 3;0,1,200;;\n MeshTextureCoords { 40000;";
  for (int v = 0; v < 40000; ++v) sheet += std::string(" 0.5;0.5;") + (v < 39999 ? "," : ";");
  sheet +=
      " }\n MeshMaterialList { 1; 1; 0;; Material painted { 1.0;1.0;1.0;1.0;; 20.0; 0.5;0.5;0.5;; 0.0;0.0;0.0;; "
      "TextureFilename { \"checker.png\"; } } }\n}\n";
  const std::string large = in.Write("large.x", sheet);
  const std::string limited = "trap '' XFSZ; ulimit -f 256 && exec '" + std::string(XVIEW_XFILECONVERT) + "' '" +
                              large + "' -o '" + (out / "sign.gltf") + "' 2>&1";
  FILE* pipe = ::popen(limited.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string said;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) said.append(buffer, got);
  EXPECT_NE(::pclose(pipe), 0) << said;
  EXPECT_TRUE(Has(said, "not written: File too large")) << said;
  std::size_t files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(out.Path())) {
    ++files;
    EXPECT_FALSE(Has(entry.path().filename().string(), ".tmp-")) << entry.path();
  }
  EXPECT_EQ(files, former.size());
  for (const auto& [path, bytes] : former) EXPECT_EQ(ReadWholeFile(path.string()), bytes) << path;
}

}  // namespace
}  // namespace convert_test
