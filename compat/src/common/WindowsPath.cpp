#include "common/WindowsPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cwctype>
#include <vector>

#include "common/Unicode.h"

namespace compat {

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  std::wstring wa = FromUtf8(a), wb = FromUtf8(b);
  if (wa.size() != wb.size()) return false;
  for (std::size_t i = 0; i < wa.size(); ++i)
    if (std::towlower(static_cast<wint_t>(wa[i])) != std::towlower(static_cast<wint_t>(wb[i]))) return false;
  return true;
}

// The entry of `folder` whose name equals `name` ignoring case, or `name`.
std::string MatchInFolder(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return name;
  std::string found = name;
  while (dirent* entry = ::readdir(dir)) {
    if (SameIgnoringCase(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

std::string ResolveWindowsPath(std::string_view utf8Path) {
  // Normalise separators: backslashes become slashes, runs count once.
  std::string normal;
  normal.reserve(utf8Path.size());
  for (char c : utf8Path) {
    if (c == '\\') c = '/';
    if (c == '/' && !normal.empty() && normal.back() == '/') continue;
    normal += c;
  }
  if (normal.empty() || Exists(normal)) return normal;

  // Walk the components, matching each one case-insensitively.
  std::vector<std::string> parts;
  std::size_t start = 0;
  bool absolute = normal.front() == '/';
  while (start <= normal.size()) {
    std::size_t end = normal.find('/', start);
    if (end == std::string::npos) end = normal.size();
    if (end > start) parts.push_back(normal.substr(start, end - start));
    start = end + 1;
  }
  std::string resolved = absolute ? "/" : "";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    std::string folder = resolved.empty() ? "" : resolved;
    std::string candidate = resolved + part;
    if (part != "." && part != ".." && !Exists(candidate)) candidate = resolved + MatchInFolder(folder, part);
    resolved = candidate;
    if (i + 1 < parts.size()) resolved += '/';
  }
  if (normal.back() == '/' && resolved.back() != '/') resolved += '/';
  return Exists(resolved) ? resolved : normal;
}

std::string ResolveWindowsPath(std::wstring_view path) { return ResolveWindowsPath(ToUtf8(path)); }

}  // namespace compat
