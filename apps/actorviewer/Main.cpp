// actorviewer: the skinned, animated character "miko.x" walking over the
// floor grid under the debug camera.
#include <windows.h>

#include "actorviewer/WindowEx.h"
#include "common/ProgramShell.h"
#include "common/ProgramStart.h"
#include "window/MessageLoop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!StartProgram({L"actorviewer", true, 10.0f})) return g_RunOptions.ExitCode();
  {
    WindowEx window;
    if (!window.Create(L"Application", 640, 480, CW_USEDEFAULT, CW_USEDEFAULT, L"BASIC_WINDOW", nullptr,
                       WS_OVERLAPPEDWINDOW, 0, nullptr)) {
      ReportWindowFailure("actorviewer");
      return 1;
    }
    RunMessageLoop();
  }
  return g_RunOptions.ExitCode();
}
