// Decoding JPEG files with libjpeg-turbo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "d3dx9/ImageFile.h"

namespace compat::d3dx9 {

// True when `data` starts with a JPEG start-of-image marker.
bool IsJpeg(const std::uint8_t* data, std::size_t size);

// Decodes level 0 of a JPEG file into `level` as BGRX, top row first. Data
// that libjpeg-turbo reads with a warning (a file that ends early, stray
// bytes between segments) loads as it loads it: what is missing is filled as
// the decoder fills it (mid grey), and `warning` gets the decoder's first
// warning. On failure returns false with `error` saying why.
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, ImageLevel& level, std::string& warning,
                std::string& error);

}  // namespace compat::d3dx9
