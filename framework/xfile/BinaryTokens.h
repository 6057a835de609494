// The binary .x format's token codes, which the reader and the writers of
// binary files share. Each token begins with its code, two bytes
// little-endian. A name or a string carries a 4-byte count and its bytes; an
// integer 4 bytes; a GUID 16; a list a 4-byte count and its items (4-byte
// integers, or floats of the header's float size). Punctuation and template
// keywords stand alone.
#pragma once

#include <cstdint>

namespace xfile_binary {

enum BinaryToken : std::uint16_t {
  kName = 1,
  kString = 2,
  kInteger = 3,
  kGuid = 5,
  kIntegerList = 6,
  kFloatList = 7,
  kOpenBrace = 10,
  kCloseBrace = 11,
  kOpenParenthesis = 12,
  kCloseParenthesis = 13,
  kOpenBracket = 14,
  kCloseBracket = 15,
  kOpenAngle = 16,
  kCloseAngle = 17,
  kDot = 18,
  kComma = 19,
  kSemicolon = 20,
  kTemplate = 31,
  kFirstKeyword = 40,  // WORD, DWORD, FLOAT, DOUBLE, CHAR, UCHAR, SWORD, SDWORD, void, string, unicode, cstring, array
  kLastKeyword = 52,
};

}  // namespace xfile_binary
