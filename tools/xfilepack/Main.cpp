// xfilepack FORMAT IN.x OUT.x [--float64] [--block BYTES]
// Writes the twin of the text model file IN.x in FORMAT (txt, bin, tzip,
// bzip): the same records, as binary tokens and/or in a MSZIP container.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "XFileWriter.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: xfilepack txt|bin|tzip|bzip IN.x OUT.x [--float64] [--block BYTES]\n", stderr);
    return 2;
  }
  const std::string format = argv[1];
  bool doubles = false;
  std::size_t block = 32768;
  for (int i = 4; i < argc; ++i) {
    if (std::strcmp(argv[i], "--float64") == 0) {
      doubles = true;
    } else if (std::strcmp(argv[i], "--block") == 0 && i + 1 < argc) {
      block = std::strtoul(argv[++i], nullptr, 10);
    } else {
      std::fprintf(stderr, "xfilepack: unknown option \"%s\"\n", argv[i]);
      return 2;
    }
  }
  if (format != "txt" && format != "bin" && format != "tzip" && format != "bzip") {
    std::fprintf(stderr, "xfilepack: unknown format \"%s\"\n", format.c_str());
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "xfilepack: \"%s\" cannot be opened\n", argv[2]);
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::string twin = xfilepack::Twin(text.str(), format, doubles, block);
  if (twin.empty()) {
    std::fprintf(stderr, "xfilepack: \"%s\" is not a text X file\n", argv[2]);
    return 1;
  }
  std::ofstream out(argv[3], std::ios::binary);
  out << twin;
  if (!out) {
    std::fprintf(stderr, "xfilepack: \"%s\" cannot be written\n", argv[3]);
    return 1;
  }
  return 0;
}
