// A texture's image file as a glTF image: read and judged as the viewers'
// texture loader reads it (the layer's own image decoder), so that a file the
// viewers cannot show is left out as they leave it out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xfileconvert {

struct TextureImage {
  std::string bytes;      // a PNG or JPEG file
  std::string mimeType;   // image/png or image/jpeg
  bool hasAlpha = false;  // the viewers cut texels out by its alpha
};

// PNG and JPEG files are kept byte for byte; BMP, TGA, DDS and the other
// formats the viewers read become PNG (the first level of a DDS file), as
// does a PNG or JPEG that only reads with a warning. An image has alpha where
// the viewers' texture has it: a PNG, TGA, BMP or DDS with an alpha channel,
// or a DXT1 DDS with transparent texels. False with `reason` for a file that
// cannot be read or is no image the viewers read.
bool LoadTextureImage(const std::string& path, TextureImage& image, std::string& reason);
// The same of an image file's bytes.
bool TextureImageOf(const std::vector<std::uint8_t>& file, TextureImage& image, std::string& reason);

}  // namespace xfileconvert
