// The call trace: when a test switches it on, layer calls record themselves
// as one line each ("SetRenderState 22 3"), so tests can check call order on
// the real path. A test hook (compat/testing.h), no Windows call; off unless
// a test starts it.
#pragma once

#include <sstream>
#include <string>

namespace compat::trace {

bool Enabled();
void RecordLine(std::string line);

// Records `name` followed by each argument, separated by spaces.
template <class... Args>
void Record(const char* name, const Args&... args) {
  if (!Enabled()) return;
  std::ostringstream line;
  line << name;
  ((line << ' ' << args), ...);
  RecordLine(line.str());
}

}  // namespace compat::trace
