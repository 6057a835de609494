// The thread's message queue.
#pragma once

#include <SDL.h>
#include <windows.h>

namespace compat::win32 {

// Removes the queued messages of a window that is being destroyed.
void DropMessagesFor(HWND hwnd);

namespace detail {
void NotifyObservers(const SDL_Event& event);
}

}  // namespace compat::win32
