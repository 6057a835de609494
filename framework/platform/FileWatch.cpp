#include "platform/FileWatch.h"

namespace {

FileStamp ReadFileStamp(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  FileStamp stamp;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return stamp;
  stamp.exists = true;
  stamp.lastWrite = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
  stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return stamp;
}

}  // namespace

void FileWatch::Watch(const std::vector<std::wstring>& files) {
  std::vector<Watched> watched;
  for (const std::wstring& path : files) {
    bool known = false;
    for (const Watched& old : files_)
      if (old.path == path) {
        watched.push_back(old);
        known = true;
        break;
      }
    if (!known) {
      const FileStamp now = ReadFileStamp(path);
      watched.push_back({path, now, now});
    }
  }
  files_ = std::move(watched);
}

std::vector<std::wstring> FileWatch::Changed(double seconds) {
  std::vector<std::wstring> changed;
  sinceCheck_ += seconds;
  if (sinceCheck_ < kCheckInterval || files_.empty()) return changed;
  sinceCheck_ = 0.0;
  for (Watched& file : files_) {
    const FileStamp now = ReadFileStamp(file.path);
    if (now != file.handled && now == file.seen) {
      file.handled = now;
      changed.push_back(file.path);
    }
    file.seen = now;
  }
  return changed;
}
