// Image files into texture levels: stb formats, DDS, DXT blocks; no GL needed.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <cstring>

#include "d3d9/PixelFormats.h"
#include "d3dx9/ImageFile.h"
#include "support/ImageFiles.h"

namespace {

using compat::d3dx9::DecodedImage;
using compat::d3dx9::DecodeImageFile;
using testimages::Rgba;

std::string Decode(const std::vector<std::uint8_t>& file, DecodedImage& image) {
  std::string error;
  return DecodeImageFile(file, image, error) ? "" : error;
}

TEST(ImageFile, PngRowsStayTopFirstAsBgraWithAFullChain) {
  // 4 x 2: top row red, bottom row blue, alpha 128 in the top-left texel.
  std::vector<Rgba> pixels(8, Rgba{0, 0, 255, 255});
  for (int x = 0; x < 4; ++x) pixels[x] = {255, 0, 0, 255};
  pixels[0].a = 128;
  DecodedImage image;
  ASSERT_EQ(Decode(testimages::Png(4, 2, pixels), image), "");
  EXPECT_EQ(image.format, D3DFMT_A8R8G8B8);
  ASSERT_EQ(image.levels.size(), 3u);  // 4x2, 2x1, 1x1
  EXPECT_EQ(image.levels[1].width, 2u);
  EXPECT_EQ(image.levels[1].height, 1u);
  EXPECT_EQ(image.levels[2].width, 1u);
  const auto& top = image.levels[0].bytes;
  EXPECT_EQ(std::vector<int>(top.begin(), top.begin() + 4), (std::vector<int>{0, 0, 255, 128}));  // B G R A
  EXPECT_EQ(std::vector<int>(top.begin() + 16, top.begin() + 20), (std::vector<int>{255, 0, 0, 255}));
  // Level 1 averages 2 x 2 blocks: half red, half blue.
  EXPECT_EQ(image.levels[1].bytes[0], 128);
  EXPECT_EQ(image.levels[1].bytes[2], 128);
}

TEST(ImageFile, OpaqueFormatsBecomeX8R8G8B8) {
  std::vector<Rgba> pixels(4, Rgba{10, 20, 30, 255});
  DecodedImage image;
  ASSERT_EQ(Decode(testimages::Bmp(2, 2, pixels), image), "");
  EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(image.levels[0].bytes[0], 30);
}

// Every alpha byte of every level.
std::vector<int> Alphas(const DecodedImage& image) {
  std::vector<int> alphas;
  for (const auto& level : image.levels)
    for (std::size_t i = 3; i < level.bytes.size(); i += 4) alphas.push_back(level.bytes[i]);
  return alphas;
}

// Images without alpha must sample alpha 1, whatever their padding bytes
// hold, or the textured pass cuts them away.
TEST(ImageFile, ImagesWithoutAlphaAreOpaque) {
  // Padding of zero where the alpha byte would be.
  std::vector<Rgba> pixels = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}, {1, 2, 3, 0}};
  struct Case {
    const char* what;
    std::vector<std::uint8_t> file;
    D3DFORMAT format;
  } cases[] = {
      {"24-bit BMP", testimages::Bmp(2, 2, pixels), D3DFMT_X8R8G8B8},
      {"X8R8G8B8 DDS", testimages::DdsXrgb(2, 2, pixels), D3DFMT_X8R8G8B8},
      {"TGA declaring no alpha bits", testimages::Tga(2, 2, pixels, 0), D3DFMT_X8R8G8B8},
      {"32-bit BMP whose alpha is all zero", testimages::Bmp32(2, 2, pixels), D3DFMT_A8R8G8B8},
  };
  for (const Case& c : cases) {
    DecodedImage image;
    ASSERT_EQ(Decode(c.file, image), "") << c.what;
    EXPECT_EQ(image.format, c.format) << c.what;
    EXPECT_EQ(Alphas(image), std::vector<int>(Alphas(image).size(), 255)) << c.what;
    EXPECT_EQ(image.levels[0].bytes[2], 10) << c.what << ": red of the top-left texel";
  }

  // Alpha that the file declares is kept, even all zero.
  DecodedImage image;
  ASSERT_EQ(Decode(testimages::Tga(2, 2, pixels, 8), image), "");
  EXPECT_EQ(image.format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(image.levels[0].bytes[3], 0);
  pixels[3].a = 200;
  ASSERT_EQ(Decode(testimages::Bmp32(2, 2, pixels), image), "");
  EXPECT_EQ(image.levels[0].bytes[15], 200);
  EXPECT_EQ(image.levels[0].bytes[3], 0);
}

// Within the loss of JPEG coding.
bool Near(const std::uint8_t* bgra, int b, int g, int r) {
  return std::abs(bgra[0] - b) <= 6 && std::abs(bgra[1] - g) <= 6 && std::abs(bgra[2] - r) <= 6 && bgra[3] == 255;
}

TEST(ImageFile, JpegRowsStayTopFirst) {
  // 16 x 16: the top half orange, the bottom half teal.
  std::vector<Rgba> pixels(256, Rgba{0, 128, 128, 255});
  for (int i = 0; i < 128; ++i) pixels[i] = {240, 120, 0, 255};
  DecodedImage image;
  ASSERT_EQ(Decode(testimages::Jpeg(16, 16, pixels, 95), image), "");
  EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(image.levels.size(), 5u);
  EXPECT_TRUE(image.warning.empty()) << image.warning;
  const auto& bytes = image.levels[0].bytes;
  EXPECT_TRUE(Near(&bytes[0], 0, 120, 240));
  EXPECT_TRUE(Near(&bytes[(15 * 16 + 15) * 4], 128, 128, 0));
}

// Textures of models in the wild often end early; common decoders read them
// with a warning, and so do we: the rows that are there, then mid grey where
// libjpeg-turbo fills the missing blocks.
TEST(ImageFile, JpegThatEndsEarlyLoadsAsFarAsItGoes) {
  std::vector<Rgba> pixels(64 * 64, Rgba{200, 40, 40, 255});
  auto file = testimages::Jpeg(64, 64, pixels, 95);
  // The entropy-coded data follows the start-of-scan segment; keep a third of it.
  std::size_t scan = 0;
  for (std::size_t i = 0; i + 3 < file.size() && !scan; ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) scan = i + 2 + (file[i + 2] << 8 | file[i + 3]);
  ASSERT_NE(scan, 0u);
  file.resize(scan + (file.size() - scan) / 3);

  DecodedImage image;
  ASSERT_EQ(Decode(file, image), "");
  EXPECT_NE(image.warning.find("Premature end of JPEG file"), std::string::npos) << image.warning;
  ASSERT_EQ(image.levels[0].width, 64u);
  ASSERT_EQ(image.levels[0].height, 64u);
  const auto& bytes = image.levels[0].bytes;
  EXPECT_TRUE(Near(&bytes[0], 40, 40, 200));
  for (std::size_t at = 63 * 64 * 4; at < bytes.size(); at += 4)
    ASSERT_EQ(std::vector<int>(bytes.begin() + at, bytes.begin() + at + 4), (std::vector<int>{128, 128, 128, 255}))
        << "texel " << at / 4 % 64 << " of the last row";
}

TEST(ImageFile, UncompressedDdsReadsMasksAndCompletesTheChain) {
  std::vector<Rgba> pixels = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {1, 2, 3, 4}};
  DecodedImage image;
  ASSERT_EQ(Decode(testimages::DdsArgb(2, 2, pixels, 1), image), "");
  EXPECT_EQ(image.format, D3DFMT_A8R8G8B8);
  ASSERT_EQ(image.levels.size(), 2u);
  const auto& b = image.levels[0].bytes;
  EXPECT_EQ(std::vector<int>(b.begin(), b.begin() + 8), (std::vector<int>{0, 0, 255, 255, 0, 255, 0, 255}));
  EXPECT_EQ(std::vector<int>(b.begin() + 12, b.end()), (std::vector<int>{3, 2, 1, 4}));
}

TEST(ImageFile, DxtKeepsItsBlocksWhenTheFileHasTheWholeChain) {
  DecodedImage image;
  ASSERT_EQ(Decode(testimages::DdsDxt1Solid(4, 4, 0xF800, 3), image), "");  // 4x4, 2x2, 1x1
  EXPECT_EQ(image.format, D3DFMT_DXT1);
  ASSERT_EQ(image.levels.size(), 3u);
  EXPECT_EQ(image.levels[0].bytes.size(), 8u);
  EXPECT_EQ(image.levels[2].bytes.size(), 8u);
}

TEST(ImageFile, DxtWithMissingLevelsIsExpandedToBgra) {
  DecodedImage image;
  ASSERT_EQ(Decode(testimages::DdsDxt1Solid(8, 4, 0x07E0, 1), image), "");
  EXPECT_EQ(image.format, D3DFMT_A8R8G8B8);
  ASSERT_EQ(image.levels.size(), 4u);
  EXPECT_EQ(std::vector<int>(image.levels[3].bytes.begin(), image.levels[3].bytes.end()),
            (std::vector<int>{0, 255, 0, 255}));
}

TEST(ImageFile, DxtBlocksDecode) {
  // DXT1 with c0 < c1: index 3 is transparent black, index 2 the midpoint.
  std::uint8_t dxt1[8] = {0x00, 0x00, 0xFF, 0xFF, 0b11100100, 0, 0, 0};
  auto texels = compat::d3d9::ToBgra8(D3DFMT_DXT1, 4, 4, dxt1);
  EXPECT_EQ(std::vector<int>(texels.begin(), texels.begin() + 16),
            (std::vector<int>{0, 0, 0, 255, 255, 255, 255, 255, 128, 128, 128, 255, 0, 0, 0, 0}));
  // DXT5: alpha end points 255 and 0 with 8 steps; texel 1 uses index 1 (0).
  std::uint8_t dxt5[16] = {255, 0, 0b00001000, 0, 0, 0, 0, 0, 0x1F, 0x00, 0x1F, 0x00, 0, 0, 0, 0};
  texels = compat::d3d9::ToBgra8(D3DFMT_DXT5, 4, 4, dxt5);
  EXPECT_EQ(texels[0], 255);  // blue
  EXPECT_EQ(texels[3], 255);  // alpha index 0
  EXPECT_EQ(texels[7], 0);    // alpha index 1
  // DXT3: explicit 4-bit alpha.
  std::uint8_t dxt3[16] = {0x0F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  texels = compat::d3d9::ToBgra8(D3DFMT_DXT3, 4, 4, dxt3);
  EXPECT_EQ(texels[3], 255);
  EXPECT_EQ(texels[7], 0);
}

TEST(ImageFile, DamagedFilesAreRefusedWithAReason) {
  struct Case {
    std::vector<std::uint8_t> file;
    const char* reason;
  };
  auto truncated = testimages::DdsDxt1Solid(8, 8, 0, 4);
  truncated.resize(truncated.size() - 4);
  auto huge = testimages::DdsArgb(2, 2, std::vector<Rgba>(4), 1);
  std::uint32_t edge = 1u << 30;
  std::memcpy(&huge[4 + 12], &edge, 4);
  auto unknownCode = testimages::DdsDxt1Solid(4, 4, 0, 1);
  std::memcpy(&unknownCode[4 + 72 + 8], "ATI2", 4);
  auto png = testimages::Png(4, 4, std::vector<Rgba>(16));
  png.resize(png.size() / 2);
  auto headerOnly = testimages::Jpeg(8, 8, std::vector<Rgba>(64), 90);
  headerOnly.resize(40);
  auto wideJpeg = testimages::Jpeg(8, 8, std::vector<Rgba>(64), 90);
  for (std::size_t i = 0; i + 8 < wideJpeg.size(); ++i)
    if (wideJpeg[i] == 0xFF && wideJpeg[i + 1] == 0xC0) wideJpeg[i + 7] = 0x40, wideJpeg[i + 8] = 0x01;  // 16385
  const Case cases[] = {
      {{}, "not an image file"},
      {{'D', 'D', 'S', ' ', 1, 2}, "DDS header is truncated"},
      {truncated, "DDS data ends inside mip level 3"},
      {huge, "DDS size 1073741824 x 2 is out of range"},
      {unknownCode, "DDS format 'ATI2' is not supported"},
      {png, ""},
      {headerOnly, "the JPEG data cannot be decoded ("},
      {wideJpeg, "image size 16385 x 8 is out of range"},
      {std::vector<std::uint8_t>(100, 0x42), "not an image file"},
  };
  for (const Case& c : cases) {
    DecodedImage image;
    std::string error = Decode(c.file, image);
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_TRUE(image.levels.empty());
  }
}

}  // namespace
