#include "common/ProgramMessages.h"

#include <cstdarg>

void Report(ProgramMessage message, ...) {
  std::va_list arguments;
  va_start(arguments, message);
  WriteMessageLine(stderr, kProgramMessageFormats[static_cast<std::size_t>(message)], arguments);
  va_end(arguments);
}

void Say(std::FILE* stream, ProgramMessage message, ...) {
  std::va_list arguments;
  va_start(arguments, message);
  WriteMessageLine(stream, kProgramMessageFormats[static_cast<std::size_t>(message)], arguments);
  va_end(arguments);
}
