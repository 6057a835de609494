// The on-disk cache of translated effects: a warm start never starts the
// effect translator, a damaged entry or a changed #include is a miss, and a
// cache that cannot be written is no error. Each test keeps its own cache
// folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "compat/testing_draw.h"
#include "support/RenderDevice.h"
#include "support/StderrCapture.h"

namespace {

namespace fs = std::filesystem;

class EffectCacheTest : public ::testing::Test {
 protected:
  EffectCacheTest() {
    fs::create_directories(scratch_);
    ::setenv("XDG_CACHE_HOME", (scratch_ / "cache").c_str(), 1);
  }
  ~EffectCacheTest() override {
    ::setenv("XVIEW_EFFECT_TRANSLATOR", translator_.c_str(), 1);
    fs::remove_all(scratch_);
  }

  // Loads `file`; true when the effect was created. Messages go to `errors`.
  bool Load(const fs::path& file, std::string* errors = nullptr) {
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* buffer = nullptr;
    HRESULT result = D3DXCreateEffectFromFileExW(device_.device(), file.wstring().c_str(), nullptr, nullptr,
                                                 nullptr, 0, nullptr, &effect, &buffer);
    if (buffer) {
      if (errors) *errors = static_cast<const char*>(buffer->GetBufferPointer());
      buffer->Release();
    }
    if (effect) effect->Release();
    return SUCCEEDED(result);
  }

  std::vector<fs::path> Entries() const {
    std::vector<fs::path> entries;
    if (fs::exists(scratch_ / "cache" / "xviewer"))
      for (const auto& entry : fs::directory_iterator(scratch_ / "cache" / "xviewer")) entries.push_back(entry.path());
    return entries;
  }

  fs::path scratch_ = rendertest::ScratchFolder() / ("cache-" + std::to_string(::getpid()));
  std::string translator_ = std::getenv("XVIEW_EFFECT_TRANSLATOR");
  rendertest::RenderDevice device_;
};

fs::path Asset(const char* name) { return fs::path(XVIEW_SOURCE_DIR) / "assets" / name; }

TEST_F(EffectCacheTest, AWarmStartNeverStartsTheTranslator) {
  const std::uint64_t runs = compat::testing::EffectTranslatorRuns();
  ASSERT_TRUE(Load(Asset("skinmesh.cfx")));
  EXPECT_EQ(compat::testing::EffectTranslatorRuns(), runs + 1);
  ASSERT_EQ(Entries().size(), 1u);
  // From the cache, with no translator to start.
  ::setenv("XVIEW_EFFECT_TRANSLATOR", (scratch_ / "no-translator").c_str(), 1);
  EXPECT_TRUE(Load(Asset("skinmesh.cfx")));
  EXPECT_EQ(compat::testing::EffectTranslatorRuns(), runs + 1);
}

TEST_F(EffectCacheTest, ADamagedEntryIsAMissAndIsWrittenAgain) {
  ASSERT_TRUE(Load(Asset("mesh.cfx")));
  ASSERT_EQ(Entries().size(), 1u);
  fs::path entry = Entries()[0];
  auto size = fs::file_size(entry);
  for (std::uintmax_t cut : {size / 2, size - 1}) {
    fs::resize_file(entry, cut);
    std::uint64_t before = compat::testing::EffectTranslatorRuns();
    EXPECT_TRUE(Load(Asset("mesh.cfx")));
    EXPECT_GT(compat::testing::EffectTranslatorRuns(), before);
    EXPECT_EQ(fs::file_size(entry), size);
  }
  {  // one byte changed in the middle
    std::fstream file(entry, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(size / 2));
    file.put('#');
  }
  std::uint64_t before = compat::testing::EffectTranslatorRuns();
  EXPECT_TRUE(Load(Asset("mesh.cfx")));
  EXPECT_GT(compat::testing::EffectTranslatorRuns(), before);
  before = compat::testing::EffectTranslatorRuns();
  EXPECT_TRUE(Load(Asset("mesh.cfx")));
  EXPECT_EQ(compat::testing::EffectTranslatorRuns(), before);  // sound again
  EXPECT_EQ(Entries().size(), 1u);  // no temporary file left behind
}

// An effect #includes a file beside it; changing that file makes the cached
// translation stale.
TEST_F(EffectCacheTest, AChangedIncludeIsAMiss) {
  std::ofstream(scratch_ / "colour.hlsl") << "static const float4 kColour = float4(1, 0, 0, 1);\n";
  std::ofstream(scratch_ / "included.cfx")
      << "#include \"colour.hlsl\"\n"
         "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1); }\n"
         "float4 PS() : COLOR0 { return kColour; }\n"
         "technique T0 { pass { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }\n";
  ASSERT_TRUE(Load(scratch_ / "included.cfx"));
  std::uint64_t before = compat::testing::EffectTranslatorRuns();
  ASSERT_TRUE(Load(scratch_ / "included.cfx"));
  EXPECT_EQ(compat::testing::EffectTranslatorRuns(), before);
  std::ofstream(scratch_ / "colour.hlsl") << "static const float4 kColour = float4(0, 1, 0, 1);\n";
  ASSERT_TRUE(Load(scratch_ / "included.cfx"));
  EXPECT_GT(compat::testing::EffectTranslatorRuns(), before);
  // An error in the included file names that file and its line.
  std::ofstream(scratch_ / "colour.hlsl") << "\nstatic const float4 kColour = float4(0, 1, 0, 1)\n";
  std::string errors;
  EXPECT_FALSE(Load(scratch_ / "included.cfx", &errors));
  EXPECT_NE(errors.find("colour.hlsl("), std::string::npos) << errors;
}

TEST_F(EffectCacheTest, ACacheThatCannotBeWrittenIsNoError) {
  std::ofstream(scratch_ / "cache") << "a file where the cache folder would be\n";
  StderrCapture captured;
  EXPECT_TRUE(Load(Asset("geometory.cfx")));
  EXPECT_TRUE(Load(Asset("geometory.cfx")));
  EXPECT_EQ(captured.Take(), "");
  EXPECT_TRUE(fs::is_regular_file(scratch_ / "cache"));
}

}  // namespace
