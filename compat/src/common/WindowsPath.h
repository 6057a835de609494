// Windows path rules for the layer's file functions: a backslash separates
// like a slash, repeated separators count once, and a name that does not
// exist as written is matched ignoring case in its folder. Case is folded
// for ASCII letters only, by this one rule, which CompareStringOrdinal also
// follows ("A" is "a", "Ä" is not "ä"); of several entries that match, the
// first in byte order of their names wins, and a part before the last
// matches only folders. Drive letters, UNC names and the trailing dots and
// spaces that Windows strips are not handled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace compat {

// A character as names are compared ignoring case: ASCII letters as
// capitals, everything else as it is.
constexpr std::uint32_t FoldedCase(std::uint32_t c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

// Whether two UTF-8 names are the same ignoring case, by FoldedCase.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// The host path to open for a Windows-style wide path. When no file matches,
// the normalised path is returned so that opening it fails as usual.
std::string ResolveWindowsPath(std::wstring_view path);
std::string ResolveWindowsPath(std::string_view utf8Path);

}  // namespace compat
