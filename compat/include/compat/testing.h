// Hooks of the compatibility layer for tests only: the framework and the
// programs never include this. Each facility may add hooks of its own in a
// header compat/testing_<facility>.h that includes this one.
#pragma once

#include <string>
#include <vector>

namespace compat::testing {

// Layer objects (COM-style interfaces) alive right now; 0 once everything has
// been released.
long LiveObjectCount();

// The call trace: between StartTrace and StopTrace every traced layer call
// appends one line, its name and its arguments separated by spaces, for
// example "SetRenderState 22 3" or "DrawPrimitiveUP 2 14 16".
void StartTrace();
std::vector<std::string> StopTrace();

}  // namespace compat::testing
