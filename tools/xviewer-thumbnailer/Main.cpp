// xviewer-thumbnailer: the picture a file manager shows for a DirectX model
// file. File managers start it through share/thumbnailers/xviewer.thumbnailer,
// often inside a sandbox (bubblewrap: a read-only file system, no network, a
// fresh /tmp, a home it cannot write), and with no display to use.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "HardLimit.h"
#include "ThumbnailMessages.h"
#include "ThumbnailOptions.h"
#include "ThumbnailRender.h"
#include "platform/AssetFolders.h"
#include "platform/TextConversion.h"
#include "xfile/ParseMessages.h"

namespace {

// Renders offscreen, display or not, and leaves no file behind but the
// thumbnail: Mesa keeps no shader cache, and the layer, knowing no cache
// folder, neither reads nor writes effect records of its own (the bundled
// effects' records are installed with them).
void RenderOffscreenWithoutCaches() {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
  unsetenv("XDG_CACHE_HOME");
  unsetenv("HOME");
}

// The effects are the installed ones, whatever folder the file manager starts
// the thumbnailer in: it works in the installed asset folder (a folder that
// is missing leaves the root, where no effect is found).
void WorkInInstalledAssets() {
  std::error_code error;
  std::filesystem::current_path(std::filesystem::path(ToUtf8(InstalledAssetFolder())), error);
  if (error) std::filesystem::current_path("/", error);
}

std::wstring Absolute(const std::wstring& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(ToUtf8(path)), error);
  return error ? path : FromUtf8(absolute.string());
}

// Makes the thumbnail's file, empty; false when it cannot be written.
bool MakeOutput(const std::string& output) {
  std::FILE* file = std::fopen(output.c_str(), "wb");
  return file && std::fclose(file) == 0;
}

std::string TimeLimitLine(const std::wstring& model) {
  char line[4096];
  std::snprintf(line, sizeof(line), kThumbnailMessageFormats[static_cast<std::size_t>(ThumbnailMessage::TimeLimit)],
                ToUtf8(Escaped(model)).c_str(), kThumbnailTimeLimitSeconds);
  return line;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ThumbnailOptions options;
  std::wstring mistake;
  if (!ParseThumbnailOptions(options, mistake)) {
    Report(ThumbnailMessage::CommandLineMistake, ToUtf8(mistake).c_str());
    PrintThumbnailUsage();
    return 2;
  }
  if (options.help) {
    PrintThumbnailUsage();
    return 0;
  }
  RenderOffscreenWithoutCaches();
  // Named from the folder the thumbnailer was started in, before it leaves it.
  const std::wstring model = Absolute(options.model), output = Absolute(options.output);
  const std::string outputFile = ToUtf8(output);
  LimitRunTime(kThumbnailTimeLimitSeconds, TimeLimitLine(options.model), outputFile);
  // The thumbnail's file is made first: a folder it cannot be written in is
  // said before any work, and until the picture is written whole, every way
  // of ending removes it.
  if (!MakeOutput(outputFile)) {
    Report(ThumbnailMessage::NotWritten, ToUtf8(Escaped(output)).c_str());
    return 1;
  }
  OutputUnfinished(true);
  WorkInInstalledAssets();
  if (!RenderThumbnail(model, output, options.size)) {
    std::remove(outputFile.c_str());
    return 1;
  }
  OutputUnfinished(false);
  return 0;
}
