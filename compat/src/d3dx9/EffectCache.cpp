#include "d3dx9/EffectCache.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/Unicode.h"
#include "d3dx9/FileBytes.h"
#include "d3dx9/InstalledFiles.h"

namespace compat::d3dx9 {

namespace {

std::string RecordPath(const std::string& folder, const std::string& key) {
  return folder.empty() ? std::string() : folder + "/" + key + ".cfxcache";
}

// The record in `path`, when it is sound and the files it #included (read
// from `folder`) are as they were when it was translated.
bool LoadRecord(const std::string& path, const std::string& folder, EffectRecord& record) {
  std::error_code unreadable;
  if (path.empty() || std::filesystem::file_size(path, unreadable) > kMaxRecordBytes || unreadable) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::stringstream buffer;
  buffer << file.rdbuf();
  if (!ReadEffectRecord(buffer.str(), record)) return false;
  for (const auto& [name, contents] : record.includes) {
    std::vector<std::uint8_t> now;
    std::string error;
    std::wstring wide = FromUtf8(folder.empty() ? name : folder + "/" + name);
    if (!ReadFileBytes(wide.c_str(), now, error) || std::string(now.begin(), now.end()) != contents) return false;
  }
  return true;
}

}  // namespace

std::string EffectCacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && *cache) return std::string(cache) + "/xviewer";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.cache/xviewer";
  return {};
}

bool LoadCachedEffect(const std::string& key, const std::string& folder, EffectRecord& record) {
  return LoadRecord(RecordPath(InstalledEffectRecords(), key), folder, record) ||
         LoadRecord(RecordPath(EffectCacheFolder(), key), folder, record);
}

void StoreCachedEffect(const std::string& key, const std::string& bytes) {
  std::string path = RecordPath(EffectCacheFolder(), key);
  if (path.empty()) return;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  std::string temporary = path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
      file.close();
      std::filesystem::remove(temporary, ignored);
      return;
    }
  }
  std::filesystem::rename(temporary, path, ignored);
  if (ignored) std::filesystem::remove(temporary, ignored);
}

}  // namespace compat::d3dx9
