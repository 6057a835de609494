#include "TextureImages.h"

#include <stb_image_write.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "OutputFile.h"
#include "d3d9/PixelFormats.h"
#include "d3dx9/ImageFile.h"
#include "d3dx9/JpegImage.h"

namespace xfileconvert {

namespace {

bool IsPng(const std::vector<std::uint8_t>& file) {
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return file.size() >= 8 && std::memcmp(file.data(), kSignature, 8) == 0;
}

void AppendBytes(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

}  // namespace

bool LoadTextureImage(const std::string& path, TextureImage& image, std::string& reason) {
  std::ifstream in(Utf8Path(path), std::ios::binary);
  if (!in) {
    reason = "the file cannot be opened";
    return false;
  }
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return TextureImageOf(file, image, reason);
}

bool TextureImageOf(const std::vector<std::uint8_t>& file, TextureImage& image, std::string& reason) {
  compat::d3dx9::DecodedImage decoded;
  if (!compat::d3dx9::DecodeImageFile(file, decoded, reason)) return false;

  const compat::d3dx9::ImageLevel& level = decoded.levels.front();
  std::vector<std::uint8_t> bgra =
      decoded.format == D3DFMT_A8R8G8B8 || decoded.format == D3DFMT_X8R8G8B8
          ? level.bytes
          : compat::d3d9::ToBgra8(decoded.format, level.width, level.height, level.bytes.data());
  image.hasAlpha = decoded.format == D3DFMT_A8R8G8B8 || decoded.format == D3DFMT_DXT3 || decoded.format == D3DFMT_DXT5;
  if (decoded.format == D3DFMT_DXT1)
    for (std::size_t i = 3; i < bgra.size() && !image.hasAlpha; i += 4) image.hasAlpha = bgra[i] < 255;

  const bool sound = decoded.warning.empty();
  if (sound && IsPng(file)) {
    image.bytes.assign(file.begin(), file.end());
    image.mimeType = "image/png";
    return true;
  }
  if (sound && compat::d3dx9::IsJpeg(file.data(), file.size())) {
    image.bytes.assign(file.begin(), file.end());
    image.mimeType = "image/jpeg";
    return true;
  }
  // Everything else is written again as PNG: RGBA where it has alpha, else RGB.
  const int channels = image.hasAlpha ? 4 : 3;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(level.width) * level.height * channels);
  for (std::size_t i = 0, o = 0; i + 3 < bgra.size(); i += 4, o += static_cast<std::size_t>(channels)) {
    pixels[o] = bgra[i + 2];
    pixels[o + 1] = bgra[i + 1];
    pixels[o + 2] = bgra[i];
    if (channels == 4) pixels[o + 3] = bgra[i + 3];
  }
  image.bytes.clear();
  const int width = static_cast<int>(level.width), height = static_cast<int>(level.height);
  if (!stbi_write_png_to_func(AppendBytes, &image.bytes, width, height, channels, pixels.data(), width * channels)) {
    reason = "it cannot be written as PNG";
    return false;
  }
  image.mimeType = "image/png";
  return true;
}

}  // namespace xfileconvert
