// The platform's own parser (D3DX's ID3DXFile under Wine) reads every model
// file we have as it is, and every .x the converter writes from them, in
// each format, with the same objects as its source. One Wine start per test.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>

#include "ConverterRun.h"
#include "PeerReaders.h"

namespace {

namespace fs = std::filesystem;
using convert_test::ConverterRun;
using convert_test::ModelFolder;
using convert_test::ModelsToConvert;
using convert_test::RunConverter;
using convert_test::Scratch;

std::vector<std::string> EveryModel() {
  std::vector<std::string> paths;
  for (const ModelFolder& folder : ModelsToConvert())
    paths.insert(paths.end(), folder.files.begin(), folder.files.end());
  return paths;
}

// Test models of ours that Wine's parser cannot read, though they are .x
// files (D3dxReads.WhatWinesParserRefuses shows each limit).
const std::map<std::string, const char*> kBeyondWine = {
    {"bones300.x", "a mesh with 300 SkinWeights children: Wine takes at most 200 children in one object"},
    {"separate-frames.x", "FLOAT members written as integers (0;)"},
};

// The oracle's calibration: files of many exporters, and ours, enumerate
// whole; an empty file is refused.
TEST(D3dxReads, EveryModelAsItIs) {
  Scratch folder;
  std::vector<std::string> paths = EveryModel();
  paths.push_back(folder.Write("empty.x", ""));
  const peers::D3dxRun run = peers::EnumerateWithD3dx(paths);
  if (!run.unavailable.empty()) GTEST_SKIP() << run.unavailable;
  ASSERT_EQ(run.files.size(), paths.size()) << run.errorOutput;
  for (std::size_t i = 0; i + 1 < paths.size(); ++i) {
    const auto beyond = kBeyondWine.find(fs::path(paths[i]).filename().string());
    if (beyond != kBeyondWine.end()) {
      EXPECT_FALSE(run.files[i].ok) << paths[i] << " was expected beyond Wine's parser: " << beyond->second;
      continue;
    }
    EXPECT_TRUE(run.files[i].ok) << run.files[i].failure;
    EXPECT_FALSE(run.files[i].objects.empty()) << paths[i];
  }
  EXPECT_FALSE(run.files.back().ok) << "an empty file is not a .x file";
}

// Where Wine's parser is stricter than the format, so that its refusals are
// not taken for faults of ours: a FLOAT member written as an integer; an
// object with more than 200 children (200 it takes); and a 64-bit binary file,
// whose float lists it reads as 4-byte floats whatever the header says.
TEST(D3dxReads, WhatWinesParserRefuses) {
  Scratch folder;
  const std::string mesh = "Mesh m { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;;";
  auto withChildren = [&](int count) {
    std::string text = "xof 0303txt 0032\n" + mesh + "\n";
    for (int i = 0; i < count; ++i) text += "VertexDuplicationIndices { 3; 3; 0,1,2;; }\n";
    return text + "}\n";
  };
  auto binary = [](const char* floatSize, int floatBytes) {
    // Material Red { TOKEN_FLOAT_LIST of its 11 floats }
    auto word = [](int v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; };
    auto dword = [&](int v) { return word(v & 0xFFFF) + word(v >> 16); };
    auto name = [&](const std::string& text) { return word(1) + dword(static_cast<int>(text.size())) + text; };
    std::string floats;
    for (double value : {1.0, 0.0, 0.0, 1.0, 8.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}) {
      const float single = static_cast<float>(value);
      floats += floatBytes == 4 ? std::string(reinterpret_cast<const char*>(&single), 4)
                                : std::string(reinterpret_cast<const char*>(&value), 8);
    }
    return std::string("xof 0303bin ") + floatSize + name("Material") + name("Red") + word(0x0a) + word(7) + dword(11) +
           floats + word(0x0b);
  };
  const std::vector<std::string> paths = {
      folder.Write("integer-float.x",
                   "xof 0303txt 0032\nMesh m { 3; 0.0;0.0;0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; }\n"),
      folder.Write("children200.x", withChildren(200)),
      folder.Write("children201.x", withChildren(201)),
      folder.Write("binary64.x", binary("0064", 8)),
      folder.Write("binary64-single.x", binary("0064", 4)),
      folder.Write("binary32.x", binary("0032", 4)),
  };
  const peers::D3dxRun run = peers::EnumerateWithD3dx(paths);
  if (!run.unavailable.empty()) GTEST_SKIP() << run.unavailable;
  ASSERT_EQ(run.files.size(), paths.size()) << run.errorOutput;
  const bool taken[] = {false, true, false, false, true, true};
  for (std::size_t i = 0; i < paths.size(); ++i)
    EXPECT_EQ(run.files[i].ok, taken[i]) << paths[i] << run.files[i].failure;
  EXPECT_EQ(peers::CompareListings(run.files[4], run.files[5]), "");
}

// Two encodings of one file give the same listing, and the listing sees a
// changed value: what the recoding test below relies on.
TEST(D3dxReads, ListingsShowTheObjectsNotTheEncoding) {
  Scratch folder;
  const std::string text = folder.Write("text.x", R"(xof 0303txt 0032
Frame Box {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,2.0,0.0,1.0;; }
  Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;;
    MeshMaterialList { 1; 1; 0;; Material Red { 1.0;0.0;0.0;1.0;; 8.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;;
      TextureFilename { "red.png"; } } }
  }
}
)");
  std::string changedText = convert_test::ReadWholeFile(text);
  changedText.replace(changedText.find("8.0;"), 4, "9.0;");
  const std::string changed = folder.Write("changed.x", changedText);
  const std::string text64 =
      folder.Write("text64.x", "xof 0303txt 0064" + convert_test::ReadWholeFile(text).substr(16));
  const peers::D3dxRun run = peers::EnumerateWithD3dx({text, text64, changed});
  if (!run.unavailable.empty()) GTEST_SKIP() << run.unavailable;
  ASSERT_EQ(run.files.size(), 3u);
  for (const peers::D3dxListing& file : run.files) ASSERT_TRUE(file.ok) << file.failure;
  EXPECT_EQ(run.files[0].objects.size(), 6u);
  EXPECT_EQ(peers::CompareListings(run.files[0], run.files[1]), "");
  EXPECT_NE(peers::CompareListings(run.files[0], run.files[2]), "");
  // With the values, the difference shows them.
  const peers::D3dxRun values = peers::EnumerateWithD3dx({text, changed}, true);
  ASSERT_EQ(values.files.size(), 2u);
  const std::string difference = peers::CompareListings(values.files[0], values.files[1]);
  EXPECT_NE(difference.find("Material { 1 0 0 1 } 8 {"), std::string::npos) << difference;
  EXPECT_NE(difference.find("Material { 1 0 0 1 } 9 {"), std::string::npos) << difference;
}

// A file cut short inside its second top-level object fails, naming the
// call and the HRESULT, though Wine's ID3DXFile keeps the first object.
TEST(D3dxReads, AFileThatDoesNotParseWholeFails) {
  Scratch folder;
  const std::string cut = folder.Write("cut.x", "xof 0303txt 0032\nAnimTicksPerSecond { 30; }\nMesh m { 3; 0.0;0.0;");
  const peers::D3dxRun run = peers::EnumerateWithD3dx({cut});
  if (!run.unavailable.empty()) GTEST_SKIP() << run.unavailable;
  ASSERT_EQ(run.files.size(), 1u);
  EXPECT_FALSE(run.files[0].ok);
  EXPECT_NE(run.files[0].failure.find("cut.x"), std::string::npos) << run.files[0].failure;
  EXPECT_NE(run.files[0].failure.find("ERR_"), std::string::npos) << run.files[0].failure;
}

struct Recoding {
  const char* format;
  const char* floatBits;
};

void PrintTo(const Recoding& recoding, std::ostream* out) {
  *out << recoding.format << ", " << recoding.floatBits << "-bit floats";
}

class D3dxReadsRecoded : public testing::TestWithParam<Recoding> {};

// Every model converted to one format enumerates whole, with the objects
// of its source in the same order and with the same values.
TEST_P(D3dxReadsRecoded, SameObjectsAsTheSource) {
  const Recoding recoding = GetParam();
  Scratch folder;
  std::vector<std::string> sources, outputs;
  const std::vector<ModelFolder> folders = ModelsToConvert();
  for (std::size_t f = 0; f < folders.size(); ++f) {
    for (const std::string& source : folders[f].files) {
      // Folders may share a name (tests/data/models, ../shared/models).
      const std::string output =
          folder / (std::to_string(f) + "_" + folders[f].name + "_" + fs::path(source).stem().string() + ".x");
      const ConverterRun converted =
          RunConverter({source, "-o", output, "--format", recoding.format, "--float", recoding.floatBits});
      EXPECT_EQ(converted.exitCode, 0) << source << ": " << converted.output;
      if (converted.exitCode != 0) continue;
      sources.push_back(source);
      outputs.push_back(output);
    }
  }
  std::vector<std::string> paths = sources;
  paths.insert(paths.end(), outputs.begin(), outputs.end());
  const peers::D3dxRun run = peers::EnumerateWithD3dx(paths);
  if (!run.unavailable.empty()) GTEST_SKIP() << run.unavailable;
  ASSERT_EQ(run.files.size(), paths.size()) << run.errorOutput;
  std::vector<std::string> differing;  // source, output, source, output...
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const peers::D3dxListing &source = run.files[i], &output = run.files[sources.size() + i];
    if (!source.ok) continue;  // D3dxReads.EveryModelAsItIs says so
    if (!output.ok) {
      ADD_FAILURE() << sources[i] << " written as " << recoding.format << ": " << output.failure << " ("
                    << output.objects.size() << " of the source's " << source.objects.size()
                    << " objects enumerated before it)";
      continue;
    }
    if (!peers::CompareListings(source, output).empty()) {
      differing.push_back(sources[i]);
      differing.push_back(outputs[i]);
    }
  }
  if (differing.empty()) return;
  // The files that differ once more, with their members' values, so that
  // the message says which values changed.
  const peers::D3dxRun values = peers::EnumerateWithD3dx(differing, true);
  ASSERT_EQ(values.files.size(), differing.size()) << values.errorOutput;
  for (std::size_t i = 0; i + 1 < differing.size(); i += 2)
    ADD_FAILURE() << differing[i] << " written as " << recoding.format << " (" << differing[i + 1]
                  << ") has other objects: " << peers::CompareListings(values.files[i], values.files[i + 1]);
}

// Wine's parser reads every FLOAT of a binary file as 4 bytes, whatever the
// header's float size: a 64-bit binary file, whose float lists hold 8-byte
// doubles, is not a file it can check (tests/peers/README.md).
INSTANTIATE_TEST_SUITE_P(Formats, D3dxReadsRecoded,
                         testing::Values(Recoding{"txt", "32"}, Recoding{"bin", "32"}, Recoding{"tzip", "32"},
                                         Recoding{"bzip", "32"}, Recoding{"txt", "64"}, Recoding{"tzip", "64"}),
                         [](const testing::TestParamInfo<Recoding>& info) {
                           return std::string(info.param.format) + info.param.floatBits;
                         });

}  // namespace
