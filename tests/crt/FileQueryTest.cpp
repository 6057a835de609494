// What a Windows path names on this platform: GetFileAttributesW and
// FindFirstFileW by Windows path rules, and CompareStringOrdinal, which
// compares names by the same one rule of case.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class FileQuery : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(testing::TempDir()) /
              (std::string("files_") + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Writes `name` (its folders made) holding its own name, so that a test
  // can tell which of several files a path opened.
  void Touch(const std::string& name) {
    std::filesystem::create_directories((folder_ / name).parent_path());
    std::ofstream(folder_ / name) << name;
  }
  // The wide path of `name` (UTF-8) in the test's folder.
  std::wstring Path(const std::string& name) const {
    const std::string path = (folder_ / name).string();
    std::wstring wide(path.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), static_cast<int>(wide.size()))));
    return wide;
  }
  // The name of the file that `name` opens by Windows rules; empty for none.
  std::string Opened(const std::string& name) const {
    FILE* file = _wfopen(Path(name).c_str(), L"rb");
    if (!file) return {};
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
    std::fclose(file);
    return text;
  }

  std::filesystem::path folder_;
};

TEST_F(FileQuery, AttributesTellFoldersFromFilesByWindowsPathRules) {
  Touch("Sub/Model.X");
  EXPECT_EQ(GetFileAttributesW(Path("Sub").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesW(Path("sub\\\\model.x").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  SetLastError(0);
  EXPECT_EQ(GetFileAttributesW(Path("sub\\none.x").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesW(L""), INVALID_FILE_ATTRIBUTES);
}

// A name in the same case wins; else, of the names that differ only in the
// case of ASCII letters, the first in byte order; a part before the last
// matches only folders.
TEST_F(FileQuery, OneRuleOfCaseForEveryName) {
  Touch("Tex/Bark.png");
  Touch("Tex/bark.png");
  Touch("TEX");  // a file, first in byte order: never the folder of a path
  EXPECT_EQ(Opened("tex/bark.png"), "Tex/bark.png");
  EXPECT_EQ(Opened("tEx/BARK.PNG"), "Tex/Bark.png");  // 'B' sorts before 'b'
  EXPECT_EQ(Opened("Tex/BARK.png"), "Tex/Bark.png");
  Touch("\xC3\xA4pfel.png");
  EXPECT_EQ(Opened("\xC3\xA4PFEL.png"), "\xC3\xA4pfel.png");
  EXPECT_EQ(Opened("\xC3\x84pfel.png"), "");  // only ASCII letters fold: "Ä" is not "ä"

  EXPECT_EQ(CompareStringOrdinal(L"Tex\\BARK.png", -1, L"tex\\bark.PNG", -1, TRUE), CSTR_EQUAL);
  EXPECT_EQ(CompareStringOrdinal(L"Tex", -1, L"tex", -1, FALSE), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringOrdinal(L"\u00C4", 1, L"\u00E4", 1, TRUE), CSTR_LESS_THAN);
  // Letters compare as capitals, as on Windows: "a" comes before "_".
  EXPECT_EQ(CompareStringOrdinal(L"a", 1, L"_", 1, TRUE), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringOrdinal(L"ab", 2, L"abc", 3, TRUE), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringOrdinal(L"abc", 2, L"AB", -1, TRUE), CSTR_EQUAL);
  EXPECT_EQ(CompareStringOrdinal(nullptr, 0, L"", 0, TRUE), 0);
}

TEST_F(FileQuery, AFolderListsItsEntriesInOrderAndTheSearchEnds) {
  Touch("list/b.png");
  Touch("list/A.png");
  Touch("list/sub/c.png");
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(Path("LIST\\*").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> names;
  std::vector<bool> folders;
  do {
    names.push_back(data.cFileName);
    folders.push_back((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileW(search, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_EQ(names, (std::vector<std::wstring>{L".", L"..", L"A.png", L"b.png", L"sub"}));
  EXPECT_EQ(folders, (std::vector<bool>{true, true, false, false, true}));
  EXPECT_TRUE(FindClose(search));
  // A closed search is gone.
  EXPECT_FALSE(FindNextFileW(search, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FindClose(search));

  // One name finds the entry it means, under the entry's own name.
  search = FindFirstFileW(Path("list\\B.PNG").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::wstring(data.cFileName), L"b.png");
  EXPECT_FALSE(FindNextFileW(search, &data));
  FindClose(search);

  EXPECT_EQ(FindFirstFileW(Path("list\\none.png").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFileW(Path("none\\*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(FindFirstFileW(Path("list\\*.png").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
