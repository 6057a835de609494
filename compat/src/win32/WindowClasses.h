// Lookup in the window class registry.
#pragma once

#include <windows.h>

namespace compat::win32 {

// The registered class of that name (any case), or null.
const WNDCLASSEXW* FindWindowClass(LPCWSTR name);

}  // namespace compat::win32
