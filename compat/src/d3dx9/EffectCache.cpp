#include "d3dx9/EffectCache.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/Unicode.h"
#include "d3dx9/FileBytes.h"
#include "d3dx9/HlslFrontEnd.h"
#include "d3dx9/HlslTranslator.h"

namespace compat::d3dx9 {

namespace {

constexpr const char* kMagic = "xviewer effect cache 1\n";

std::uint64_t Fnv1a(std::string_view text, std::uint64_t hash = 14695981039346656037ull) {
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

void PutString(std::string& out, const std::string& text) {
  out += std::to_string(text.size());
  out += '\n';
  out += text;
}

// Reads what PutString wrote; false on anything malformed.
bool GetString(std::string_view& in, std::string& text) {
  std::size_t newline = in.find('\n');
  if (newline == std::string_view::npos || newline == 0 || newline > 12) return false;
  std::size_t length = 0;
  for (char c : in.substr(0, newline)) {
    if (c < '0' || c > '9') return false;
    length = length * 10 + static_cast<std::size_t>(c - '0');
  }
  in.remove_prefix(newline + 1);
  if (length > in.size()) return false;
  text.assign(in.substr(0, length));
  in.remove_prefix(length);
  return true;
}

bool GetCount(std::string_view& in, std::size_t& count, std::size_t most) {
  std::string text;
  if (!GetString(in, text) || text.empty() || text.size() > 6) return false;
  count = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + static_cast<std::size_t>(c - '0');
  }
  return count <= most;
}

std::string EntryPath(const std::string& key) {
  std::string folder = EffectCacheFolder();
  return folder.empty() ? std::string() : folder + "/" + key + ".cfxcache";
}

}  // namespace

std::string EffectCacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && *cache) return std::string(cache) + "/xviewer";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.cache/xviewer";
  return {};
}

std::string EffectCacheKey(const std::string& text, const std::vector<std::pair<std::string, std::string>>& defines,
                           bool mapDepth) {
  std::string material = "translator " + std::to_string(kTranslatorVersion) + "\nglslang " + GlslangVersion() +
                         "\nspirv-cross " + SpirvCrossVersion() + "\ndepth " + (mapDepth ? "-1..1" : "0..1") + "\n";
  for (const auto& [name, value] : defines) material += "define " + name + "=" + value + "\n";
  // Two hashes with different seeds: 128 bits of key.
  std::uint64_t first = Fnv1a(text, Fnv1a(material));
  std::uint64_t second = Fnv1a(text, Fnv1a(material, 0x84222325cbf29ce4ull) ^ 0x9e3779b97f4a7c15ull);
  return Hex(first) + Hex(second);
}

bool LoadCachedEffect(const std::string& key, const std::string& folder, CacheEntry& entry) {
  std::string path = EntryPath(key);
  if (path.empty()) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::stringstream buffer;
  buffer << file.rdbuf();
  std::string bytes = buffer.str();
  std::string_view in(bytes);
  // The last 16 characters are the hash of the rest.
  if (in.size() < std::string_view(kMagic).size() + 16 || in.substr(0, std::string_view(kMagic).size()) != kMagic)
    return false;
  std::string_view body = in.substr(0, in.size() - 16);
  if (Hex(Fnv1a(body)) != in.substr(in.size() - 16)) return false;
  body.remove_prefix(std::string_view(kMagic).size());

  entry = CacheEntry{};
  std::size_t includes = 0, techniques = 0;
  if (!GetString(body, entry.preprocessed) || !GetCount(body, includes, 1024)) return false;
  for (std::size_t i = 0; i < includes; ++i) {
    std::string name, contents;
    if (!GetString(body, name) || !GetString(body, contents)) return false;
    // An included file that changed since makes the entry stale.
    std::vector<std::uint8_t> now;
    std::string error;
    std::wstring wide = FromUtf8(folder.empty() ? name : folder + "/" + name);
    if (!ReadFileBytes(wide.c_str(), now, error) || std::string(now.begin(), now.end()) != contents) return false;
    entry.includes.emplace_back(std::move(name), std::move(contents));
  }
  if (!GetCount(body, techniques, 4096)) return false;
  for (std::size_t t = 0; t < techniques; ++t) {
    std::size_t passes = 0;
    if (!GetCount(body, passes, 4096)) return false;
    entry.texts.emplace_back();
    for (std::size_t p = 0; p < passes; ++p) {
      PassText text;
      if (!GetString(body, text.vertex) || !GetString(body, text.pixel)) return false;
      entry.texts.back().push_back(std::move(text));
    }
  }
  return body.empty();
}

void StoreCachedEffect(const std::string& key, const CacheEntry& entry) {
  std::string path = EntryPath(key);
  if (path.empty()) return;
  std::string out = kMagic;
  PutString(out, entry.preprocessed);
  PutString(out, std::to_string(entry.includes.size()));
  for (const auto& [name, contents] : entry.includes) {
    PutString(out, name);
    PutString(out, contents);
  }
  PutString(out, std::to_string(entry.texts.size()));
  for (const auto& technique : entry.texts) {
    PutString(out, std::to_string(technique.size()));
    for (const PassText& pass : technique) {
      PutString(out, pass.vertex);
      PutString(out, pass.pixel);
    }
  }
  out += Hex(Fnv1a(out));
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  std::string temporary = path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return;
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
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
