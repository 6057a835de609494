#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "ModelFiles.h"
#include "xfile/RecordReading.h"
#include "xfile/TokenReader.h"

namespace xfile_test {
namespace {

struct Tokens {
  std::vector<std::wstring> words;
  bool lastResult = true;
};

// Reads every token of `text` the way the record readers do.
Tokens ReadAll(const std::string& text, bool echo = false) {
  ModelFile file(text);
  FILE* stream = _wfopen(file.WidePath().c_str(), L"r");
  EXPECT_NE(stream, nullptr);
  Tokens result;
  BeginTokens(stream, echo);
  for (;;) {
    result.lastResult = ReadToken();
    if (!result.lastResult) {
      if (!g_Token.empty()) result.words.push_back(g_Token);
      break;
    }
    result.words.push_back(g_Token);
  }
  std::fclose(stream);
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

TEST(TokenSplitting, QuotesSeparateLikeSpaces) {
  EXPECT_EQ(ReadAll("\"tex.png\";\n").words, (Words{L"tex.png"}));
  EXPECT_EQ(ReadAll("\"my tex.png\";\n").words, (Words{L"my", L"tex.png"}));
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

TEST(TokenSplitting, EveryByteIsTheCharacterOfItsValue) {
  Tokens tokens = ReadAll("\xe9t\xff\x80 \x01\n");
  ASSERT_EQ(tokens.words.size(), 2u);
  EXPECT_EQ(tokens.words[0], (std::wstring{0xe9, L't', 0xff, 0x80}));
  EXPECT_EQ(tokens.words[1], (std::wstring{0x01}));
}

TEST(TokenSplitting, KeywordsIgnoreAsciiCase) {
  ModelFile file("TextureFileName\n");
  FILE* stream = _wfopen(file.WidePath().c_str(), L"r");
  BeginTokens(stream, false);
  ReadToken();
  EXPECT_TRUE(TokenIs(L"TextureFilename"));
  EXPECT_FALSE(TokenIs(L"TextureFilenam"));
  std::fclose(stream);
}

// Runs `read` with standard output sent to a file and returns what was written.
template <typename Read>
std::string CaptureStandardOutput(Read read) {
  std::fflush(stdout);
  // Both record shapes run these tests, possibly at once: one file per process.
  std::string path = testing::TempDir() + "/xfile_echo_" + std::to_string(::getpid()) + ".txt";
  int saved = ::dup(1);
  FILE* capture = std::fopen(path.c_str(), "w");
  ::dup2(::fileno(capture), 1);
  read();
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  std::fclose(capture);
  std::string text;
  FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return "<no capture file>";
  for (int c; (c = std::fgetc(in)) != EOF;) text += static_cast<char>(c);
  std::fclose(in);
  std::remove(path.c_str());
  return text;
}

TEST(TokenEcho, EchoesWhatTheReaderTakesButNotComments) {
  std::string echoed = CaptureStandardOutput([] { ReadAll("a // b\nc", true); });
  EXPECT_EQ(echoed, "a \nc");
}

TEST(TokenEcho, APendingBraceIsEchoedOnce) {
  std::string echoed = CaptureStandardOutput([] { ReadAll("ab{c}\xe9\n", true); });
  EXPECT_EQ(echoed, "ab{c}\xe9\n");
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
    SetModelEcho(false);
    EXPECT_TRUE(ParseXFile(file.WidePath(), content));
    SetModelEcho(true);
  });
  EXPECT_EQ(echoed, "");
}

TEST(RecordSteps, NumbersConvertByCLocaleRules) {
  ModelFile file("12abc -3.5e2; x .25 \n");
  FILE* stream = _wfopen(file.WidePath().c_str(), L"r");
  BeginTokens(stream, false);
  EXPECT_EQ(ReadInt(), 12);
  EXPECT_FLOAT_EQ(ReadFloat(), -350.0f);
  EXPECT_EQ(ReadInt(), 0);
  EXPECT_FLOAT_EQ(ReadFloat(), 0.25f);
  EXPECT_EQ(ReadInt(), 0);  // past the end: an empty token
  EXPECT_TRUE(AtEndOfModel());
  std::fclose(stream);
}

}  // namespace
}  // namespace xfile_test
