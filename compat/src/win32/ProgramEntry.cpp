// The entry of a Windows GUI program on this platform: main records the
// command line, sets standard output aside as Windows does for a program
// without a console, lets Ctrl+C and SIGTERM close the program's windows,
// and calls WinMain with a null previous instance, an empty command line
// (GetCommandLineW holds it) and SW_SHOWDEFAULT.
#include <SDL.h>
#include <windows.h>

#include <clocale>

#include "common/ProcessEnd.h"
#include "win32/CommandLine.h"
#include "win32/Console.h"
#include "win32/TerminalSignals.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C");
  // The layer handles the terminal's signals itself (SDL would turn them into
  // an SDL_QUIT event that no window hears).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  compat::win32::CatchTerminalSignals();
  compat::win32::SetCommandLine(argc, argv);
  compat::win32::StartAsGuiProgram();
  int result = WinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
  SDL_Quit();
  // A program that a signal closed ends by that signal once its teardown and
  // exit handlers are done: its parent (a shell, a script) sees it was
  // interrupted, not that it finished.
  if (int signal = compat::win32::TerminalSignal()) compat::EndBySignalAtExit(signal);
  return result;
}
