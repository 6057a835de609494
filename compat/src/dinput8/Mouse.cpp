// GUID_SysMouse with c_dfDIMouse or c_dfDIMouse2: relative X and Y from SDL
// motion, Z from the vertical wheel at 120 per notch, 4 or 8 buttons. Not
// offered: absolute axis mode (DIPROP_AXISMODE answers DIERR_UNSUPPORTED),
// the horizontal wheel.
#include <cstring>
#include <limits>

#include "dinput8/Device.h"
#include "dinput8/Devices.h"
#include "dinput8/InputEvents.h"
#include "compat/testing_dinput8.h"

namespace compat::dinput8 {

namespace {

bool g_mouseUnplugged = false;

LONG ClampToLong(std::int64_t value) {
  if (value > std::numeric_limits<LONG>::max()) return std::numeric_limits<LONG>::max();
  if (value < std::numeric_limits<LONG>::min()) return std::numeric_limits<LONG>::min();
  return static_cast<LONG>(value);
}

// Relative motion: each read gives what moved since the previous read (or since acquisition).
// The pointer stays free on the desktop; nothing is grabbed or hidden.
class Mouse final : public Device {
 public:
  explicit Mouse(IUnknown* owner) : Device(owner) {}

 private:
  const char* KindName() const override { return "mouse"; }
  bool SharedBySystem() const override { return true; }
  bool Attached() const override { return !g_mouseUnplugged; }
  bool Accepts(LPCDIDATAFORMAT format) const override {
    return format == &c_dfDIMouse || format == &c_dfDIMouse2;
  }
  void StartReading() override {
    const InputEvents& input = CurrentInput();
    readX_ = input.mouseX;
    readY_ = input.mouseY;
    readWheel_ = input.mouseWheel;
  }
  void Read(void* data) override {
    const InputEvents& input = CurrentInput();
    DIMOUSESTATE2 state = {};
    state.lX = ClampToLong(input.mouseX - readX_);
    state.lY = ClampToLong(input.mouseY - readY_);
    state.lZ = ClampToLong(input.mouseWheel - readWheel_);
    for (int button = 0; button < 8; ++button)
      state.rgbButtons[button] = input.mouseButtonsDown[button] ? 0x80 : 0;
    StartReading();
    std::memcpy(data, &state, format_->dwDataSize);  // DIMOUSESTATE is the first 16 bytes
  }
  void Describe(DIDEVICEINSTANCEW& instance) const override {
    instance.guidInstance = GUID_SysMouse;
    instance.guidProduct = GUID_SysMouse;
    instance.dwDevType = DI8DEVTYPE_MOUSE;
    std::wcscpy(instance.tszInstanceName, L"Mouse");
    std::wcscpy(instance.tszProductName, L"Mouse");
  }

  std::int64_t readX_ = 0;
  std::int64_t readY_ = 0;
  std::int64_t readWheel_ = 0;
};

}  // namespace

IDirectInputDevice8W* CreateMouse(IUnknown* owner) { return new Mouse(owner); }

}  // namespace compat::dinput8

namespace compat::testing {
void UnplugSystemMouse(bool unplugged) { dinput8::g_mouseUnplugged = unplugged; }
}  // namespace compat::testing
