#include "ConvertMessages.h"

#include <cstdarg>
#include <cstdio>

void Say(ConvertMessage message, ...) {
  std::va_list arguments;
  va_start(arguments, message);
  WriteMessageLine(stderr, kConvertMessageFormats[static_cast<std::size_t>(message)], arguments);
  va_end(arguments);
}
