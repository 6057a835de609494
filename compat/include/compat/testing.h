// Hooks of the compatibility layer for tests only: the framework and the
// programs never include this. Each facility adds its hooks in a header of its
// own (compat/testing_*.h) that includes this one.
#pragma once

namespace compat::testing {

// Layer objects (COM-style interfaces) alive right now; 0 once everything has
// been released.
long LiveObjectCount();

}  // namespace compat::testing
