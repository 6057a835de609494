// How the reader turns a model file's bytes into text, in the text and the
// binary formats alike: one code page for the whole file, chosen from all of
// its text, and decoding through the platform's MultiByteToWideChar (and,
// for the text reader's blocks, WideCharToMultiByte to UTF-8).
#pragma once

#include <cstddef>
#include <string>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

bool IsAscii(const char* bytes, std::size_t size);

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

XFILE_SHAPE_END
