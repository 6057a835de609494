// Wide strings of the framework (file, mesh and frame names) as UTF-8 for
// messages on standard error.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

inline std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
  if (length <= 0) return {};
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                      nullptr);
  return bytes;
}
