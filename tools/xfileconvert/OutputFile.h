// Output files that are never seen half written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xfileconvert {

class StagedFiles;

// One file written piece by piece, as the temporary file of its place, for
// outputs too large to hold whole; staged once written (StagedFiles), and
// gone with the object where it is not.
class StreamedFile {
 public:
  StreamedFile() = default;
  StreamedFile(const StreamedFile&) = delete;
  StreamedFile& operator=(const StreamedFile&) = delete;
  ~StreamedFile();

  // Opens the temporary file of `path`; false with `reason`.
  bool Open(const std::string& path, std::string& reason);
  // Adds `piece` at the end. A failure is kept and said by Stage.
  void Write(std::string_view piece);
  // Writes `bytes` again at `offset` (a size field known only at the end).
  void Patch(std::uint64_t offset, std::string_view bytes);
  // Closes the file and stages it in `files`; false with `reason` when any
  // write failed (the temporary file is then gone).
  bool Stage(StagedFiles& files, std::string& reason);

 private:
  std::FILE* file_ = nullptr;
  std::string temporary_, path_;
  int error_ = 0;  // the first write's errno that failed
};

// Files written whole, all of them or none: each goes to a temporary file
// beside its place (its name, ".tmp-", the process and a count), and only
// once every one is written and closed are they renamed to their places, in
// the order they were staged. Until then the files at those places stay as
// they were; what is not committed is removed with the object.
class StagedFiles {
 public:
  StagedFiles() = default;
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;
  ~StagedFiles();

  // Writes `pieces`, one after another, as the temporary file of `path`.
  // False with `reason` when anything fails; that temporary file is then gone.
  bool Stage(const std::string& path, const std::vector<std::string_view>& pieces, std::string& reason);
  // Renames every staged file to its place. False with `reason` when one
  // cannot be: where a place is a folder, before any is renamed; else those
  // before it are in place and the others removed.
  bool Commit(std::string& reason);

 private:
  friend class StreamedFile;
  std::vector<std::pair<std::string, std::string>> staged_;  // temporary, place
};

// The path of a name in UTF-8, as the converter holds every name: a narrow
// string alone would be taken in the ANSI code page on Windows.
std::filesystem::path Utf8Path(const std::string& utf8);

// One file staged and committed: `path` whole or not at all, as it was when
// the writing fails.
bool WriteWholeFile(const std::string& path, const std::vector<std::string_view>& pieces, std::string& reason);

}  // namespace xfileconvert
