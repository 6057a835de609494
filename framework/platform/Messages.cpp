#include "platform/Messages.h"

#include <cstdarg>
#include <cstdio>
#include <string>

std::string FormatLine(const char* format, std::va_list arguments) {
  std::va_list again;
  va_copy(again, arguments);
  int length = std::vsnprintf(nullptr, 0, format, arguments);
  std::string line(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(line.data(), line.size() + 1, format, again);
  va_end(again);
  return line;
}

void WriteMessageLine(std::FILE* stream, const char* format, std::va_list arguments) {
  std::string line = FormatLine(format, arguments);
  line += '\n';
  std::fputs(line.c_str(), stream);
  std::fflush(stream);
}

void Report(FrameworkMessage message, ...) {
  std::va_list arguments;
  va_start(arguments, message);
  WriteMessageLine(stderr, kFrameworkMessageFormats[static_cast<std::size_t>(message)], arguments);
  va_end(arguments);
}
