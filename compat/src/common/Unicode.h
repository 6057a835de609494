// Conversions between the platform's wide strings (code points) and UTF-8,
// for the layer's own use (paths, titles, messages). Lenient, unlike
// CP_UTF8 in CodePages.h: FromUtf8 lets overlong forms and surrogates
// through and turns a bad byte into U+FFFD; ToUtf8 writes U+FFFD for a
// surrogate or a value past U+10FFFF.
#pragma once

#include <string>
#include <string_view>

namespace compat {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace compat
