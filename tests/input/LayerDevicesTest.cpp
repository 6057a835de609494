#include <dinput.h>

#include <cstring>
#include <set>
#include <vector>

#include "input/InputFixture.h"
#include "input/ScriptedInput.h"

namespace {

using namespace scripted_input;

// The layer's devices without the framework on top.
class LayerDevices : public InputFixture {
 protected:
  void SetUp() override {
    InputFixture::SetUp();
    ASSERT_EQ(DI_OK, DirectInput8Create(GetModuleHandleW(NULL), DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                        reinterpret_cast<void**>(&directInput), NULL));
  }
  void TearDown() override {
    if (device) device->Release();
    if (directInput) directInput->Release();
    InputFixture::TearDown();
  }

  void Open(REFGUID guid, LPCDIDATAFORMAT format, DWORD cooperation) {
    ASSERT_EQ(DI_OK, directInput->CreateDevice(guid, &device, NULL));
    ASSERT_EQ(DI_OK, device->SetDataFormat(format));
    ASSERT_EQ(DI_OK, device->SetCooperativeLevel(window, cooperation));
    ASSERT_EQ(DI_OK, device->Acquire());
  }

  IDirectInput8W* directInput = nullptr;
  IDirectInputDevice8W* device = nullptr;
};

// The keys of a 105-key ISO keyboard, by position.
const SDL_Scancode kIsoKeyboard[] = {
    SDL_SCANCODE_ESCAPE, SDL_SCANCODE_F1, SDL_SCANCODE_F2, SDL_SCANCODE_F3, SDL_SCANCODE_F4, SDL_SCANCODE_F5,
    SDL_SCANCODE_F6, SDL_SCANCODE_F7, SDL_SCANCODE_F8, SDL_SCANCODE_F9, SDL_SCANCODE_F10, SDL_SCANCODE_F11,
    SDL_SCANCODE_F12, SDL_SCANCODE_PRINTSCREEN, SDL_SCANCODE_SCROLLLOCK, SDL_SCANCODE_PAUSE,
    SDL_SCANCODE_GRAVE, SDL_SCANCODE_1, SDL_SCANCODE_2, SDL_SCANCODE_3, SDL_SCANCODE_4, SDL_SCANCODE_5,
    SDL_SCANCODE_6, SDL_SCANCODE_7, SDL_SCANCODE_8, SDL_SCANCODE_9, SDL_SCANCODE_0, SDL_SCANCODE_MINUS,
    SDL_SCANCODE_EQUALS, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_INSERT, SDL_SCANCODE_HOME, SDL_SCANCODE_PAGEUP,
    SDL_SCANCODE_NUMLOCKCLEAR, SDL_SCANCODE_KP_DIVIDE, SDL_SCANCODE_KP_MULTIPLY, SDL_SCANCODE_KP_MINUS,
    SDL_SCANCODE_TAB, SDL_SCANCODE_Q, SDL_SCANCODE_W, SDL_SCANCODE_E, SDL_SCANCODE_R, SDL_SCANCODE_T,
    SDL_SCANCODE_Y, SDL_SCANCODE_U, SDL_SCANCODE_I, SDL_SCANCODE_O, SDL_SCANCODE_P, SDL_SCANCODE_LEFTBRACKET,
    SDL_SCANCODE_RIGHTBRACKET, SDL_SCANCODE_RETURN, SDL_SCANCODE_DELETE, SDL_SCANCODE_END,
    SDL_SCANCODE_PAGEDOWN, SDL_SCANCODE_KP_7, SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_9, SDL_SCANCODE_KP_PLUS,
    SDL_SCANCODE_CAPSLOCK, SDL_SCANCODE_A, SDL_SCANCODE_S, SDL_SCANCODE_D, SDL_SCANCODE_F, SDL_SCANCODE_G,
    SDL_SCANCODE_H, SDL_SCANCODE_J, SDL_SCANCODE_K, SDL_SCANCODE_L, SDL_SCANCODE_SEMICOLON,
    SDL_SCANCODE_APOSTROPHE, SDL_SCANCODE_NONUSHASH, SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_5, SDL_SCANCODE_KP_6,
    SDL_SCANCODE_LSHIFT, SDL_SCANCODE_NONUSBACKSLASH, SDL_SCANCODE_Z, SDL_SCANCODE_X, SDL_SCANCODE_C,
    SDL_SCANCODE_V, SDL_SCANCODE_B, SDL_SCANCODE_N, SDL_SCANCODE_M, SDL_SCANCODE_COMMA, SDL_SCANCODE_PERIOD,
    SDL_SCANCODE_SLASH, SDL_SCANCODE_RSHIFT, SDL_SCANCODE_UP, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2,
    SDL_SCANCODE_KP_3, SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_LCTRL, SDL_SCANCODE_LGUI, SDL_SCANCODE_LALT,
    SDL_SCANCODE_SPACE, SDL_SCANCODE_RALT, SDL_SCANCODE_RGUI, SDL_SCANCODE_APPLICATION, SDL_SCANCODE_RCTRL,
    SDL_SCANCODE_LEFT, SDL_SCANCODE_DOWN, SDL_SCANCODE_RIGHT, SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_PERIOD,
};

TEST_F(LayerDevices, EveryKeyOfAnIsoKeyboardHasItsOwnCode) {
  ASSERT_EQ(105u, sizeof(kIsoKeyboard) / sizeof(kIsoKeyboard[0]));
  Open(GUID_SysKeyboard, &c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  std::set<int> codes;
  for (SDL_Scancode scancode : kIsoKeyboard) {
    Key(scancode, true);
    BYTE keys[256];
    ASSERT_EQ(DI_OK, device->GetDeviceState(sizeof(keys), keys));
    std::vector<int> down;
    for (int code = 0; code < 256; ++code)
      if (keys[code] & 0x80) down.push_back(code);
    ASSERT_EQ(1u, down.size()) << SDL_GetScancodeName(scancode);
    codes.insert(down[0]);
    Key(scancode, false);
  }
  EXPECT_EQ(105u, codes.size());
}

TEST_F(LayerDevices, KeysReadUnderTheirDirectInputCodes) {
  Open(GUID_SysKeyboard, &c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  const struct {
    SDL_Scancode scancode;
    int dik;
  } pairs[] = {{SDL_SCANCODE_W, 0x11}, {SDL_SCANCODE_A, 0x1E}, {SDL_SCANCODE_S, 0x1F}, {SDL_SCANCODE_D, 0x20},
               {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_KP_ENTER, 0x9C}, {SDL_SCANCODE_RCTRL, 0x9D},
               {SDL_SCANCODE_NONUSBACKSLASH, 0x56}, {SDL_SCANCODE_UP, 0xC8}, {SDL_SCANCODE_KP_DIVIDE, 0xB5},
               {SDL_SCANCODE_RALT, 0xB8}, {SDL_SCANCODE_PRINTSCREEN, 0xB7}, {SDL_SCANCODE_F12, 0x58}};
  for (const auto& pair : pairs) {
    Key(pair.scancode, true);
    BYTE keys[256];
    ASSERT_EQ(DI_OK, device->GetDeviceState(sizeof(keys), keys));
    EXPECT_EQ(0x80, keys[pair.dik]) << SDL_GetScancodeName(pair.scancode);
    Key(pair.scancode, false);
    ASSERT_EQ(DI_OK, device->GetDeviceState(sizeof(keys), keys));
    EXPECT_EQ(0, keys[pair.dik]);
  }
}

TEST_F(LayerDevices, MouseGivesEightButtonsAndTheWheelInWindowsUnits) {
  Open(GUID_SysMouse, &c_dfDIMouse2, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  const Uint8 sdlButtons[8] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1,
                               SDL_BUTTON_X2, 6, 7, 8};
  for (int index = 0; index < 8; ++index) {
    Button(sdlButtons[index], true);
    DIMOUSESTATE2 state;
    ASSERT_EQ(DI_OK, device->GetDeviceState(sizeof(state), &state));
    for (int other = 0; other < 8; ++other) EXPECT_EQ(other == index ? 0x80 : 0, state.rgbButtons[other]);
    Button(sdlButtons[index], false);
  }
  Wheel(3);
  Wheel(1, true);  // a flipped wheel reports the other way round
  DIMOUSESTATE2 state;
  ASSERT_EQ(DI_OK, device->GetDeviceState(sizeof(state), &state));
  EXPECT_EQ(240, state.lZ);
  // The mouse gives what moved since acquisition; what moved before does not count.
  device->Unacquire();
  Motion(50, 50);
  ASSERT_EQ(DI_OK, device->Acquire());
  Motion(-4, 7);
  ASSERT_EQ(DI_OK, device->GetDeviceState(sizeof(state), &state));
  EXPECT_EQ(-4, state.lX);
  EXPECT_EQ(7, state.lY);
  // The smaller format is the first part of the larger one.
  DIMOUSESTATE small;
  EXPECT_EQ(DIERR_INVALIDPARAM, device->GetDeviceState(sizeof(small), &small));
  // Reading never takes the pointer from the desktop.
  EXPECT_EQ(SDL_FALSE, SDL_GetRelativeMouseMode());
  EXPECT_EQ(SDL_FALSE, SDL_GetWindowGrab(Sdl()));
  EXPECT_EQ(SDL_ENABLE, SDL_ShowCursor(SDL_QUERY));
}

TEST_F(LayerDevices, ReadsFailUntilAcquiredAndAfterFocusLoss) {
  ASSERT_EQ(DI_OK, directInput->CreateDevice(GUID_SysKeyboard, &device, NULL));
  BYTE keys[256];
  EXPECT_EQ(DIERR_INVALIDPARAM, device->Acquire());  // no data format yet
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetDataFormat(&c_dfDIMouse2));
  ASSERT_EQ(DI_OK, device->SetDataFormat(&c_dfDIKeyboard));
  EXPECT_EQ(DIERR_UNSUPPORTED, device->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_BACKGROUND));
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetCooperativeLevel(window, DISCL_FOREGROUND));
  ASSERT_EQ(DI_OK, device->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND));
  EXPECT_EQ(DIERR_NOTACQUIRED, device->GetDeviceState(sizeof(keys), keys));
  ASSERT_EQ(DI_OK, device->Acquire());
  EXPECT_EQ(S_FALSE, device->Acquire());
  EXPECT_EQ(DIERR_INVALIDPARAM, device->GetDeviceState(100, keys));
  EXPECT_EQ(DI_OK, device->GetDeviceState(sizeof(keys), keys));
  Focus(Sdl(), false);
  EXPECT_EQ(DIERR_INPUTLOST, device->GetDeviceState(sizeof(keys), keys));
  EXPECT_EQ(DIERR_NOTACQUIRED, device->GetDeviceState(sizeof(keys), keys));
  EXPECT_EQ(DIERR_OTHERAPPHASPRIO, device->Acquire());
  Focus(Sdl(), true);
  EXPECT_EQ(DI_OK, device->Acquire());
  EXPECT_EQ(DI_OK, device->GetDeviceState(sizeof(keys), keys));
}

// A keyboard asked for buffered data before acquisition, holding `size` - 1 changes.
void SetBufferSize(IDirectInputDevice8W* device, DWORD size, HRESULT expected = DI_OK) {
  DIPROPDWORD property = {};
  property.diph.dwSize = sizeof(property);
  property.diph.dwHeaderSize = sizeof(property.diph);
  property.diph.dwHow = DIPH_DEVICE;
  property.dwData = size;
  EXPECT_EQ(expected, device->SetProperty(DIPROP_BUFFERSIZE, &property.diph));
}

TEST_F(LayerDevices, KeyboardBuffersEachPressAndReleaseInOrder) {
  ASSERT_EQ(DI_OK, directInput->CreateDevice(GUID_SysKeyboard, &device, NULL));
  ASSERT_EQ(DI_OK, device->SetDataFormat(&c_dfDIKeyboard));
  ASSERT_EQ(DI_OK, device->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND));
  SetBufferSize(device, 16);
  Key(SDL_SCANCODE_Q, true);  // before acquisition: not buffered
  compat::testing::PumpWindowEvents();
  ASSERT_EQ(DI_OK, device->Acquire());
  const DWORD before = GetTickCount();
  Key(SDL_SCANCODE_Q, false);
  Key(SDL_SCANCODE_W, true);
  Key(SDL_SCANCODE_W, false);
  Key(SDL_SCANCODE_A, true);
  Key(SDL_SCANCODE_A, true);  // auto-repeat is no change
  Key(SDL_SCANCODE_A, false);

  DIDEVICEOBJECTDATA items[8] = {};
  DWORD count = 8;
  ASSERT_EQ(DI_OK, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, DIGDD_PEEK));
  ASSERT_EQ(5u, count);
  const DWORD offsets[] = {DIK_Q, DIK_W, DIK_W, DIK_A, DIK_A};
  const DWORD data[] = {0x00, 0x80, 0x00, 0x80, 0x00};
  for (DWORD i = 0; i < count; ++i) {
    EXPECT_EQ(offsets[i], items[i].dwOfs) << i;
    EXPECT_EQ(data[i], items[i].dwData) << i;
    EXPECT_LE(before - 1000, items[i].dwTimeStamp) << i;  // GetTickCount's clock
    EXPECT_LE(items[i].dwTimeStamp, GetTickCount()) << i;
    if (i > 0) {
      EXPECT_EQ(items[i - 1].dwSequence + 1, items[i].dwSequence) << i;
    }
  }
  // A peek leaves the items; a read in the DirectX 3 record size takes them.
  DIDEVICEOBJECTDATA_DX3 small[2] = {};
  count = 2;
  ASSERT_EQ(DI_OK, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA_DX3),
                                         reinterpret_cast<LPDIDEVICEOBJECTDATA>(small), &count, 0));
  ASSERT_EQ(2u, count);
  EXPECT_EQ(static_cast<DWORD>(DIK_Q), small[0].dwOfs);
  EXPECT_EQ(items[1].dwSequence, small[1].dwSequence);
  // Without an array the items go all the same.
  count = 1;
  ASSERT_EQ(DI_OK, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &count, 0));
  EXPECT_EQ(1u, count);
  count = 8;
  ASSERT_EQ(DI_OK, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0));
  ASSERT_EQ(2u, count);
  EXPECT_EQ(static_cast<DWORD>(DIK_A), items[0].dwOfs);
  count = 8;
  ASSERT_EQ(DI_OK, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0));
  EXPECT_EQ(0u, count);
  EXPECT_EQ(DIERR_INVALIDPARAM, device->GetDeviceData(12, items, &count, 0));
  EXPECT_EQ(DIERR_INVALIDPARAM, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, nullptr, 0));
}

TEST_F(LayerDevices, FullBufferKeepsTheOldestAndReportsTheOverflowOnce) {
  ASSERT_EQ(DI_OK, directInput->CreateDevice(GUID_SysKeyboard, &device, NULL));
  ASSERT_EQ(DI_OK, device->SetDataFormat(&c_dfDIKeyboard));
  SetBufferSize(device, 4);  // holds three
  ASSERT_EQ(DI_OK, device->Acquire());
  for (SDL_Scancode key : {SDL_SCANCODE_1, SDL_SCANCODE_2, SDL_SCANCODE_3}) Key(key, true);
  Key(SDL_SCANCODE_4, true);  // lost
  Key(SDL_SCANCODE_5, true);  // lost
  DIDEVICEOBJECTDATA items[8] = {};
  DWORD count = 8;
  EXPECT_EQ(DI_BUFFEROVERFLOW, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, DIGDD_PEEK));
  count = 8;
  EXPECT_EQ(DI_BUFFEROVERFLOW, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0));
  ASSERT_EQ(3u, count);
  EXPECT_EQ(static_cast<DWORD>(DIK_1), items[0].dwOfs);
  EXPECT_EQ(static_cast<DWORD>(DIK_3), items[2].dwOfs);
  Key(SDL_SCANCODE_1, false);
  count = 8;
  EXPECT_EQ(DI_OK, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0));
  ASSERT_EQ(1u, count);
  // The state knows the keys the buffer lost.
  BYTE keys[256];
  ASSERT_EQ(DI_OK, device->GetDeviceState(sizeof(keys), keys));
  EXPECT_EQ(0x80, keys[DIK_5]);
}

TEST_F(LayerDevices, BufferIsTheKeyboardsAndStartsEmptyAtEachAcquisition) {
  Open(GUID_SysMouse, &c_dfDIMouse2, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
  device->Unacquire();
  SetBufferSize(device, 8, DIERR_UNSUPPORTED);
  ASSERT_EQ(DI_OK, device->Acquire());
  DIDEVICEOBJECTDATA items[4] = {};
  DWORD count = 4;
  EXPECT_EQ(DIERR_NOTBUFFERED, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0));
  device->Release();
  device = nullptr;

  Open(GUID_SysKeyboard, &c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  EXPECT_EQ(DIERR_NOTBUFFERED, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0));
  SetBufferSize(device, 8, DIERR_ACQUIRED);  // properties change only while not acquired
  device->Unacquire();
  SetBufferSize(device, 8);
  DIPROPDWORD property = {};
  property.diph.dwSize = sizeof(property);
  property.diph.dwHeaderSize = sizeof(property.diph);
  property.diph.dwHow = DIPH_DEVICE;
  ASSERT_EQ(DI_OK, device->GetProperty(DIPROP_BUFFERSIZE, &property.diph));
  EXPECT_EQ(8u, property.dwData);
  property.diph.dwHow = DIPH_BYOFFSET;  // the size belongs to the whole device
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetProperty(DIPROP_BUFFERSIZE, &property.diph));
  EXPECT_EQ(DIERR_NOTACQUIRED, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0));

  ASSERT_EQ(DI_OK, device->Acquire());
  Key(SDL_SCANCODE_E, true);
  Focus(Sdl(), false);  // a foreground keyboard is lost, and what it held with it
  count = 4;
  EXPECT_EQ(DIERR_INPUTLOST, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0));
  Focus(Sdl(), true);
  ASSERT_EQ(DI_OK, device->Acquire());
  count = 4;
  ASSERT_EQ(DI_OK, device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0));
  EXPECT_EQ(0u, count);
}

BOOL CALLBACK CountUpTo(LPCDIDEVICEINSTANCEW instance, LPVOID context) {
  auto* seen = static_cast<std::vector<GUID>*>(context);
  seen->push_back(instance->guidInstance);
  return seen->size() < 2 ? DIENUM_CONTINUE : DIENUM_STOP;
}

// The system keyboard and mouse serve every program: DirectInput refuses to
// give either away exclusively in the background, and takes every other level.
// A game controller may be held that way.
TEST_F(LayerDevices, OnlyControllersAreHeldExclusivelyInTheBackground) {
  AttachJoystick(2, 1, 0);
  std::vector<GUID> controllers;
  ASSERT_EQ(DI_OK, directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, CountUpTo, &controllers, DIEDFL_ATTACHEDONLY));
  ASSERT_EQ(1u, controllers.size());
  const GUID kinds[] = {GUID_SysKeyboard, GUID_SysMouse, controllers[0]};
  for (const GUID& kind : kinds) {
    const bool system = kind != controllers[0];
    IDirectInputDevice8W* opened = nullptr;
    ASSERT_EQ(DI_OK, directInput->CreateDevice(kind, &opened, NULL));
    EXPECT_EQ(system ? E_NOTIMPL : DI_OK, opened->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_BACKGROUND));
    for (DWORD level : {DISCL_EXCLUSIVE | DISCL_FOREGROUND, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND,
                        DISCL_NONEXCLUSIVE | DISCL_BACKGROUND})
      EXPECT_EQ(DI_OK, opened->SetCooperativeLevel(window, level)) << level;
    opened->Release();
  }
}

TEST_F(LayerDevices, EnumerationFollowsTheCallbacksAnswer) {
  for (int i = 0; i < 3; ++i) AttachJoystick(2, 1, 0);
  std::vector<GUID> seen;
  ASSERT_EQ(DI_OK, directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, CountUpTo, &seen, DIEDFL_ATTACHEDONLY));
  ASSERT_EQ(2u, seen.size());  // stopped after the second
  EXPECT_NE(seen[0], seen[1]);
  ASSERT_EQ(DI_OK, directInput->CreateDevice(seen[1], &device, NULL));
  DIDEVICEINSTANCEW info = {};
  info.dwSize = sizeof(info);
  ASSERT_EQ(DI_OK, device->GetDeviceInfo(&info));
  EXPECT_EQ(seen[1], info.guidInstance);
  EXPECT_EQ(DIERR_INVALIDPARAM, directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, nullptr, nullptr, 0));
  IDirectInputDevice8W* none = nullptr;
  EXPECT_EQ(DIERR_DEVICENOTREG, directInput->CreateDevice(GUID_Joystick, &none, NULL));
  EXPECT_EQ(nullptr, none);
}

TEST_F(LayerDevices, AxisRangesAreCheckedAndApplyPerAxis) {
  AttachJoystick(2, 1, 0);
  std::vector<GUID> seen;
  ASSERT_EQ(DI_OK, directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, CountUpTo, &seen, DIEDFL_ATTACHEDONLY));
  ASSERT_EQ(1u, seen.size());
  ASSERT_EQ(DI_OK, directInput->CreateDevice(seen[0], &device, NULL));
  DIPROPRANGE range = {};
  range.diph.dwSize = sizeof(range);
  range.diph.dwHeaderSize = sizeof(range.diph);
  range.diph.dwHow = DIPH_BYOFFSET;
  range.diph.dwObj = DIJOFS_Y;
  range.lMin = -10;
  range.lMax = 10;
  EXPECT_EQ(DI_OK, device->SetProperty(DIPROP_RANGE, &range.diph));
  range.diph.dwObj = DIJOFS_Z;  // this controller has two axes
  EXPECT_EQ(DIERR_OBJECTNOTFOUND, device->SetProperty(DIPROP_RANGE, &range.diph));
  range.diph.dwObj = DIJOFS_X;
  range.lMin = 5;
  range.lMax = 5;
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetProperty(DIPROP_RANGE, &range.diph));
  range.diph.dwSize = 20;
  range.lMin = 0;
  EXPECT_EQ(DIERR_INVALIDPARAM, device->SetProperty(DIPROP_RANGE, &range.diph));
  DIPROPRANGE read = {};
  read.diph.dwSize = sizeof(read);
  read.diph.dwHeaderSize = sizeof(read.diph);
  read.diph.dwHow = DIPH_BYOFFSET;
  read.diph.dwObj = DIJOFS_Y;
  ASSERT_EQ(DI_OK, device->GetProperty(DIPROP_RANGE, &read.diph));
  EXPECT_EQ(-10, read.lMin);
  EXPECT_EQ(10, read.lMax);
  read.diph.dwObj = DIJOFS_X;
  ASSERT_EQ(DI_OK, device->GetProperty(DIPROP_RANGE, &read.diph));
  EXPECT_EQ(0, read.lMin);
  EXPECT_EQ(65535, read.lMax);
}

TEST_F(LayerDevices, CreationRefusesWrongVersionsAndInterfaces) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(DIERR_OLDDIRECTINPUTVERSION,
            DirectInput8Create(GetModuleHandleW(NULL), 0x0700, IID_IDirectInput8W, &out, NULL));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(DIERR_NOINTERFACE, DirectInput8Create(GetModuleHandleW(NULL), DIRECTINPUT_VERSION, IID_IUnknown, &out, NULL));
  EXPECT_EQ(DIERR_INVALIDPARAM, DirectInput8Create(NULL, DIRECTINPUT_VERSION, IID_IDirectInput8W, &out, NULL));
  EXPECT_EQ(DIERR_INVALIDPARAM,
            DirectInput8Create(GetModuleHandleW(NULL), DIRECTINPUT_VERSION, IID_IDirectInput8W, nullptr, NULL));
}

}  // namespace
