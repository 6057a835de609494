#include "platform/Messages.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <string>

namespace {

constexpr const char* kFormats[] = {
#define XVIEW_MESSAGE_FORMAT(name, format) format,
    XVIEW_FRAMEWORK_MESSAGES(XVIEW_MESSAGE_FORMAT)
#undef XVIEW_MESSAGE_FORMAT
};
static_assert(std::size(kFormats) == kFrameworkMessages, "every framework message has its format");

}  // namespace

void WriteMessageLine(const char* format, std::va_list arguments) {
  std::va_list again;
  va_copy(again, arguments);
  int length = std::vsnprintf(nullptr, 0, format, arguments);
  std::string line(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(line.data(), line.size() + 1, format, again);
  va_end(again);
  line += '\n';
  std::fputs(line.c_str(), stderr);
}

void Report(FrameworkMessage message, ...) {
  std::va_list arguments;
  va_start(arguments, message);
  WriteMessageLine(kFormats[static_cast<std::size_t>(message)], arguments);
  va_end(arguments);
}
