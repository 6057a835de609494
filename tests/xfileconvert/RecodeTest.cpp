// .x output: a file written again through every format and back gives the
// same records, with 32- and 64-bit floats.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <cstring>

#include "ConverterRun.h"
#include "TestModels.h"
#include "ViewerPoses.h"

namespace convert_test {
namespace {

template <class Map>
void ExpectSameKeys(const Map& a, const Map& b, const char* what) {
  ASSERT_EQ(a.size(), b.size()) << what;
  for (auto x = a.begin(), y = b.begin(); x != a.end(); ++x, ++y) {
    EXPECT_EQ(x->first, y->first) << what;
    EXPECT_EQ(std::memcmp(&x->second, &y->second, sizeof x->second), 0) << what << " at " << x->first;
  }
}

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"/\\") + 1); }

// Every field of the two scenes is the same, bit for bit; texture names
// carry their model's folder, which differs.
void ExpectSameRecords(const XFileScene& a, const XFileScene& b) {
  EXPECT_EQ(a.ticksPerSecond, b.ticksPerSecond);
  ASSERT_EQ(a.frames.size(), b.frames.size());
  for (std::size_t i = 0; i < a.frames.size(); ++i) {
    EXPECT_EQ(a.frames[i].name, b.frames[i].name);
    EXPECT_EQ(std::memcmp(&a.frames[i].transform, &b.frames[i].transform, sizeof(D3DXMATRIX)), 0);
    EXPECT_EQ(a.frames[i].parent == nullptr, b.frames[i].parent == nullptr);
  }
  ASSERT_EQ(a.meshes.size(), b.meshes.size());
  for (std::size_t m = 0; m < a.meshes.size(); ++m) {
    const XMesh &x = a.meshes[m], &y = b.meshes[m];
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.flags, y.flags);
    ASSERT_EQ(x.vertices.size(), y.vertices.size());
    for (std::size_t v = 0; v < x.vertices.size(); ++v) {
      const XVertex &p = x.vertices[v], &q = y.vertices[v];
      // Position, normal, tangent, texture coordinate and colour lie before the influences.
      EXPECT_EQ(std::memcmp(&p, &q, offsetof(XVertex, influences)), 0) << "vertex " << v;
      ASSERT_EQ(p.influences.size(), q.influences.size());
      for (std::size_t k = 0; k < p.influences.size(); ++k) {
        EXPECT_EQ(p.influences[k].bone, q.influences[k].bone);
        EXPECT_EQ(p.influences[k].weight, q.influences[k].weight);
      }
    }
    ASSERT_EQ(x.faces.size(), y.faces.size());
    for (std::size_t f = 0; f < x.faces.size(); ++f) {
      EXPECT_EQ(x.faces[f].corners, y.faces[f].corners);
      EXPECT_EQ(x.faces[f].material, y.faces[f].material);
    }
    ASSERT_EQ(x.materials.size(), y.materials.size());
    for (std::size_t i = 0; i < x.materials.size(); ++i) {
      const XMaterial &s = x.materials[i], &t = y.materials[i];
      EXPECT_EQ(s.name, t.name);
      EXPECT_EQ(std::memcmp(&s.diffuse, &t.diffuse, sizeof s.diffuse), 0);
      EXPECT_EQ(std::memcmp(&s.emissive, &t.emissive, sizeof s.emissive), 0);
      EXPECT_EQ(std::memcmp(&s.specular, &t.specular, sizeof s.specular), 0);
      EXPECT_EQ(s.power, t.power);
      for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(NameOf(s.textureFiles[k]), NameOf(t.textureFiles[k]));
    }
    ASSERT_EQ(x.bones.size(), y.bones.size());
    for (std::size_t i = 0; i < x.bones.size(); ++i) {
      EXPECT_EQ(x.bones[i].name, y.bones[i].name);
      EXPECT_EQ(std::memcmp(&x.bones[i].offset, &y.bones[i].offset, sizeof(D3DXMATRIX)), 0);
    }
  }
  ASSERT_EQ(a.animationSets.size(), b.animationSets.size());
  for (std::size_t s = 0; s < a.animationSets.size(); ++s) {
    const XAnimationSet &x = a.animationSets[s], &y = b.animationSets[s];
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.lastKeyTime, y.lastKeyTime);
    ASSERT_EQ(x.animations.size(), y.animations.size());
    for (std::size_t k = 0; k < x.animations.size(); ++k) {
      EXPECT_EQ(x.animations[k].frameName, y.animations[k].frameName);
      ExpectSameKeys(x.animations[k].rotationKeys, y.animations[k].rotationKeys, "rotation");
      ExpectSameKeys(x.animations[k].scaleKeys, y.animations[k].scaleKeys, "scale");
      ExpectSameKeys(x.animations[k].positionKeys, y.animations[k].positionKeys, "position");
      ExpectSameKeys(x.animations[k].matrixKeys, y.animations[k].matrixKeys, "matrix");
    }
  }
}

std::string HeaderOf(const std::string& path) { return ReadWholeFile(path).substr(0, 16); }

TEST(Recode, TextBinaryCompressedAndBackGiveTheSameRecords) {
  // Text, binary and compressed files of other tools, and one with every
  // animation record and several frames.
  for (const std::string& model :
       {DataModel("BCN_Epileptic.X"), DataModel("anim_test.x"), DataModel("test_cube_compressed.x"),
        DataModel("fromtruespace_bin32.x"), AssetModel("miko.x"), DataModel("kwxport_test_cubewithvcolors.x")}) {
    ViewerModel original(model);
    ASSERT_TRUE(original.Loaded()) << model;
    for (const char* floats : {"32", "64"}) {
      SCOPED_TRACE(model + ", " + floats + "-bit floats");
      Scratch out;
      std::string from = model;
      for (const char* format : {"bin", "bzip", "tzip", "txt"}) {
        const std::string to = out / (std::string(format) + ".x");
        const ConverterRun run = RunConverter({from, "-o", to, "--format", format, "--float", floats});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(HeaderOf(to).substr(8), std::string(format) + (format[3] ? "" : " ") + "00" + floats);
        ViewerModel again(to);
        ASSERT_TRUE(again.Loaded()) << format;
        ExpectSameRecords(original.Scene(), again.Scene());
        from = to;
      }
    }
  }
}

// A damaged file converts to a whole file of what the reader reads of it,
// the damage said: the records before the damage as they are, the record it
// cuts completed with zeros where its values are missing.
TEST(Recode, ADamagedFileGivesWhatTheReaderReadsOfIt) {
  for (const char* format : {"bzip", "tzip"}) {
    SCOPED_TRACE(format);
    Scratch out;
    const std::string whole = out / "whole.x", text = out / "text.x";
    ASSERT_EQ(RunConverter({AssetModel("miko.x"), "-o", whole, "--format", format, "--block", "2000"}).exitCode, 0);
    const std::string bytes = ReadWholeFile(whole);
    Scratch in;
    const std::string damaged = in.Write("damaged.x", bytes.substr(0, bytes.size() * 2 / 3));
    const ConverterRun run = RunConverter({damaged, "-o", text});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "the compressed data is damaged")) << run.output;
    EXPECT_TRUE(Has(run.output, "are missing; they are written as 0")) << run.output;
    ViewerModel read(damaged), written(text);
    ASSERT_TRUE(read.Loaded() && written.Loaded());
    ASSERT_FALSE(read.Scene().meshes.empty());
    // The mesh the damage cuts keeps its positions; its normals are made again from what was kept.
    XFileScene& a = read.Scene();
    XFileScene& b = written.Scene();
    ASSERT_EQ(a.meshes.size(), b.meshes.size());
    const XMesh &cutA = a.meshes.back(), &cutB = b.meshes.back();
    ASSERT_EQ(cutA.vertices.size(), cutB.vertices.size());
    for (std::size_t v = 0; v < cutA.vertices.size(); ++v)
      EXPECT_EQ(cutA.vertices[v].position, cutB.vertices[v].position) << "vertex " << v;
    a.meshes.pop_back();
    b.meshes.pop_back();
    ExpectSameRecords(a, b);
  }
}

// A block that claims more than a block may hold is damage, as the reader
// takes it: the text written holds what the reader read, nothing beyond.
TEST(Recode, ABlockLargerThanAnyBlockIsDamage) {
  std::string body = CubeModel().substr(16);
  body.resize(40000, ' ');
  z_stream deflater{};
  deflateInit2(&deflater, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string packed(deflateBound(&deflater, body.size()), '\0');
  deflater.next_in = reinterpret_cast<Bytef*>(body.data());
  deflater.avail_in = static_cast<uInt>(body.size());
  deflater.next_out = reinterpret_cast<Bytef*>(packed.data());
  deflater.avail_out = static_cast<uInt>(packed.size());
  deflate(&deflater, Z_FINISH);
  packed.resize(packed.size() - deflater.avail_out);
  deflateEnd(&deflater);
  auto little = [](std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
  };
  // The container's size field allows anything; the one block claims 40,000 bytes.
  const std::string file = "xof 0303tzip0032" + little(0xFFFFFFFFu, 4) + little(40000, 2) +
                           little(static_cast<std::uint32_t>(packed.size() + 2), 2) + "CK" + packed;
  Scratch in, out;
  const std::string damaged = in.Write("oversized.x", file), text = out / "text.x";
  const ConverterRun run = RunConverter({damaged, "-o", text});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(Has(run.output, "the compressed data is damaged")) << run.output;
  ViewerModel read(damaged), written(text);
  EXPECT_TRUE(written.Scene().meshes.empty());
  ExpectSameRecords(read.Scene(), written.Scene());
}

// The twins the tests and sweeps make with --block: small blocks, many of them.
TEST(Recode, CompressedOutputTakesItsBlockSize) {
  Scratch out;
  const std::string small = out / "small.x", large = out / "large.x";
  ASSERT_EQ(RunConverter({AssetModel("miko.x"), "-o", small, "--format", "bzip", "--block", "1024"}).exitCode, 0);
  ASSERT_EQ(RunConverter({AssetModel("miko.x"), "-o", large, "--format", "bzip"}).exitCode, 0);
  EXPECT_GT(ReadWholeFile(small).size(), ReadWholeFile(large).size());
  ViewerModel a(small), b(large);
  ASSERT_TRUE(a.Loaded() && b.Loaded());
  ExpectSameRecords(a.Scene(), b.Scene());
}

// What does not fit its template is said once per file and mended, so that
// the output is the format's own: a kind no template declares is kept as it
// was found; a count past what the file could hold is written as what it
// could; values an object lacks are written as 0, values past its last
// member left out.
TEST(Recode, WhatDoesNotFitItsTemplateIsSaidAndMended) {
  Scratch in, out;
  const std::string source = in.Write("odd.x", R"(xof 0303txt 0032
Gizmo spinner { 1; 2.5; "axis"; }
Mesh huge { 2000000000; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; }
Material short { 1.0;0.5;0.25;1.0;; }
Frame F { FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0,7.0;; } }
)");
  for (const char* format : {"txt", "bin"}) {
    SCOPED_TRACE(format);
    const std::string target = out / (std::string(format) + ".x");
    const ConverterRun run = RunConverter({source, "-o", target, "--format", format});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Has(run.output, "no template declares the kind Gizmo")) << run.output;
    EXPECT_TRUE(Has(run.output, "counts are more than the rest of the file holds")) << run.output;
    EXPECT_TRUE(Has(run.output, "are missing; they are written as 0")) << run.output;
    EXPECT_TRUE(Has(run.output, "values beyond what the templates lay out are left out")) << run.output;
    EXPECT_LT(ReadWholeFile(target).size(), 20000u);
    ViewerModel written(target);
    ASSERT_TRUE(written.Loaded());
    ASSERT_EQ(written.Scene().frames.size(), 1u);
    EXPECT_EQ(written.Scene().frames[0].transform, IdentityMatrix());
    ASSERT_EQ(written.Scene().meshes.size(), 1u);
    EXPECT_EQ(written.Scene().meshes[0].vertices[1].position, D3DXVECTOR3(1, 0, 0));
  }
  // The kind no template declares is kept, as found.
  EXPECT_TRUE(Has(ReadWholeFile(out / "txt.x"), "Gizmo spinner {")) << ReadWholeFile(out / "txt.x");
}

}  // namespace
}  // namespace convert_test
