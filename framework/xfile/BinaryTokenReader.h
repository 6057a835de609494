// The tokens of a binary model file, for the token reader: the records of the
// binary format turned into the tokens the text gives, so that the same
// record readers read both. Only the token reader calls these, but for
// TakeBinaryListItemInPlace, which the list readers call for every item.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "xfile/TokenReader.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// Where the binary reader stands in its data.
struct BinaryReader {
  std::vector<char> buffer;  // refilled in large reads
  std::size_t position = 0;
  std::size_t end = 0;
  std::uint64_t bufferOffset = 0;  // offset in the data of buffer[0]
  bool dataDone = false;
  unsigned floatBytes = 4;
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
  bool codePageChosen = false;
  bool scanning = false;  // reading ahead for the code page: no warnings, no braces taken
};
extern BinaryReader g_Binary;

// Takes the next item of the list being handed out where it stands whole in
// the buffer and is a 4-byte integer or float, as ReadNumberToken would, but
// without a call: most numbers of a binary file come this way. False, with
// nothing taken, where ReadNumberToken must do it (no list, a token handed
// back, the buffer's end, an 8-byte float, damaged data); a text file never
// has a list.
inline bool TakeBinaryListItemInPlace() {
  BinaryReader& r = g_Binary;
  if (r.listLeft == 0 || r.listItemBytes != 4 || r.end - r.position < 4 || g_TokenFlags.pending || r.ended)
    return false;
  const char* item = r.buffer.data() + r.position;
  r.tokenOffset = r.bufferOffset + r.position;
  r.position += 4;
  --r.listLeft;
  if (r.listNumber == kIntegerNumber) {
    std::uint32_t bits;
    std::memcpy(&bits, item, sizeof bits);
    g_TokenInteger = static_cast<std::int32_t>(bits);
  } else {
    std::memcpy(&g_TokenFloat, item, sizeof g_TokenFloat);
  }
  g_TokenFlags.number = r.listNumber;
  g_TokenFlags.quoted = false;
  g_Token.clear();
  return true;
}

// Starts reading the binary data after the 16-byte header, with `floatBytes`
// (4 or 8) to a float. The names and strings of the data choose its code
// page (g_ModelCodePage), as the bytes of a text file choose it; it is UTF-8
// until the first of them outside ASCII comes.
void BeginBinaryTokens(unsigned floatBytes);
void EndBinaryTokens();

// Reads the next token into g_Token or, for a number, into g_TokenInteger or
// g_TokenFloat (with g_TokenFlags.number saying which). False at the end of
// the data, and where the data is damaged: that is warned of once, with its
// offset, and reading ends there.
bool ReadBinaryToken();

// The same where a number is expected: the next item of a list being read
// needs no token of its own.
bool ReadBinaryNumberToken();

// The offset of the current token in the data (the header counted), or of
// where the data ended.
std::uint64_t BinaryTokenOffset();

XFILE_SHAPE_END
