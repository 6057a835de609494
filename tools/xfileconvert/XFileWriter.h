// The binary and compressed twins of a text model file (XFileTwin.cpp), and
// the container and header of the compressed formats. Tests, the fuzz
// targets and the benchmarks make the files they need with it; the
// converter's .x output uses its header and container.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace xfileconvert {

// The 16-byte header for `format` ("txt ", "bin ", "tzip", "bzip").
std::string Header(std::string_view format, bool doubles);

// A MSZIP container written as its file comes (a whole uncompressed file,
// 16-byte header first): the header with `format` in it, the size of the
// file, then blocks of at most `blockBytes` (1 to 32,768) of the rest
// deflated, each with the last 32 KB before it as its dictionary. Each piece
// of the container goes to `out` as it is made; the size field, which comes
// before the blocks, holds 0 until Finish gives what belongs there.
class MszipWriter {
 public:
  MszipWriter(std::function<void(std::string_view)> out, std::string_view format, std::size_t blockBytes);
  void Write(std::string_view file);
  // Deflates what is left; returns the size field's four bytes, which stand
  // at offset 16 of the container.
  std::string Finish();

 private:
  void Deflate(std::size_t size);

  std::function<void(std::string_view)> out_;
  std::string format_;
  std::size_t blockBytes_;
  std::string header_;   // the file's header, until it is whole
  std::string pending_;       // what is deflated (its last 32 KB at least), then what is not yet
  std::size_t deflated_ = 0;  // bytes at the front of `pending_` already deflated
  std::uint64_t size_ = 0;
};

// `file` in a MSZIP container, as MszipWriter writes it.
std::string Compress(std::string_view file, std::string_view format, std::size_t blockBytes = 32768);

// The twin of the text file `text` in `format` ("txt", "bin", "tzip", "bzip");
// an empty string when `text` has no text header. Text twins keep the text
// as it is; binary ones are the same data objects as the format's tokens,
// each value typed by its template, as the converter writes them (no
// templates are added).
std::string Twin(std::string_view text, std::string_view format, bool doubles = false,
                 std::size_t blockBytes = 32768);

}  // namespace xfileconvert
