// The binary .x format as the twin writer and the text maker both need it:
// the header and a compressed container's blocks, beside the token codes
// the reader uses too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xfile/BinaryTokens.h"

namespace xfileconvert {

using namespace xfile_binary;

constexpr std::size_t kHeaderBytes = 16;
// The largest block of a compressed file, and the dictionary each block is deflated with.
constexpr std::size_t kWindowBytes = 32768;

}  // namespace xfileconvert
