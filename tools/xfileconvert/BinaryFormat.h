// The binary .x format as the writers need it: the header and a compressed
// container's blocks, the token codes the reader uses too, and the
// little-endian numbers tokens are made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "xfile/BinaryTokens.h"

namespace xfileconvert {

using namespace xfile_binary;

constexpr std::size_t kHeaderBytes = 16;
// The largest block of a compressed file, and the dictionary each block is deflated with.
constexpr std::size_t kWindowBytes = 32768;

inline void Put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

inline void Put32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A token that carries bytes: a name or a string.
inline void PutTokenWithBytes(std::string& out, std::uint16_t token, std::string_view bytes) {
  Put16(out, token);
  Put32(out, static_cast<std::uint32_t>(bytes.size()));
  out += bytes;
}

}  // namespace xfileconvert
