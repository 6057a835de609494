// Test hooks of the Win32 part of the layer.
#pragma once

#include <SDL.h>
#include <windows.h>

#include <string>
#include <vector>

#include "compat/testing.h"

namespace compat::testing {

struct ShownMessageBox {
  std::wstring text;
  std::wstring caption;
  UINT type;
};

// The message boxes shown since the last call, oldest first.
std::vector<ShownMessageBox> TakeMessageBoxes();

// Takes the SDL events waiting now into the windows' message queue, as the
// message loop does before it looks for a message, so that a test that runs
// frames by hand sees its scripted input.
void PumpWindowEvents();

// The SDL window behind a window handle, for tests that script SDL input
// aimed at it; null for a handle the layer does not know.
SDL_Window* SdlWindowOf(HWND window);

// The command line GetCommandLineW gives from now on, as if the program had
// been started with `arguments` (the program's name first).
void SetCommandLine(const std::vector<std::string>& arguments);

// QueryPerformanceCounter reads a clock that only the test moves: it starts
// at 0 with `frequency` counts per second (QueryPerformanceFrequency) and
// moves by AdvancePerformanceCounter. UseSystemPerformanceCounter goes back
// to the real clock.
void UseManualPerformanceCounter(LONGLONG frequency);
void AdvancePerformanceCounter(LONGLONG counts);
void UseSystemPerformanceCounter();

// While `without`, GetStdHandle answers for standard output and input as in a
// GUI program that has no console (null), so that a scene run in a test
// behaves as in the program; the process's streams stay as they are.
void RunWithoutConsole(bool without);

}  // namespace compat::testing
