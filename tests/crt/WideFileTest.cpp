#include <gtest/gtest.h>
#include <windows.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class WideFile : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(testing::TempDir()) /
              (std::string("crt_") + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_ / "Sub");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::wstring Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
    std::string path = (folder_ / name).string();
    return std::wstring(path.begin(), path.end());
  }

  static std::string ReadAll(FILE* file) {
    std::string text;
    for (wint_t c; (c = _fgetwc_nolock(file)) != WEOF;) {
      EXPECT_LE(c, 0xFFu);
      text += static_cast<char>(c);
    }
    return text;
  }

  std::filesystem::path folder_;
};

TEST_F(WideFile, TextModeDropsTheCarriageReturnOfEachLineEnd) {
  FILE* file = _wfopen(Write("a.txt", "one\r\ntwo\rthree\r\r\n\r").c_str(), L"r");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "one\ntwo\rthree\r\n\r");
  std::fclose(file);
}

TEST_F(WideFile, TextModeHandlesLineEndsAcrossReadChunks) {
  // CR LF pairs straddle every power-of-two buffer boundary.
  std::string bytes, expected;
  for (int i = 0; i < 300000; ++i) {
    char c = static_cast<char>('a' + i % 26);
    bytes += c;
    expected += c;
    if (i % 4093 == 0 || i % 65535 == 0 || i % 4095 == 0) {
      bytes += "\r\n";
      expected += '\n';
    }
  }
  FILE* file = _wfopen(Write("big.txt", bytes).c_str(), L"r");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), expected);
  std::fclose(file);
}

TEST_F(WideFile, BinaryModeKeepsEveryByte) {
  FILE* file = _wfopen(Write("b.bin", "a\r\nb").c_str(), L"rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "a\r\nb");
  std::fclose(file);
}

TEST_F(WideFile, EveryByteIsOneCharacterInAnyLocale) {
  std::string bytes;
  for (int b = 0; b < 256; ++b)
    if (b != '\r') bytes += static_cast<char>(b);
  std::setlocale(LC_ALL, "C.UTF-8");
  FILE* file = _wfopen(Write("all.bin", bytes).c_str(), L"r");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), bytes);
  std::fclose(file);
  std::setlocale(LC_ALL, "C");
}

TEST_F(WideFile, WindowsPathRules) {
  Write("Sub/Model.X", "x");
  std::string folder = folder_.string();
  std::wstring path = std::wstring(folder.begin(), folder.end()) + L"\\sub\\\\model.x";
  FILE* file = _wfopen(path.c_str(), L"rt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "x");
  std::fclose(file);
}

TEST_F(WideFile, MissingFileAndBadModeFail) {
  errno = 0;
  EXPECT_EQ(_wfopen(L"/nonexistent/none.x", L"r"), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(_wfopen(Write("m.txt", "x").c_str(), L"q"), nullptr);
  FILE* stream = reinterpret_cast<FILE*>(1);
  EXPECT_NE(_wfopen_s(&stream, L"/nonexistent/none.x", L"r"), 0);
  EXPECT_EQ(stream, nullptr);
}

TEST_F(WideFile, SeekAndTellWorkOnByteOffsets) {
  FILE* file = _wfopen(Write("s.txt", "abc\r\ndef").c_str(), L"r");
  ASSERT_EQ(std::fseek(file, 0, SEEK_END), 0);
  EXPECT_EQ(std::ftell(file), 8);
  std::rewind(file);
  EXPECT_EQ(ReadAll(file), "abc\ndef");
  std::fclose(file);
}

TEST_F(WideFile, WideOutputWritesUtf8) {
  std::wstring path = Write("out.bin", "");
  FILE* file = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(_fputwc_nolock(L'A', file), static_cast<wint_t>(L'A'));
  EXPECT_EQ(_fputwc_nolock(static_cast<wchar_t>(0xE9), file), 0xE9u);
  EXPECT_EQ(_fputwc_nolock(static_cast<wchar_t>(0x263A), file), 0x263Au);
  EXPECT_EQ(_fputwc_nolock(static_cast<wchar_t>(0x1F600), file), 0x1F600u);
  EXPECT_EQ(_fputwc_nolock(static_cast<wchar_t>(0xD800), file), WEOF);
  std::fclose(file);
  std::ifstream in(folder_ / "out.bin", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "A\xc3\xa9\xe2\x98\xba\xf0\x9f\x98\x80");
}

TEST_F(WideFile, ReopenSendsAStreamToAnotherFile) {
  std::wstring path = Write("first.txt", "");
  FILE* file = _wfopen(path.c_str(), L"w");
  ASSERT_NE(file, nullptr);
  std::string second = (folder_ / "second.txt").string();
  FILE* reopened = nullptr;
  ASSERT_EQ(freopen_s(&reopened, second.c_str(), "w", file), 0);
  std::fputs("moved", reopened);
  std::fclose(reopened);
  std::ifstream in(second);
  std::string text;
  in >> text;
  EXPECT_EQ(text, "moved");
  EXPECT_EQ(freopen_s(&reopened, second.c_str(), "w", nullptr), EINVAL);
  EXPECT_EQ(reopened, nullptr);
}

// What --watch looks at: GetFileAttributesExW by Windows path rules.
TEST_F(WideFile, AttributesGiveTheSizeTheWriteTimeAndWhyAFileIsNotThere) {
  std::wstring file = Write("Model.x", std::string(70000, 'x'));
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 70000u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  // A later write time reads later, in 100-nanosecond steps since 1601.
  const ULONGLONG before = (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  EXPECT_GT(before, 116444736000000000ULL);  // after 1970
  std::filesystem::last_write_time(folder_ / "Model.x",
                                   std::filesystem::last_write_time(folder_ / "Model.x") + std::chrono::seconds(3));
  std::wstring otherCase = file.substr(0, file.size() - 7) + L"MODEL.X";  // names match in any case
  ASSERT_TRUE(GetFileAttributesExW(otherCase.c_str(), GetFileExInfoStandard, &data));
  const ULONGLONG after = (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  EXPECT_EQ(after - before, 30000000u);

  std::string sub = (folder_ / "Sub").string();
  ASSERT_TRUE(GetFileAttributesExW(std::wstring(sub.begin(), sub.end()).c_str(), GetFileExInfoStandard, &data));
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  std::string missing = (folder_ / "Sub" / "gone.x").string();
  EXPECT_FALSE(GetFileAttributesExW(std::wstring(missing.begin(), missing.end()).c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  std::string otherCaseFolder = (folder_ / "SUB" / "gone.x").string();  // the folder is there, in another case
  EXPECT_FALSE(GetFileAttributesExW(std::wstring(otherCaseFolder.begin(), otherCaseFolder.end()).c_str(),
                                    GetFileExInfoStandard, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  std::string noFolder = (folder_ / "Nowhere" / "gone.x").string();
  EXPECT_FALSE(
      GetFileAttributesExW(std::wstring(noFolder.begin(), noFolder.end()).c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(GetFileAttributesExW(file.c_str(), GetFileExMaxInfoLevel, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
