// The thumbnailer's command line, as the freedesktop thumbnailer entry gives
// it: -s SIZE INPUT OUTPUT.
#pragma once

#include <string>

struct ThumbnailOptions {
  // The longer side of the thumbnail in pixels, 1 to kMaxThumbnailSize.
  int size = 0;
  std::wstring model;   // the model file
  std::wstring output;  // the PNG to write
  bool help = false;    // --help: the usage was asked for, nothing else
};

// The largest thumbnail: 4096 pixels a side (64 MiB of colour and as much of
// depth), far beyond the 1024 that file managers ask for.
inline constexpr int kMaxThumbnailSize = 4096;
// A run still going after this many seconds gives up: a file manager waits
// for each thumbnail.
inline constexpr unsigned kThumbnailTimeLimitSeconds = 10;

// Reads the process's command line into `options`. False, with `mistake`
// set, for a command line that cannot be run; --help is no mistake.
bool ParseThumbnailOptions(ThumbnailOptions& options, std::wstring& mistake);

// The usage text, on standard error.
void PrintThumbnailUsage();
