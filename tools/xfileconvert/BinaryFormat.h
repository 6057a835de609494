// The binary .x format as the twin writer and the text maker both need it:
// its token codes, the header, and a compressed container's blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace xfilepack {

// Each token begins with its code, two bytes little-endian. A name or a
// string carries a 4-byte count and its bytes; an integer 4 bytes; a GUID 16;
// a list a 4-byte count and its items (4-byte integers, or floats of the
// header's float size).
enum BinaryToken : std::uint16_t {
  kName = 1,
  kString = 2,
  kInteger = 3,
  kGuid = 5,
  kIntegerList = 6,
  kFloatList = 7,
  kOpenBrace = 10,
  kCloseBrace = 11,
  kOpenParenthesis = 12,  // ( ) [ ] < > . follow in that order
  kDot = 18,
  kComma = 19,
  kSemicolon = 20,
  kTemplate = 31,
  kFirstKeyword = 40,  // WORD, DWORD, FLOAT, DOUBLE, CHAR, UCHAR, SWORD, SDWORD, void, string, unicode, cstring, array
  kLastKeyword = 52,
};

constexpr std::size_t kHeaderBytes = 16;
// The largest block of a compressed file, and the dictionary each block is deflated with.
constexpr std::size_t kWindowBytes = 32768;

}  // namespace xfilepack
