#include "common/LayerMessages.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <string>

namespace compat {

namespace {

constexpr const char* kFormats[] = {
#define COMPAT_MESSAGE_FORMAT(name, format) format,
    COMPAT_LAYER_MESSAGES(COMPAT_MESSAGE_FORMAT)
#undef COMPAT_MESSAGE_FORMAT
};
static_assert(std::size(kFormats) == kLayerMessages, "every layer message has its format");

}  // namespace

void Report(LayerMessage message, ...) {
  const char* format = kFormats[static_cast<std::size_t>(message)];
  std::va_list arguments, again;
  va_start(arguments, message);
  va_copy(again, arguments);
  int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string line(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(line.data(), line.size() + 1, format, again);
  va_end(again);
  line += '\n';
  std::fputs(line.c_str(), stderr);
}

}  // namespace compat
