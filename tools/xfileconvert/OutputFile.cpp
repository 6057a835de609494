#include "OutputFile.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace xfileconvert {

namespace {

std::atomic<unsigned> g_TemporaryCount{0};

}  // namespace

bool WriteWholeFile(const std::string& path, const std::vector<std::string_view>& pieces, std::string& reason) {
  const std::string temporary =
      path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(g_TemporaryCount.fetch_add(1));
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    reason = std::strerror(errno);
    return false;
  }
  bool written = true;
  for (std::string_view piece : pieces)
    if (!piece.empty() && std::fwrite(piece.data(), 1, piece.size(), file) != piece.size()) written = false;
  const int error = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    reason = std::strerror(errno);
  } else if (!written) {
    reason = std::strerror(error);
  }
  if (written && std::rename(temporary.c_str(), path.c_str()) != 0) {
    written = false;
    reason = std::strerror(errno);
  }
  if (!written) std::remove(temporary.c_str());
  return written;
}

}  // namespace xfileconvert
