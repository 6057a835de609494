// _wfopen, _wfopen_s, freopen_s and _wfreopen_s of the Microsoft C runtime,
// with paths by Windows rules and the console's "CONOUT$" and "CONIN$".
// Only a read-only text mode ("r", "rt") drops the CR of CR LF; text written
// or updated keeps LF as is, and a reopened stream is always byte mode. The
// mode letters c, n, N, S, R, T and D are accepted and ignored; a ", ccs="
// encoding is refused (EINVAL).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/Unicode.h"
#include "common/WindowsPath.h"
#include "compat/crt.h"
#include "crt/TextModeFile.h"
#include "win32/Console.h"

namespace {

struct OpenMode {
  std::string hostMode;   // the mode for the host's fopen ("t" and the Windows extras removed)
  bool textRead = false;  // read-only text mode: CR LF reads as LF
  bool valid = false;
};

// Reads a Windows mode string: r/w/a, then any of "+", "b", "t", and the
// Windows flags that change nothing here ("c", "n", "N", "S", "R", "T", "D").
// A ", ccs=" encoding suffix is not supported.
OpenMode ParseMode(std::string_view mode) {
  OpenMode result;
  if (mode.empty() || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) return result;
  bool binary = false, update = false;
  result.hostMode = mode[0];
  for (char c : mode.substr(1)) {
    switch (c) {
      case '+':
        update = true;
        break;
      case 'b':
        binary = true;
        break;
      case 't':
        binary = false;
        break;
      case 'x':
        result.hostMode += 'x';
        break;
      case 'c':
      case 'n':
      case 'N':
      case 'S':
      case 'R':
      case 'T':
      case 'D':
        break;
      default:
        return result;
    }
  }
  if (update) result.hostMode += '+';
  result.textRead = mode[0] == 'r' && !update && !binary;
  result.valid = true;
  return result;
}

std::string ModeFromWide(const wchar_t* mode) {
  std::string narrow;
  for (; *mode; ++mode) narrow += static_cast<unsigned long>(*mode) < 0x80 ? static_cast<char>(*mode) : '?';
  return narrow;
}

// The host path for a Windows file name; the console's names ("CONOUT$")
// lead to its devices once the program has a console.
std::string HostPath(const std::string& utf8Name) {
  if (const char* device = compat::win32::ConsoleDevicePath(utf8Name.c_str())) return device;
  return compat::ResolveWindowsPath(std::string_view(utf8Name));
}

FILE* OpenHost(const std::string& utf8Name, std::string_view mode) {
  OpenMode parsed = ParseMode(mode);
  if (!parsed.valid) {
    errno = EINVAL;
    return nullptr;
  }
  std::string path = HostPath(utf8Name);
  if (!parsed.textRead) return std::fopen(path.c_str(), parsed.hostMode.c_str());
  int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  return compat::OpenTextModeReader(descriptor);
}

// Reopens `old` on another file. A text-mode reader cannot be reopened in place
// (it is a stream of its own kind), so only byte modes reach freopen.
errno_t Reopen(FILE** stream, const std::string& utf8Name, std::string_view mode, FILE* old) {
  if (stream) *stream = nullptr;
  OpenMode parsed = ParseMode(mode);
  if (!old || !parsed.valid) return EINVAL;
  std::string path = HostPath(utf8Name);
  std::fflush(old);
  FILE* result = std::freopen(path.c_str(), parsed.hostMode.c_str(), old);
  if (!result) return errno ? errno : EIO;
  if (stream) *stream = result;
  return 0;
}

}  // namespace

FILE* _wfopen(const wchar_t* fileName, const wchar_t* mode) {
  if (!fileName || !mode) {
    errno = EINVAL;
    return nullptr;
  }
  return OpenHost(compat::ToUtf8(fileName), ModeFromWide(mode));
}

errno_t _wfopen_s(FILE** stream, const wchar_t* fileName, const wchar_t* mode) {
  if (!stream) return EINVAL;
  errno = 0;
  *stream = _wfopen(fileName, mode);
  return *stream ? 0 : (errno ? errno : EIO);
}

errno_t freopen_s(FILE** stream, const char* fileName, const char* mode, FILE* oldStream) {
  if (!fileName || !mode) return EINVAL;
  return Reopen(stream, fileName, mode, oldStream);
}

errno_t _wfreopen_s(FILE** stream, const wchar_t* fileName, const wchar_t* mode, FILE* oldStream) {
  if (!fileName || !mode) return EINVAL;
  return Reopen(stream, compat::ToUtf8(fileName), ModeFromWide(mode), oldStream);
}
