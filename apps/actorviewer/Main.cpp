// actorviewer: the skinned, animated character "miko.x" walking over the
// floor grid under the debug camera.
#include <windows.h>

#include "actorviewer/WindowEx.h"
#include "common/ProgramStart.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!StartProgram({L"actorviewer", true, 10.0f})) return g_RunOptions.ExitCode();
  return RunViewerWindow<WindowEx>("actorviewer");
}
