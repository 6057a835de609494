#include "win32/TerminalSignals.h"

#include <windows.h>

#include <csignal>

#include "win32/WindowTable.h"

namespace compat::win32 {

namespace {

// Only an async-signal-safe store happens in the handler.
volatile std::sig_atomic_t g_signal = 0;
bool g_windowsClosed = false;

extern "C" void RecordTerminalSignal(int signal) { g_signal = signal; }

}  // namespace

void CatchTerminalSignals() {
  struct sigaction action = {};
  action.sa_handler = RecordTerminalSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void CloseWindowsOnTerminalSignal() {
  if (g_signal == 0 || g_windowsClosed) return;
  g_windowsClosed = true;
  for (HWND hwnd : TopLevelWindows()) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

int TerminalSignal() { return g_signal; }

}  // namespace compat::win32
