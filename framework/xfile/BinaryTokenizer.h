// The tokens of a binary model file: the records of the binary format turned
// into the tokens the text gives (braces, names and strings as text, and each
// number of its lists as one token carrying its typed value), so that the
// same record readers read both.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "xfile/CurrentToken.h"
#include "xfile/ModelBytes.h"
#include "xfile/ParseWarnings.h"
#include "xfile/TokenPlaces.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

class CodePageChoice;

class BinaryTokenizer {
 public:
  // Reads the data of `bytes` after its 16-byte header, with `floatBytes` (4
  // or 8) to a float, into `token`; the braces it takes go to `braces`, what
  // is damaged to `warnings`. The names and strings of the data choose its
  // code page, as the bytes of a text file choose it; it is UTF-8 until the
  // first of them outside ASCII comes.
  BinaryTokenizer(ModelBytes& bytes, CurrentToken& token, BracePlaces& braces, ParseWarnings& warnings,
                  unsigned floatBytes);
  BinaryTokenizer(const BinaryTokenizer&) = delete;
  BinaryTokenizer& operator=(const BinaryTokenizer&) = delete;

  // Reads the next token. False at the end of the data, and where the data
  // is damaged: that is warned of once, with its offset, and reading ends
  // there.
  bool Read();
  // The same where a number is expected: the next item of a list being read
  // needs no token of its own.
  bool ReadNumber() { return state_.listLeft > 0 && !state_.ended ? TakeListItem() : Read(); }

  // Takes the next item of the list being handed out where it stands whole
  // in the buffer and is a 4-byte integer or float, as ReadNumber would, but
  // without a call: most numbers of a binary file come this way. False, with
  // nothing taken, where ReadNumber must do it (no list, a token handed back,
  // the buffer's end, an 8-byte float, damaged data).
  bool TakeListItemInPlace() {
    State& r = state_;
    if (r.listLeft == 0 || r.listItemBytes != 4 || r.end - r.position < 4 || token_.pending || r.ended) return false;
    const char* item = r.buffer.data() + r.position;
    r.tokenOffset = r.bufferOffset + r.position;
    r.position += 4;
    --r.listLeft;
    if (r.listNumber == kIntegerNumber) {
      std::uint32_t bits;
      std::memcpy(&bits, item, sizeof bits);
      token_.integer = static_cast<std::int32_t>(bits);
    } else {
      std::memcpy(&token_.single, item, sizeof token_.single);
    }
    token_.number = r.listNumber;
    token_.quoted = false;
    token_.text.clear();
    return true;
  }

  // The offset of the current token in the data (the header counted), or of
  // where the data ended.
  std::uint64_t TokenOffset() const { return state_.ended ? Offset() : state_.tokenOffset; }
  unsigned CodePage() const { return codePage_; }

 private:
  // Where the tokenizer stands in its data; kept together, so that reading
  // ahead for the code page can go back to it.
  struct State {
    std::vector<char> buffer;  // refilled in large reads
    std::size_t position = 0;
    std::size_t end = 0;
    std::uint64_t bufferOffset = 0;  // offset in the data of buffer[0]
    bool dataDone = false;
    // The list being handed out: what its items are (kIntegerNumber or
    // kFloatNumber) and their size, and how many are left.
    std::uint8_t listNumber = kNoNumber;
    std::uint8_t listItemBytes = 0;
    std::uint32_t listLeft = 0;
    std::uint32_t listCount = 0;
    std::uint64_t listOffset = 0;
    std::uint64_t tokenOffset = 0;
    bool ended = false;
    std::string raw;  // a name's or a string's bytes
  };

  std::uint64_t Offset() const { return state_.bufferOffset + state_.position; }
  bool Have(std::size_t count);
  template <typename T>
  T Take();
  bool Fail(const std::wstring& what);
  std::wstring At(std::uint64_t offset) const;
  bool TakeBytes(std::uint32_t count, std::string& raw);
  bool TakeListItem();
  void GuidToken();
  void SeeAhead(CodePageChoice& choice);

  ModelBytes& bytes_;
  CurrentToken& token_;
  BracePlaces& braces_;
  ParseWarnings& warnings_;
  const unsigned floatBytes_;
  State state_;
  bool codePageChosen_ = false;
  unsigned codePage_;
  bool scanning_ = false;  // reading ahead for the code page: no warnings, no braces taken
};

XFILE_SHAPE_END
