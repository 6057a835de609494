#include "propviewer/Console.h"

#include <windows.h>

Console::Console() {
  AllocConsole();
  if (freopen_s(&output, "CONOUT$", "w", stdout) != 0) output = nullptr;
  if (freopen_s(&input, "CONIN$", "r", stdin) != 0) input = nullptr;
}

Console::~Console() {
  if (output) std::fclose(output);
  if (input) std::fclose(input);
  FreeConsole();
}
