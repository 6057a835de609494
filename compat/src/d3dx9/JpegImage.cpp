// JPEG through libjpeg-turbo's libjpeg interface. Fatal errors come back from
// the library through longjmp to the one setjmp in DecodeJpeg; everything
// that lives across it is declared before it.
#include "d3dx9/JpegImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace compat::d3dx9 {

namespace {

struct ErrorHandler {
  jpeg_error_mgr manager;  // first: libjpeg hands the handler back as this
  std::jmp_buf escape;
  char fatal[JMSG_LENGTH_MAX];
  char firstWarning[JMSG_LENGTH_MAX];
};

void Escape(j_common_ptr info) {
  auto* handler = reinterpret_cast<ErrorHandler*>(info->err);
  info->err->format_message(info, handler->fatal);
  std::longjmp(handler->escape, 1);
}

// Warnings are kept, not printed: the caller says what it did with the file.
void KeepWarning(j_common_ptr info) {
  auto* handler = reinterpret_cast<ErrorHandler*>(info->err);
  if (handler->firstWarning[0] == '\0') info->err->format_message(info, handler->firstWarning);
}

}  // namespace

bool IsJpeg(const std::uint8_t* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, ImageLevel& level, std::string& warning,
                std::string& error) {
  jpeg_decompress_struct info{};
  ErrorHandler handler{};
  info.err = jpeg_std_error(&handler.manager);
  handler.manager.error_exit = Escape;
  handler.manager.output_message = KeepWarning;
  level = ImageLevel{};
  if (setjmp(handler.escape)) {
    jpeg_destroy_decompress(&info);
    level = ImageLevel{};
    error = std::string("the JPEG data cannot be decoded (") + handler.fatal + ")";
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxImageEdge ||
      info.image_height > kMaxImageEdge) {
    error = "image size " + std::to_string(info.image_width) + " x " + std::to_string(info.image_height) +
            " is out of range";
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_EXT_BGRX;  // Direct3D's X8R8G8B8 as it lies in memory
  jpeg_start_decompress(&info);
  level.width = info.output_width;
  level.height = info.output_height;
  level.bytes.resize(static_cast<std::size_t>(level.width) * level.height * 4);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &level.bytes[static_cast<std::size_t>(info.output_scanline) * level.width * 4];
    if (jpeg_read_scanlines(&info, &row, 1) != 1) {  // only a suspending source stops; ours never should
      error = "the JPEG data stops at row " + std::to_string(info.output_scanline);
      jpeg_destroy_decompress(&info);
      level = ImageLevel{};
      return false;
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  warning = handler.firstWarning;
  return true;
}

}  // namespace compat::d3dx9
