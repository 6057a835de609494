// Every test program keeps the effect cache in a folder of the build, never
// in the user's own cache, and runs the build's effect translator (a test
// program does not lie where an installed program does, so the layer would
// not find it beside itself); the programs the end-to-end tests start
// inherit both. A test that wants another translator sets the variable
// itself.
#include <cstdlib>

namespace {

const bool kEffectTranslationSet = [] {
  return ::setenv("XDG_CACHE_HOME", XVIEW_BINARY_DIR "/test-effect-cache", 1) == 0 &&
         ::setenv("XVIEW_EFFECT_TRANSLATOR", XVIEW_BINARY_DIR "/" XVIEW_TRANSLATOR_PATH, 1) == 0;
}();

}  // namespace
