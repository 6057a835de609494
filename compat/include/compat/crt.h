// The part of the Microsoft C runtime that the framework calls and glibc does
// not have: wide-name file opening with Windows path rules, text mode, and
// number conversion with C-locale rules.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cwchar>

typedef int errno_t;

// Opens a file by wide name. Paths follow Windows rules (backslashes, names
// matched case-insensitively). A file read in text mode ("r" without "b" or
// "+") never shows the carriage return of a CR LF pair; every byte is one
// character of its value.
FILE* _wfopen(const wchar_t* fileName, const wchar_t* mode);
errno_t _wfopen_s(FILE** stream, const wchar_t* fileName, const wchar_t* mode);

// Reopens a stream on another file. "CONOUT$" and "CONIN$" name the console
// once the program has one (AllocConsole).
errno_t freopen_s(FILE** stream, const char* fileName, const char* mode, FILE* oldStream);
errno_t _wfreopen_s(FILE** stream, const wchar_t* fileName, const wchar_t* mode, FILE* oldStream);

// Number conversion in the C locale: leading white space, an optional sign,
// digits (for _wtof with "." and an optional exponent); conversion stops at
// the first character that does not fit. _wtol saturates at the 32-bit range
// of the Windows long.
long _wtol(const wchar_t* text);
int _wtoi(const wchar_t* text);
double _wtof(const wchar_t* text);

// Character input and output without locking. A byte stream gives each byte
// as the character of its value (0 to 255), whatever the locale; output
// writes ASCII as one byte and every other character as UTF-8, which is what
// a terminal here shows.
inline wint_t _fgetwc_nolock(FILE* stream) {
  int c = getc_unlocked(stream);
  return c == EOF ? WEOF : static_cast<wint_t>(c);
}

inline wint_t _fputwc_nolock(wchar_t c, FILE* stream) {
  auto code = static_cast<unsigned long>(c);
  if (code < 0x80) return putc_unlocked(static_cast<int>(code), stream) == EOF ? WEOF : static_cast<wint_t>(c);
  if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return WEOF;
  unsigned char bytes[4];
  int length = code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
  for (int k = length - 1; k > 0; --k, code >>= 6) bytes[k] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  bytes[0] = static_cast<unsigned char>((length == 2 ? 0xC0 : length == 3 ? 0xE0 : 0xF0) | code);
  for (int k = 0; k < length; ++k)
    if (putc_unlocked(bytes[k], stream) == EOF) return WEOF;
  return static_cast<wint_t>(c);
}

#define _getwc_nolock(stream) _fgetwc_nolock(stream)
#define _putwc_nolock(c, stream) _fputwc_nolock(c, stream)
