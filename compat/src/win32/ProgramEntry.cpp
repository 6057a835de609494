// The entry of a Windows GUI program on this platform: main records the
// command line, sets standard output aside as Windows does for a program
// without a console, and calls WinMain.
#include <SDL.h>
#include <windows.h>

#include <clocale>

#include "win32/CommandLine.h"
#include "win32/Console.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C");
  compat::win32::SetCommandLine(argc, argv);
  compat::win32::StartAsGuiProgram();
  int result = WinMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
  SDL_Quit();
  return result;
}
