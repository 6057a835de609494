// The parts of a Windows file name that the framework takes apart: a
// backslash separates like a slash.
#pragma once

#include <string>

// The folder part of `path` with its final separator; empty for a bare name.
inline std::wstring FolderOf(const std::wstring& path) {
  std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// The name part of `path`, after its last separator.
inline std::wstring FileNameOf(const std::wstring& path) { return path.substr(FolderOf(path).size()); }
