// The tokens of a text model file: words, quoted strings and braces, split at
// a small set of separators, with "//" comments dropped. The file is read in
// large blocks and tokens are taken from its bytes as UTF-8, converted from
// the code page chosen for the whole file where it is another; tokens are
// wide characters. Where a number is expected, a plain decimal is read in the
// same pass that finds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "xfile/CurrentToken.h"
#include "xfile/ModelBytes.h"
#include "xfile/ParseWarnings.h"
#include "xfile/TokenPlaces.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

class CodePageChoice;

class TextTokenizer {
 public:
  // Reads `bytes` from where they stand, into `token`; the braces it takes go
  // to `braces`, what it cannot take as written to `warnings`. `echo`: the
  // characters it takes are written to standard output (as decoded, without
  // comments and without the carriage returns of CR LF pairs).
  TextTokenizer(ModelBytes& bytes, CurrentToken& token, BracePlaces& braces, ParseWarnings& warnings, bool echo);
  TextTokenizer(const TextTokenizer&) = delete;
  TextTokenizer& operator=(const TextTokenizer&) = delete;

  // The next word, quoted string or brace. A quoted string runs from a double
  // quote to the next one on its line, every character in between its own;
  // an empty one is no token. False when the file ended before a token was
  // complete; the token then holds what was collected (possibly nothing).
  bool Read();
  // The same where a number is expected: a plain decimal comes as a
  // kTextNumber, read where it stands.
  bool ReadNumber();

  // Bytes of text taken so far (after decoding, without the CRs dropped).
  std::uint64_t Consumed() const { return base_ + position_; }
  std::uint32_t TokenLine() const { return lines_.TokenLine(Consumed()); }
  // The code page the file is decoded with: CP_UTF8 until its first byte
  // outside ASCII comes, then what the whole file chooses.
  unsigned CodePage() const { return codePage_; }

 private:
  bool ReadWord();
  template <bool kEcho>
  bool ReadCharacters();
  template <bool kEcho>
  bool ReadString();
  bool HaveText();
  bool Refill();
  int TakeAndPeek();
  void SeeAhead(CodePageChoice& choice);
  std::size_t ReadBlock(std::vector<char>& raw, bool& fileDone);
  void TakeLineFeed() { lines_.TakeLineFeed(Consumed()); }

  ModelBytes& bytes_;
  CurrentToken& token_;
  BracePlaces& braces_;
  ParseWarnings& warnings_;
  const bool echo_;

  // The file comes in blocks of raw bytes; each block is cut after its last
  // line feed (never inside a UTF-8 or Shift-JIS character), and the bytes
  // after the cut wait at the front of the next block.
  std::vector<char> raw_;          // undecoded bytes: the block, then the carry
  std::size_t blockBytes_ = 0;     // bytes at the front of `raw_` that make the current block
  bool fileDone_ = false;          // the file has given its last byte
  bool atStart_ = true;            // nothing has been taken yet
  bool codePageChosen_ = false;
  unsigned codePage_;
  std::string converted_;          // the block in UTF-8, where the file's code page is not
  const char* text_ = nullptr;     // the current block's text, in UTF-8
  std::size_t size_ = 0;
  std::size_t position_ = 0;       // the next byte of `text_`
  std::uint64_t base_ = 0;         // bytes of text taken before the current block

  LineCount lines_;
  unsigned char heldBrace_ = 0;    // the brace that ended a word, handed out next
  bool inComment_ = false;
  bool quoteOpen_ = false;         // a quote ended a word: the next token is the string it opens
};

XFILE_SHAPE_END
