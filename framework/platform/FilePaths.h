// The parts of a Windows file name that the framework takes apart (a
// backslash separates like a slash), and what a name stands for on disk, by
// the platform's rules for file names.
#pragma once

#include <windows.h>

#include <string>

// The folder part of `path` with its final separator; empty for a bare name.
inline std::wstring FolderOf(const std::wstring& path) {
  std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// The name part of `path`, after its last separator.
inline std::wstring FileNameOf(const std::wstring& path) { return path.substr(FolderOf(path).size()); }

// Whether `path` names a folder, or a file that is not one.
inline bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
inline bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
