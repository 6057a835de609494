// kernel32 and shell32: the module handle, the debugger output (standard
// error on this platform), the last error, the command line, time.
#include <SDL.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/Unicode.h"
#include "win32/CommandLine.h"

namespace {

thread_local DWORD g_lastError = 0;

std::wstring& StoredCommandLine() {
  static std::wstring commandLine;
  return commandLine;
}

// Quotes an argument so that CommandLineToArgvW gives it back unchanged.
std::wstring Quote(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') quoted.append(backslashes * 2 + 1, L'\\');
    else quoted.append(backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

}  // namespace

namespace compat::win32 {

void SetCommandLine(int argc, char** argv) {
  std::wstring line;
  for (int i = 0; i < argc; ++i) {
    if (i) line += L' ';
    line += Quote(compat::FromUtf8(argv[i]));
  }
  StoredCommandLine() = line;
}

}  // namespace compat::win32

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  // The program's own image; named modules are not loaded by this layer.
  if (moduleName) return nullptr;
  return reinterpret_cast<HMODULE>(static_cast<intptr_t>(0x400000));
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  if (module && module != GetModuleHandleW(nullptr)) {
    g_lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  std::error_code error;
  std::wstring path = compat::FromUtf8(std::filesystem::read_symlink("/proc/self/exe", error).string());
  if (error || path.empty()) {
    g_lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  if (!fileName || size == 0) {
    g_lastError = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  if (path.size() >= size) {
    std::wmemcpy(fileName, path.c_str(), size - 1);
    fileName[size - 1] = L'\0';
    g_lastError = ERROR_INSUFFICIENT_BUFFER;
    return size;
  }
  std::wmemcpy(fileName, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

void OutputDebugStringA(LPCSTR text) {
  if (text) std::fputs(text, stderr);
}

void OutputDebugStringW(LPCWSTR text) {
  if (text) std::fputs(compat::ToUtf8(text).c_str(), stderr);
}

// Both code pages convert to UTF-8; a length of -1 takes the text up to and
// including its terminating zero. A buffer too small fails with
// ERROR_INSUFFICIENT_BUFFER, as on Windows.
int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wideText, int wideLength, LPSTR bytes, int byteLength,
                        LPCSTR, LPBOOL usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  if (!wideText || wideLength == 0 || wideLength < -1 || byteLength < 0 || (codePage != CP_ACP && codePage != CP_UTF8)) {
    g_lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  std::wstring_view text = wideLength == -1 ? std::wstring_view(wideText, std::wcslen(wideText) + 1)
                                            : std::wstring_view(wideText, static_cast<std::size_t>(wideLength));
  std::string converted = compat::ToUtf8(text);
  if (byteLength == 0) return static_cast<int>(converted.size());
  if (converted.size() > static_cast<std::size_t>(byteLength)) {
    g_lastError = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  std::memcpy(bytes, converted.data(), converted.size());
  return static_cast<int>(converted.size());
}

DWORD GetLastError() { return g_lastError; }
void SetLastError(DWORD error) { g_lastError = error; }

LPWSTR GetCommandLineW() { return StoredCommandLine().data(); }

// Splits a command line by the rules of the Microsoft C runtime: white space
// separates, quotes group, 2n backslashes before a quote give n and open or
// close quoting, 2n+1 give n and a literal quote.
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argc) {
  if (!argc) return nullptr;
  std::vector<std::wstring> arguments;
  const wchar_t* p = commandLine ? commandLine : L"";
  while (*p) {
    while (*p == L' ' || *p == L'\t') ++p;
    if (!*p) break;
    std::wstring argument;
    bool quoted = false;
    while (*p && (quoted || (*p != L' ' && *p != L'\t'))) {
      std::size_t backslashes = 0;
      while (*p == L'\\') ++backslashes, ++p;
      if (*p == L'"') {
        argument.append(backslashes / 2, L'\\');
        if (backslashes % 2) {
          argument += L'"';
        } else if (quoted && p[1] == L'"') {
          argument += L'"';
          ++p;
        } else {
          quoted = !quoted;
        }
        ++p;
      } else {
        argument.append(backslashes, L'\\');
        if (*p && (quoted || (*p != L' ' && *p != L'\t'))) argument += *p++;
      }
    }
    arguments.push_back(argument);
  }
  // One block: the pointer array, then the strings; LocalFree releases it.
  std::size_t bytes = (arguments.size() + 1) * sizeof(LPWSTR);
  for (auto& argument : arguments) bytes += (argument.size() + 1) * sizeof(wchar_t);
  auto* block = static_cast<unsigned char*>(std::malloc(bytes));
  if (!block) return nullptr;
  auto** pointers = reinterpret_cast<LPWSTR*>(block);
  auto* text = reinterpret_cast<wchar_t*>(block + (arguments.size() + 1) * sizeof(LPWSTR));
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    pointers[i] = text;
    std::memcpy(text, arguments[i].c_str(), (arguments[i].size() + 1) * sizeof(wchar_t));
    text += arguments[i].size() + 1;
  }
  pointers[arguments.size()] = nullptr;
  *argc = static_cast<int>(arguments.size());
  return pointers;
}

HLOCAL LocalFree(HLOCAL memory) {
  std::free(memory);
  return nullptr;
}

DWORD GetTickCount() { return SDL_GetTicks(); }
void Sleep(DWORD milliseconds) { SDL_Delay(milliseconds); }
