#include "window/MessageLoop.h"

#include <windows.h>

#include "window/Window.h"
#include "window/WindowRegistry.h"

namespace {

bool IsShown(HWND hwnd) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  GetWindowPlacement(hwnd, &placement);
  switch (placement.showCmd) {
    case SW_HIDE:
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      return false;
    default:
      return true;
  }
}

}  // namespace

void RunMessageLoop() {
  MSG msg = {};
  while (msg.message != WM_QUIT) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    for (auto it = g_WindowMap.begin(); it != g_WindowMap.end();) {
      if (!IsWindow(it->first)) {
        it = g_WindowMap.erase(it);
        continue;
      }
      // A frame may destroy its own window; the entry then goes next pass.
      Window* window = it->second;
      HWND handle = it->first;
      ++it;
      if (IsShown(handle)) window->OnFrame();
    }
  }
}
