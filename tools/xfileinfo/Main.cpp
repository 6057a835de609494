// xfileinfo [--reduced] [--full] FILE.x
// xfileinfo --summary [--reduced] FILE.x
// xfileinfo --pose SET TICK FILE.x
// Prints what the X-file reader makes of FILE as one JSON object, the
// viewers' summary of it in words, or the character's pose at one tick of one
// animation set.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>

#include "Inspectors.h"
#include "platform/TextConversion.h"

namespace {

int Usage() {
  std::fputs("usage: xfileinfo [--reduced] [--full] FILE.x\n"
             "       xfileinfo --summary [--reduced] FILE.x\n"
             "       xfileinfo --pose SET TICK FILE.x\n",
             stderr);
  return 2;
}

// A whole number of 32 bits; a negative one counts as its two's complement,
// as key times in a file do.
bool ParseUnsigned32(const char* text, std::uint32_t& value) {
  if (!*text) return false;
  char* end = nullptr;
  errno = 0;
  long long parsed = std::strtoll(text, &end, 10);
  if (*end || errno == ERANGE || parsed < INT32_MIN || parsed > UINT32_MAX) return false;
  value = static_cast<std::uint32_t>(parsed);
  return true;
}

int Pose(int argc, char** argv) {
  if (argc != 5) return Usage();
  std::uint32_t set = 0, tick = 0;
  for (auto [text, value, name] : {std::tuple{argv[2], &set, "SET"}, std::tuple{argv[3], &tick, "TICK"}}) {
    if (!ParseUnsigned32(text, *value)) {
      std::fprintf(stderr, "xfileinfo: %s must be a whole number, not \"%s\"\n", name, text);
      return 2;
    }
  }
  return xfileinfo::InspectPose(FromUtf8(argv[4]), set, tick);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--pose") == 0) return Pose(argc, argv);
  bool reduced = false, full = false, summary = false;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--reduced") == 0) {
      reduced = true;
    } else if (std::strcmp(argv[i], "--full") == 0) {
      full = true;
    } else if (std::strcmp(argv[i], "--summary") == 0) {
      summary = true;
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
  if (summary) {
    if (full) return Usage();
    return reduced ? xfileinfo::SummarizeReduced(path) : xfileinfo::SummarizeCharacter(path);
  }
  return reduced ? xfileinfo::InspectReduced(path, full) : xfileinfo::InspectCharacter(path, full);
}
