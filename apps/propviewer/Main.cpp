// propviewer: the static model "squarepolygon.x" over the floor grid, with a
// console that shows the model file's text while it loads.
#include <windows.h>

#include "common/ProgramStart.h"
#include "propviewer/Console.h"
#include "propviewer/WindowEx.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!StartProgram({L"propviewer", false, 1.0f, true})) return g_RunOptions.ExitCode();
  // The console comes before the window and goes after it.
  Console console;
  return RunViewerWindow<WindowEx>("propviewer");
}
