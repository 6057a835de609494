// Test hooks of the DirectInput part of the layer.
#pragma once

#include "compat/testing.h"

namespace compat::testing {

// While unplugged, the system mouse is gone as an unplugged controller is:
// reads answer DIERR_INPUTLOST and acquiring answers DIERR_UNPLUGGED.
void UnplugSystemMouse(bool unplugged);

}  // namespace compat::testing
