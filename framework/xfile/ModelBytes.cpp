// MSZIP, as the compressed model formats use it: after the 16-byte header, the
// size of the whole uncompressed file (4 bytes, little-endian), then blocks of
// <uncompressed size: 2 bytes><compressed size: 2 bytes, "CK" included>"CK"
// <raw deflate data ending in a final block>. Each block inflates with the
// last 32 KB of what came before as its dictionary. zlib inflates.
#include "xfile/ModelBytes.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>

XFILE_SHAPE_BEGIN

namespace {

constexpr std::size_t kSizeFieldBytes = 4;
constexpr std::size_t kBlockHeaderBytes = 4;

std::wstring At(std::uint64_t offset) { return L" at offset " + std::to_wstring(offset); }

std::uint32_t Little(const unsigned char* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i > 0; --i) value = (value << 8) | bytes[i - 1];
  return value;
}

}  // namespace

void ModelBytes::EndInflater::operator()(z_stream_s* inflater) const {
  inflateEnd(inflater);
  delete inflater;
}

ModelBytes::ModelBytes(FILE* file, bool compressed) : file_(file), compressed_(compressed) {}

ModelBytes::~ModelBytes() = default;

void ModelBytes::Restart() {
  given_ = fileOffset_ = 0;
  ended_ = false;
  declaredSize_ = 0;
  blockStarts_.clear();
  window_.clear();
  blockPosition_ = 0;
  damage_.clear();
}

void ModelBytes::RewindTo(std::uint64_t offset) {
  Restart();
  if (!compressed_ && offset <= static_cast<std::uint64_t>(LONG_MAX)) {
    // A plain file is its data: it is read on from the offset itself.
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0) {
      given_ = fileOffset_ = offset;
      return;
    }
  }
  std::fseek(file_, 0, SEEK_SET);
  char skipped[4096];
  for (std::uint64_t left = offset; left > 0;) {
    const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof skipped));
    const std::size_t got = Read(skipped, step);
    left -= got;
    if (got < step) break;
  }
}

void ModelBytes::Damaged(std::wstring what) {
  if (damage_.empty()) damage_ = std::move(what);
  ended_ = true;
}

std::size_t ModelBytes::ReadFile(void* out, std::size_t size) {
  std::size_t got = std::fread(out, 1, size, file_);
  fileOffset_ += got;
  return got;
}

// Reads the size field after the header.
void ModelBytes::BeginContainer() {
  unsigned char size[kSizeFieldBytes];
  if (ReadFile(size, kSizeFieldBytes) != kSizeFieldBytes) {
    Damaged(L"the file ends in its uncompressed size field" + At(fileOffset_));
    return;
  }
  declaredSize_ = Little(size, kSizeFieldBytes);
}

// Checks the end of the blocks against the size field.
void ModelBytes::EndContainer() {
  ended_ = true;
  std::uint64_t made = given_ + (window_.size() - blockPosition_);
  if (made != declaredSize_)
    Damaged(L"its uncompressed size field" + At(kModelHeaderBytes) + L" says " + std::to_wstring(declaredSize_) +
            L" bytes, but its blocks hold " + std::to_wstring(made));
}

// Inflates the next block after the window; false at the end of the blocks.
bool ModelBytes::InflateBlock() {
  const std::uint64_t blockOffset = fileOffset_;
  const auto number = static_cast<std::uint32_t>(blockStarts_.size() + 1);
  const std::wstring block = L"block " + std::to_wstring(number) + At(blockOffset);
  unsigned char header[kBlockHeaderBytes + 2];
  std::size_t got = ReadFile(header, sizeof header);
  if (got == 0) {
    EndContainer();
    return false;
  }
  if (got < sizeof header) {
    Damaged(block + L" is cut short in its header");
    return false;
  }
  const std::uint32_t plainSize = Little(header, 2);
  const std::uint32_t packedSize = Little(header + 2, 2);
  if (header[4] != 'C' || header[5] != 'K') {
    Damaged(block + L" does not begin with \"CK\"");
    return false;
  }
  if (plainSize > kMszipBlockBytes || packedSize < 2) {
    Damaged(block + L" gives sizes no block has (" + std::to_wstring(plainSize) + L" bytes from " +
            std::to_wstring(packedSize) + L")");
    return false;
  }
  input_.resize(packedSize - 2);
  if (ReadFile(input_.data(), input_.size()) != input_.size()) {
    Damaged(block + L" is cut short: the file ends inside its deflate data");
    return false;
  }

  // Keep the last 32 KB of output as the dictionary, then room for the block.
  if (window_.size() > kMszipBlockBytes)
    window_.erase(window_.begin(), window_.end() - static_cast<std::ptrdiff_t>(kMszipBlockBytes));
  const std::size_t dictionary = window_.size();
  window_.resize(dictionary + kMszipBlockBytes);

  if (!inflater_) {
    auto inflater = std::make_unique<z_stream>();
    if (inflateInit2(inflater.get(), -MAX_WBITS) != Z_OK) {
      Damaged(L"the decompressor cannot start");
      return false;
    }
    inflater_.reset(inflater.release());
  } else {
    inflateReset(inflater_.get());
  }
  z_stream& z = *inflater_;
  if (dictionary > 0) inflateSetDictionary(&z, window_.data(), static_cast<uInt>(dictionary));
  z.next_in = input_.data();
  z.avail_in = static_cast<uInt>(input_.size());
  z.next_out = window_.data() + dictionary;
  z.avail_out = static_cast<uInt>(kMszipBlockBytes);
  int result = inflate(&z, Z_FINISH);
  const std::size_t made = kMszipBlockBytes - z.avail_out;
  window_.resize(dictionary + made);
  if (result != Z_STREAM_END) {
    // What inflated before the fault is no good data either: drop it.
    window_.resize(dictionary);
    Damaged(block + (result == Z_BUF_ERROR && z.avail_out == 0
                         ? std::wstring(L" inflates to more than 32,768 bytes")
                         : L" does not inflate (" +
                               std::wstring(z.msg ? L"damaged deflate data" : L"its deflate data ends early") + L")"));
    return false;
  }
  if (made != plainSize) {
    window_.resize(dictionary);
    Damaged(block + L" inflates to " + std::to_wstring(made) + L" bytes, not the " + std::to_wstring(plainSize) +
            L" its header gives");
    return false;
  }
  blockStarts_.push_back(given_);
  blockPosition_ = dictionary;
  return true;
}

std::size_t ModelBytes::Read(char* out, std::size_t size) {
  std::size_t got = 0;
  if (file_ && !compressed_) {
    got = ReadFile(out, size);
    given_ += got;
  } else if (file_) {
    got = ReadCompressed(out, size);
  }
  return got;
}

std::size_t ModelBytes::ReadCompressed(char* out, std::size_t size) {
  std::size_t done = 0;
  // The header comes as it stands in the file.
  if (given_ < kModelHeaderBytes) {
    std::size_t want = std::min<std::size_t>(size, kModelHeaderBytes - static_cast<std::size_t>(given_));
    std::size_t got = ReadFile(out, want);
    given_ += got;
    done += got;
    if (got < want) {
      ended_ = true;
      return done;
    }
    if (given_ == kModelHeaderBytes) BeginContainer();
  }
  while (done < size) {
    if (blockPosition_ == window_.size()) {
      if (ended_ || !InflateBlock()) break;
    }
    std::size_t take = std::min(size - done, window_.size() - blockPosition_);
    std::memcpy(out + done, window_.data() + blockPosition_, take);
    blockPosition_ += take;
    given_ += take;
    done += take;
  }
  return done;
}

std::uint32_t ModelBytes::BlockOfOffset(std::uint64_t offset) const {
  if (!compressed_ || offset < kModelHeaderBytes) return 0;
  auto after = std::upper_bound(blockStarts_.begin(), blockStarts_.end(), offset);
  return static_cast<std::uint32_t>(after - blockStarts_.begin());
}

XFILE_SHAPE_END
