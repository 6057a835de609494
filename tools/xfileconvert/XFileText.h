// The text form of a model file in any of its formats, so that the twin
// writer (XFileWriter.h) can write it again in another: a text file as it
// is, a compressed file with its MSZIP container undone, and binary tokens
// written out as the text that reads to the same records. Nothing of the
// file is dropped that a token carries: templates, records no reader knows
// and comments' absence aside, the text holds what the file held.
#pragma once

#include <string>
#include <string_view>

namespace xfileconvert {

struct ModelText {
  std::string text;    // a whole text file: a "txt" header of the file's float size, then the body
  std::string damage;  // empty for a sound file; else where the data broke (what came before is in `text`)
};

// The text of `file` (a whole model file, header first). False, with
// `reason`, for a file without the 16-byte header of a known format ("xof ",
// a version, "txt ", "bin ", "tzip" or "bzip", "0032" or "0064").
bool TextOfModelFile(std::string_view file, ModelText& out, std::string& reason);

// `container` (the bytes after a compressed file's 16-byte header) inflated:
// the uncompressed file's data after its header. Inflating stops at the
// first block that is damaged, saying so in `damage`, and where the blocks
// would give more than the container's size field allows.
std::string Inflate(std::string_view container, std::string& damage);

// Binary tokens (`data`, after the header) as text, with floats of
// `floatBytes` (4 or 8) written so that they read back to the same value.
// Stops at the first token that cannot be read, saying so in `damage`.
std::string TextOfBinaryTokens(std::string_view data, unsigned floatBytes, std::string& damage);

}  // namespace xfileconvert
