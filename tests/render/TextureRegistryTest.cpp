// The framework's Texture and g_TextureMap on a real device.
#include <gtest/gtest.h>

#include "support/ImageFiles.h"
#include "support/RenderDevice.h"
#include "render/Texture.h"

namespace {

using rendertest::RenderDevice;
using testimages::Rgba;

class TextureTest : public ::testing::Test {
 protected:
  TextureTest() : folder_(rendertest::ScratchFolder()) {}
  ~TextureTest() override {
    g_TextureMap.clear();
    std::filesystem::remove_all(folder_);
  }

  std::wstring WritePng(const char* name, int width, int height) {
    std::filesystem::path path = folder_ / name;
    std::filesystem::create_directories(path.parent_path());
    testimages::WriteFile(path.string(),
                          testimages::Png(width, height, std::vector<Rgba>(width * height, {9, 9, 9, 255})));
    return path.wstring();
  }

  std::filesystem::path folder_;
  RenderDevice device_;
};

TEST_F(TextureTest, LoadTextureTakesItsSizeFromLevelZero) {
  std::wstring file = WritePng("wide.png", 8, 4);
  ASSERT_TRUE(LoadTexture(device_.device(), file.c_str()));
  const Texture& entry = g_TextureMap.at(file);
  EXPECT_EQ(entry.width, 8u);
  EXPECT_EQ(entry.height, 4u);
  ASSERT_NE(entry.texture, nullptr);
  ASSERT_NE(entry.surface, nullptr);
  EXPECT_EQ(entry.texture->GetLevelCount(), 4u);  // 8x4, 4x2, 2x1, 1x1
  D3DSURFACE_DESC level3{};
  ASSERT_EQ(entry.texture->GetLevelDesc(3, &level3), D3D_OK);
  EXPECT_EQ(level3.Width, 1u);
}

TEST_F(TextureTest, AFailedReloadErasesTheEntry) {
  std::wstring file = WritePng("changing.png", 2, 2);
  ASSERT_TRUE(LoadTexture(device_.device(), file.c_str()));
  testimages::WriteFile(std::filesystem::path(file).string(), {'n', 'o', 'p', 'e'});
  // The loader's result tells an unreadable image from a missing file.
  EXPECT_EQ(LoadTextureFrom(device_.device(), file.c_str(), file.c_str()), D3DXERR_INVALIDDATA);
  EXPECT_EQ(g_TextureMap.count(file), 0u);
  std::wstring missing = (folder_ / "missing.png").wstring();
  EXPECT_EQ(LoadTextureFrom(device_.device(), missing.c_str(), missing.c_str()), D3DERR_NOTFOUND);
  EXPECT_FALSE(LoadTexture(device_.device(), missing.c_str()));
  EXPECT_TRUE(g_TextureMap.empty());
}

TEST_F(TextureTest, ReloadingReplacesTheTexture) {
  std::wstring file = WritePng("again.png", 2, 2);
  ASSERT_TRUE(LoadTexture(device_.device(), file.c_str()));
  WritePng("again.png", 4, 4);
  ASSERT_TRUE(LoadTexture(device_.device(), file.c_str()));
  EXPECT_EQ(g_TextureMap.at(file).width, 4u);
  EXPECT_EQ(g_TextureMap.size(), 1u);
}

// --watch reads a changed image again: a file caught half written keeps
// what was shown.
TEST_F(TextureTest, ReadingAgainFromTheSourceReplacesOnlyOnSuccess) {
  std::wstring file = WritePng("watched.png", 2, 2);
  ASSERT_TRUE(SUCCEEDED(LoadTextureFrom(device_.device(), L"as the material says", file.c_str())));
  EXPECT_EQ(g_TextureMap.at(L"as the material says").source, file);
  WritePng("watched.png", 8, 8);
  ASSERT_EQ(ReloadTexture(device_.device(), L"as the material says"), D3D_OK);
  EXPECT_EQ(g_TextureMap.at(L"as the material says").width, 8u);
  testimages::WriteFile(std::filesystem::path(file).string(), {0x89, 'P', 'N'});
  EXPECT_EQ(ReloadTexture(device_.device(), L"as the material says"), D3DXERR_INVALIDDATA);
  const Texture& kept = g_TextureMap.at(L"as the material says");
  EXPECT_NE(kept.texture, nullptr);
  EXPECT_EQ(kept.width, 8u);
  EXPECT_EQ(ReloadTexture(device_.device(), L"never loaded"), D3DERR_NOTFOUND);
}

TEST_F(TextureTest, SubscriptingANewNameAddsAnEmptyTexture) {
  const Texture& entry = g_TextureMap[L"never_loaded.png"];
  EXPECT_EQ(entry.texture, nullptr);
  EXPECT_EQ(entry.surface, nullptr);
  EXPECT_EQ(entry.width, 0u);
  EXPECT_EQ(g_TextureMap.size(), 1u);
}

TEST_F(TextureTest, AssignSharesTheTextureAndCarriesTheExtras) {
  std::wstring file = WritePng("shared.png", 4, 2);
  ASSERT_TRUE(LoadTexture(device_.device(), file.c_str()));
  Texture& source = g_TextureMap.at(file);

  Texture destination;
  Texture empty;
  EXPECT_FALSE(destination.Assign(empty));
  EXPECT_EQ(destination.texture, nullptr);
  EXPECT_EQ(destination.width, 0u);

  source.texture->AddRef();
  source.extra[1] = source.texture;  // any reference-counted object will do
  ASSERT_TRUE(destination.Assign(source));
  EXPECT_EQ(destination.texture, source.texture);
  EXPECT_NE(destination.surface, nullptr);
  EXPECT_NE(destination.surface, source.surface);
  EXPECT_EQ(destination.width, 4u);
  EXPECT_EQ(destination.height, 2u);
  EXPECT_EQ(destination.extra[1], source.extra[1]);
  EXPECT_EQ(destination.extra[0], nullptr);

  // Assigning from an empty texture leaves what it holds.
  EXPECT_FALSE(destination.Assign(empty));
  EXPECT_EQ(destination.texture, source.texture);
  EXPECT_TRUE(destination.Assign(destination));
  EXPECT_EQ(destination.texture, source.texture);

  Texture copy(source);
  EXPECT_EQ(copy.texture, source.texture);
  EXPECT_EQ(copy.width, 4u);
}

TEST_F(TextureTest, SpellingsOfOnePathAreDifferentEntries) {
  std::wstring forward = WritePng("sub/Tex.png", 2, 2);
  std::wstring backward = forward;
  std::replace(backward.begin(), backward.end(), L'/', L'\\');
  std::wstring lower = (folder_ / "sub" / "tex.PNG").wstring();
  EXPECT_TRUE(LoadTexture(device_.device(), forward.c_str()));
  EXPECT_TRUE(LoadTexture(device_.device(), backward.c_str()));
  EXPECT_TRUE(LoadTexture(device_.device(), lower.c_str()));
  EXPECT_EQ(g_TextureMap.size(), 3u);
}

}  // namespace
