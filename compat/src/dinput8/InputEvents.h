// What the input devices read: key, button and focus state and mouse motion,
// tracked from the SDL events that the message pump takes. Pushed events do
// not reach SDL's own keyboard state, so the events are the only source.
// Events of every window of the program count. Losing the focus releases
// every key; mouse buttons stay as the events left them. Each change of a key
// (a press or a release, never the auto-repeat) is also handed, in order, to
// the devices that buffer it, numbered by one sequence counter.
#pragma once

#include <SDL.h>
#include <dinput.h>

#include <array>
#include <cstdint>

namespace compat::dinput8 {

struct InputEvents {
  std::array<bool, 256> keysDown{};  // by DirectInput key code
  std::array<bool, 8> mouseButtonsDown{};
  // Running totals since start-up; each mouse device remembers where it last read.
  std::int64_t mouseX = 0;
  std::int64_t mouseY = 0;
  std::int64_t mouseWheel = 0;  // 120 per notch, positive away from the user
};

// Starts (on the first call) and stops (on the last) watching the pump's events.
void StartWatching();
void StopWatching();

// A device that buffers key changes.
class KeyListener {
 public:
  // One key went down (dwData 0x80) or up (0), its DIK_ code in dwOfs.
  virtual void KeyChanged(const DIDEVICEOBJECTDATA& item) = 0;

 protected:
  ~KeyListener() = default;
};
void AddKeyListener(KeyListener* listener);
void RemoveKeyListener(KeyListener* listener);

// Takes any waiting SDL events through the pump, then gives the state.
const InputEvents& CurrentInput();

// Whether the SDL window has the keyboard focus, as far as events and SDL tell.
bool HasFocus(SDL_Window* window);

// How often the window has lost the focus so far, so a device can tell that it was lost meanwhile.
std::uint64_t FocusLossesOf(SDL_Window* window);

}  // namespace compat::dinput8
