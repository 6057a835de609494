// JPEG through stb_image, for builds without libjpeg-turbo (the Windows
// converter, which Debian's MinGW has no libjpeg for). A sound file decodes
// to the same picture within the decoders' rounding; stb_image says no
// warnings, so a damaged file either decodes as stb_image reads it or fails.
#include <stb_image.h>

#include "d3dx9/JpegImage.h"

namespace compat::d3dx9 {

bool IsJpeg(const std::uint8_t* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, ImageLevel& level, std::string& warning,
                std::string& error) {
  level = ImageLevel{};
  warning.clear();
  int width = 0, height = 0, channels = 0;
  if (size > static_cast<std::size_t>(INT_MAX) ||
      !stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels)) {
    error = std::string("the JPEG data cannot be decoded (") + stbi_failure_reason() + ")";
    return false;
  }
  if (width <= 0 || height <= 0 || static_cast<UINT>(width) > kMaxImageEdge ||
      static_cast<UINT>(height) > kMaxImageEdge) {
    error = "image size " + std::to_string(width) + " x " + std::to_string(height) + " is out of range";
    return false;
  }
  stbi_uc* rgb = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 3);
  if (!rgb) {
    error = std::string("the JPEG data cannot be decoded (") + stbi_failure_reason() + ")";
    return false;
  }
  level.width = static_cast<UINT>(width);
  level.height = static_cast<UINT>(height);
  level.bytes.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  for (std::size_t i = 0, o = 0; o < level.bytes.size(); i += 3, o += 4) {
    level.bytes[o] = rgb[i + 2];  // Direct3D's X8R8G8B8 as it lies in memory: B, G, R, X
    level.bytes[o + 1] = rgb[i + 1];
    level.bytes[o + 2] = rgb[i];
    level.bytes[o + 3] = 0xFF;
  }
  stbi_image_free(rgb);
  return true;
}

}  // namespace compat::d3dx9
