// What both programs do around their scene before it starts: decide whether
// the run can show a window, and say in words why the window could not be
// made.
#pragma once

// On a platform whose windows need a display server (X11 or Wayland), a run
// without one needs an explicit headless request: SDL_VIDEODRIVER set (to
// "offscreen"), or a run that ends by itself with a screenshot (--frames N
// with --screenshot FILE.png), which then renders offscreen by itself; with a
// display it uses the display. Without either, says so on standard error,
// with how to render headless, and returns false: the program ends with exit
// code 1. On Windows there is always a display.
bool CanShowWindow(const char* programName, bool endsWithScreenshot);

// "programName: the application window could not be created: <the system's
// words for GetLastError()>" on standard error.
void ReportWindowFailure(const char* programName);
