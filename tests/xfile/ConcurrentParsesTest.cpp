// Parses on several threads at once read as they read alone: each parse keeps
// its state in its own reader. The thread sanitizer build runs this test.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <thread>

#include "ModelFiles.h"
#include "XFileWriter.h"

namespace xfile_test {
namespace {

// Everything a parse makes of a file, as text: every field of every record,
// floats by their bits, and the warnings with their messages.
class RecordText {
 public:
  std::string Of(const XFileScene& scene, const ParseResult& parse) {
    out_.str("");
    std::unordered_map<const XFrame*, std::size_t> index;
    for (std::size_t i = 0; i < scene.frames.size(); ++i) index.emplace(&scene.frames[i], i);
    auto frameIndex = [&](const XFrame* frame) { return frame ? static_cast<long>(index.at(frame)) : -1L; };
    out_ << "accepted " << parse.accepted << " format " << Narrow(parse.format) << " page " << parse.codePage
         << " ticks " << scene.ticksPerSecond << "\n";
    for (const XFrame& frame : scene.frames) {
      Name("frame", frame.name);
      Floats(&frame.transform._11, 16);
      out_ << frameIndex(frame.parent) << "\n";
    }
    for (const XMesh& mesh : scene.meshes) {
      Name("mesh", mesh.name);
      out_ << mesh.flags << " frame " << frameIndex(mesh.frame) << "\n";
      for (const XVertex& vertex : mesh.vertices) {
        Floats(&vertex.position.x, 3), Floats(&vertex.normal.x, 3), Floats(&vertex.tangent.x, 4);
        Floats(&vertex.texCoord.x, 2), Floats(&vertex.color.r, 4);
        for (const XSkinInfluence& influence : vertex.influences) Floats(&influence.weight, 1), out_ << influence.bone;
        out_ << "\n";
      }
      for (const XFace& face : mesh.faces) {
        out_ << face.material << ":";
        for (std::int32_t corner : face.corners) out_ << " " << corner;
        out_ << "\n";
      }
      for (const XSubset& subset : mesh.subsets)
        out_ << subset.faceCount << " " << subset.firstFace << " " << subset.material << "\n";
      for (const XMaterial& material : mesh.materials) {
        Name("material", material.name);
        Floats(&material.diffuse.r, 4), Floats(&material.emissive.r, 4), Floats(&material.specular.r, 3);
        Floats(&material.power, 1);
        for (const std::wstring& texture : material.textureFiles) Name("texture", texture);
      }
      for (const XBone& bone : mesh.bones) Name("bone", bone.name), Floats(&bone.offset._11, 16);
    }
    for (const XAnimationSet& set : scene.animationSets) {
      Name("set", set.name);
      out_ << set.lastKeyTime << "\n";
      for (const XAnimation& animation : set.animations) {
        Name("animation", animation.frameName);
        for (const auto& [tick, key] : animation.rotationKeys) out_ << tick, Floats(&key.x, 4);
        for (const auto& [tick, key] : animation.scaleKeys) out_ << tick, Floats(&key.x, 3);
        for (const auto& [tick, key] : animation.positionKeys) out_ << tick, Floats(&key.x, 3);
        for (const auto& [tick, key] : animation.matrixKeys) out_ << tick, Floats(&key._11, 16);
      }
    }
    for (const ParseWarning& warning : parse.warnings)
      out_ << Narrow(ParseWarningName(warning.kind)) << " " << warning.count << " " << Narrow(warning.message) << "\n";
    return out_.str();
  }

 private:
  void Name(const char* what, const std::wstring& name) { out_ << what << " \"" << Narrow(name) << "\" "; }
  void Floats(const float* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t bits;
      std::memcpy(&bits, &values[i], sizeof bits);
      out_ << " " << std::hex << bits << std::dec;
    }
  }

  std::ostringstream out_;
};

// A model in text and as its binary twin, and what one parse at a time
// makes of each.
struct Model {
  std::vector<std::unique_ptr<ModelFile>> files;
  std::vector<std::string> alone;
};

Model Prepare(const std::wstring& path) {
  Model model;
  std::ifstream in(Narrow(path), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const std::string name = Narrow(path.substr(path.find_last_of(L'/') + 1));
  model.files.push_back(std::make_unique<ModelFile>(text.str(), "text-" + name));
  model.files.push_back(std::make_unique<ModelFile>(xfileconvert::Twin(text.str(), "bin"), "bin-" + name));
  for (const auto& file : model.files) {
    XFileScene scene;
    const ParseResult parse = ParseXFile(file->WidePath(), scene, kQuiet);
    EXPECT_TRUE(parse.accepted) << file->Path();
    model.alone.push_back(RecordText().Of(scene, parse));
  }
  return model;
}

// Parses each file of `model` `rounds` times over, text and binary in turn;
// the number of parses that read otherwise than alone.
int ParseOver(const Model& model, int rounds) {
  int differing = 0;
  RecordText text;
  for (int round = 0; round < rounds; ++round)
    for (std::size_t i = 0; i < model.files.size(); ++i) {
      XFileScene scene;
      const ParseResult parse = ParseXFile(model.files[i]->WidePath(), scene, kQuiet);
      differing += text.Of(scene, parse) != model.alone[i];
    }
  return differing;
}

TEST(ConcurrentParses, TwoModelsOnTwoThreadsReadAsEachReadsAlone) {
  const Model character = Prepare(Wide(XVIEW_SOURCE_DIR "/assets/miko.x"));
  const Model body = Prepare(DataModel("BCN_Epileptic.X"));
  // The two differ, so a parse that took the other's state would show.
  ASSERT_NE(character.alone[0], body.alone[0]);

  constexpr int kRounds = 16;
  int characterDiffering = -1, bodyDiffering = -1;
  std::thread first([&] { characterDiffering = ParseOver(character, kRounds); });
  std::thread second([&] { bodyDiffering = ParseOver(body, kRounds); });
  first.join();
  second.join();
  EXPECT_EQ(characterDiffering, 0);
  EXPECT_EQ(bodyDiffering, 0);
}

// Warnings belong to the parse that raised them: a damaged file beside a
// sound one keeps its own, and the sound one gets none.
TEST(ConcurrentParses, WarningsStayWithTheirParse) {
  ModelFile damaged(kHeader + "Mesh m { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,7;; }\n\"open\n");
  const Model body = Prepare(DataModel("BCN_Epileptic.X"));
  int damagedDiffering = 0;
  std::string alone;
  {
    XFileScene scene;
    const ParseResult parse = ParseXFile(damaged.WidePath(), scene, kQuiet);
    ASSERT_EQ(parse.warnings.size(), 2u);
    alone = RecordText().Of(scene, parse);
  }
  std::thread first([&] {
    RecordText text;
    for (int round = 0; round < 50; ++round) {
      XFileScene scene;
      const ParseResult parse = ParseXFile(damaged.WidePath(), scene, kQuiet);
      damagedDiffering += text.Of(scene, parse) != alone;
    }
  });
  const int bodyDiffering = ParseOver(body, 4);
  first.join();
  EXPECT_EQ(damagedDiffering, 0);
  EXPECT_EQ(bodyDiffering, 0);
}

}  // namespace
}  // namespace xfile_test
