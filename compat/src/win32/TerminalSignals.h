// Ctrl+C (SIGINT) and SIGTERM end a program as closing its windows does:
// the handler only records the signal, and the message pump then posts
// WM_CLOSE to every top-level window, so each window's own teardown runs
// and the message loop ends with WM_QUIT as usual.
#pragma once

namespace compat::win32 {

// Installs the handlers (the program entry does, before WinMain). Each
// handler is good for one signal: a second Ctrl+C ends the program at once.
void CatchTerminalSignals();

// Called by the message pump: the first time it runs after a signal, posts
// WM_CLOSE to every top-level window.
void CloseWindowsOnTerminalSignal();

// The signal that asked the program to end; 0 when none came.
int TerminalSignal();

}  // namespace compat::win32
