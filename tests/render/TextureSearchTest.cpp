// Finding the texture files that model files name as their authors' machines
// had them, in folders laid out on disk by each test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/RenderDevice.h"
#include "platform/TextConversion.h"
#include "xfile/TextureSearch.h"

namespace {

namespace fs = std::filesystem;

class TextureSearchTest : public ::testing::Test {
 protected:
  TextureSearchTest() : root_(rendertest::ScratchFolder()), model_(root_ / "model") {
    fs::create_directories(model_);
  }
  ~TextureSearchTest() override { fs::remove_all(root_); }

  // Makes a file (and its folders) at `relative` under the scratch root,
  // holding its own name, so that a test can tell which file a path opens.
  void Touch(const fs::path& relative) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative) << relative.generic_string();
  }

  // The file a fresh search from the model's folder finds for `name`, named
  // by what it holds (the platform matches the case of a path's parts, so
  // the path found may be written in another case); empty when nothing.
  std::string Opened(const std::wstring& name) {
    TextureSearch search(model_.wstring() + L"/");
    std::wstring path = search.Find(name);
    FILE* file = path.empty() ? nullptr : _wfopen(path.c_str(), L"rb");
    if (!file) return {};
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    return text;
  }

  // What a fresh search from the model's folder finds for `name`, relative
  // to the scratch root; empty when nothing.
  std::string Found(const std::wstring& name, std::wstring* tried = nullptr) {
    TextureSearch search(model_.wstring() + L"/");
    std::wstring path = search.Find(name, tried);
    if (path.empty()) return {};
    // Not fs::path(path): a wide path converts through the C locale here.
    return fs::path(ToUtf8(path)).lexically_normal().lexically_relative(root_).generic_string();
  }

  fs::path root_, model_;
};

TEST_F(TextureSearchTest, ThePathAsWrittenComesBeforeItsTrailingPartsAndThoseBeforeTheBareName) {
  Touch("model/Tex/Wood_Floor.jpg");
  Touch("model/Wood_Floor.jpg");
  Touch("model/art/Tex/Wood_Floor.jpg");
  EXPECT_EQ(Found(L"art\\Tex\\Wood_Floor.jpg"), "model/art/Tex/Wood_Floor.jpg");
  // Every backslash doubled, as exporters write them; the longest trailing part wins.
  EXPECT_EQ(Found(L"C:\\\\Users\\\\me\\\\Tex\\\\Wood_Floor.jpg"), "model/Tex/Wood_Floor.jpg");
  EXPECT_EQ(Found(L"D:/projects//house/Tex//Wood_Floor.jpg"), "model/Tex/Wood_Floor.jpg");
  EXPECT_EQ(Found(L"C:\\Users\\me\\Other\\Wood_Floor.jpg"), "model/Wood_Floor.jpg");
  // An absolute path of this machine is opened as written.
  Touch("elsewhere/Wood_Floor.jpg");
  EXPECT_EQ(Found((root_ / "elsewhere" / "Wood_Floor.jpg").wstring()), "elsewhere/Wood_Floor.jpg");
  // Of a deep path only the last 16 parts count; a hostile one ends soon.
  std::wstring deep;
  for (int i = 0; i < 30; ++i) deep += L"d" + std::to_wstring(i) + L"\\";
  EXPECT_EQ(Found(deep + L"Tex\\Wood_Floor.jpg"), "model/Tex/Wood_Floor.jpg");
  std::wstring hostile;
  for (int i = 0; i < 2000; ++i) hostile += L"./";
  EXPECT_EQ(Found(hostile + L"Wood_Floor.jpg"), "model/Wood_Floor.jpg");
  EXPECT_EQ(Found(std::wstring(5000, L'a')), "");
  // A name that is no file name finds nothing.
  std::wstring tried;
  EXPECT_EQ(Found(L"Tex\\", &tried), "");
  EXPECT_EQ(Found(L"", &tried), "");
  EXPECT_EQ(Found(std::wstring(L"Wood_Floor.jpg\0.png", 19), &tried), "");
}

TEST_F(TextureSearchTest, AMatchOfCaseWinsThenTheFirstIgnoringAsciiCase) {
  Touch("model/rock.bmp");
  Touch("model/Tex/Bark.png");
  Touch("model/Tex/bark.png");
  EXPECT_EQ(Opened(L"ROCK.BMP"), "model/rock.bmp");
  EXPECT_EQ(Opened(L"tex\\bark.png"), "model/Tex/bark.png");
  EXPECT_EQ(Opened(L"TEX\\BARK.PNG"), "model/Tex/Bark.png");  // 'B' sorts before 'b'
  EXPECT_EQ(Opened(L"C:\\x\\TEX\\bark.png"), "model/Tex/bark.png");
  // By its bare name, too, below the model's folder.
  EXPECT_EQ(Opened(L"C:\\x\\BARK.png"), "model/Tex/Bark.png");
  // Only ASCII letters fold: "Ä" is not "ä".
  Touch("model/\xC3\xA4pfel.png");
  EXPECT_EQ(Opened(L"\u00C4pfel.png"), "");
  EXPECT_EQ(Opened(L"\u00E4PFEL.png"), "model/\xC3\xA4pfel.png");
}

TEST_F(TextureSearchTest, BareNamesAreFoundBreadthFirstBelowAndBesideTheModel) {
  Touch("model/a/b/deep.png");
  Touch("model/a/b/c/too-deep.png");
  Touch("model/b/twice.png");
  Touch("model/a/twice.png");
  Touch("model/a/b/level.png");
  Touch("model/z/level.png");
  Touch("Textures/side.png");
  Touch("IMAGES/SIDE2.PNG");
  Touch("other/not-here.png");
  EXPECT_EQ(Found(L"C:\\art\\deep.png"), "model/a/b/deep.png");
  EXPECT_EQ(Found(L"too-deep.png"), "");
  EXPECT_EQ(Found(L"twice.png"), "model/a/twice.png");   // byte order within a level
  EXPECT_EQ(Found(L"level.png"), "model/z/level.png");   // a shallower level first
  EXPECT_EQ(Found(L"side.png"), "Textures/side.png");
  EXPECT_EQ(Found(L"F:\\side2.png"), "IMAGES/SIDE2.PNG");
  EXPECT_EQ(Found(L"not-here.png"), "");
  // Upward paths are followed as written only.
  EXPECT_EQ(Found(L"..\\other\\not-here.png"), "other/not-here.png");
}

TEST_F(TextureSearchTest, ANetworkPathIsOnlyLookedForNearTheModel) {
  // On this system "//host/..." would open "/host/...": the scratch root
  // stands in for a share that must not be reached.
  Touch("share/Tex/far.png");
  std::string share = (root_ / "share").generic_string();
  std::wstring unc = L"/" + fs::path(share).wstring() + L"/Tex/far.png";
  std::wstring tried;
  EXPECT_EQ(Found(unc, &tried), "");
  EXPECT_NE(tried.find(L"network path is not opened"), std::wstring::npos) << ToUtf8(tried);
  Touch("model/Tex/far.png");
  EXPECT_EQ(Found(unc), "model/Tex/far.png");
  EXPECT_EQ(Found(L"\\\\server\\share\\Tex\\far.png"), "model/Tex/far.png");
}

TEST_F(TextureSearchTest, TheListingOfOneLoadIsBoundedAndShared) {
  // Links to one file: making thousands of files is slow on some disks.
  Touch("model/f");
  for (std::size_t i = 0; i < TextureSearch::kMaxListedEntries; ++i)
    fs::create_hard_link(model_ / "f", model_ / ("f" + std::to_string(i)));
  Touch("model/zz/beyond.png");
  TextureSearch search(model_.wstring());
  std::wstring tried;
  EXPECT_EQ(search.Find(L"beyond.png", &tried), L"");
  EXPECT_TRUE(search.ListingCut());
  EXPECT_NE(tried.find(L"stopped after 4096"), std::wstring::npos) << ToUtf8(tried);
  // The same search does not list again: a file made since stays unseen by
  // its bare name, while a path as written is still opened.
  Touch("model/sub/later.png");
  EXPECT_EQ(search.Find(L"C:\\later.png"), L"");
  EXPECT_FALSE(search.Find(L"sub/later.png").empty());
}

}  // namespace
