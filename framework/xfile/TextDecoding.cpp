#include "xfile/TextDecoding.h"

#include <windows.h>

XFILE_SHAPE_BEGIN

namespace {

constexpr unsigned kShiftJis = 932, kWindows1252 = 1252;

// Whether `bytes` decode in `codePage` without an undefined sequence.
bool ValidIn(unsigned codePage, const char* bytes, std::size_t size) {
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), nullptr, 0) > 0;
}

}  // namespace

bool IsAscii(const char* bytes, std::size_t size) {
  unsigned char any = 0;
  for (std::size_t i = 0; i < size; ++i) any |= static_cast<unsigned char>(bytes[i]);
  return any < 0x80;
}

void DecodeText(unsigned codePage, const char* bytes, std::size_t size, std::wstring& text) {
  text.clear();
  if (size == 0) return;
  if (IsAscii(bytes, size)) {
    text.assign(bytes, bytes + size);
    return;
  }
  int length = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), nullptr, 0);
  if (length <= 0) return;
  text.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(size), text.data(), length);
}

void CodePageChoice::See(const char* bytes, std::size_t size) {
  if (size == 0 || Settled() || IsAscii(bytes, size)) return;
  utf8_ = utf8_ && ValidIn(CP_UTF8, bytes, size);
  shiftJis_ = shiftJis_ && ValidIn(kShiftJis, bytes, size);
}

unsigned CodePageChoice::CodePage() const { return utf8_ ? CP_UTF8 : shiftJis_ ? kShiftJis : kWindows1252; }

XFILE_SHAPE_END
