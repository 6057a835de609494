#include "common/ProgramMessages.h"

#include <cstdarg>
#include <iterator>

#include "platform/Messages.h"

namespace {

constexpr const char* kFormats[] = {
#define XVIEW_MESSAGE_FORMAT(name, format) format,
    XVIEW_PROGRAM_MESSAGES(XVIEW_MESSAGE_FORMAT)
#undef XVIEW_MESSAGE_FORMAT
};
static_assert(std::size(kFormats) == kProgramMessages, "every program message has its format");

}  // namespace

void Report(ProgramMessage message, ...) {
  std::va_list arguments;
  va_start(arguments, message);
  WriteMessageLine(kFormats[static_cast<std::size_t>(message)], arguments);
  va_end(arguments);
}

void Say(std::FILE* stream, ProgramMessage message, ...) {
  if (stream == stderr) {
    std::va_list arguments;
    va_start(arguments, message);
    WriteMessageLine(kFormats[static_cast<std::size_t>(message)], arguments);
    va_end(arguments);
    return;
  }
  std::va_list arguments;
  va_start(arguments, message);
  std::vfprintf(stream, kFormats[static_cast<std::size_t>(message)], arguments);
  va_end(arguments);
  std::fputc('\n', stream);
  std::fflush(stream);
}
