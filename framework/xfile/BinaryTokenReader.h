// The tokens of a binary model file, for the token reader: the records of the
// binary format turned into the tokens the text gives, so that the same
// record readers read both. Only the token reader calls these.
#pragma once

#include <cstdint>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

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
// is taken straight from the buffer.
bool ReadBinaryNumberToken();

// The offset of the current token in the data (the header counted), or of
// where the data ended.
std::uint64_t BinaryTokenOffset();

XFILE_SHAPE_END
