// Pictures of the back buffer: the last frame for --screenshot, and the
// numbered pictures the user takes with F12.
#pragma once

#include <d3d9.h>

#include <string>

// Writes the device's back buffer as PNG to `file`; false when there is no
// device or the file cannot be written.
bool SaveBackBuffer(IDirect3DDevice9* device, const std::wstring& file);

// "program-0001.png", or the next number whose file does not exist in the
// working directory; empty when 9999 are taken.
std::wstring NextScreenshotName(const std::wstring& program);
