// The floor of reading a text model: the file in 1 MiB blocks, each number
// converted with the reader's own conversion (a plain decimal read where it
// stands, anything else through _wtof), nothing else. The reader's whole
// process is measured against this bare scan.
#include <windows.h>

#include "xfile/DecimalText.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: scan_floor FILE.x\n", stderr);
    return 2;
  }
  FILE* file = std::fopen(argv[1], "rb");
  if (!file) {
    std::fprintf(stderr, "scan_floor: \"%s\" cannot be opened\n", argv[1]);
    return 1;
  }
  std::vector<char> block(std::size_t{1} << 20);
  std::string word;
  std::wstring wide;
  double sum = 0;
  std::size_t numbers = 0;
  auto take = [&] {
    if (word.empty()) return;
    char first = word[0];
    if ((first >= '0' && first <= '9') || first == '-' || first == '.') {
      xfile_text::DecimalReadings readings;
      const char* end = word.data() + word.size();
      if (xfile_text::ScanDecimal(word.data(), end, readings) == end) {
        sum += readings.real;
      } else {
        wide.assign(word.begin(), word.end());
        sum += _wtof(wide.c_str());
      }
      ++numbers;
    }
    word.clear();
  };
  for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), file)) > 0;) {
    for (std::size_t i = 0; i < got; ++i) {
      char c = block[i];
      if (c == ',' || c == ';' || c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '{' || c == '}') {
        take();
      } else {
        word.push_back(c);
      }
    }
  }
  take();
  std::fclose(file);
  std::printf("%zu numbers, sum %g\n", numbers, sum);
  return 0;
}
