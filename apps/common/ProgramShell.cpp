#include "common/ProgramShell.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

#ifndef _WIN32
bool Set(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}
#endif

}  // namespace

bool CanShowWindow(const char* programName, bool endsWithScreenshot) {
#ifdef _WIN32
  (void)programName, (void)endsWithScreenshot;
  return true;
#else
  if (Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("SDL_VIDEODRIVER")) return true;
  if (endsWithScreenshot) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    return true;
  }
  std::fprintf(stderr,
               "%s: no display was found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
               "%s: to render headless, run with --frames N --screenshot FILE.png, "
               "or set SDL_VIDEODRIVER=offscreen.\n",
               programName, programName);
  return false;
#endif
}

void ReportWindowFailure(const char* programName) {
  DWORD error = GetLastError();
  char text[512] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
    text[--length] = '\0';
  std::string words = length ? text : "error " + std::to_string(error);
  std::fprintf(stderr, "%s: the application window could not be created: %s\n", programName, words.c_str());
}
