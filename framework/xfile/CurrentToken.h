// The token a tokenizer read last: its text, or the typed value of a number,
// whether it is quoted, and what waits to come after it. Keywords are matched
// here, and a message shows the token from here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// What a token carries instead of text.
enum TokenNumber : std::uint8_t {
  kNoNumber = 0,       // a word, a string or a brace: the text holds it
  kIntegerNumber = 1,  // a binary file's integer: `integer` holds it; the text is empty
  kFloatNumber = 2,    // a binary file's float: `single` holds it (and `real` an 8-byte one whole); the text is empty
  // A plain decimal of a text file, read where a number was expected:
  // `integer` holds its integer reading and `real` its real one; the text is
  // empty until Text asks for it.
  kTextNumber = 3,
};

// What waits to come before the next token of the file.
enum PendingToken : std::uint8_t {
  kBracePending = 1,  // a brace ended a word and comes after it
  kTokenAgain = 2,    // the current token was handed back and comes first
};

class CurrentToken {
 public:
  // `text` is where the token's text is kept: g_Token of the reading thread.
  explicit CurrentToken(std::wstring& text) : text(text) {}
  CurrentToken(const CurrentToken&) = delete;
  CurrentToken& operator=(const CurrentToken&) = delete;

  std::wstring& text;
  bool atEnd = false;        // the end of the data (or a read error) was met
  bool quoted = false;       // a quoted string: never a brace or a keyword
  std::uint8_t pending = 0;  // PendingToken bits
  std::uint8_t number = kNoNumber;
  std::int32_t integer = 0;
  float single = 0;
  double real = 0;
  std::string_view numberText;  // where a kTextNumber stands in the tokenizer's block, as UTF-8

  // True once the end of the data was met and nothing waits to come.
  bool AtEnd() const { return atEnd && pending == 0; }

  // The text, also for a number that was read where it stood.
  const std::wstring& Text();

  // Keywords match whole tokens, ignoring ASCII case. The length is compared
  // inline, so most tokens are told apart from a keyword without a call.
  bool Matches(std::wstring_view keyword) const;
  template <std::size_t N>
  bool Is(const wchar_t (&keyword)[N]) const {
    return text.size() == N - 1 && !quoted && Matches(std::wstring_view(keyword, N - 1));
  }
  bool IsOpenBrace() const { return text.size() == 1 && text[0] == L'{' && !quoted; }
  bool IsCloseBrace() const { return text.size() == 1 && text[0] == L'}' && !quoted; }
  bool IsBrace() const { return IsOpenBrace() || IsCloseBrace(); }

  // The token as a message shows it: a name in quotes and escaped, a number
  // of a binary file as its value.
  std::wstring Shown();
};

XFILE_SHAPE_END
