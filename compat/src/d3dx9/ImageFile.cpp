#include "d3dx9/ImageFile.h"

#include <stb_image.h>

#include <algorithm>
#include <cstring>

#include "d3d9/PixelFormats.h"
#include "d3dx9/JpegImage.h"

namespace compat::d3dx9 {

namespace {

using compat::d3d9::FullMipCount;
using compat::d3d9::LevelSize;
using compat::d3d9::MipSize;

std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Box-filters a BGRA level to half size (an odd edge keeps its last texel).
ImageLevel HalveBgra(const ImageLevel& source) {
  ImageLevel out;
  out.width = std::max<UINT>(1, source.width / 2);
  out.height = std::max<UINT>(1, source.height / 2);
  out.bytes.resize(static_cast<std::size_t>(out.width) * out.height * 4);
  for (UINT y = 0; y < out.height; ++y) {
    for (UINT x = 0; x < out.width; ++x) {
      UINT x0 = std::min(source.width - 1, x * 2), x1 = std::min(source.width - 1, x * 2 + 1);
      UINT y0 = std::min(source.height - 1, y * 2), y1 = std::min(source.height - 1, y * 2 + 1);
      for (int c = 0; c < 4; ++c) {
        auto at = [&](UINT sx, UINT sy) {
          return source.bytes[(static_cast<std::size_t>(sy) * source.width + sx) * 4 + c];
        };
        int sum = at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1);
        out.bytes[(static_cast<std::size_t>(y) * out.width + x) * 4 + c] =
            static_cast<std::uint8_t>((sum + 2) / 4);
      }
    }
  }
  return out;
}

void CompleteChain(DecodedImage& image) {
  UINT wanted = FullMipCount(image.levels[0].width, image.levels[0].height);
  while (image.levels.size() < wanted) image.levels.push_back(HalveBgra(image.levels.back()));
}

bool StartsWith(const std::vector<std::uint8_t>& file, const char* magic) {
  std::size_t size = std::strlen(magic);
  return file.size() >= size && std::memcmp(file.data(), magic, size) == 0;
}

// TGA has no signature, so stb_image tries it after every format that has
// one; the header is taken as a TGA's only where stb_image would take it.
bool IsTga(const std::vector<std::uint8_t>& file) {
  for (const char* magic : {"\x89PNG", "BM", "GIF8", "8BPS", "\x53\x80\xF6\x34", "P5", "P6", "#?"})
    if (StartsWith(file, magic)) return false;
  if (file.size() < 18) return false;
  std::uint8_t mapType = file[1], imageType = file[2], bits = file[16];
  if (mapType > 1) return false;
  if (mapType == 1) return (imageType == 1 || imageType == 9) && (bits == 8 || bits == 16);
  return (imageType == 2 || imageType == 3 || imageType == 10 || imageType == 11) &&
         (bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32);
}

// A TGA whose descriptor declares no alpha bits holds padding in its fourth
// byte, often zero: stb_image reads it as alpha all the same.
bool IsTgaWithoutAlpha(const std::vector<std::uint8_t>& file) { return IsTga(file) && (file[17] & 0x0F) == 0; }

bool DecodeWithStb(const std::vector<std::uint8_t>& file, DecodedImage& out, std::string& error) {
  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &channels)) {
    const char* reason = stbi_failure_reason();
    error = std::string("not an image file that can be read (") + (reason ? reason : "unknown format") + ")";
    return false;
  }
  if (width <= 0 || height <= 0 || static_cast<UINT>(width) > kMaxImageEdge ||
      static_cast<UINT>(height) > kMaxImageEdge) {
    error = "image size " + std::to_string(width) + " x " + std::to_string(height) + " is out of range";
    return false;
  }
  stbi_uc* rgba =
      stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &channels, 4);
  if (!rgba) {
    const char* reason = stbi_failure_reason();
    error = std::string("the image data is damaged (") + (reason ? reason : "decode failed") + ")";
    return false;
  }
  ImageLevel level;
  level.width = static_cast<UINT>(width);
  level.height = static_cast<UINT>(height);
  level.bytes.resize(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < level.bytes.size(); i += 4) {
    level.bytes[i + 0] = rgba[i + 2];
    level.bytes[i + 1] = rgba[i + 1];
    level.bytes[i + 2] = rgba[i + 0];
    level.bytes[i + 3] = rgba[i + 3];
  }
  stbi_image_free(rgba);
  bool hasAlpha = (channels == 4 || channels == 2) && !IsTgaWithoutAlpha(file);
  if (!hasAlpha)
    for (std::size_t i = 3; i < level.bytes.size(); i += 4) level.bytes[i] = 255;
  out.format = hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  out.levels.push_back(std::move(level));
  CompleteChain(out);
  return true;
}

bool DecodeWithLibjpeg(const std::vector<std::uint8_t>& file, DecodedImage& out, std::string& error) {
  ImageLevel level;
  if (!DecodeJpeg(file.data(), file.size(), level, out.warning, error)) return false;
  out.format = D3DFMT_X8R8G8B8;
  out.levels.push_back(std::move(level));
  CompleteChain(out);
  return true;
}

// DDS: "DDS " and a 124-byte header, then the levels one after another.
constexpr std::size_t kDdsHeaderEnd = 4 + 124;
constexpr std::uint32_t kDdsMipCount = 0x20000;
constexpr std::uint32_t kPixelAlpha = 0x1, kPixelFourCC = 0x4, kPixelRgb = 0x40, kPixelLuminance = 0x20000;

// Extracts the channel under `mask` from `pixel` as 8 bits.
std::uint8_t Channel(std::uint32_t pixel, std::uint32_t mask, std::uint8_t absent) {
  if (mask == 0) return absent;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  std::uint32_t max = mask >> shift;
  std::uint32_t value = (pixel & mask) >> shift;
  return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
}

bool DecodeDds(const std::vector<std::uint8_t>& file, DecodedImage& out, std::string& error) {
  if (file.size() < kDdsHeaderEnd || Read32(&file[4]) != 124) {
    error = "DDS header is truncated or has a wrong size";
    return false;
  }
  const std::uint8_t* h = &file[4];
  std::uint32_t flags = Read32(h + 4), height = Read32(h + 8), width = Read32(h + 12);
  std::uint32_t mipCount = (flags & kDdsMipCount) ? Read32(h + 24) : 1;
  const std::uint8_t* pf = h + 72;
  std::uint32_t pfFlags = Read32(pf + 4), fourCC = Read32(pf + 8), bitCount = Read32(pf + 12);
  std::uint32_t rMask = Read32(pf + 16), gMask = Read32(pf + 20), bMask = Read32(pf + 24),
                aMask = Read32(pf + 28);
  std::uint32_t caps2 = Read32(h + 108);
  if (width == 0 || height == 0 || width > kMaxImageEdge || height > kMaxImageEdge) {
    error = "DDS size " + std::to_string(width) + " x " + std::to_string(height) + " is out of range";
    return false;
  }
  if (caps2 & 0x200) {
    error = "cube map DDS files are not supported for 2D textures";
    return false;
  }
  if (caps2 & 0x200000) {
    error = "volume DDS files are not supported for 2D textures";
    return false;
  }
  if (mipCount == 0) mipCount = 1;
  mipCount = std::min(mipCount, FullMipCount(width, height));

  std::size_t offset = kDdsHeaderEnd;
  if (pfFlags & kPixelFourCC) {
    auto format = static_cast<D3DFORMAT>(fourCC);
    if (format != D3DFMT_DXT1 && format != D3DFMT_DXT3 && format != D3DFMT_DXT5) {
      char code[5] = {static_cast<char>(fourCC), static_cast<char>(fourCC >> 8),
                      static_cast<char>(fourCC >> 16), static_cast<char>(fourCC >> 24), 0};
      for (char& c : code)
        if (c && (c < 32 || c > 126)) c = '?';
      error = std::string("DDS format '") + code + "' is not supported (DXT1, DXT3, DXT5 or uncompressed)";
      return false;
    }
    out.format = format;
    for (UINT level = 0; level < mipCount; ++level) {
      ImageLevel l{MipSize(width, level), MipSize(height, level), {}};
      std::size_t size = LevelSize(format, l.width, l.height);
      if (file.size() - offset < size) {
        error = "DDS data ends inside mip level " + std::to_string(level);
        return false;
      }
      l.bytes.assign(file.begin() + static_cast<std::ptrdiff_t>(offset),
                     file.begin() + static_cast<std::ptrdiff_t>(offset + size));
      offset += size;
      out.levels.push_back(std::move(l));
    }
    if (out.levels.size() < FullMipCount(width, height)) {
      // The missing small levels are made from the decoded image.
      DecodedImage expanded;
      expanded.format = D3DFMT_A8R8G8B8;
      for (const ImageLevel& l : out.levels)
        expanded.levels.push_back(
            {l.width, l.height, compat::d3d9::ToBgra8(format, l.width, l.height, l.bytes.data())});
      CompleteChain(expanded);
      out = std::move(expanded);
    }
    return true;
  }

  if (!(pfFlags & (kPixelRgb | kPixelLuminance)) ||
      (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)) {
    error = "DDS pixel format is not supported (flags " + std::to_string(pfFlags) + ", " +
            std::to_string(bitCount) + " bits)";
    return false;
  }
  bool hasAlpha = (pfFlags & kPixelAlpha) && aMask != 0;
  bool luminance = (pfFlags & kPixelLuminance) != 0;
  out.format = hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  UINT bytesPerPixel = bitCount / 8;
  for (UINT level = 0; level < mipCount; ++level) {
    ImageLevel l{MipSize(width, level), MipSize(height, level), {}};
    std::size_t size = static_cast<std::size_t>(l.width) * l.height * bytesPerPixel;
    if (file.size() - offset < size) {
      error = "DDS data ends inside mip level " + std::to_string(level);
      return false;
    }
    l.bytes.resize(static_cast<std::size_t>(l.width) * l.height * 4);
    for (std::size_t i = 0; i < static_cast<std::size_t>(l.width) * l.height; ++i) {
      std::uint32_t pixel = 0;
      for (UINT b = 0; b < bytesPerPixel; ++b)
        pixel |= static_cast<std::uint32_t>(file[offset + i * bytesPerPixel + b]) << (8 * b);
      std::uint8_t r = Channel(pixel, rMask, 0);
      l.bytes[i * 4 + 0] = luminance ? r : Channel(pixel, bMask, 0);
      l.bytes[i * 4 + 1] = luminance ? r : Channel(pixel, gMask, 0);
      l.bytes[i * 4 + 2] = r;
      l.bytes[i * 4 + 3] = hasAlpha ? Channel(pixel, aMask, 255) : 255;
    }
    offset += size;
    out.levels.push_back(std::move(l));
  }
  CompleteChain(out);
  return true;
}

}  // namespace

bool DecodeImageFile(const std::vector<std::uint8_t>& file, DecodedImage& out, std::string& error) {
  out = DecodedImage{};
  bool ok = false;
  if (file.size() >= 4 && std::memcmp(file.data(), "DDS ", 4) == 0)
    ok = DecodeDds(file, out, error);
  else if (IsJpeg(file.data(), file.size()))
    ok = DecodeWithLibjpeg(file, out, error);
  else
    ok = DecodeWithStb(file, out, error);
  if (!ok) out = DecodedImage{};
  return ok;
}

}  // namespace compat::d3dx9
