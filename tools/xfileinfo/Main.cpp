// xfileinfo [--reduced] [--full] FILE.x
// Prints what the X-file reader makes of FILE as one JSON object.
#include <cstdio>
#include <cstring>
#include <string>

#include "Inspectors.h"

namespace {

// Command-line arguments are UTF-8; file names are wide strings.
std::wstring FromUtf8(const char* text) {
  std::wstring out;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    std::uint32_t c = *p++;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) c &= 0x3F >> extra;
    for (; extra > 0 && (*p & 0xC0) == 0x80; --extra) c = (c << 6) | (*p++ & 0x3F);
    out += static_cast<wchar_t>(extra ? 0xFFFD : c);
  }
  return out;
}

int Usage() {
  std::fputs("usage: xfileinfo [--reduced] [--full] FILE.x\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool reduced = false, full = false;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--reduced") == 0) {
      reduced = true;
    } else if (std::strcmp(argv[i], "--full") == 0) {
      full = true;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      return Usage();
    } else if (file) {
      return Usage();
    } else {
      file = argv[i];
    }
  }
  if (!file) return Usage();
  std::wstring path = FromUtf8(file);
  return reduced ? xfileinfo::InspectReduced(path, full) : xfileinfo::InspectCharacter(path, full);
}
