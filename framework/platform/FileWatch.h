// Noticing that files changed on disk: each file's last-write time and size,
// as the platform reports them (GetFileAttributesExW), read at most twice a
// second from the frames' clock, so watching costs nothing measurable per
// frame and never waits. A change counts once the file has stayed the same
// over one check, so that a writer still at work is left to finish.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a file looks like from outside; a file that cannot be looked at
// (missing, no permission) reads as not existing.
struct FileStamp {
  bool exists = false;
  ULONGLONG lastWrite = 0;  // FILETIME's 100-nanosecond intervals
  ULONGLONG size = 0;
  bool operator==(const FileStamp& other) const = default;
};

class FileWatch {
 public:
  static constexpr double kCheckInterval = 0.5;  // seconds: two checks a second at most

  // Watches `files` as they are now; a file watched already keeps what it
  // was last seen as, so a change made while the caller read it still counts.
  void Watch(const std::vector<std::wstring>& files);

  // `seconds` since the last call. Once kCheckInterval has gone by, every
  // file is looked at; returns the files that changed and have since held
  // still over one check, in the order they were watched. A file returned is
  // taken as seen: it is returned again only after it changes again,
  // whatever the caller made of it.
  std::vector<std::wstring> Changed(double seconds);

 private:
  struct Watched {
    std::wstring path;
    FileStamp handled;  // as the caller last took it
    FileStamp seen;     // at the last check
  };
  std::vector<Watched> files_;
  double sinceCheck_ = 0.0;
};
