#include "xfile/TextDecoding.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

XFILE_SHAPE_BEGIN

namespace {

constexpr unsigned kShiftJis = 932, kWindows1252 = 1252;

// Whether `bytes` decode in `codePage` without an undefined sequence.
bool ValidIn(unsigned codePage, const char* bytes, std::size_t size) {
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), nullptr, 0) > 0;
}

}  // namespace

// Eight bytes at a time, in runs long enough for the compiler to widen further.
bool IsAscii(const char* bytes, std::size_t size) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  std::size_t i = 0;
  for (; i + 64 <= size; i += 64) {
    std::uint64_t words[8];
    std::memcpy(words, bytes + i, sizeof words);
    std::uint64_t any = 0;
    for (std::uint64_t word : words) any |= word;
    if (any & kHighBits) return false;
  }
  unsigned char any = 0;
  for (; i < size; ++i) any |= static_cast<unsigned char>(bytes[i]);
  return any < 0x80;
}

void AppendDecodedUtf8(const char* begin, const char* end, std::wstring& out) {
  const int size = static_cast<int>(end - begin);
  const int length = MultiByteToWideChar(CP_UTF8, 0, begin, size, nullptr, 0);
  if (length <= 0) return;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_UTF8, 0, begin, size, out.data() + at, length);
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

void ConvertToUtf8(unsigned codePage, const char* bytes, std::size_t size, std::string& text) {
  std::wstring wide;
  DecodeText(codePage, bytes, size, wide);
  text.clear();
  if (wide.empty()) return;
  const int wideSize = static_cast<int>(wide.size());
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return;
  text.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, text.data(), length, nullptr, nullptr);
}

void CodePageChoice::See(const char* bytes, std::size_t size) {
  if (size == 0 || Settled() || IsAscii(bytes, size)) return;
  utf8_ = utf8_ && ValidIn(CP_UTF8, bytes, size);
  shiftJis_ = shiftJis_ && ValidIn(kShiftJis, bytes, size);
}

unsigned CodePageChoice::CodePage() const { return utf8_ ? CP_UTF8 : shiftJis_ ? kShiftJis : kWindows1252; }

XFILE_SHAPE_END
