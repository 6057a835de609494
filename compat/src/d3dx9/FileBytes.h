// Reading a whole file named by a wide Windows-style path.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace compat::d3dx9 {

// Largest file the loaders read; bounds what one file can make us allocate.
inline constexpr std::size_t kMaxFileBytes = 256u << 20;

// On failure returns false with `error` saying why.
bool ReadFileBytes(LPCWSTR path, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace compat::d3dx9
