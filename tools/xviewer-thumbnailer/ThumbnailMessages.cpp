#include "ThumbnailMessages.h"

#include <cstdarg>

void Report(ThumbnailMessage message, ...) {
  std::va_list arguments;
  va_start(arguments, message);
  WriteMessageLine(stderr, kThumbnailMessageFormats[static_cast<std::size_t>(message)], arguments);
  va_end(arguments);
}
