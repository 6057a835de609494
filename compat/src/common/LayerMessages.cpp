#include "common/LayerMessages.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>

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
  std::va_list arguments;
  va_start(arguments, message);
  std::vfprintf(stderr, kFormats[static_cast<std::size_t>(message)], arguments);
  va_end(arguments);
  std::fputc('\n', stderr);
}

}  // namespace compat
