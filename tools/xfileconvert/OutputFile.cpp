#include "OutputFile.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace xfileconvert {

namespace {

std::atomic<unsigned> g_TemporaryCount{0};

}  // namespace

std::filesystem::path Utf8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

StagedFiles::~StagedFiles() {
  std::error_code ignored;
  for (const auto& [temporary, place] : staged_) std::filesystem::remove(Utf8Path(temporary), ignored);
}

bool StagedFiles::Stage(const std::string& path, const std::vector<std::string_view>& pieces, std::string& reason) {
  const std::string temporary =
      path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(g_TemporaryCount.fetch_add(1));
#if defined(_WIN32)
  std::FILE* file = _wfopen(Utf8Path(temporary).c_str(), L"wb");
#else
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
#endif
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
  if (!written) {
    std::error_code ignored;
    std::filesystem::remove(Utf8Path(temporary), ignored);
    return false;
  }
  staged_.emplace_back(temporary, path);
  return true;
}

bool StagedFiles::Commit(std::string& reason) {
  // A folder in a file's place is the one failure that can be seen before
  // any file has taken its place.
  for (const auto& [temporary, place] : staged_) {
    std::error_code ignored;
    if (std::filesystem::is_directory(Utf8Path(place), ignored)) {
      reason = std::strerror(EISDIR);
      return false;
    }
  }
  std::size_t placed = 0;
  for (; placed < staged_.size(); ++placed) {
    // The file system's rename replaces a file of that name, on Windows too.
    std::error_code error;
    std::filesystem::rename(Utf8Path(staged_[placed].first), Utf8Path(staged_[placed].second), error);
    if (error) {
      reason = error.message();
      break;
    }
  }
  staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(placed));
  return staged_.empty();
}

bool WriteWholeFile(const std::string& path, const std::vector<std::string_view>& pieces, std::string& reason) {
  StagedFiles file;
  return file.Stage(path, pieces, reason) && file.Commit(reason);
}

}  // namespace xfileconvert
