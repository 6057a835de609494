#include "d3dx9/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/WindowsPath.h"

namespace compat::d3dx9 {

bool ReadFileBytes(LPCWSTR path, std::vector<std::uint8_t>& bytes, std::string& error) {
  bytes.clear();
  if (!path) {
    error = "no file name given";
    return false;
  }
  std::string host = ResolveWindowsPath(std::wstring_view(path));
  std::FILE* file = std::fopen(host.c_str(), "rb");
  if (!file) {
    error = std::string("cannot open the file (") + std::strerror(errno) + ")";
    return false;
  }
  std::uint8_t chunk[65536];
  bool ok = true;
  while (std::size_t got = std::fread(chunk, 1, sizeof chunk, file)) {
    if (bytes.size() + got > kMaxFileBytes) {
      error = "the file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB";
      ok = false;
      break;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (ok && std::ferror(file)) {
    error = std::string("cannot read the file (") + std::strerror(errno) + ")";
    ok = false;
  }
  std::fclose(file);
  if (!ok) bytes.clear();
  return ok;
}

}  // namespace compat::d3dx9
