#include "common/WindowsPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "common/Unicode.h"

namespace compat {

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The entry of `folder` that `name` means where it does not exist as written:
// of the entries equal to it ignoring case (only folders where `wantFolder`),
// the first in byte order of their names; `name` itself when none is.
std::string MatchInFolder(const std::string& folder, const std::string& name, bool wantFolder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return name;
  std::string found;
  while (dirent* entry = ::readdir(dir)) {
    const std::string_view candidate = entry->d_name;
    if (!SameNameIgnoringCase(candidate, name) || (!found.empty() && candidate >= found)) continue;
    if (wantFolder && !IsFolder(folder + std::string(candidate))) continue;
    found = candidate;
  }
  ::closedir(dir);
  return found.empty() ? name : found;
}

}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldedCase(static_cast<unsigned char>(x)) == FoldedCase(static_cast<unsigned char>(y));
         });
}

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
    const bool last = i + 1 == parts.size();
    if (part != "." && part != ".." && !Exists(candidate)) candidate = resolved + MatchInFolder(folder, part, !last);
    resolved = candidate;
    if (!last) resolved += '/';
  }
  if (normal.back() == '/' && resolved.back() != '/') resolved += '/';
  return Exists(resolved) ? resolved : normal;
}

std::string ResolveWindowsPath(std::wstring_view path) { return ResolveWindowsPath(ToUtf8(path)); }

}  // namespace compat
