// Helpers for tests that drive the real layer: plain windows of a test class,
// and reading back what a device rendered.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstdint>
#include <vector>

namespace test_support {

// A window of a class whose procedure is DefWindowProcW, with the given
// client size; visible unless `hidden`.
HWND CreatePlainWindow(int clientWidth, int clientHeight, bool hidden = false);

// The device's back buffer as 8-bit RGBA rows, top row first.
struct Pixels {
  UINT width = 0;
  UINT height = 0;
  std::vector<std::uint8_t> rgba;
  std::uint32_t At(UINT x, UINT y) const;  // 0xAARRGGBB
};
Pixels ReadBackBuffer(IDirect3DDevice9* device);

// A HAL device on `window`: a width x height X8R8G8B8 back buffer, D24S8
// depth and immediate presentation. The framework's own creation ladder is
// tested through Direct3D9 itself.
IDirect3DDevice9* CreateDevice(IDirect3D9* direct3d, HWND window, UINT width, UINT height);

}  // namespace test_support
