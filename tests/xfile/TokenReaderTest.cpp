#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "ModelFiles.h"
#include "xfile/ParseWarnings.h"
#include "xfile/RecordReading.h"
#include "xfile/TokenReader.h"

namespace xfile_test {
namespace {

struct Tokens {
  std::vector<std::wstring> words;
  bool lastResult = true;
  unsigned codePage = 0;
};

// Reads every token of `text` the way the record readers do.
Tokens ReadAll(const std::string& text, bool echo = false) {
  TokenFile file(text, echo);
  Tokens result;
  for (;;) {
    result.lastResult = ReadToken();
    if (!result.lastResult) {
      if (!g_Token.empty()) result.words.push_back(g_Token);
      break;
    }
    result.words.push_back(g_Token);
  }
  result.codePage = file.reader().CodePage();
  return result;
}

using Words = std::vector<std::wstring>;

TEST(TokenSplitting, HeaderLineGivesThreeTokens) {
  EXPECT_EQ(ReadAll("xof 0303txt 0032\n").words, (Words{L"xof", L"0303txt", L"0032"}));
}

TEST(TokenSplitting, BracesAreTokensOfTheirOwn) {
  EXPECT_EQ(ReadAll("{1;2;}\n").words, (Words{L"{", L"1", L"2", L"}"}));
  EXPECT_EQ(ReadAll("Mesh{ a}b\n").words, (Words{L"Mesh", L"{", L"a", L"}", L"b"}));
}

TEST(TokenSplitting, AQuotedStringIsOneToken) {
  EXPECT_EQ(ReadAll("\"tex.png\";\n").words, (Words{L"tex.png"}));
  // Spaces, braces, separators, slashes and backslashes belong to the string.
  EXPECT_EQ(ReadAll("{\"C:/Games/CONTAINMENT BREACH/GFX/513.jpg\";}\n").words,
            (Words{L"{", L"C:/Games/CONTAINMENT BREACH/GFX/513.jpg", L"}"}));
  EXPECT_EQ(ReadAll("\"//server/share/{a};b,c.png\"\n").words, (Words{L"//server/share/{a};b,c.png"}));
  EXPECT_EQ(ReadAll("\"C:\\\\tex\\a.png\"\n").words, (Words{L"C:\\\\tex\\a.png"}));
  // A quote ends the word it stands in; an empty string is no token.
  EXPECT_EQ(ReadAll("ab\"c d\"e \"\" f\n").words, (Words{L"ab", L"c d", L"e", L"f"}));
}

TEST(TokenSplitting, AQuotedBraceOrKeywordIsNeither) {
  TokenFile file("\"{\" \"Mesh\" {\n");
  ReadToken();
  EXPECT_FALSE(TokenIsOpenBrace());
  ReadToken();
  EXPECT_FALSE(TokenIs(L"Mesh"));
  UnreadToken();
  ReadToken();  // handed back, still the string
  EXPECT_FALSE(TokenIs(L"Mesh"));
  ReadToken();
  EXPECT_TRUE(TokenIsOpenBrace());
}

TEST(TokenSplitting, AQuoteOpenAtTheEndOfItsLineEndsThereWithAWarning) {
  EXPECT_EQ(ReadAll("\"my tex.png;\nnext }\n").words, (Words{L"my tex.png;", L"next", L"}"}));
  QuietParse parse = ParseTextQuietly("Mesh m { 0; 0; }\n\"open {\n");
  ASSERT_EQ(parse.warnings.size(), 1u);
  EXPECT_EQ(parse.warnings[0].kind, ParseWarningKind::QuoteUnclosed);
  EXPECT_NE(parse.warnings[0].message.find(L"at line 3"), std::wstring::npos) << Narrow(parse.warnings[0].message);
}

TEST(TokenSplitting, TabAndCarriageReturnBelongToWords) {
  Tokens tab = ReadAll("1\t2;\n");
  ASSERT_EQ(tab.words, (Words{L"1\t2"}));
  EXPECT_EQ(_wtol(tab.words[0].c_str()), 1);
  // Text mode drops the CR of a CR LF pair only; a lone CR stays in its word.
  EXPECT_EQ(ReadAll("a\r\nb\r\n").words, (Words{L"a", L"b"}));
  EXPECT_EQ(ReadAll("a\rb\n").words, (Words{L"a\rb"}));
}

TEST(TokenSplitting, SingleSlashIsPartOfTheWord) {
  EXPECT_EQ(ReadAll("a/b c/\n").words, (Words{L"a/b", L"c/"}));
  EXPECT_EQ(ReadAll("a/{\n").words, (Words{L"a/", L"{"}));
}

TEST(TokenSplitting, DoubleSlashCommentRunsToTheEndOfTheLine) {
  EXPECT_EQ(ReadAll("// nothing here { }\na//b\nc\n").words, (Words{L"a", L"c"}));
  EXPECT_EQ(ReadAll("# word\n").words, (Words{L"#", L"word"}));
}

TEST(TokenSplitting, LastWordWithoutSeparatorComesWithFalse) {
  Tokens tokens = ReadAll("a b");
  EXPECT_EQ(tokens.words, (Words{L"a", L"b"}));
  EXPECT_FALSE(tokens.lastResult);
}

TEST(TokenSplitting, WordsOfAnyLengthAreOneToken) {
  std::string word63(63, 'x'), word64(64, 'y'), word5000(5000, 'z');
  Tokens tokens = ReadAll(word63 + " " + word64 + " " + word5000 + " end\n");
  ASSERT_EQ(tokens.words.size(), 4u);
  EXPECT_EQ(tokens.words[1].size(), 64u);
  EXPECT_EQ(tokens.words[2].size(), 5000u);
  EXPECT_EQ(tokens.words[3], L"end");
}

TEST(TokenSplitting, KeywordsIgnoreAsciiCase) {
  TokenFile file("TextureFileName\n");
  ReadToken();
  EXPECT_TRUE(TokenIs(L"TextureFilename"));
  EXPECT_FALSE(TokenIs(L"TextureFilenam"));
}


// The whole file decides its code page before the first token: UTF-8 where
// all of it is UTF-8, else Shift-JIS where all of it is that, else 1252.
TEST(TokenDecoding, TheFileChoosesItsCodePage) {
  Tokens utf8 = ReadAll("\xc3\xa1rbol \xe6\x9c\xa8\n");
  EXPECT_EQ(utf8.codePage, static_cast<unsigned>(CP_UTF8));
  EXPECT_EQ(utf8.words, (Words{L"\u00e1rbol", L"\u6728"}));
  // "そざい\Tex\木.png", and "ソ" whose second byte is a backslash.
  Tokens shiftJis = ReadAll("\"\x82\xbb\x82\xb4\x82\xa2\\Tex\\\x96\xd8.png\" \x83\x5c\n");
  EXPECT_EQ(shiftJis.codePage, 932u);
  EXPECT_EQ(shiftJis.words, (Words{L"\u305d\u3056\u3044\\Tex\\\u6728.png", L"\u30bd"}));
  Tokens western = ReadAll("\xe9t\xff\x80 \x01\n");
  EXPECT_EQ(western.codePage, 1252u);
  EXPECT_EQ(western.words, (Words{L"\u00e9t\u00ff\u20ac", std::wstring{0x01}}));
  // One byte that is not UTF-8 at the very end decides for the whole file.
  std::string text = "\xc3\xa1 " + std::string(600000, 'x') + " \xe1\n";
  Tokens late = ReadAll(text);
  EXPECT_EQ(late.codePage, 1252u);
  ASSERT_EQ(late.words.size(), 3u);
  EXPECT_EQ(late.words[0], L"\u00c3\u00a1");
  EXPECT_EQ(late.words[2], L"\u00e1");
}

TEST(TokenDecoding, AByteOrderMarkIsDroppedAndNotEchoed) {
  std::string echoed = CaptureStandardOutput([] {
    EXPECT_EQ(ReadAll("\xef\xbb\xbfxof 0303txt 0032\n", true).words, (Words{L"xof", L"0303txt", L"0032"}));
  });
  EXPECT_EQ(echoed, "xof 0303txt 0032\n");
}

TEST(TokenDecoding, LinesAcrossBlocksKeepTheirCharactersAndNumbers) {
  // Many lines of multibyte names: every block is cut between lines, so no
  // character is split and the lines count on.
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "\xe6\x9c\xa8" + std::to_string(i) + "\r\n";
  text += "end";
  TokenFile file(text);
  for (int i = 0; i < 40000; ++i) {
    ASSERT_TRUE(ReadToken());
    ASSERT_EQ(g_Token, L"\u6728" + std::to_wstring(i));
  }
  EXPECT_FALSE(ReadToken());
  EXPECT_EQ(g_Token, L"end");
  EXPECT_EQ(file.reader().TokenLine(), 40001u);
}

TEST(TokenEcho, EchoesWhatTheReaderTakesButNotComments) {
  std::string echoed = CaptureStandardOutput([] { ReadAll("a // b\nc", true); });
  EXPECT_EQ(echoed, "a \nc");
}

TEST(TokenEcho, APendingBraceIsEchoedOnceAndTheTextAsDecoded) {
  // A 1252 file echoes as UTF-8, quotes, tabs and line feeds as they stand.
  std::string echoed = CaptureStandardOutput([] { ReadAll("ab{c}\xe9\t\"x y\"\n", true); });
  EXPECT_EQ(echoed, "ab{c}\xc3\xa9\t\"x y\"\n");
}

TEST(TokenEcho, ParseEchoesTheFileWhenStandardOutputExists) {
  ModelFile file(kHeader + "Mesh m { 0; 0; }\n");
  std::string echoed = CaptureStandardOutput([&] {
    XModelContent content;
    EXPECT_TRUE(ParseXFile(file.WidePath(), content));
  });
  EXPECT_EQ(echoed, kHeader + "Mesh m { 0; 0; }\n");
}

TEST(TokenEcho, ParseWithEchoTurnedOffWritesNothing) {
  ModelFile file(kHeader + "Mesh m { 0; 0; }\n");
  std::string echoed = CaptureStandardOutput([&] {
    XModelContent content;
    EXPECT_TRUE(ParseXFile(file.WidePath(), content, kQuiet));
  });
  EXPECT_EQ(echoed, "");
}

TEST(RecordSteps, NumbersConvertByCLocaleRules) {
  TokenFile file("12abc -3.5e2; x .25 \n");
  EXPECT_EQ(ReadInt(), 12);
  EXPECT_FLOAT_EQ(ReadFloat(), -350.0f);
  EXPECT_EQ(ReadInt(), 0);
  EXPECT_FLOAT_EQ(ReadFloat(), 0.25f);
  EXPECT_EQ(ReadInt(), 0);  // past the end: an empty token
  EXPECT_TRUE(AtEndOfModel());
}

}  // namespace
}  // namespace xfile_test
