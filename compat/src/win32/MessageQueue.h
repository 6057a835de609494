// The thread's message queue.
#pragma once

#include <windows.h>

namespace compat::win32 {

// Removes the queued messages of a window that is being destroyed.
void DropMessagesFor(HWND hwnd);

}  // namespace compat::win32
