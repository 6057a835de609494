// The start of both programs, before the window: the command line, where
// the programs' own files are found, and which model file is shown.
#pragma once

#include "common/RunOptions.h"
#include "platform/AssetFolders.h"
#include "xfile/ModelLoading.h"

// False when the program ends at once (--help or a mistaken command line);
// its exit code is then g_RunOptions.ExitCode().
inline bool StartProgram(const ProgramTraits& program) {
  if (!g_RunOptions.Parse(program)) return false;
  // Files not in the working directory are looked for beside the installed
  // program, then in the folder the build installs to.
  AddAssetFolder(InstalledAssetFolder());
#if defined(XVIEW_ASSET_DIR)
  AddAssetFolder(XVIEW_ASSET_DIR);
#endif
  g_ModelFileName = g_RunOptions.ModelFile().empty() ? FindAsset(kModelFileName) : g_RunOptions.ModelFile();
  return true;
}
