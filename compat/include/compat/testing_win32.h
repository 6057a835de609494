// Test hooks of the Win32 part of the layer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "compat/testing.h"

namespace compat::testing {

struct ShownMessageBox {
  std::wstring text;
  std::wstring caption;
  UINT type;
};

// The message boxes shown since the last call, oldest first.
std::vector<ShownMessageBox> TakeMessageBoxes();

}  // namespace compat::testing
