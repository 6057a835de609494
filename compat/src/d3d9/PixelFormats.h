// The texture formats the layer stores, their memory sizes, and their
// conversion to 8-bit BGRA rows (the memory order of D3DFMT_A8R8G8B8) for GL.
// Stored: A8R8G8B8, X8R8G8B8, DXT1, DXT3, DXT5; CreateTexture refuses every
// other format. DXT blocks are decoded here, not handed to GL compressed.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

namespace compat::d3d9 {

bool IsSupportedTextureFormat(D3DFORMAT format);
bool IsBlockCompressed(D3DFORMAT format);

// Bytes from one row (of blocks, for DXT formats) to the next.
UINT RowPitch(D3DFORMAT format, UINT width);
// Rows of the level's memory: rows of texels, or rows of 4x4 blocks.
UINT RowCount(D3DFORMAT format, UINT height);
inline std::size_t LevelSize(D3DFORMAT format, UINT width, UINT height) {
  return static_cast<std::size_t>(RowPitch(format, width)) * RowCount(format, height);
}

// Size of mip level `level` of a `size` texel edge.
inline UINT MipSize(UINT size, UINT level) {
  UINT s = level >= 32 ? 0 : size >> level;
  return s == 0 ? 1 : s;
}
// Levels of a full chain down to 1 x 1.
UINT FullMipCount(UINT width, UINT height);

// Level memory of `format` as tightly packed BGRA texels, top row first.
std::vector<std::uint8_t> ToBgra8(D3DFORMAT format, UINT width, UINT height, const std::uint8_t* data);

}  // namespace compat::d3d9
