// Decoding image files into the levels of a texture: JPEG through
// libjpeg-turbo, BMP, PNG and TGA through stb_image, DDS (uncompressed and
// DXT1/3/5) by hand. Needs no GL. stb_image also takes GIF (first frame),
// PSD, PNM, PIC and HDR (brought down to 8 bits). Cube and volume DDS files
// and other DDS FourCCs are refused. The missing mip levels are made by a
// 2 x 2 box filter. Colour profiles, gamma and EXIF orientation are ignored.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

namespace compat::d3dx9 {

struct ImageLevel {
  UINT width = 0;
  UINT height = 0;
  std::vector<std::uint8_t> bytes;  // level memory in `format`, top row first
};

struct DecodedImage {
  // D3DFMT_X8R8G8B8, with every alpha byte 255, for images without alpha:
  // 24-bit files, JPEG, DDS without alpha pixels, a TGA that declares no
  // alpha bits; a 32-bit BMP whose alpha bytes are all zero keeps A8R8G8B8
  // with alpha 255.
  D3DFORMAT format = D3DFMT_UNKNOWN;
  std::vector<ImageLevel> levels;  // always the full chain down to 1 x 1
  std::string warning;  // what the decoder tolerated in a damaged file; empty for a sound one
};

// Largest edge accepted; bounds what a hostile header can make us allocate.
inline constexpr UINT kMaxImageEdge = 8192;

// On failure returns false with `error` saying why (without the file name).
bool DecodeImageFile(const std::vector<std::uint8_t>& file, DecodedImage& out, std::string& error);

}  // namespace compat::d3dx9
