#include "common/ProgramShell.h"

#include <windows.h>

#include "common/ProgramMessages.h"
#include <string>

void ReportWindowFailure(const char* programName) {
  DWORD error = GetLastError();
  char text[512] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
    text[--length] = '\0';
  std::string words = length ? text : "error " + std::to_string(error);
  Report(ProgramMessage::WindowNotCreated, programName, words.c_str());
}
