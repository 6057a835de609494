// Windows path rules for the layer's file functions: a backslash separates
// like a slash, repeated separators count once, and a name that does not
// exist as written is matched case-insensitively in its folder (the first
// entry that matches wins). Drive letters, UNC names and the trailing dots
// and spaces that Windows strips are not handled.
#pragma once

#include <string>
#include <string_view>

namespace compat {

// The host path to open for a Windows-style wide path. When no file matches,
// the normalised path is returned so that opening it fails as usual.
std::string ResolveWindowsPath(std::wstring_view path);
std::string ResolveWindowsPath(std::string_view utf8Path);

}  // namespace compat
