#include "platform/DirectInput.h"

#include <cstring>

#include "platform/SafeRelease.h"

namespace {

InputState StateOf(BYTE now, BYTE before) {
  const bool downNow = (now & 0x80) != 0;
  const bool downBefore = (before & 0x80) != 0;
  if (downNow) return downBefore ? InputState::Held : InputState::Pressed;
  return downBefore ? InputState::Released : InputState::Up;
}

LONG WithoutJitter(LONG value) { return (value >= -1 && value <= 1) ? 0 : value; }

void SetAxisRange(IDirectInputDevice8W* device, DWORD offset) {
  DIPROPRANGE range;
  range.diph.dwSize = sizeof(DIPROPRANGE);
  range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  range.diph.dwObj = offset;
  range.diph.dwHow = DIPH_BYOFFSET;
  range.lMin = -1000;
  range.lMax = 1000;
  device->SetProperty(DIPROP_RANGE, &range.diph);  // a controller without this axis refuses; that is fine
}

// Asks the keyboard to keep its key changes between two reads.
void SetBufferSize(IDirectInputDevice8W* device, DWORD size) {
  DIPROPDWORD buffer;
  buffer.diph.dwSize = sizeof(DIPROPDWORD);
  buffer.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  buffer.diph.dwObj = 0;
  buffer.diph.dwHow = DIPH_DEVICE;
  buffer.dwData = size;
  device->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph);  // refused: presses come from the snapshots
}

void ReleaseDevice(IDirectInputDevice8W*& device) {
  if (!device) return;
  device->Unacquire();
  device->Release();
  device = nullptr;
}

}  // namespace

DirectInput::DirectInput()
    : directInput(nullptr),
      keyboard(nullptr),
      mouse(nullptr),
      controllers{},
      keyboardStates{},
      keyPresses{},
      pressesComplete(false),
      mouseStates{},
      controllerStates{},
      keyboardIndex(0),
      mouseIndex(0),
      controllerIndex(0),
      controllerCount(0) {}

DirectInput::~DirectInput() {
  for (IDirectInputDevice8W*& controller : controllers) ReleaseDevice(controller);
  ReleaseDevice(mouse);
  ReleaseDevice(keyboard);
  SafeRelease(directInput);
}

bool DirectInput::Initialize(HWND hwnd) {
  if (!directInput) return false;

  if (FAILED(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, NULL))) return false;
  keyboard->SetDataFormat(&c_dfDIKeyboard);
  keyboard->SetCooperativeLevel(hwnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  SetBufferSize(keyboard, kKeyBufferSize);
  keyboard->Acquire();

  if (FAILED(directInput->CreateDevice(GUID_SysMouse, &mouse, NULL))) return false;
  mouse->SetDataFormat(&c_dfDIMouse2);
  mouse->SetCooperativeLevel(hwnd, DISCL_EXCLUSIVE | DISCL_BACKGROUND);
  mouse->Acquire();

  if (FAILED(directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, AddController, this, DIEDFL_ATTACHEDONLY))) {
    return false;
  }
  for (int slot = 0; slot < controllerCount; ++slot) {
    IDirectInputDevice8W* controller = controllers[slot];
    if (FAILED(controller->SetDataFormat(&c_dfDIJoystick2))) return false;
    if (FAILED(controller->SetCooperativeLevel(hwnd, DISCL_EXCLUSIVE | DISCL_BACKGROUND))) return false;
    SetAxisRange(controller, DIJOFS_X);
    SetAxisRange(controller, DIJOFS_Y);
    SetAxisRange(controller, DIJOFS_Z);
    SetAxisRange(controller, DIJOFS_RZ);
    SetAxisRange(controller, DIJOFS_SLIDER(0));
    controller->Acquire();
  }
  return true;
}

BOOL CALLBACK DirectInput::AddController(LPCDIDEVICEINSTANCEW instance, LPVOID context) {
  DirectInput* self = static_cast<DirectInput*>(context);
  // Enumeration stops at four, so a slot is always free here.
  if (self->controllerCount >= kMaxControllers) return DIENUM_STOP;
  IDirectInputDevice8W* device = nullptr;
  if (FAILED(self->directInput->CreateDevice(instance->guidInstance, &device, NULL))) return DIENUM_CONTINUE;
  self->controllers[self->controllerCount++] = device;
  return self->controllerCount < kMaxControllers ? DIENUM_CONTINUE : DIENUM_STOP;
}

bool DirectInput::Read(IDirectInputDevice8W* device, DWORD size, void* snapshot) {
  if (SUCCEEDED(device->GetDeviceState(size, snapshot))) return true;
  // Lost (focus change, window deactivated) or never acquired: one more try per frame.
  device->Acquire();
  return SUCCEEDED(device->GetDeviceState(size, snapshot));
}

void DirectInput::Update() {
  keyboardIndex = 1 - keyboardIndex;
  mouseIndex = 1 - mouseIndex;
  controllerIndex = 1 - controllerIndex;

  if (keyboard && !Read(keyboard, sizeof(keyboardStates[0]), keyboardStates[keyboardIndex])) {
    // Nothing may stay pressed while the keyboard cannot be read.
    std::memset(keyboardStates, 0, sizeof(keyboardStates));
    keyboardIndex = 0;
  }
  ReadKeyPresses();
  if (mouse && !Read(mouse, sizeof(mouseStates[0]), &mouseStates[mouseIndex])) {
    std::memset(mouseStates, 0, sizeof(mouseStates));
    mouseIndex = 0;
  }
  for (int slot = 0; slot < controllerCount; ++slot) {
    if (!controllers[slot]) continue;
    DIJOYSTATE2* pair = &controllerStates[2 * slot];
    if (!Read(controllers[slot], sizeof(DIJOYSTATE2), &pair[controllerIndex])) {
      // The index is shared by every controller, so only this one's history is cleared.
      std::memset(pair, 0, 2 * sizeof(DIJOYSTATE2));
    }
  }
}

void DirectInput::ReadKeyPresses() {
  std::memset(keyPresses, 0, sizeof(keyPresses));
  pressesComplete = false;
  if (!keyboard) return;
  // One read takes everything: the buffer never holds more than
  // kKeyBufferSize changes.
  DIDEVICEOBJECTDATA items[kKeyBufferSize];
  DWORD count = kKeyBufferSize;
  const HRESULT result = keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items, &count, 0);
  if (FAILED(result)) return;  // not buffered, or lost: the snapshots stand in
  for (DWORD i = 0; i < count; ++i) {
    BYTE& presses = keyPresses[items[i].dwOfs & 0xFF];
    if ((items[i].dwData & 0x80) && presses < 0xFF) ++presses;
  }
  pressesComplete = result != DI_BUFFEROVERFLOW;
}

int DirectInput::Presses(int dikCode) const {
  if (dikCode < 0 || dikCode > 255) return 0;
  const int fresh = GetKey(dikCode) == InputState::Pressed ? 1 : 0;
  const int buffered = keyPresses[dikCode];
  return pressesComplete ? buffered : (buffered > fresh ? buffered : fresh);
}

InputState DirectInput::GetKey(int dikCode) const {
  if (dikCode < 0 || dikCode > 255) return InputState::Up;
  return StateOf(keyboardStates[keyboardIndex][dikCode], keyboardStates[1 - keyboardIndex][dikCode]);
}

InputState DirectInput::GetMouseButton(int index) const {
  if (index < 0 || index > 7) return InputState::Up;
  return StateOf(mouseStates[mouseIndex].rgbButtons[index], mouseStates[1 - mouseIndex].rgbButtons[index]);
}

MouseMove DirectInput::GetMouseMove() const {
  const DIMOUSESTATE2& state = mouseStates[mouseIndex];
  return MouseMove{WithoutJitter(state.lX), WithoutJitter(state.lY), WithoutJitter(state.lZ)};
}

const DIJOYSTATE2& DirectInput::GetControllerState(int index) const {
  if (index < 0 || index >= kMaxControllers) index = 0;
  return controllerStates[2 * index + controllerIndex];
}
