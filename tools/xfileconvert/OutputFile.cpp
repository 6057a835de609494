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

StreamedFile::~StreamedFile() {
  if (!file_) return;
  std::fclose(file_);
  std::error_code ignored;
  std::filesystem::remove(Utf8Path(temporary_), ignored);
}

bool StreamedFile::Open(const std::string& path, std::string& reason) {
  path_ = path;
  temporary_ = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(g_TemporaryCount.fetch_add(1));
#if defined(_WIN32)
  file_ = _wfopen(Utf8Path(temporary_).c_str(), L"wb");
#else
  file_ = std::fopen(temporary_.c_str(), "wb");
#endif
  if (!file_) reason = std::strerror(errno);
  return file_ != nullptr;
}

void StreamedFile::Write(std::string_view piece) {
  if (!file_ || error_ || piece.empty()) return;
  if (std::fwrite(piece.data(), 1, piece.size(), file_) != piece.size()) error_ = errno ? errno : EIO;
}

void StreamedFile::Patch(std::uint64_t offset, std::string_view bytes) {
  if (!file_ || error_) return;
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
    error_ = errno ? errno : EIO;
    return;
  }
  Write(bytes);
  if (std::fseek(file_, 0, SEEK_END) != 0 && !error_) error_ = errno ? errno : EIO;
}

bool StreamedFile::Stage(StagedFiles& files, std::string& reason) {
  if (!file_) return false;
  const int closed = std::fclose(file_);
  file_ = nullptr;
  if (!error_ && closed != 0) error_ = errno ? errno : EIO;
  if (error_) {
    reason = std::strerror(error_);
    std::error_code ignored;
    std::filesystem::remove(Utf8Path(temporary_), ignored);
    return false;
  }
  files.staged_.emplace_back(temporary_, path_);
  return true;
}

bool StagedFiles::Stage(const std::string& path, const std::vector<std::string_view>& pieces, std::string& reason) {
  StreamedFile file;
  if (!file.Open(path, reason)) return false;
  for (std::string_view piece : pieces) file.Write(piece);
  return file.Stage(*this, reason);
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
