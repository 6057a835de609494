#include "xfile/TokenEcho.h"

#include <windows.h>

XFILE_SHAPE_BEGIN

void EchoText(std::wstring_view text) {
  for (wchar_t c : text) PutCharacter(c, stdout);
}

bool StandardOutputVisible() {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  return output != nullptr && output != INVALID_HANDLE_VALUE;
}

XFILE_SHAPE_END
