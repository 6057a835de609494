// Small image files made in memory for the texture tests.
#pragma once

#include <stb_image_write.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace testimages {

struct Rgba {
  std::uint8_t r, g, b, a;
};

inline void AppendToVector(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  auto* bytes = static_cast<std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

inline std::vector<std::uint8_t> Png(int width, int height, const std::vector<Rgba>& pixels) {
  std::vector<std::uint8_t> out;
  stbi_write_png_to_func(AppendToVector, &out, width, height, 4, pixels.data(), width * 4);
  return out;
}

inline std::vector<std::uint8_t> Bmp(int width, int height, const std::vector<Rgba>& pixels) {
  std::vector<std::uint8_t> rgb;
  for (const Rgba& p : pixels) rgb.insert(rgb.end(), {p.r, p.g, p.b});
  std::vector<std::uint8_t> out;
  stbi_write_bmp_to_func(AppendToVector, &out, width, height, 3, rgb.data());
  return out;
}

// Baseline JPEG as stb_image_write makes it (no chroma subsampling at
// quality above 90).
inline std::vector<std::uint8_t> Jpeg(int width, int height, const std::vector<Rgba>& pixels, int quality) {
  std::vector<std::uint8_t> out;
  stbi_write_jpg_to_func(AppendToVector, &out, width, height, 4, pixels.data(), quality);
  return out;
}

// Uncompressed true-colour TGA, 32 bits a pixel, top row first, with the
// number of alpha bits its descriptor declares.
inline std::vector<std::uint8_t> Tga(int width, int height, const std::vector<Rgba>& pixels, int alphaBits) {
  std::vector<std::uint8_t> out(18, 0);
  out[2] = 2;
  out[12] = static_cast<std::uint8_t>(width), out[13] = static_cast<std::uint8_t>(width >> 8);
  out[14] = static_cast<std::uint8_t>(height), out[15] = static_cast<std::uint8_t>(height >> 8);
  out[16] = 32;
  out[17] = static_cast<std::uint8_t>(0x20 | (alphaBits & 0x0F));
  for (const Rgba& p : pixels) out.insert(out.end(), {p.b, p.g, p.r, p.a});
  return out;
}

// A 32-bit BMP with the plain 40-byte header (no masks), rows bottom first.
inline std::vector<std::uint8_t> Bmp32(int width, int height, const std::vector<Rgba>& pixels) {
  std::uint32_t dataSize = static_cast<std::uint32_t>(width * height * 4);
  std::vector<std::uint8_t> out(54, 0);
  auto put = [&](std::size_t at, std::uint32_t value) { std::memcpy(&out[at], &value, 4); };
  out[0] = 'B', out[1] = 'M';
  put(2, 54 + dataSize);
  put(10, 54);
  put(14, 40);
  put(18, static_cast<std::uint32_t>(width));
  put(22, static_cast<std::uint32_t>(height));
  out[26] = 1;
  out[28] = 32;
  put(34, dataSize);
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x) {
      const Rgba& p = pixels[static_cast<std::size_t>(y * width + x)];
      out.insert(out.end(), {p.b, p.g, p.r, p.a});
    }
  return out;
}

inline void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  std::memcpy(&out[at], &value, 4);
}

// "DDS " and the 124-byte header; pixel format at 4 + 72.
inline std::vector<std::uint8_t> DdsHeader(std::uint32_t width, std::uint32_t height, std::uint32_t mips) {
  std::vector<std::uint8_t> out(128, 0);
  std::memcpy(out.data(), "DDS ", 4);
  Put32(out, 4, 124);
  Put32(out, 8, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000);
  Put32(out, 12, height);
  Put32(out, 16, width);
  Put32(out, 28, mips);
  Put32(out, 76, 32);
  return out;
}

// A8R8G8B8 with masks, only level 0 present.
inline std::vector<std::uint8_t> DdsArgb(std::uint32_t width, std::uint32_t height,
                                         const std::vector<Rgba>& pixels, std::uint32_t mips) {
  auto out = DdsHeader(width, height, mips);
  Put32(out, 80, 0x41);  // RGB | alpha pixels
  Put32(out, 88, 32);
  Put32(out, 92, 0x00FF0000);
  Put32(out, 96, 0x0000FF00);
  Put32(out, 100, 0x000000FF);
  Put32(out, 104, 0xFF000000);
  for (const Rgba& p : pixels) out.insert(out.end(), {p.b, p.g, p.r, p.a});
  return out;
}

// X8R8G8B8: RGB masks and no alpha pixels; the fourth byte is whatever the
// pixels' alpha says (padding).
inline std::vector<std::uint8_t> DdsXrgb(std::uint32_t width, std::uint32_t height,
                                         const std::vector<Rgba>& pixels) {
  auto out = DdsHeader(width, height, 1);
  Put32(out, 80, 0x40);  // RGB
  Put32(out, 88, 32);
  Put32(out, 92, 0x00FF0000);
  Put32(out, 96, 0x0000FF00);
  Put32(out, 100, 0x000000FF);
  for (const Rgba& p : pixels) out.insert(out.end(), {p.b, p.g, p.r, p.a});
  return out;
}

// DXT1 of one 5:6:5 colour everywhere, `mips` levels.
inline std::vector<std::uint8_t> DdsDxt1Solid(std::uint32_t width, std::uint32_t height,
                                              std::uint16_t color565, std::uint32_t mips) {
  auto out = DdsHeader(width, height, mips);
  Put32(out, 80, 0x4);
  std::memcpy(&out[84], "DXT1", 4);
  for (std::uint32_t level = 0; level < mips; ++level) {
    std::uint32_t w = std::max<std::uint32_t>(1, width >> level),
                  h = std::max<std::uint32_t>(1, height >> level);
    std::uint32_t blocks = std::max<std::uint32_t>(1, (w + 3) / 4) * std::max<std::uint32_t>(1, (h + 3) / 4);
    for (std::uint32_t b = 0; b < blocks; ++b)
      out.insert(out.end(),
                 {static_cast<std::uint8_t>(color565), static_cast<std::uint8_t>(color565 >> 8),
                  static_cast<std::uint8_t>(color565), static_cast<std::uint8_t>(color565 >> 8), 0, 0, 0, 0});
  }
  return out;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testimages
