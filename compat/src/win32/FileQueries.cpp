// kernel32's file queries: GetFileAttributesW, GetFileAttributesExW,
// FindFirstFileW, FindNextFileW, FindClose, and CompareStringOrdinal, the
// comparison of names by the same rule as the layer's paths
// (common/WindowsPath.h: only ASCII letters fold). Paths follow Windows rules
// as every file function of the layer does.
// Attributes are the folder bit and the read-only bit (no write permission
// for anyone); hidden, system and archive bits do not exist here, and an
// entry that is neither reads FILE_ATTRIBUTE_NORMAL. GetFileAttributesExW
// gives the three times at the host's resolution (the creation time is the
// host's time of the last status change, the nearest it keeps) and the size.
// FindFirstFileW takes a folder's entries ("folder\*"
// or "folder\*.*") or one name without wildcards; other patterns fail with
// ERROR_INVALID_PARAMETER. The entries come in byte order of their UTF-8
// names, "." and ".." first as on Windows; of WIN32_FIND_DATAW only the
// attributes and cFileName are filled (a longer name is cut to MAX_PATH - 1).
#include <dirent.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/Unicode.h"
#include "common/WindowsPath.h"

namespace {

struct FindState {
  std::vector<std::wstring> names;
  std::vector<DWORD> attributes;
  std::size_t next = 0;
};

// The searches handed out and not closed, so that a stale handle fails
// instead of reaching freed memory.
std::mutex& SearchesLock() {
  static std::mutex lock;
  return lock;
}
std::set<FindState*>& Searches() {
  static std::set<FindState*> searches;
  return searches;
}

FindState* LiveSearch(HANDLE find) {
  std::lock_guard<std::mutex> hold(SearchesLock());
  auto found = Searches().find(static_cast<FindState*>(find));
  return found == Searches().end() ? nullptr : *found;
}

DWORD AttributesOfStatus(const struct stat& status) {
  DWORD attributes = 0;
  if (S_ISDIR(status.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD AttributesOf(const std::string& hostPath) {
  struct stat info;
  if (::stat(hostPath.c_str(), &info) != 0) return INVALID_FILE_ATTRIBUTES;
  return AttributesOfStatus(info);
}

// Seconds from 1601 to 1970, the two epochs.
constexpr std::uint64_t kEpochDifference = 11644473600ULL;

FILETIME FileTimeOf(const struct timespec& time) {
  const std::uint64_t ticks = (static_cast<std::uint64_t>(time.tv_sec) + kEpochDifference) * 10000000ULL +
                              static_cast<std::uint64_t>(time.tv_nsec) / 100;
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// As Windows tells them apart: a file missing from a folder that exists, or
// a folder on the way that does not. The folder is found by Windows rules
// too, whatever the case it is written in.
DWORD ErrorOfMissing(std::wstring_view fileName) {
  const std::size_t cut = fileName.find_last_of(L"\\/");
  if (cut == std::wstring_view::npos) return ERROR_FILE_NOT_FOUND;
  struct stat status;
  const std::string folder = compat::ResolveWindowsPath(fileName.substr(0, cut + 1));
  return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                          : ERROR_PATH_NOT_FOUND;
}

bool Fill(FindState& state, LPWIN32_FIND_DATAW data) {
  if (state.next == state.names.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return false;
  }
  *data = WIN32_FIND_DATAW{};
  data->dwFileAttributes = state.attributes[state.next];
  const std::wstring& name = state.names[state.next++];
  const std::size_t length = std::min<std::size_t>(name.size(), MAX_PATH - 1);
  std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length), data->cFileName);
  return true;
}

}  // namespace

DWORD GetFileAttributesW(LPCWSTR fileName) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = AttributesOf(compat::ResolveWindowsPath(std::wstring_view(fileName)));
  if (attributes == INVALID_FILE_ATTRIBUTES) SetLastError(ERROR_FILE_NOT_FOUND);
  return attributes;
}

BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation) {
  if (!fileName || !fileInformation || infoLevel != GetFileExInfoStandard) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string path = compat::ResolveWindowsPath(std::wstring_view(fileName));
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ErrorOfMissing(fileName));
    return FALSE;
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  std::memset(&data, 0, sizeof(data));
  data.dwFileAttributes = AttributesOfStatus(status);
  data.ftCreationTime = FileTimeOf(status.st_ctim);
  data.ftLastAccessTime = FileTimeOf(status.st_atim);
  data.ftLastWriteTime = FileTimeOf(status.st_mtim);
  const std::uint64_t size = S_ISDIR(status.st_mode) ? 0 : static_cast<std::uint64_t>(status.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  std::memcpy(fileInformation, &data, sizeof(data));
  return TRUE;
}

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData) {
  if (!fileName || !findData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::wstring pattern = fileName;
  const std::size_t cut = pattern.find_last_of(L"\\/");
  const std::wstring folder = cut == std::wstring::npos ? std::wstring() : pattern.substr(0, cut + 1);
  const std::wstring name = pattern.substr(folder.size());
  auto state = std::make_unique<FindState>();
  if (name == L"*" || name == L"*.*") {
    const std::string host = compat::ResolveWindowsPath(std::wstring_view(folder.empty() ? L"." : folder));
    DIR* dir = ::opendir(host.c_str());
    if (!dir) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> entries;
    while (dirent* entry = ::readdir(dir)) entries.emplace_back(entry->d_name);
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());
    const std::string prefix = host.empty() || host.back() == '/' ? host : host + "/";
    for (const std::string& entry : entries) {
      state->names.push_back(compat::FromUtf8(entry));
      state->attributes.push_back(AttributesOf(prefix + entry));
    }
  } else if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  } else {
    // One name: the entry it means by Windows rules, under its own name.
    const std::string host = compat::ResolveWindowsPath(std::wstring_view(pattern));
    const DWORD attributes = AttributesOf(host);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    state->names.push_back(compat::FromUtf8(host.substr(host.find_last_of('/') + 1)));
    state->attributes.push_back(attributes);
  }
  Fill(*state, findData);
  std::lock_guard<std::mutex> hold(SearchesLock());
  Searches().insert(state.get());
  return state.release();
}

BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW findData) {
  FindState* state = LiveSearch(find);
  if (!state || !findData) {
    SetLastError(state ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return Fill(*state, findData) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE find) {
  std::unique_ptr<FindState> state;
  {
    std::lock_guard<std::mutex> hold(SearchesLock());
    auto found = Searches().find(static_cast<FindState*>(find));
    if (found == Searches().end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    state.reset(*found);
    Searches().erase(found);
  }
  return TRUE;
}

int CompareStringOrdinal(LPCWCH string1, int count1, LPCWCH string2, int count2, BOOL ignoreCase) {
  if (!string1 || !string2 || count1 < -1 || count2 < -1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::size_t length1 = count1 < 0 ? std::wcslen(string1) : static_cast<std::size_t>(count1);
  const std::size_t length2 = count2 < 0 ? std::wcslen(string2) : static_cast<std::size_t>(count2);
  for (std::size_t i = 0; i < std::min(length1, length2); ++i) {
    auto a = static_cast<std::uint32_t>(string1[i]), b = static_cast<std::uint32_t>(string2[i]);
    if (ignoreCase) a = compat::FoldedCase(a), b = compat::FoldedCase(b);
    if (a != b) return a < b ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  return length1 == length2 ? CSTR_EQUAL : length1 < length2 ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}
