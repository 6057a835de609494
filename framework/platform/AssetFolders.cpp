#include "platform/AssetFolders.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

std::vector<std::wstring>& Folders() {
  static std::vector<std::wstring> folders;
  return folders;
}

bool Opens(const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

// The separator the path already uses: '/' on this platform's own paths,
// '\\' on Windows ones.
wchar_t SeparatorOf(const std::wstring& path) {
  return path.find(L'/') != std::wstring::npos && path.find(L'\\') == std::wstring::npos ? L'/' : L'\\';
}

}  // namespace

void AddAssetFolder(const std::wstring& folder) {
  if (!folder.empty()) Folders().push_back(folder);
}

std::wstring FindAsset(const std::wstring& name) {
  if (name.empty() || Opens(name)) return name;
  for (const std::wstring& folder : Folders()) {
    std::wstring candidate = folder + SeparatorOf(folder) + name;
    if (Opens(candidate)) return candidate;
  }
  return name;
}

std::wstring InstalledAssetFolder() {
  std::vector<wchar_t> path(32768);  // the longest path Windows knows
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return {};
  std::wstring folder(path.data(), length);
  // Up from the program file to its folder, and from there to the folder above.
  for (int level = 0; level < 2; ++level) {
    std::size_t slash = folder.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    folder.resize(slash);
  }
  wchar_t separator = SeparatorOf(path.data());
  return folder + separator + L"share" + separator + L"xviewer";
}
