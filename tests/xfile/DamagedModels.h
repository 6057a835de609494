// Damaged copies of model files, for sweeps that throw them at the reader or
// at the programs: cut at chosen offsets, or with bytes replaced. Plain C++
// without a test framework, so that any test can include it
// ("xfile/DamagedModels.h") and write the copies where it likes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace damaged_models {

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The model files of a folder, in name order (.x in any case).
inline std::vector<std::filesystem::path> ModelFilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() && (extension == ".x" || extension == ".X")) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A small deterministic generator (splitmix64), so that a failing case can be
// made again from its seed.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t bound) { return bound ? static_cast<std::size_t>(Next() % bound) : 0; }

 private:
  std::uint64_t state_;
};

// Where to cut a file of `size` bytes: every offset when there are no more
// than `most`, otherwise `most` offsets spread over the file, plus the ends.
// The spread is offset by `seed`, so that runs with other seeds cut elsewhere.
inline std::vector<std::size_t> CutOffsets(std::size_t size, std::size_t most, std::uint64_t seed = 0) {
  std::vector<std::size_t> offsets;
  if (size <= most) {
    for (std::size_t offset = 0; offset <= size; ++offset) offsets.push_back(offset);
    return offsets;
  }
  Random random(seed);
  const std::size_t step = size / most;
  for (std::size_t i = 0; i < most; ++i) offsets.push_back(i * step + random.Below(step));
  offsets.push_back(size - 1);
  offsets.push_back(size);
  return offsets;
}

// Bytes that change what a reader sees most: braces, separators, digits,
// signs, a line feed, a NUL and a byte above ASCII.
inline char DamagingByte(Random& random) {
  static const char kBytes[] = "{};,\" \n0123456789-.eE/#x\x00\xff";
  return kBytes[random.Below(sizeof kBytes - 1)];
}

// `text` with `count` bytes replaced at places chosen by `seed`; the first
// `keep` bytes (a header, say) are left alone.
inline std::string Corrupted(std::string text, std::uint64_t seed, std::size_t count, std::size_t keep = 0) {
  if (text.size() <= keep) return text;
  Random random(seed);
  for (std::size_t i = 0; i < count; ++i)
    text[keep + random.Below(text.size() - keep)] = DamagingByte(random);
  return text;
}

// Whether `text` cut at `offset` ends inside a record: a brace that the
// prefix opened is still open. Braces in "//" comments do not count, as the
// reader drops comments.
inline bool CutInsideRecord(const std::string& text, std::size_t offset) {
  std::int64_t depth = 0;
  bool comment = false;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    char c = text[i];
    if (comment) {
      comment = c != '\n';
    } else if (c == '/' && i + 1 < offset && text[i + 1] == '/') {
      comment = true;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}' && depth > 0) {
      --depth;
    }
  }
  return depth > 0;
}

}  // namespace damaged_models
