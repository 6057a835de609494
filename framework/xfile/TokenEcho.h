// The echo of a text model: the characters the text tokenizer takes, written
// to standard output as decoded, so that propviewer's console shows the file
// as it is read. Whether to echo is settled per file, so the tokenizer is
// built twice and the one without echo tests nothing for it per character.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "xfile/TextDecoding.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// The unlocked wide-character output of the C runtime where it has it; the
// older msvcrt (before version 8) has only the locking one.
#if defined(__MSVCRT_VERSION__) && __MSVCRT_VERSION__ < 0x800 && !defined(_UCRT)
inline void PutCharacter(wchar_t c, FILE* file) { fputwc(c, file); }
#else
inline void PutCharacter(wchar_t c, FILE* file) { _fputwc_nolock(c, file); }
#endif

// Writes UTF-8 text [begin, end) as its characters.
template <bool kEcho>
inline void Echo(const char* begin, const char* end) {
  if constexpr (kEcho) {
    const char* ascii = begin;
    while (ascii < end && static_cast<unsigned char>(*ascii) < 0x80) PutCharacter(static_cast<wchar_t>(*ascii++), stdout);
    if (ascii == end) return;
    std::wstring decoded;
    AppendUtf8(ascii, end, decoded);
    for (wchar_t c : decoded) PutCharacter(c, stdout);
  }
}

// Writes one ASCII character.
template <bool kEcho>
inline void EchoByte(unsigned char c) {
  if constexpr (kEcho) PutCharacter(static_cast<wchar_t>(c), stdout);
}

// Writes `text` to standard output as the echo writes the characters it takes.
void EchoText(std::wstring_view text);

// Whether anybody sees the echo: a program without a console has no
// standard output handle, and echo costs nothing there.
bool StandardOutputVisible();

XFILE_SHAPE_END
