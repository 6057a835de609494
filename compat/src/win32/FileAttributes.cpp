// GetFileAttributesExW over stat(): the folder bit, the read-only bit (no
// write permission for anyone), the three times at the host's resolution and
// the size. Hidden, system and archive bits do not exist here; a file that
// is none of these reads FILE_ATTRIBUTE_NORMAL. The creation time is the
// host's time of the last status change, the nearest it keeps.
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/WindowsPath.h"

namespace {

// Seconds from 1601 to 1970, the two epochs.
constexpr std::uint64_t kEpochDifference = 11644473600ULL;

FILETIME FileTimeOf(const struct timespec& time) {
  const std::uint64_t ticks = (static_cast<std::uint64_t>(time.tv_sec) + kEpochDifference) * 10000000ULL +
                              static_cast<std::uint64_t>(time.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// As Windows tells them apart: a file missing from a folder that exists, or
// a folder on the way that does not.
DWORD ErrorOfMissing(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code error;
  return parent.empty() || std::filesystem::is_directory(parent, error) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

}  // namespace

BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation) {
  if (!fileName || !fileInformation || infoLevel != GetFileExInfoStandard) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string path = compat::ResolveWindowsPath(fileName);
  struct stat status;
  if (stat(path.c_str(), &status) != 0) {
    SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ErrorOfMissing(path));
    return FALSE;
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  std::memset(&data, 0, sizeof(data));
  if (S_ISDIR(status.st_mode)) data.dwFileAttributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
  if (data.dwFileAttributes == 0) data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
  data.ftCreationTime = FileTimeOf(status.st_ctim);
  data.ftLastAccessTime = FileTimeOf(status.st_atim);
  data.ftLastWriteTime = FileTimeOf(status.st_mtim);
  const std::uint64_t size = S_ISDIR(status.st_mode) ? 0 : static_cast<std::uint64_t>(status.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  std::memcpy(fileInformation, &data, sizeof(data));
  return TRUE;
}
