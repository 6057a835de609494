// DirectInput8Create and the IDirectInput8W object: device creation and the
// enumeration of attached devices: the system keyboard and mouse, and each
// SDL joystick as a game controller. DirectInput8Create takes exactly
// DIRECTINPUT_VERSION and IID_IDirectInput8W; the instance handle must be
// non-null but is otherwise unused. EnumDevices refuses flags other than
// DIEDFL_ATTACHEDONLY (every listed device is attached), and
// DI8DEVCLASS_DEVICE lists nothing.
#include <SDL.h>
#include <dinput.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/LayerMessages.h"
#include "common/LiveObjects.h"
#include "common/Trace.h"
#include "dinput8/Devices.h"
#include "dinput8/InputEvents.h"

namespace compat::dinput8 {

namespace {

class DirectInput8 final : public RefCounted<IDirectInput8W> {
 public:
  DirectInput8() {
    // Controllers are read whatever window has the focus, as DirectInput does in the background mode;
    // SDL would otherwise drop their changes while no window of ours is focused.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    joysticksReady_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (!joysticksReady_) compat::Report(compat::LayerMessage::NoGameControllers, SDL_GetError());
    StartWatching();
  }
  ~DirectInput8() override {
    StopWatching();
    if (joysticksReady_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object && riid == IID_IDirectInput8W) {
      *object = static_cast<IDirectInput8W*>(this);
      AddRef();
      return S_OK;
    }
    return RefCounted::QueryInterface(riid, object);
  }

  HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8W* device, LPUNKNOWN outer) override {
    if (!device) return DIERR_INVALIDPARAM;
    *device = nullptr;
    if (outer) return DIERR_NOAGGREGATION;
    SDL_JoystickID id = 0;
    if (guid == GUID_SysKeyboard) {
      *device = CreateKeyboard(this);
    } else if (guid == GUID_SysMouse) {
      *device = CreateMouse(this);
    } else if (joysticksReady_ && IsJoystickInstanceGuid(guid, &id)) {
      const int index = IndexOfJoystick(id);
      if (index < 0) return DIERR_DEVICENOTREG;
      *device = CreateJoystick(this, index);
      if (!*device) return DIERR_DEVICENOTREG;
    } else {
      return DIERR_DEVICENOTREG;
    }
    trace::Record("CreateDevice", guid == GUID_SysKeyboard ? "keyboard"
                                  : guid == GUID_SysMouse  ? "mouse"
                                                           : "joystick");
    return DI_OK;
  }

  HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, LPVOID context,
                      DWORD flags) override {
    if (!callback) return DIERR_INVALIDPARAM;
    if (flags & ~static_cast<DWORD>(DIEDFL_ATTACHEDONLY)) return DIERR_INVALIDPARAM;
    if (deviceClass > DI8DEVCLASS_GAMECTRL) return DIERR_INVALIDPARAM;
    std::vector<DIDEVICEINSTANCEW> instances;
    DIDEVICEINSTANCEW instance;
    auto fixed = [&](REFGUID guid, DWORD type, const wchar_t* name) {
      std::memset(&instance, 0, sizeof(instance));
      instance.dwSize = sizeof(instance);
      instance.guidInstance = guid;
      instance.guidProduct = guid;
      instance.dwDevType = type;
      std::wcscpy(instance.tszInstanceName, name);
      std::wcscpy(instance.tszProductName, name);
      instances.push_back(instance);
    };
    if (deviceClass == DI8DEVCLASS_ALL || deviceClass == DI8DEVCLASS_POINTER)
      fixed(GUID_SysMouse, DI8DEVTYPE_MOUSE, L"Mouse");
    if (deviceClass == DI8DEVCLASS_ALL || deviceClass == DI8DEVCLASS_KEYBOARD)
      fixed(GUID_SysKeyboard, DI8DEVTYPE_KEYBOARD, L"Keyboard");
    if (joysticksReady_ && (deviceClass == DI8DEVCLASS_ALL || deviceClass == DI8DEVCLASS_GAMECTRL)) {
      // Every controller SDL knows is attached: SDL drops unplugged ones from its list.
      for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        std::memset(&instance, 0, sizeof(instance));
        DescribeJoystick(index, instance);
        instances.push_back(instance);
      }
    }
    // The list is taken first, so a callback that creates devices does not disturb it.
    for (const DIDEVICEINSTANCEW& each : instances)
      if (callback(&each, context) == DIENUM_STOP) break;
    return DI_OK;
  }

  HRESULT GetDeviceStatus(REFGUID guid) override {
    if (guid == GUID_SysKeyboard || guid == GUID_SysMouse) return DI_OK;
    SDL_JoystickID id = 0;
    if (joysticksReady_ && IsJoystickInstanceGuid(guid, &id))
      return IndexOfJoystick(id) >= 0 ? DI_OK : DI_NOTATTACHED;
    return DIERR_DEVICENOTREG;
  }

 private:
  static int IndexOfJoystick(SDL_JoystickID id) {
    for (int index = 0; index < SDL_NumJoysticks(); ++index)
      if (SDL_JoystickGetDeviceInstanceID(index) == id) return index;
    return -1;
  }

  bool joysticksReady_ = false;
};

}  // namespace

}  // namespace compat::dinput8

HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* out,
                                  LPUNKNOWN outer) {
  if (!out) return DIERR_INVALIDPARAM;
  *out = nullptr;
  if (!instance) return DIERR_INVALIDPARAM;
  if (version < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
  if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
  if (outer) return DIERR_NOAGGREGATION;
  if (riid != IID_IDirectInput8W) return DIERR_NOINTERFACE;
  compat::trace::Record("DirectInput8Create", version);
  *out = static_cast<IDirectInput8W*>(new compat::dinput8::DirectInput8());
  return DI_OK;
}
