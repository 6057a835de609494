// The three kinds of device that DirectInput creates here.
#pragma once

#include <SDL.h>
#include <dinput.h>

namespace compat::dinput8 {

IDirectInputDevice8W* CreateKeyboard(IUnknown* owner);
IDirectInputDevice8W* CreateMouse(IUnknown* owner);
// Opens the SDL joystick at `deviceIndex`; null when it cannot be opened.
IDirectInputDevice8W* CreateJoystick(IUnknown* owner, int deviceIndex);

// The instance GUID under which a joystick is enumerated, and back.
GUID JoystickInstanceGuid(SDL_JoystickID id);
bool IsJoystickInstanceGuid(REFGUID guid, SDL_JoystickID* id);
void DescribeJoystick(int deviceIndex, DIDEVICEINSTANCEW& instance);

}  // namespace compat::dinput8
