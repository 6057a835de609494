// How the reader turns a model file's bytes into text, in the text and the
// binary formats alike: one code page for the whole file, chosen from all of
// its text, and decoding through the platform's MultiByteToWideChar (and,
// for the text reader's blocks, WideCharToMultiByte to UTF-8).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "xfile/ModelBytes.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

bool IsAscii(const char* bytes, std::size_t size);

// Appends UTF-8 text to a wide string: ASCII widened directly (inline, since
// the text tokenizer appends every word this way), the rest decoded.
void AppendDecodedUtf8(const char* begin, const char* end, std::wstring& out);
inline void AppendUtf8(const char* begin, const char* end, std::wstring& out) {
  const char* ascii = begin;
  while (ascii < end && static_cast<unsigned char>(*ascii) < 0x80) ++ascii;
  // Widened in place: appending a range of another character type would
  // build a temporary string first.
  const std::size_t kept = out.size();
  out.resize(kept + static_cast<std::size_t>(ascii - begin));
  wchar_t* to = out.data() + kept;
  for (const char* from = begin; from < ascii; ++from) *to++ = static_cast<wchar_t>(*from);
  if (ascii != end) AppendDecodedUtf8(ascii, end, out);
}

// `bytes` decoded in `codePage` into `text` (which they replace); ASCII is
// widened directly.
void DecodeText(unsigned codePage, const char* bytes, std::size_t size, std::wstring& text);

// `bytes` decoded in `codePage` and written as UTF-8 into `text` (which they
// replace).
void ConvertToUtf8(unsigned codePage, const char* bytes, std::size_t size, std::string& text);

// The code page of a file, seen piece by piece: UTF-8 where all of its text
// is valid UTF-8, else Shift-JIS (932) where all of it is valid as that, else
// Windows-1252, which decodes every byte.
class CodePageChoice {
 public:
  void See(const char* bytes, std::size_t size);
  // Only Windows-1252 is left: the rest of the file cannot change the choice.
  bool Settled() const { return !utf8_ && !shiftJis_; }
  unsigned CodePage() const;

 private:
  bool utf8_ = true;
  bool shiftJis_ = true;
};

// The one choice of a file's code page, made when its first text outside
// ASCII comes: everything before was ASCII, valid in each, so
// `seeAhead(choice)` shows the choice the rest of the data from where the
// tokenizer stands, reading ahead from `bytes` as far as it must. The bytes
// are then given again from where they stood, so that the tokenizer reads on
// as before.
template <typename SeeAhead>
unsigned ChooseCodePage(ModelBytes& bytes, SeeAhead&& seeAhead) {
  const std::uint64_t given = bytes.Given();
  CodePageChoice choice;
  seeAhead(choice);
  if (bytes.Given() != given) bytes.RewindTo(given);
  return choice.CodePage();
}

XFILE_SHAPE_END
