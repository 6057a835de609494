// Scripted user input for tests: SDL events pushed into the queue that the
// layer's message pump takes, as a real keyboard and mouse would produce them.
#pragma once

#include <SDL.h>

namespace scripted_input {

inline void Push(SDL_Event event) { SDL_PushEvent(&event); }

inline void Key(SDL_Scancode scancode, bool down) {
  SDL_Event event = {};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = scancode;
  event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
  Push(event);
}

inline void Motion(int dx, int dy) {
  SDL_Event event = {};
  event.type = SDL_MOUSEMOTION;
  event.motion.xrel = dx;
  event.motion.yrel = dy;
  Push(event);
}

inline void Wheel(int notches, bool flipped = false) {
  SDL_Event event = {};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = notches;
  event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  Push(event);
}

inline void Button(Uint8 sdlButton, bool down) {
  SDL_Event event = {};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.button = sdlButton;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  Push(event);
}

inline void Focus(SDL_Window* window, bool gained) {
  SDL_Event event = {};
  event.type = SDL_WINDOWEVENT;
  event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
  event.window.windowID = SDL_GetWindowID(window);
  Push(event);
}

}  // namespace scripted_input
