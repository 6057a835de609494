// Every test program keeps the effect cache in a folder of the build, never
// in the user's own cache; the programs the end-to-end tests start inherit it.
#include <cstdlib>

namespace {

const bool kCacheFolderSet = [] {
  return ::setenv("XDG_CACHE_HOME", XVIEW_BINARY_DIR "/test-effect-cache", 1) == 0;
}();

}  // namespace
