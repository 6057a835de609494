// Numbers read where a number is expected go through a pass of their own;
// they must read exactly as _wtol and _wtof read the same token.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ModelFiles.h"
#include "xfile/RecordReading.h"
#include "xfile/TokenReader.h"

namespace xfile_test {
namespace {

struct Reading {
  std::uint8_t kind = kNoNumber;
  std::int32_t integer = 0;
  float real = 0;
  std::wstring text;
};

// Reads each token of `text` as a record reader reads a number.
std::vector<Reading> ReadNumbers(const std::string& text) {
  TokenFile file(text);
  std::vector<Reading> readings;
  while (ReadNumberToken()) {
    Reading reading;
    reading.kind = file.reader().token.number;
    reading.integer = TokenInt();
    reading.real = TokenFloat();
    reading.text = TokenText();
    readings.push_back(reading);
  }
  return readings;
}

std::wstring Widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Each token of `tokens` reads as _wtol and _wtof read it; returns how many
// were taken by the number pass.
std::size_t ExpectReadAsTheConversions(const std::vector<std::string>& tokens) {
  // The first token of a file comes before its first block is read, so it
  // is always read as a word; the cases follow it.
  std::string text = "first\n";
  for (const std::string& token : tokens) text += token + ";\n";
  std::vector<Reading> readings = ReadNumbers(text);
  EXPECT_EQ(readings.size(), tokens.size() + 1);
  if (!readings.empty()) readings.erase(readings.begin());
  std::size_t taken = 0;
  for (std::size_t i = 0; i < std::min(readings.size(), tokens.size()); ++i) {
    const std::wstring wide = Widened(tokens[i]);
    EXPECT_EQ(readings[i].text, wide);
    EXPECT_EQ(readings[i].integer, static_cast<std::int32_t>(_wtol(wide.c_str()))) << tokens[i];
    EXPECT_TRUE(SameBits(readings[i].real, static_cast<float>(_wtof(wide.c_str()))))
        << tokens[i] << ": " << readings[i].real << " against " << _wtof(wide.c_str());
    if (readings[i].kind == kTextNumber) ++taken;
  }
  return taken;
}

TEST(NumberReading, EdgeCasesReadAsTheConversionsDo) {
  const std::vector<std::string> plain = {
      "0",           "-0",          "+5",         "007",           "0.75",        "-0.75",
      ".5",          "-.5e+2",      "5.",         "1e3",           "1E-3",        "2.5e22",
      "1.5e-7",      "0.000001",    "2147483647", "2147483648",    "-2147483648", "-2147483649",
      "4294967296",  "9007199254740992", "0.1", "3.14159265358979",
      "1234567.125", "1e0",         "-1e-22"};
  // Every one of these is a plain decimal and is read in the number pass.
  EXPECT_EQ(ExpectReadAsTheConversions(plain), plain.size());

  // These go to the conversions themselves, and read as they do.
  const std::vector<std::string> other = {
      "1e400",   "-1e-400", "12345678901234567", "9007199254740993", "99999999999999999999", "123456789012345678901234", "0.00000000000000000000012",
      "1e23",    "1e-23",   "0x10",                 "1e",                       "1e+",
      "-",       "+",       ".",                    "1.2.3",                    "12abc",
      "\t7",     "inf",     "-nan",                 "1.5E",                     "--3"};
  ExpectReadAsTheConversions(other);
}

TEST(NumberReading, RandomDecimalsReadAsTheConversionsDo) {
  std::mt19937 random(17);
  std::uniform_int_distribution<int> digitCount(0, 12), digit(0, 9), coin(0, 3), exponent(-30, 30);
  std::vector<std::string> tokens;
  for (int i = 0; i < 3000; ++i) {
    std::string token;
    if (coin(random) == 0) token += '-';
    const int whole = digitCount(random), fraction = digitCount(random);
    for (int k = 0; k < whole; ++k) token += static_cast<char>('0' + digit(random));
    if (fraction > 0 || whole == 0) {
      token += '.';
      for (int k = 0; k < std::max(fraction, 1); ++k) token += static_cast<char>('0' + digit(random));
    }
    if (coin(random) == 0) token += "e" + std::to_string(exponent(random));
    tokens.push_back(token);
  }
  EXPECT_GT(ExpectReadAsTheConversions(tokens), tokens.size() / 2);
}

TEST(NumberReading, ANumberHandedBackKeepsItsTextAndItsLine) {
  TokenFile file("1;\n  12.5\n{\n");
  ModelReader& reader = file.reader();
  ASSERT_TRUE(ReadNumberToken());
  ASSERT_TRUE(ReadNumberToken());
  EXPECT_EQ(reader.token.number, kTextNumber);
  EXPECT_EQ(reader.TokenLine(), 2u);
  UnreadToken();
  ASSERT_TRUE(ReadToken());
  EXPECT_EQ(g_Token, L"12.5");
  EXPECT_EQ(TokenFloat(), 12.5f);
  EXPECT_EQ(TokenInt(), 12);
  // A brace where a number belongs is the brace.
  ASSERT_TRUE(ReadNumberToken());
  EXPECT_TRUE(TokenIsOpenBrace());
  EXPECT_EQ(reader.TokenLine(), 3u);
}

}  // namespace
}  // namespace xfile_test
