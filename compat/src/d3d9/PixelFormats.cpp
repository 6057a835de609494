#include "d3d9/PixelFormats.h"

#include <algorithm>
#include <cstring>

namespace compat::d3d9 {

namespace {

struct Bgra {
  std::uint8_t b, g, r, a;
};

Bgra Expand565(std::uint16_t c) {
  auto r = static_cast<std::uint8_t>(((c >> 11) & 31) * 255 / 31);
  auto g = static_cast<std::uint8_t>(((c >> 5) & 63) * 255 / 63);
  auto b = static_cast<std::uint8_t>((c & 31) * 255 / 31);
  return {b, g, r, 255};
}

std::uint8_t Mix(std::uint8_t x, std::uint8_t y, int wx, int wy, int total) {
  return static_cast<std::uint8_t>((x * wx + y * wy + total / 2) / total);
}

Bgra Mix(Bgra x, Bgra y, int wx, int wy, int total) {
  return {Mix(x.b, y.b, wx, wy, total), Mix(x.g, y.g, wx, wy, total), Mix(x.r, y.r, wx, wy, total), 255};
}

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// The colour part of a DXT block: two 5:6:5 end points and 2-bit indices.
void DecodeColorBlock(const std::uint8_t* block, bool allowTransparent, Bgra out[16]) {
  std::uint16_t c0 = Read16(block), c1 = Read16(block + 2);
  Bgra palette[4] = {Expand565(c0), Expand565(c1), {}, {}};
  if (c0 > c1 || !allowTransparent) {
    palette[2] = Mix(palette[0], palette[1], 2, 1, 3);
    palette[3] = Mix(palette[0], palette[1], 1, 2, 3);
  } else {
    palette[2] = Mix(palette[0], palette[1], 1, 1, 2);
    palette[3] = {0, 0, 0, 0};
  }
  for (int i = 0; i < 16; ++i) out[i] = palette[(block[4 + i / 4] >> ((i % 4) * 2)) & 3];
}

void DecodeExplicitAlpha(const std::uint8_t* block, Bgra texels[16]) {
  for (int i = 0; i < 16; ++i) {
    int nibble = (block[i / 2] >> ((i % 2) * 4)) & 15;
    texels[i].a = static_cast<std::uint8_t>(nibble * 17);
  }
}

void DecodeInterpolatedAlpha(const std::uint8_t* block, Bgra texels[16]) {
  int a0 = block[0], a1 = block[1];
  int palette[8] = {a0, a1};
  if (a0 > a1) {
    for (int i = 1; i < 7; ++i) palette[i + 1] = ((7 - i) * a0 + i * a1 + 3) / 7;
  } else {
    for (int i = 1; i < 5; ++i) palette[i + 1] = ((5 - i) * a0 + i * a1 + 2) / 5;
    palette[6] = 0;
    palette[7] = 255;
  }
  std::uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
  for (int i = 0; i < 16; ++i) texels[i].a = static_cast<std::uint8_t>(palette[(bits >> (3 * i)) & 7]);
}

}  // namespace

bool IsSupportedTextureFormat(D3DFORMAT format) {
  return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || IsBlockCompressed(format);
}

bool IsBlockCompressed(D3DFORMAT format) {
  return format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
}

UINT RowPitch(D3DFORMAT format, UINT width) {
  if (!IsBlockCompressed(format)) return width * 4;
  UINT blocks = std::max<UINT>(1, (width + 3) / 4);
  return blocks * (format == D3DFMT_DXT1 ? 8 : 16);
}

UINT RowCount(D3DFORMAT format, UINT height) {
  return IsBlockCompressed(format) ? std::max<UINT>(1, (height + 3) / 4) : height;
}

UINT FullMipCount(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
  return levels;
}

std::vector<std::uint8_t> ToBgra8(D3DFORMAT format, UINT width, UINT height, const std::uint8_t* data) {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 4);
  if (!IsBlockCompressed(format)) {
    std::memcpy(out.data(), data, out.size());
    return out;
  }
  UINT blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
  UINT blocksWide = std::max<UINT>(1, (width + 3) / 4), blocksHigh = std::max<UINT>(1, (height + 3) / 4);
  for (UINT by = 0; by < blocksHigh; ++by) {
    for (UINT bx = 0; bx < blocksWide; ++bx) {
      const std::uint8_t* block = data + (static_cast<std::size_t>(by) * blocksWide + bx) * blockBytes;
      Bgra texels[16];
      if (format == D3DFMT_DXT1) {
        DecodeColorBlock(block, true, texels);
      } else {
        DecodeColorBlock(block + 8, false, texels);
        if (format == D3DFMT_DXT3)
          DecodeExplicitAlpha(block, texels);
        else
          DecodeInterpolatedAlpha(block, texels);
      }
      for (UINT i = 0; i < 16; ++i) {
        UINT x = bx * 4 + i % 4, y = by * 4 + i / 4;
        if (x >= width || y >= height) continue;
        std::memcpy(&out[(static_cast<std::size_t>(y) * width + x) * 4], &texels[i], 4);
      }
    }
  }
  return out;
}

}  // namespace compat::d3d9
