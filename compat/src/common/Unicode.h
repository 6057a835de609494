// Conversions between the platform's wide strings (code points) and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace compat {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace compat
