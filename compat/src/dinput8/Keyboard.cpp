// GUID_SysKeyboard with c_dfDIKeyboard: 256 bytes by DIK_ code, 0x80 while
// down, from SDL key events (KeyMap.cpp), and with DIPROP_BUFFERSIZE each
// press and release as buffered data (offset the DIK_ code, data 0x80 or 0).
// Keys with no DIK_ code are ignored.
#include <cstring>

#include "dinput8/Device.h"
#include "dinput8/Devices.h"
#include "dinput8/InputEvents.h"

namespace compat::dinput8 {

namespace {

class Keyboard final : public Device, private KeyListener {
 public:
  explicit Keyboard(IUnknown* owner) : Device(owner) { AddKeyListener(this); }
  ~Keyboard() override { RemoveKeyListener(this); }

 private:
  bool OffersBuffer() const override { return true; }
  // Only while acquired: what happens before an acquisition does not count.
  void KeyChanged(const DIDEVICEOBJECTDATA& item) override {
    if (Acquired()) buffer_.Add(item);
  }
  const char* KindName() const override { return "keyboard"; }
  bool Accepts(LPCDIDATAFORMAT format) const override { return format == &c_dfDIKeyboard; }
  bool SharedBySystem() const override { return true; }
  void Read(void* data) override {
    const InputEvents& input = CurrentInput();
    auto* keys = static_cast<BYTE*>(data);
    for (int code = 0; code < 256; ++code) keys[code] = input.keysDown[code] ? 0x80 : 0x00;
  }
  void Describe(DIDEVICEINSTANCEW& instance) const override {
    instance.guidInstance = GUID_SysKeyboard;
    instance.guidProduct = GUID_SysKeyboard;
    instance.dwDevType = DI8DEVTYPE_KEYBOARD;
    std::wcscpy(instance.tszInstanceName, L"Keyboard");
    std::wcscpy(instance.tszProductName, L"Keyboard");
  }
};

}  // namespace

IDirectInputDevice8W* CreateKeyboard(IUnknown* owner) { return new Keyboard(owner); }

}  // namespace compat::dinput8
