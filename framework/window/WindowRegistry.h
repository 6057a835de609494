// The live windows of the process by handle. Keys compare as signed 32-bit
// integers, so ascending order is creation order. The map does not own the
// Window objects.
#pragma once

#include <windows.h>

#include <map>

class Window;

struct WindowHandleLess {
  bool operator()(HWND a, HWND b) const {
    return static_cast<INT>(reinterpret_cast<INT_PTR>(a)) < static_cast<INT>(reinterpret_cast<INT_PTR>(b));
  }
};

using WindowMap = std::map<HWND, Window*, WindowHandleLess>;

extern WindowMap g_WindowMap;
