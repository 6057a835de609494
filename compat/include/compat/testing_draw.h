// Test hooks of the layer's drawing: what the last DrawPrimitiveUP handed over.
#pragma once

#include <cstdint>
#include <vector>

#include "compat/testing.h"

namespace compat::testing {

// The vertex bytes of the last DrawPrimitiveUP call, as the caller passed them.
std::vector<std::uint8_t> LastUserPrimitiveData();

}  // namespace compat::testing

namespace compat::testing {

// Bytes of effect parameter values sent to GL so far (uniforms and uniform
// blocks): an upload sends only what changed since the program last had it.
std::uint64_t EffectBytesUploaded();

}  // namespace compat::testing

namespace compat::testing {

// Times the effect translator program was started so far; an effect found
// among the bundled records or in the user's cache adds none.
std::uint64_t EffectTranslatorRuns();

}  // namespace compat::testing
