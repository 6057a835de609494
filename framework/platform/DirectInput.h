// Keyboard, mouse and up to four game controllers, read once per frame. Two
// snapshots per device tell a key that has just gone down from one held down;
// the keyboard's buffered data counts every press since the last frame, also
// one that was let go before the frame could see it.
#pragma once

#include <windows.h>
#include <dinput.h>

// The state of one key or mouse button over the last two snapshots.
enum class InputState {
  Up = 0,        // up now and before
  Released = 1,  // up now, down before
  Held = 2,      // down now and before: from the second frame of a press on
  Pressed = 3,   // down now, up before
};

// Mouse motion of the current snapshot, in counts; the wheel in its own units (120 per notch).
struct MouseMove {
  LONG x;
  LONG y;
  LONG wheel;
};

class DirectInput {
 public:
  static constexpr int kMaxControllers = 4;
  // Key changes the keyboard buffers between two frames; more are lost and
  // the snapshots stand in for them.
  static constexpr DWORD kKeyBufferSize = 256;

  DirectInput();
  virtual ~DirectInput();
  DirectInput(const DirectInput&) = delete;
  DirectInput& operator=(const DirectInput&) = delete;

  // Creates and configures the devices for the application window; needs `directInput`.
  bool Initialize(HWND hwnd);
  // Takes a new snapshot of every device; once per frame, before anything reads input.
  void Update();

  InputState GetKey(int dikCode) const;
  // How often the key went down between the last two Updates, from the
  // keyboard's buffered data. Where the buffer lost presses (overflow) or
  // cannot be read, a key whose snapshots show it freshly down counts once.
  int Presses(int dikCode) const;
  // 0 left, 1 right, 2 middle, up to 7.
  InputState GetMouseButton(int index) const;
  // Each value within one count of zero reads as zero.
  MouseMove GetMouseMove() const;

  int ControllerCount() const { return controllerCount; }
  // The current snapshot of controller `index` (0 to ControllerCount() - 1).
  const DIJOYSTATE2& GetControllerState(int index) const;

  // Created by the scene straight into this field (DirectInput8Create).
  IDirectInput8W* directInput;

 private:
  static BOOL CALLBACK AddController(LPCDIDEVICEINSTANCEW instance, LPVOID context);
  // One read with a single re-acquire and retry; false when both attempts failed.
  static bool Read(IDirectInputDevice8W* device, DWORD size, void* snapshot);
  // Counts the presses in the keyboard's buffered data into keyPresses.
  void ReadKeyPresses();

  IDirectInputDevice8W* keyboard;
  IDirectInputDevice8W* mouse;
  IDirectInputDevice8W* controllers[kMaxControllers];
  BYTE keyboardStates[2][256];
  BYTE keyPresses[256];  // since the last Update, from the buffered data
  bool pressesComplete;  // false when the buffer lost presses or could not be read
  DIMOUSESTATE2 mouseStates[2];
  DIJOYSTATE2 controllerStates[2 * kMaxControllers];
  int keyboardIndex;
  int mouseIndex;
  int controllerIndex;
  int controllerCount;
};
