// The DirectInput key code of an SDL scancode.
#pragma once

#include <SDL.h>

namespace compat::dinput8 {

// 0 for keys DirectInput does not number.
unsigned char DirectInputKeyOf(SDL_Scancode scancode);

}  // namespace compat::dinput8
