#include "dinput8/InputEvents.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "dinput8/KeyMap.h"
#include "win32/WindowTable.h"

namespace compat::dinput8 {

namespace {

struct FocusRecord {
  bool focused = false;
  std::uint64_t losses = 0;
};

struct Watcher {
  InputEvents input;
  std::unordered_map<Uint32, FocusRecord> focusByWindow;  // windows that have had a focus event
  std::vector<KeyListener*> keyListeners;
  DWORD sequence = 0;  // of the last buffered change
  int users = 0;
};

Watcher& TheWatcher() {
  static Watcher watcher;
  return watcher;
}

int MouseButtonIndex(Uint8 sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    case SDL_BUTTON_X2: return 4;
    default: return (sdlButton >= 6 && sdlButton <= 8) ? sdlButton - 1 : -1;
  }
}

// SDL stamps events with its own milliseconds; DirectInput with GetTickCount's.
DWORD TickCountAt(Uint32 sdlTimestamp) { return GetTickCount() - (SDL_GetTicks() - sdlTimestamp); }

// A key goes down or up: the state follows, and each buffering device hears of it once.
void ChangeKey(unsigned char dik, bool down, DWORD timeStamp) {
  Watcher& watcher = TheWatcher();
  if (watcher.input.keysDown[dik] == down) return;  // auto-repeat, or a key already let go
  watcher.input.keysDown[dik] = down;
  DIDEVICEOBJECTDATA item = {};
  item.dwOfs = dik;
  item.dwData = down ? 0x80 : 0x00;
  item.dwTimeStamp = timeStamp;
  item.dwSequence = ++watcher.sequence;
  for (KeyListener* listener : watcher.keyListeners) listener->KeyChanged(item);
}

void Observe(const SDL_Event& event) {
  Watcher& watcher = TheWatcher();
  InputEvents& input = watcher.input;
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const unsigned char dik = DirectInputKeyOf(event.key.keysym.scancode);
      if (dik != 0) ChangeKey(dik, event.type == SDL_KEYDOWN, TickCountAt(event.key.timestamp));
      break;
    }
    case SDL_MOUSEMOTION:
      input.mouseX += event.motion.xrel;
      input.mouseY += event.motion.yrel;
      break;
    case SDL_MOUSEWHEEL: {
      const int notches = (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) ? -event.wheel.y : event.wheel.y;
      input.mouseWheel += static_cast<std::int64_t>(notches) * 120;
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int index = MouseButtonIndex(event.button.button);
      if (index >= 0) input.mouseButtonsDown[index] = (event.type == SDL_MOUSEBUTTONDOWN);
      break;
    }
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        watcher.focusByWindow[event.window.windowID].focused = true;
      } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        FocusRecord& record = watcher.focusByWindow[event.window.windowID];
        record.focused = false;
        ++record.losses;
        // The keys go on to another program; none stays down here.
        for (int dik = 0; dik < 256; ++dik)
          if (input.keysDown[dik]) ChangeKey(static_cast<unsigned char>(dik), false, TickCountAt(event.window.timestamp));
      }
      break;
    default:
      break;
  }
}

}  // namespace

void StartWatching() {
  if (TheWatcher().users++ == 0) win32::AddEventObserver(Observe);
}

void StopWatching() {
  if (--TheWatcher().users == 0) win32::RemoveEventObserver(Observe);
}

void AddKeyListener(KeyListener* listener) { TheWatcher().keyListeners.push_back(listener); }

void RemoveKeyListener(KeyListener* listener) {
  auto& listeners = TheWatcher().keyListeners;
  listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

const InputEvents& CurrentInput() {
  win32::PumpEvents();
  return TheWatcher().input;
}

bool HasFocus(SDL_Window* window) {
  if (!window) return false;
  const auto& focusByWindow = TheWatcher().focusByWindow;
  const auto found = focusByWindow.find(SDL_GetWindowID(window));
  if (found != focusByWindow.end()) return found->second.focused;
  // No focus event yet: trust SDL, and count a display without any focus (offscreen) as focused.
  SDL_Window* focused = SDL_GetKeyboardFocus();
  return focused == window || focused == nullptr;
}

}  // namespace compat::dinput8

namespace compat::dinput8 {

std::uint64_t FocusLossesOf(SDL_Window* window) {
  if (!window) return 0;
  const auto& focusByWindow = TheWatcher().focusByWindow;
  const auto found = focusByWindow.find(SDL_GetWindowID(window));
  return found == focusByWindow.end() ? 0 : found->second.losses;
}

}  // namespace compat::dinput8
