// A game controller over an SDL joystick, read as DIJOYSTATE or DIJOYSTATE2:
// SDL's first eight axes become X, Y, Z, Rx, Ry, Rz and two sliders, scaled
// to each axis's DIPROP_RANGE (0 to 65535 until set, by device or by offset;
// read back by offset only); four hats become POV values; up to 128 buttons
// (32 in DIJOYSTATE). Not offered: velocity, acceleration and force fields
// (left zero), dead zone and saturation properties, force feedback.
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "common/Unicode.h"
#include "dinput8/Device.h"
#include "dinput8/Devices.h"

namespace compat::dinput8 {

namespace {

// The axes of the joystick formats, in the order SDL numbers a controller's axes.
constexpr DWORD kAxisOffsets[] = {DIJOFS_X,  DIJOFS_Y,  DIJOFS_Z,  DIJOFS_RX,
                                  DIJOFS_RY, DIJOFS_RZ, DIJOFS_SLIDER(0), DIJOFS_SLIDER(1)};
constexpr int kAxisSlots = 8;

// The instance GUIDs of this layer's controllers: Data1 carries SDL's joystick instance id.
constexpr GUID kJoystickGuidBase = {0, 0x5344, 0x4C4A, {'x', 'v', 'i', 'e', 'w', 'j', 'o', 'y'}};

DWORD PointOfView(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return 0xFFFFFFFF;  // centred
  }
}

void CopyName(const char* utf8, WCHAR (&target)[MAX_PATH]) {
  const std::wstring name = FromUtf8(utf8 ? utf8 : "Game controller");
  const size_t length = std::min(name.size(), static_cast<size_t>(MAX_PATH - 1));
  std::wmemcpy(target, name.data(), length);
  target[length] = L'\0';
}

struct AxisRange {
  LONG min = 0;
  LONG max = 65535;  // DirectInput's default range
};

class Joystick final : public Device {
 public:
  Joystick(IUnknown* owner, SDL_Joystick* joystick) : Device(owner), joystick_(joystick) {}
  ~Joystick() override { SDL_JoystickClose(joystick_); }

 private:
  const char* KindName() const override { return "joystick"; }
  bool Accepts(LPCDIDATAFORMAT format) const override {
    return format == &c_dfDIJoystick || format == &c_dfDIJoystick2;
  }
  bool Attached() const override { return SDL_JoystickGetAttached(joystick_) == SDL_TRUE; }

  // The slot of the axis at a data-format offset, or -1 when this controller has no such axis.
  int AxisSlotAt(DWORD offset) const {
    for (int slot = 0; slot < kAxisSlots; ++slot)
      if (kAxisOffsets[slot] == offset) return slot < SDL_JoystickNumAxes(joystick_) ? slot : -1;
    return -1;
  }

  HRESULT SetRange(const DIPROPRANGE& range) override {
    const AxisRange value{range.lMin, range.lMax};
    if (range.diph.dwHow == DIPH_DEVICE) {
      if (range.diph.dwObj != 0) return DIERR_INVALIDPARAM;
      ranges_.fill(value);
      return DI_OK;
    }
    if (range.diph.dwHow != DIPH_BYOFFSET) return DIERR_UNSUPPORTED;
    const int slot = AxisSlotAt(range.diph.dwObj);
    if (slot < 0) return DIERR_OBJECTNOTFOUND;
    ranges_[slot] = value;
    return DI_OK;
  }

  HRESULT GetRange(DIPROPRANGE& range) const override {
    if (range.diph.dwHow != DIPH_BYOFFSET) return DIERR_UNSUPPORTED;
    const int slot = AxisSlotAt(range.diph.dwObj);
    if (slot < 0) return DIERR_OBJECTNOTFOUND;
    range.lMin = ranges_[slot].min;
    range.lMax = ranges_[slot].max;
    return DI_OK;
  }

  LONG Scaled(int slot) const {
    const Sint16 raw = SDL_JoystickGetAxis(joystick_, slot);
    const double fraction = (static_cast<double>(raw) + 32768.0) / 65535.0;
    const AxisRange& range = ranges_[slot];
    const double span = static_cast<double>(range.max) - static_cast<double>(range.min);
    return static_cast<LONG>(std::llround(static_cast<double>(range.min) + fraction * span));
  }

  void Read(void* data) override {
    SDL_JoystickUpdate();
    DIJOYSTATE2 state = {};
    LONG* axes[kAxisSlots] = {&state.lX,  &state.lY,  &state.lZ,           &state.lRx,
                              &state.lRy, &state.lRz, &state.rglSlider[0], &state.rglSlider[1]};
    const int axisCount = std::min(SDL_JoystickNumAxes(joystick_), kAxisSlots);
    for (int slot = 0; slot < axisCount; ++slot) *axes[slot] = Scaled(slot);
    const int hatCount = SDL_JoystickNumHats(joystick_);
    for (int hat = 0; hat < 4; ++hat)
      state.rgdwPOV[hat] = hat < hatCount ? PointOfView(SDL_JoystickGetHat(joystick_, hat)) : 0xFFFFFFFF;
    const int buttonCount = std::min(SDL_JoystickNumButtons(joystick_), 128);
    const int formatButtons = (format_ == &c_dfDIJoystick) ? 32 : 128;
    for (int button = 0; button < std::min(buttonCount, formatButtons); ++button)
      state.rgbButtons[button] = SDL_JoystickGetButton(joystick_, button) ? 0x80 : 0;
    std::memcpy(data, &state, format_->dwDataSize);  // DIJOYSTATE is the first 80 bytes
  }

  void Describe(DIDEVICEINSTANCEW& instance) const override {
    instance.guidInstance = JoystickInstanceGuid(SDL_JoystickInstanceID(joystick_));
    instance.guidProduct = GUID_Joystick;
    instance.dwDevType =
        SDL_JoystickGetType(joystick_) == SDL_JOYSTICK_TYPE_GAMECONTROLLER ? DI8DEVTYPE_GAMEPAD : DI8DEVTYPE_JOYSTICK;
    CopyName(SDL_JoystickName(joystick_), instance.tszInstanceName);
    CopyName(SDL_JoystickName(joystick_), instance.tszProductName);
  }

  SDL_Joystick* joystick_;
  std::array<AxisRange, kAxisSlots> ranges_{};
};

}  // namespace

GUID JoystickInstanceGuid(SDL_JoystickID id) {
  GUID guid = kJoystickGuidBase;
  guid.Data1 = static_cast<DWORD>(id);
  return guid;
}

bool IsJoystickInstanceGuid(REFGUID guid, SDL_JoystickID* id) {
  GUID base = guid;
  base.Data1 = 0;
  if (base != kJoystickGuidBase) return false;
  *id = static_cast<SDL_JoystickID>(guid.Data1);
  return true;
}

void DescribeJoystick(int deviceIndex, DIDEVICEINSTANCEW& instance) {
  instance.dwSize = sizeof(DIDEVICEINSTANCEW);
  instance.guidInstance = JoystickInstanceGuid(SDL_JoystickGetDeviceInstanceID(deviceIndex));
  instance.guidProduct = GUID_Joystick;
  instance.dwDevType = SDL_JoystickGetDeviceType(deviceIndex) == SDL_JOYSTICK_TYPE_GAMECONTROLLER
                           ? DI8DEVTYPE_GAMEPAD
                           : DI8DEVTYPE_JOYSTICK;
  CopyName(SDL_JoystickNameForIndex(deviceIndex), instance.tszInstanceName);
  CopyName(SDL_JoystickNameForIndex(deviceIndex), instance.tszProductName);
}

IDirectInputDevice8W* CreateJoystick(IUnknown* owner, int deviceIndex) {
  SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
  if (!joystick) return nullptr;
  return new Joystick(owner, joystick);
}

}  // namespace compat::dinput8
