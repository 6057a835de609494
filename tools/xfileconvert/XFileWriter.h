// Writes the binary and compressed twins of a text model file: the same
// records as binary tokens ("bin"), in a MSZIP container ("bzip", or "tzip"
// for the text itself), with 4- or 8-byte floats. Tests, the fuzz targets and
// benchmarks make the files they need with it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xfileconvert {

// The tokens of the body of a text file (after its header) as binary tokens:
// names, quoted strings (ended with ";"), braces, and runs of numbers as
// integer lists or float lists ("1.5", "2e3" are floats; "7", "-3" integers).
// Comments and separators leave no token; "template" is its keyword token.
std::string BinaryTokens(std::string_view body, bool doubles);

// The 16-byte header for `format` ("txt ", "bin ", "tzip", "bzip").
std::string Header(std::string_view format, bool doubles);

// `file` (a whole uncompressed file, 16-byte header first) in a MSZIP
// container with `format` in its header: the size of `file`, then blocks
// of at most `blockBytes` (1 to 32,768) of it deflated, each with the last
// 32 KB before it as its dictionary.
std::string Compress(std::string_view file, std::string_view format, std::size_t blockBytes = 32768);

// The twin of the text file `text` in `format` ("txt", "bin", "tzip", "bzip");
// an empty string when `text` has no text header.
std::string Twin(std::string_view text, std::string_view format, bool doubles = false,
                 std::size_t blockBytes = 32768);

}  // namespace xfileconvert
