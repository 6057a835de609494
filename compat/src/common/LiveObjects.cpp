#include "common/LiveObjects.h"

#include "compat/testing.h"

namespace compat {

namespace {
std::atomic<long> g_liveObjects{0};
}

long LiveObjectCount() { return g_liveObjects.load(); }

namespace detail {
void CountObject(long delta) { g_liveObjects += delta; }
}  // namespace detail

namespace testing {
long LiveObjectCount() { return compat::LiveObjectCount(); }
}  // namespace testing

}  // namespace compat
