// What the converter puts into the glTF, read back with tinygltf: handedness
// and winding, materials and textures, skins, animation sets, the asset.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "ConverterRun.h"
#include "GltfPoses.h"
#include "TestModels.h"
#include "ViewerPoses.h"

namespace convert_test {
namespace {

// Converts `model` (a file) to `out`/model.glb and reads it back.
tinygltf::Model Converted(const Scratch& out, const std::string& model, std::string* messages = nullptr) {
  const std::string glb = out / "model.glb";
  const ConverterRun run = RunConverter({model, "-o", glb});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  if (messages) *messages = run.output;
  tinygltf::Model gltf;
  std::string error;
  EXPECT_TRUE(LoadGltf(glb, gltf, error)) << error;
  return gltf;
}

int NodeNamed(const tinygltf::Model& gltf, const std::string& name) {
  for (std::size_t i = 0; i < gltf.nodes.size(); ++i)
    if (gltf.nodes[i].name == name) return static_cast<int>(i);
  return -1;
}

const tinygltf::Material* MaterialNamed(const tinygltf::Model& gltf, const std::string& name) {
  for (const tinygltf::Material& material : gltf.materials)
    if (material.name == name) return &material;
  return nullptr;
}

Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Every triangle turns counter-clockwise seen from where its vertex normals
// point: glTF's front face, which the viewers drew as Direct3D's clockwise one.
void ExpectFrontFacesCounterClockwise(const tinygltf::Model& gltf) {
  for (const tinygltf::Mesh& mesh : gltf.meshes)
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
      const std::vector<double> p = ReadAccessor(gltf, primitive.attributes.at("POSITION"));
      const std::vector<double> n = ReadAccessor(gltf, primitive.attributes.at("NORMAL"));
      const std::vector<double> indices = ReadAccessor(gltf, primitive.indices);
      for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        Vec3 corner[3], normal{0, 0, 0};
        for (std::size_t k = 0; k < 3; ++k) {
          const auto v = static_cast<std::size_t>(indices[t + k]);
          corner[k] = {p[v * 3], p[v * 3 + 1], p[v * 3 + 2]};
          for (std::size_t c = 0; c < 3; ++c) normal[c] += n[v * 3 + c];
        }
        const Vec3 turn =
            Cross({corner[1][0] - corner[0][0], corner[1][1] - corner[0][1], corner[1][2] - corner[0][2]},
                  {corner[2][0] - corner[0][0], corner[2][1] - corner[0][1], corner[2][2] - corner[0][2]});
        EXPECT_GT(Dot(turn, normal), 0) << mesh.name << " triangle " << t / 3;
      }
    }
}

TEST(Handedness, PointsAreMirroredInZAndFrontFacesTurnCounterClockwise) {
  Scratch folder;
  const std::string cube = folder.Write("cube.x", CubeModel());
  const tinygltf::Model gltf = Converted(folder, cube);
  ViewerModel viewer(cube);
  const XMesh& record = viewer.Scene().meshes.at(0);
  const std::vector<double> p = ReadAccessor(gltf, gltf.meshes.at(0).primitives.at(0).attributes.at("POSITION"));
  ASSERT_EQ(p.size(), record.vertices.size() * 3);
  for (std::size_t v = 0; v < record.vertices.size(); ++v) {
    EXPECT_EQ(p[v * 3], record.vertices[v].position.x);
    EXPECT_EQ(p[v * 3 + 1], record.vertices[v].position.y);
    EXPECT_EQ(p[v * 3 + 2], -record.vertices[v].position.z);
  }
  ExpectFrontFacesCounterClockwise(gltf);
  // A rigid model of another tool, and skinned meshes, whose vertices and
  // normals are placed where the model stands. (test_cube_text.x is no
  // witness: two of its sides have normals that point inward.)
  for (const char* model : {"test.x", "BCN_Epileptic.X"}) {
    SCOPED_TRACE(model);
    Scratch out;
    ExpectFrontFacesCounterClockwise(Converted(out, DataModel(model)));
  }
}

// A 2 x 2 image file of `format` written by stb, or by hand for DDS.
std::string ImageFile(const std::string& format, bool alpha) {
  const unsigned char rgba[16] = {255, 0, 0,   255, 0,   255, 0,   static_cast<unsigned char>(alpha ? 0 : 255),
                                  0,   0, 255, 255, 255, 255, 255, static_cast<unsigned char>(alpha ? 40 : 255)};
  std::string bytes;
  auto append = [](void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
  };
  const int channels = alpha ? 4 : 3;
  unsigned char pixels[16];
  for (int i = 0; i < 4; ++i) std::memcpy(pixels + i * channels, rgba + i * 4, static_cast<std::size_t>(channels));
  if (format == "png") stbi_write_png_to_func(append, &bytes, 2, 2, channels, pixels, 2 * channels);
  if (format == "tga") stbi_write_tga_to_func(append, &bytes, 2, 2, channels, pixels);
  if (format == "dds") {
    // "DDS ", a 124-byte header (height, width, 32-bit A8R8G8B8 masks), then BGRA texels.
    std::uint32_t header[31] = {124, 0x1007, 2, 2, 8, 0, 1};
    header[18] = 32;
    header[19] = 0x41;  // alpha and RGB
    header[21] = 32;
    header[22] = 0x00FF0000, header[23] = 0x0000FF00, header[24] = 0x000000FF, header[25] = 0xFF000000;
    bytes = "DDS " + std::string(reinterpret_cast<const char*>(header), sizeof header);
    for (int i = 0; i < 4; ++i)
      bytes += {static_cast<char>(rgba[i * 4 + 2]), static_cast<char>(rgba[i * 4 + 1]), static_cast<char>(rgba[i * 4]),
                static_cast<char>(rgba[i * 4 + 3])};
  }
  return bytes;
}

std::string ImageBytes(const tinygltf::Model& gltf, const tinygltf::Image& image) {
  const tinygltf::BufferView& view = gltf.bufferViews.at(static_cast<std::size_t>(image.bufferView));
  const std::vector<unsigned char>& data = gltf.buffers.at(0).data;
  return std::string(data.begin() + static_cast<std::ptrdiff_t>(view.byteOffset),
                     data.begin() + static_cast<std::ptrdiff_t>(view.byteOffset + view.byteLength));
}

const tinygltf::Image& TextureImage(const tinygltf::Model& gltf, const tinygltf::Material& material) {
  const int texture = material.pbrMetallicRoughness.baseColorTexture.index;
  return gltf.images.at(static_cast<std::size_t>(gltf.textures.at(static_cast<std::size_t>(texture)).source));
}

TEST(Materials, ColoursRoughnessAndTexturesAreWhatTheViewersDrawWith) {
  Scratch folder;
  const std::string png = ImageFile("png", true);
  folder.Write("tex/leaf.png", png);
  folder.Write("wood.tga", ImageFile("tga", false));
  folder.Write("glass.dds", ImageFile("dds", true));
  Scratch out;
  std::string messages;
  const tinygltf::Model gltf = Converted(out, folder.Write("squares.x", MaterialsModel()), &messages);

  const tinygltf::Material* plain = MaterialNamed(gltf, "plain");
  ASSERT_NE(plain, nullptr);
  auto floats = [](const std::vector<double>& values) { return std::vector<float>(values.begin(), values.end()); };
  EXPECT_EQ(floats(plain->pbrMetallicRoughness.baseColorFactor), (std::vector<float>{0.2f, 0.4f, 0.6f, 0.5f}));
  EXPECT_EQ(floats(plain->emissiveFactor), (std::vector<float>{0.1f, 0, 0}));
  EXPECT_EQ(plain->pbrMetallicRoughness.metallicFactor, 0.0);
  EXPECT_NEAR(plain->pbrMetallicRoughness.roughnessFactor, std::pow(2.0 / 12.0, 0.25), 1e-6);
  EXPECT_EQ(plain->alphaMode, "OPAQUE");
  EXPECT_EQ(plain->pbrMetallicRoughness.baseColorTexture.index, -1);
  EXPECT_EQ(MaterialNamed(gltf, "matte")->pbrMetallicRoughness.roughnessFactor, 1.0);  // a black specular

  // A PNG goes in as it is; its alpha makes the viewers' cutout.
  const tinygltf::Material* cutout = MaterialNamed(gltf, "cutout");
  ASSERT_NE(cutout, nullptr);
  EXPECT_EQ(cutout->alphaMode, "MASK");
  EXPECT_EQ(cutout->alphaCutoff, 0.5);
  EXPECT_EQ(TextureImage(gltf, *cutout).mimeType, "image/png");
  EXPECT_EQ(ImageBytes(gltf, TextureImage(gltf, *cutout)), png);

  // TGA and DDS become PNG of the same texels, with alpha where the file has it.
  for (const char* name : {"targa", "glass"}) {
    SCOPED_TRACE(name);
    const tinygltf::Material* material = MaterialNamed(gltf, name);
    ASSERT_NE(material, nullptr);
    const tinygltf::Image& image = TextureImage(gltf, *material);
    EXPECT_EQ(image.mimeType, "image/png");
    EXPECT_EQ(material->alphaMode, std::string(name) == "glass" ? "MASK" : "OPAQUE");
    ASSERT_EQ(image.width, 2);
    EXPECT_EQ(std::vector<unsigned char>(image.image.begin(), image.image.begin() + 3),
              (std::vector<unsigned char>{255, 0, 0}));
  }

  // A texture that is nowhere: no texture, and the viewers' line.
  EXPECT_EQ(MaterialNamed(gltf, "lost")->pbrMetallicRoughness.baseColorTexture.index, -1);
  EXPECT_TRUE(Has(messages, "texture \"" + folder.Path().string() +
                                "/nowhere.png\" cannot be loaded: the file cannot "
                                "be opened"))
      << messages;
}

TEST(Skins, WeightsSumToOneAndWhatWasNormalisedIsSaidOncePerMesh) {
  Scratch folder;
  std::string messages;
  const tinygltf::Model gltf = Converted(folder, folder.Write("quirks.x", QuirksModel()), &messages);
  EXPECT_TRUE(Has(messages,
                  "mesh \"box\": the skin weights of 4 vertices do not sum to 1 (by up to 0.2); they are "
                  "normalised"))
      << messages;
  const tinygltf::Primitive& primitive = gltf.meshes.at(0).primitives.at(0);
  const std::vector<double> joints = ReadAccessor(gltf, primitive.attributes.at("JOINTS_0"));
  const std::vector<double> weights = ReadAccessor(gltf, primitive.attributes.at("WEIGHTS_0"));
  for (std::size_t v = 0; v < weights.size() / 4; ++v) {
    float sum = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      sum += static_cast<float>(weights[v * 4 + k]);
      if (weights[v * 4 + k] == 0) {
        EXPECT_EQ(joints[v * 4 + k], 0);
      }
    }
    EXPECT_EQ(sum, 1.0f) << "vertex " << v;
  }
}

// All joints under the skin's skeleton, the bone whose frame the file lacks
// on a node of its own that nothing animates.
TEST(Skins, JointsShareOneRootAndABoneWithoutAFrameHasANode) {
  Scratch folder;
  const tinygltf::Model gltf = Converted(folder, folder.Write("quirks.x", QuirksModel()));
  ASSERT_EQ(gltf.skins.size(), 1u);
  const tinygltf::Skin& skin = gltf.skins[0];
  EXPECT_EQ(skin.joints.size(), 3u);
  std::vector<int> parents(gltf.nodes.size(), -1);
  for (std::size_t i = 0; i < gltf.nodes.size(); ++i)
    for (int child : gltf.nodes[i].children) parents[static_cast<std::size_t>(child)] = static_cast<int>(i);
  for (int joint : skin.joints) {
    int at = joint;
    while (at >= 0 && at != skin.skeleton) at = parents[static_cast<std::size_t>(at)];
    EXPECT_EQ(at, skin.skeleton) << "joint " << gltf.nodes[static_cast<std::size_t>(joint)].name;
  }
  const int arm = NodeNamed(gltf, "Arm"), hand = NodeNamed(gltf, "Hand");
  for (int joint : skin.joints) {
    if (joint == arm || joint == hand) continue;
    for (const tinygltf::Animation& animation : gltf.animations)
      for (const tinygltf::AnimationChannel& channel : animation.channels) EXPECT_NE(channel.target_node, joint);
  }
}

// f3d and other viewers frame a model by its stored positions. (Where every
// joint carries the same scale, that scale is stored with them instead:
// RealFiles.AStretchEveryJointSharesMovesIntoTheVertices.)
TEST(Skins, VerticesAreStoredWhereTheModelStands) {
  Scratch folder;
  const tinygltf::Model gltf = Converted(folder, folder.Write("mixed.x", MixedUnitsModel()));
  const tinygltf::Accessor& positions =
      gltf.accessors.at(static_cast<std::size_t>(gltf.meshes.at(0).primitives.at(0).attributes.at("POSITION")));
  for (int c = 0; c < 2; ++c) {
    EXPECT_NEAR(positions.minValues.at(static_cast<std::size_t>(c)), -1.0, 1e-4);
    EXPECT_NEAR(positions.maxValues.at(static_cast<std::size_t>(c)), 1.0, 1e-4);
  }
}

TEST(Animations, EverySetIsAnAnimationInFileOrderWithWhatTheViewersShow) {
  Scratch folder;
  const tinygltf::Model gltf = Converted(folder, folder.Write("quirks.x", QuirksModel()));
  ASSERT_EQ(gltf.animations.size(), 3u);
  EXPECT_EQ(gltf.animations[0].name, "Late");
  EXPECT_EQ(gltf.animations[1].name, "Still");
  EXPECT_EQ(gltf.animations[2].name, "Twice");
  // A set that animates nothing holds one frame still.
  EXPECT_EQ(gltf.animations[1].channels.size(), 1u);
  // The key at -1 never shows: the set ends at its last key time, 40 ticks at 30 a second.
  const std::vector<double> late = AnimationTimes(gltf, 0);
  EXPECT_EQ(late.back(), static_cast<float>(40.0 / 30.0));
  // Arm's keys start at tick 10: it holds its last keys from 0 to just before 10.
  const int arm = NodeNamed(gltf, "Arm");
  for (const tinygltf::AnimationChannel& channel : gltf.animations[0].channels) {
    if (channel.target_node != arm) continue;
    const std::vector<double> times =
        ReadAccessor(gltf, gltf.animations[0].samplers.at(static_cast<std::size_t>(channel.sampler)).input);
    EXPECT_EQ(times.at(0), 0.0);
    EXPECT_EQ(times.at(1), std::nextafter(static_cast<float>(10.0 / 30.0), 0.0f));
    // The quarter turn between 10 and 40 needs keys the file does not have.
    EXPECT_GT(times.size(), 4u);
  }
}

TEST(Animations, ABlendThatGltfCannotFollowIsSaid) {
  Scratch folder;
  std::string messages;
  Converted(folder, folder.Write("halfturn.x", HalfTurnModel()), &messages);
  EXPECT_TRUE(Has(messages,
                  "animation set \"Turn\": glTF's interpolation cannot follow the file's blending of "
                  "rotation keys; it differs by up to"))
      << messages;
}

TEST(Asset, TheGeneratorNamesTheProjectAndItsVersion) {
  Scratch folder;
  const tinygltf::Model gltf = Converted(folder, folder.Write("cube.x", CubeModel()));
  EXPECT_EQ(gltf.asset.version, "2.0");
  EXPECT_EQ(gltf.asset.generator.rfind("XViewer xfileconvert ", 0), 0u) << gltf.asset.generator;
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(gltf.asset.generator.back()))) << gltf.asset.generator;
}

}  // namespace
}  // namespace convert_test
