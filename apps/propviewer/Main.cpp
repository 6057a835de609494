// propviewer: the static model "squarepolygon.x" over the floor grid, with a
// console that shows the model file's text while it loads.
#include <windows.h>

#include "common/ProgramShell.h"
#include "common/ProgramStart.h"
#include "propviewer/Console.h"
#include "propviewer/WindowEx.h"
#include "window/MessageLoop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!StartProgram({L"propviewer", false, 1.0f})) return g_RunOptions.ExitCode();
  Console console;
  {
    WindowEx window;
    if (!window.Create(L"Application", 640, 480, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW", nullptr,
                       WS_OVERLAPPEDWINDOW, 0, nullptr)) {
      ReportWindowFailure("propviewer");
      return 1;
    }
    RunMessageLoop();
  }
  return g_RunOptions.ExitCode();
}
