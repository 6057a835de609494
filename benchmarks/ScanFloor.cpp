// The floor of reading a text model: the file in 1 MiB blocks, each number
// converted with the reader's own conversion (a plain decimal read where it
// stands, anything else through _wtof), nothing else. The reader's whole
// process is measured against this bare scan.
#include <windows.h>

#include "xfile/DecimalText.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A number that is not a plain decimal, as the reader converts it: through
// _wtof. Kept out of the loop, which converts plain decimals where they stand.
[[gnu::noinline]] double ConvertedByWtof(const std::string& word) {
  const std::wstring wide(word.begin(), word.end());
  return _wtof(wide.c_str());
}

}  // namespace

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
  double sum = 0;
  std::size_t numbers = 0;
  auto take = [&] {
    char first = word[0];
    if ((first >= '0' && first <= '9') || first == '-' || first == '.') {
      xfile_text::DecimalReadings readings;
      const char* end = word.data() + word.size();
      sum += xfile_text::ScanDecimal(word.data(), end, readings) == end ? readings.real : ConvertedByWtof(word);
      ++numbers;
    }
    word.clear();
  };
  for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), file)) > 0;) {
    for (std::size_t i = 0; i < got; ++i) {
      char c = block[i];
      if (c == ',' || c == ';' || c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '{' || c == '}') {
        if (!word.empty()) take();
      } else {
        word.push_back(c);
      }
    }
  }
  if (!word.empty()) take();
  std::fclose(file);
  std::printf("%zu numbers, sum %g\n", numbers, sum);
  return 0;
}
