#include "common/ProcessEnd.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/LiveObjects.h"

namespace compat {

namespace {

int g_endingSignal = 0;

// Written with write(2): standard error's stdio stream may be wide-oriented
// by then, and narrow output to it would be lost.
void WriteToStandardError(const char* text) {
  std::size_t left = std::strlen(text);
  while (left > 0) {
    ssize_t written = ::write(STDERR_FILENO, text, left);
    if (written <= 0) return;
    text += written;
    left -= static_cast<std::size_t>(written);
  }
}

bool LayerReportWanted() {
  const char* value = std::getenv("XVIEW_LAYER_REPORT");
  return value && *value && std::strcmp(value, "0") != 0;
}

void AtProcessEnd() {
  char line[64];
  std::snprintf(line, sizeof line, "live layer objects at exit: %ld\n", LiveObjectCount());
  LayerReport(line);
  if (g_endingSignal) {
    std::fflush(nullptr);
    std::signal(g_endingSignal, SIG_DFL);
    std::raise(g_endingSignal);
  }
}

// Exit handlers run in the reverse order of their registration, interleaved
// with the destructors of static objects by the order in which those were
// constructed. Registered by a constructor of the highest priority, before
// any ordinary static object of the program exists, this one runs after all
// of them are destroyed.
__attribute__((constructor(101))) void RegisterAtProcessEnd() { std::atexit(AtProcessEnd); }

}  // namespace

void LayerReport(const char* line) {
  if (LayerReportWanted()) WriteToStandardError(line);
}

void EndBySignalAtExit(int signal) { g_endingSignal = signal; }

}  // namespace compat
