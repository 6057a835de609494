// The code pages that MultiByteToWideChar and WideCharToMultiByte take here:
// UTF-8 (also the process's ANSI page), Shift-JIS as Windows has it (932) and
// Windows-1252. Wide text is one code point per wchar_t. Other pages (CP_OEMCP,
// CP_THREAD_ACP, 437...) are unknown, and the conversions refuse them.
#pragma once

#include <string>
#include <string_view>

namespace compat {

// Whether `codePage` is one of the pages above (CP_ACP counts as UTF-8).
bool KnownCodePage(unsigned codePage);

// Appends the decoded `bytes` to `out`. With `strict`, the first byte
// sequence that the page does not define fails the whole call (false, `out`
// unchanged); otherwise each such sequence decodes to U+FFFD.
bool DecodeCodePage(unsigned codePage, std::string_view bytes, std::wstring& out, bool strict);

// Appends the encoded `text` to `out`; a character the page cannot write
// becomes `replacement` and sets `replaced`.
void EncodeCodePage(unsigned codePage, std::wstring_view text, std::string& out, char replacement, bool& replaced);

}  // namespace compat
