// kernel32 and shell32: the module handle, the debugger output (standard
// error on this platform), the last error, the command line, time, and the
// code-page conversions (pages: common/CodePages.h).
// Accepted but ignored: WideCharToMultiByte's flags, MultiByteToWideChar's
// flags other than MB_ERR_INVALID_CHARS, FormatMessageA's language and
// arguments (it knows only FORMAT_MESSAGE_FROM_SYSTEM and the codes in its
// table; FORMAT_MESSAGE_ALLOCATE_BUFFER is not supported). GetModuleHandleW
// knows only the program itself. GetTickCount counts the milliseconds of the
// system's steady clock, which does not need SDL: a program that only reads
// files never loads the windowing library.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/CodePages.h"
#include "compat/testing_win32.h"
#include "common/Unicode.h"
#include "win32/CommandLine.h"

namespace {

thread_local DWORD g_lastError = 0;

std::wstring& StoredCommandLine() {
  static std::wstring commandLine;
  return commandLine;
}

std::string& StoredProgramName() {
  static std::string name;
  return name;
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
  std::string program = argc > 0 && argv[0] ? argv[0] : "";
  StoredProgramName() = program.substr(program.find_last_of('/') + 1);
}

const char* ProgramName() { return StoredProgramName().c_str(); }

}  // namespace compat::win32

namespace compat::testing {

void SetCommandLine(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  win32::SetCommandLine(static_cast<int>(argv.size()), argv.data());
}

}  // namespace compat::testing

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

namespace {

// The one road of both code-page conversions: a length of -1 takes the text
// up to and including its terminating zero; an output length of 0 asks for
// the size; a buffer too small fails with ERROR_INSUFFICIENT_BUFFER, as on
// Windows.
template <class From, class To, class Convert>
int ConvertText(UINT codePage, const From* text, int length, To* out, int outLength, Convert convert) {
  if (!text || length == 0 || length < -1 || outLength < 0 || !compat::KnownCodePage(codePage)) {
    g_lastError = ERROR_INVALID_PARAMETER;
    return 0;
  }
  std::basic_string_view<From> view(
      text, length == -1 ? std::char_traits<From>::length(text) + 1 : static_cast<std::size_t>(length));
  std::basic_string<To> converted;
  if (!convert(view, converted)) {
    g_lastError = ERROR_NO_UNICODE_TRANSLATION;
    return 0;
  }
  if (outLength == 0) return static_cast<int>(converted.size());
  if (converted.size() > static_cast<std::size_t>(outLength)) {
    g_lastError = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  std::copy(converted.begin(), converted.end(), out);
  return static_cast<int>(converted.size());
}

}  // namespace

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wideText, int wideLength, LPSTR bytes, int byteLength,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  bool replaced = false;
  int result = ConvertText(codePage, wideText, wideLength, bytes, byteLength,
                           [&](std::wstring_view text, std::string& out) {
                             compat::EncodeCodePage(codePage, text, out, defaultChar ? *defaultChar : '?', replaced);
                             return true;
                           });
  if (usedDefaultChar) *usedDefaultChar = replaced ? TRUE : FALSE;
  return result;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int byteLength, LPWSTR wideText, int wideLength) {
  const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
  return ConvertText(codePage, bytes, byteLength, wideText, wideLength,
                     [&](std::string_view text, std::wstring& out) {
                       return compat::DecodeCodePage(codePage, text, out, strict);
                     });
}

DWORD GetLastError() { return g_lastError; }
void SetLastError(DWORD error) { g_lastError = error; }

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size, va_list*) {
  static const struct {
    DWORD code;
    const char* text;
  } kMessages[] = {
      {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
      {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
      {ERROR_ACCESS_DENIED, "Access is denied."},
      {ERROR_INVALID_HANDLE, "The handle is invalid."},
      {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
      {ERROR_DEVICE_NOT_CONNECTED, "The device is not connected."},
      {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle."},
      {ERROR_CANNOT_FIND_WND_CLASS, "Cannot find window class."},
      {ERROR_CLASS_ALREADY_EXISTS, "Class already exists."},
      {ERROR_INVALID_INDEX, "Invalid index."},
      {ERROR_RESOURCE_TYPE_NOT_FOUND, "The specified resource type cannot be found in the image file."},
  };
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (const auto& message : kMessages) {
    if (message.code != messageId) continue;
    std::string text = std::string(message.text) + "\r\n";
    if (text.size() >= size) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
  }
  SetLastError(ERROR_MR_MID_NOT_FOUND);
  return 0;
}

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

// Wraps after 49.7 days, as on Windows.
DWORD GetTickCount() {
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
