// The binary and compressed twins of a text model file, and the container
// and header of the compressed formats. Tests, the fuzz targets and the
// benchmarks make the files they need with it; the converter's .x output
// uses its header and container.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xfileconvert {

// The 16-byte header for `format` ("txt ", "bin ", "tzip", "bzip").
std::string Header(std::string_view format, bool doubles);

// `file` (a whole uncompressed file, 16-byte header first) in a MSZIP
// container with `format` in its header: the size of `file`, then blocks
// of at most `blockBytes` (1 to 32,768) of it deflated, each with the last
// 32 KB before it as its dictionary.
std::string Compress(std::string_view file, std::string_view format, std::size_t blockBytes = 32768);

// The twin of the text file `text` in `format` ("txt", "bin", "tzip", "bzip");
// an empty string when `text` has no text header. Text twins keep the text
// as it is; binary ones are the same data objects as the format's tokens,
// each value typed by its template, as the converter writes them (no
// templates are added).
std::string Twin(std::string_view text, std::string_view format, bool doubles = false,
                 std::size_t blockBytes = 32768);

}  // namespace xfileconvert
