#include "ThumbnailOptions.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

namespace {

// A whole number of pixels from 1 to kMaxThumbnailSize, digits only.
bool ParseSize(const std::wstring& text, int& size) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + (c - L'0');
  }
  if (value < 1 || value > kMaxThumbnailSize) return false;
  size = value;
  return true;
}

}  // namespace

bool ParseThumbnailOptions(ThumbnailOptions& options, std::wstring& mistake) {
  options = ThumbnailOptions();
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring files[2];
  int fileCount = 0;
  bool sized = false;
  for (int i = 1; argv && i < argc && mistake.empty() && !options.help; ++i) {
    const std::wstring argument = argv[i];
    if (argument == L"--help" || argument == L"-h") {
      options.help = true;
    } else if (argument == L"-s" || argument == L"--size") {
      if (i + 1 >= argc) {
        mistake = argument + L" needs a value";
      } else if (!ParseSize(argv[++i], options.size)) {
        mistake = L"the size must be a whole number of pixels from 1 to " + std::to_wstring(kMaxThumbnailSize) +
                  L", not \"" + argv[i] + L"\"";
      }
      sized = true;
    } else if (argument.size() > 1 && argument[0] == L'-') {
      mistake = L"unknown option \"" + argument + L"\"";
    } else if (fileCount < 2) {
      files[fileCount++] = argument;
    } else {
      mistake = L"one model file and one thumbnail file, not more (\"" + argument + L"\")";
    }
  }
  LocalFree(argv);
  if (options.help) return true;
  if (!mistake.empty()) return false;
  if (!sized) {
    mistake = L"the size is missing (-s SIZE)";
  } else if (fileCount < 2) {
    mistake = fileCount == 0 ? L"the model file and the thumbnail file are missing" : L"the thumbnail file is missing";
  }
  options.model = files[0];
  options.output = files[1];
  return mistake.empty();
}

void PrintThumbnailUsage() {
  std::fprintf(
      stderr,
      "usage: xviewer-thumbnailer -s SIZE MODEL.x THUMBNAIL.png\n"
      "  -s, --size SIZE  the thumbnail's longer side in pixels (1 to %d)\n"
      "  --help           show this text\n"
      "Writes a PNG picture of the model, framed whole on a transparent background, as the\n"
      "viewers draw it: a character in the first pose of its first animation set, a static\n"
      "model with every mesh in place. Renders offscreen, with no display and no GPU, and\n"
      "writes no file but THUMBNAIL.png. A file that cannot be shown is one line on standard\n"
      "error and exit status 1; a mistaken command line, exit status 2. It gives up after %u s.\n",
      kMaxThumbnailSize, kThumbnailTimeLimitSeconds);
}
