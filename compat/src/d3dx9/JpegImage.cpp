// JPEG through libjpeg-turbo's libjpeg interface. Fatal errors come back from
// the library through longjmp to the setjmp of the step that called it; the
// two steps hold nothing that needs destroying, and whatever lives across
// them is declared in DecodeJpeg (WebAssembly's exceptions cannot share a
// function with setjmp, so the buffer is made between the steps).
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

enum class Step { Done, OutOfRange, Stopped, Fatal };

// Reads the header and, for an image of an accepted size, starts decoding.
Step StartDecoding(jpeg_decompress_struct& info, ErrorHandler& handler, const std::uint8_t* data, std::size_t size) {
  if (setjmp(handler.escape)) return Step::Fatal;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxImageEdge ||
      info.image_height > kMaxImageEdge)
    return Step::OutOfRange;
  info.out_color_space = JCS_EXT_BGRX;  // Direct3D's X8R8G8B8 as it lies in memory
  jpeg_start_decompress(&info);
  return Step::Done;
}

// Decodes every row into `pixels`, output_width * 4 bytes a row.
Step DecodeRows(jpeg_decompress_struct& info, ErrorHandler& handler, std::uint8_t* pixels) {
  if (setjmp(handler.escape)) return Step::Fatal;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels + static_cast<std::size_t>(info.output_scanline) * info.output_width * 4;
    // Only a suspending source stops; ours never should.
    if (jpeg_read_scanlines(&info, &row, 1) != 1) return Step::Stopped;
  }
  jpeg_finish_decompress(&info);
  return Step::Done;
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
  Step step = StartDecoding(info, handler, data, size);
  if (step == Step::Done) {
    level.width = info.output_width;
    level.height = info.output_height;
    level.bytes.resize(static_cast<std::size_t>(level.width) * level.height * 4);
    step = DecodeRows(info, handler, level.bytes.data());
  }
  if (step == Step::OutOfRange)
    error = "image size " + std::to_string(info.image_width) + " x " + std::to_string(info.image_height) +
            " is out of range";
  else if (step == Step::Stopped)
    error = "the JPEG data stops at row " + std::to_string(info.output_scanline);
  else if (step == Step::Fatal)
    error = std::string("the JPEG data cannot be decoded (") + handler.fatal + ")";
  jpeg_destroy_decompress(&info);
  if (step != Step::Done) {
    level = ImageLevel{};
    return false;
  }
  warning = handler.firstWarning;
  return true;
}

}  // namespace compat::d3dx9
