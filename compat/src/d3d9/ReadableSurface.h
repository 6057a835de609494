// A surface whose pixels the layer can read back (for D3DXSaveSurfaceToFileW).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace compat::d3d9 {

class ReadableSurface {
 public:
  // Rows of 8-bit RGBA, top row first.
  virtual bool ReadRgba(std::vector<std::uint8_t>& rgba, UINT& width, UINT& height) = 0;

 protected:
  ~ReadableSurface() = default;
};

}  // namespace compat::d3d9
