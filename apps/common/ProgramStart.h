// The start of both programs, before the window: the command line, where
// the programs' own files are found, and which model file is shown.
#pragma once

#include <cstdlib>

#ifndef _WIN32
#include "compat/display.h"
#endif

#include "common/RunOptions.h"
#include "platform/AssetFolders.h"
#include "platform/TextConversion.h"
#include "xfile/ModelLoading.h"

// False when the program ends at once (--help or a mistaken command line);
// its exit code is then g_RunOptions.ExitCode().
inline bool StartProgram(const ProgramTraits& program) {
  if (!g_RunOptions.Parse(program)) return false;
#ifndef _WIN32
  // Windows here need a display server. Without one, the layer gives the
  // programs' own advice, and a run that ends with a screenshot renders
  // offscreen by itself.
  compat::SetNoDisplayFallback(
      "to render headless, run with --frames N --screenshot FILE.png, or set SDL_VIDEODRIVER=offscreen.",
      g_RunOptions.EndsWithScreenshot());
#endif
  // Files not in the working directory are looked for in the folder that
  // XVIEW_ASSETS names (none when it is set empty), or else beside the
  // installed program, then in the folder the build installs to.
  if (const char* chosen = std::getenv("XVIEW_ASSETS")) {
    AddAssetFolder(FromUtf8(chosen));
  } else {
    AddAssetFolder(InstalledAssetFolder());
#if defined(XVIEW_ASSET_DIR)
    AddAssetFolder(XVIEW_ASSET_DIR);
#endif
  }
  g_ModelFileName = g_RunOptions.ModelFile().empty() ? FindAsset(kModelFileName) : g_RunOptions.ModelFile();
  return true;
}
