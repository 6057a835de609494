#include "xfile/ParseMessages.h"

#include <cstdio>

XFILE_SHAPE_BEGIN

namespace {

void AppendUtf8(std::string& out, std::wstring_view text) {
  for (wchar_t wide : text) {
    auto c = static_cast<std::uint32_t>(wide);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;  // not a code point
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

void WriteLine(std::wstring_view path, std::string_view reason) {
  std::string line = "model file \"";
  AppendUtf8(line, path);
  line += "\": ";
  line += reason;
  line += '\n';
  std::fputs(line.c_str(), stderr);
}

}  // namespace

void ReportParseFailure(std::wstring_view path, std::wstring_view reason) {
  std::string narrow;
  AppendUtf8(narrow, reason);
  WriteLine(path, narrow);
}

void ReportParseFailure(std::wstring_view path, const char* reason) { WriteLine(path, reason); }

XFILE_SHAPE_END
