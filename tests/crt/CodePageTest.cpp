// The code pages that model files are decoded with: UTF-8, Shift-JIS (932)
// and Windows-1252, strict where a caller asks whether text is valid.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// Decodes `bytes` with `flags`; nullopt-like: returns false when the call fails.
bool Decode(UINT codePage, const std::string& bytes, std::wstring& out, DWORD flags = 0) {
  int length = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (length <= 0) return false;
  out.assign(static_cast<std::size_t>(length), L'\0');
  return MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), length) ==
         length;
}

std::string Encode(UINT codePage, const std::wstring& text, BOOL* replaced) {
  int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   replaced);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, replaced);
  return out;
}

TEST(CodePages, Utf8IsStrictOnlyWhenAsked) {
  std::wstring text;
  ASSERT_TRUE(Decode(CP_UTF8, "\xc3\xa1rbol \xe6\x9c\xa8", text, MB_ERR_INVALID_CHARS));
  EXPECT_EQ(text, L"\u00e1rbol \u6728");
  // A lone continuation byte, an overlong slash, an encoded surrogate and a
  // sequence cut at the end are not UTF-8.
  for (const char* bad : {"a\x80", "\xc0\xaf", "\xed\xa0\x80", "\xe6\x9c"}) {
    EXPECT_FALSE(Decode(CP_UTF8, bad, text, MB_ERR_INVALID_CHARS)) << bad;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  }
  ASSERT_TRUE(Decode(CP_UTF8, "a\x80", text));
  EXPECT_EQ(text, L"a\uFFFD");
}

TEST(CodePages, ShiftJisDecodesAndRefusesWhatItDoesNotDefine) {
  std::wstring text;
  // "そざい\Tex\木.png": the backslash is 0x5C, and the second byte of "ソ"
  // (0x83 0x5C) is one too, which only a real decoder keeps apart.
  ASSERT_TRUE(Decode(932, "\x82\xbb\x82\xb4\x82\xa2\\Tex\\\x96\xd8.png \x83\x5c", text, MB_ERR_INVALID_CHARS));
  EXPECT_EQ(text, L"\u305d\u3056\u3044\\Tex\\\u6728.png \u30bd");
  EXPECT_FALSE(Decode(932, "\x82", text, MB_ERR_INVALID_CHARS));
  EXPECT_FALSE(Decode(932, "\x82\x20", text, MB_ERR_INVALID_CHARS));
  BOOL replaced = TRUE;
  EXPECT_EQ(Encode(932, L"\u6728\\a", &replaced), "\x96\xd8\\a");
  EXPECT_FALSE(replaced);
  EXPECT_EQ(Encode(932, L"\u00e1", &replaced), "?");
  EXPECT_TRUE(replaced);
}

TEST(CodePages, WesternDecodesEveryByte) {
  std::wstring text;
  ASSERT_TRUE(Decode(1252, "\xe1rbol \x80\x81\x9f", text, MB_ERR_INVALID_CHARS));
  EXPECT_EQ(text, L"\u00e1rbol \u20ac\u0081\u0178");
  BOOL replaced = TRUE;
  EXPECT_EQ(Encode(1252, L"\u00e1\u20ac", &replaced), "\xe1\x80");
  EXPECT_FALSE(replaced);
  EXPECT_EQ(Encode(1252, L"\u6728", &replaced), "?");
  EXPECT_TRUE(replaced);
}

TEST(CodePages, UnknownPageIsAParameterError) {
  std::wstring text;
  EXPECT_FALSE(Decode(437, "abc", text));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
