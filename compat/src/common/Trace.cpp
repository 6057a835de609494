#include "common/Trace.h"

#include <vector>

#include "compat/testing.h"

namespace compat {

namespace {
bool g_tracing = false;
std::vector<std::string> g_trace;
}  // namespace

namespace trace {
bool Enabled() { return g_tracing; }
void RecordLine(std::string line) { g_trace.push_back(std::move(line)); }
}  // namespace trace

namespace testing {
void StartTrace() {
  g_trace.clear();
  g_tracing = true;
}
std::vector<std::string> StopTrace() {
  g_tracing = false;
  return std::move(g_trace);
}
}  // namespace testing

}  // namespace compat
