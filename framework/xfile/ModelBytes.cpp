// MSZIP, as the compressed model formats use it: after the 16-byte header, the
// size of the whole uncompressed file (4 bytes, little-endian), then blocks of
// <uncompressed size: 2 bytes><compressed size: 2 bytes, "CK" included>"CK"
// <raw deflate data ending in a final block>. Each block inflates with the
// last 32 KB of what came before as its dictionary. zlib inflates.
#include "xfile/ModelBytes.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "xfile/ParseWarnings.h"

XFILE_SHAPE_BEGIN

namespace {

constexpr std::size_t kSizeFieldBytes = 4;
constexpr std::size_t kBlockHeaderBytes = 4;

struct ByteSource {
  FILE* file = nullptr;
  bool compressed = false;
  std::uint64_t given = 0;       // bytes of the data handed out, the header included
  std::uint64_t fileOffset = 0;  // bytes of the file read
  bool ended = false;            // no more blocks: the last ended, or one was damaged
  std::uint32_t declaredSize = 0;
  std::vector<std::uint64_t> blockStarts;  // offset in the data where each block's output begins
  std::vector<unsigned char> input;        // one block's deflate data
  std::vector<unsigned char> window;       // the last 32 KB of output, then the newest block
  std::size_t blockBegin = 0;              // where the newest block's output begins in `window`
  std::size_t blockPosition = 0;           // the next byte of it to hand out
  std::wstring damage;
  bool damageNoted = false;
  z_stream inflater{};
  bool inflaterReady = false;
};
ByteSource g_Bytes;

std::wstring At(std::uint64_t offset) { return L" at offset " + std::to_wstring(offset); }

void Damaged(std::wstring what) {
  if (g_Bytes.damage.empty()) g_Bytes.damage = std::move(what);
  g_Bytes.ended = true;
}

std::size_t ReadFile(void* out, std::size_t size) {
  std::size_t got = std::fread(out, 1, size, g_Bytes.file);
  g_Bytes.fileOffset += got;
  return got;
}

std::uint32_t Little(const unsigned char* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i > 0; --i) value = (value << 8) | bytes[i - 1];
  return value;
}

void EndInflater() {
  if (g_Bytes.inflaterReady) inflateEnd(&g_Bytes.inflater);
  g_Bytes.inflaterReady = false;
}

// Reads the size field after the header.
void BeginContainer() {
  unsigned char size[kSizeFieldBytes];
  if (ReadFile(size, kSizeFieldBytes) != kSizeFieldBytes) {
    Damaged(L"the file ends in its uncompressed size field" + At(g_Bytes.fileOffset));
    return;
  }
  g_Bytes.declaredSize = Little(size, kSizeFieldBytes);
}

// Checks the end of the blocks against the size field.
void EndContainer() {
  g_Bytes.ended = true;
  std::uint64_t made = g_Bytes.given + (g_Bytes.window.size() - g_Bytes.blockPosition);
  if (made != g_Bytes.declaredSize)
    Damaged(L"its uncompressed size field" + At(kModelHeaderBytes) + L" says " +
            std::to_wstring(g_Bytes.declaredSize) + L" bytes, but its blocks hold " + std::to_wstring(made));
}

// Inflates the next block after the window; false at the end of the blocks.
bool InflateBlock() {
  ByteSource& s = g_Bytes;
  const std::uint64_t blockOffset = s.fileOffset;
  const std::uint32_t number = static_cast<std::uint32_t>(s.blockStarts.size() + 1);
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
  s.input.resize(packedSize - 2);
  if (ReadFile(s.input.data(), s.input.size()) != s.input.size()) {
    Damaged(block + L" is cut short: the file ends inside its deflate data");
    return false;
  }

  // Keep the last 32 KB of output as the dictionary, then room for the block.
  if (s.window.size() > kMszipBlockBytes)
    s.window.erase(s.window.begin(), s.window.end() - static_cast<std::ptrdiff_t>(kMszipBlockBytes));
  const std::size_t dictionary = s.window.size();
  s.window.resize(dictionary + kMszipBlockBytes);

  if (!s.inflaterReady) {
    if (inflateInit2(&s.inflater, -MAX_WBITS) != Z_OK) {
      Damaged(L"the decompressor cannot start");
      return false;
    }
    s.inflaterReady = true;
  } else {
    inflateReset(&s.inflater);
  }
  if (dictionary > 0) inflateSetDictionary(&s.inflater, s.window.data(), static_cast<uInt>(dictionary));
  s.inflater.next_in = s.input.data();
  s.inflater.avail_in = static_cast<uInt>(s.input.size());
  s.inflater.next_out = s.window.data() + dictionary;
  s.inflater.avail_out = static_cast<uInt>(kMszipBlockBytes);
  int result = inflate(&s.inflater, Z_FINISH);
  const std::size_t made = kMszipBlockBytes - s.inflater.avail_out;
  s.window.resize(dictionary + made);
  if (result != Z_STREAM_END) {
    // What inflated before the fault is no good data either: drop it.
    s.window.resize(dictionary);
    Damaged(block + (result == Z_BUF_ERROR && s.inflater.avail_out == 0
                         ? std::wstring(L" inflates to more than 32,768 bytes")
                         : L" does not inflate (" + std::wstring(s.inflater.msg ? L"damaged deflate data" : L"its deflate data ends early") + L")"));
    return false;
  }
  if (made != plainSize) {
    s.window.resize(dictionary);
    Damaged(block + L" inflates to " + std::to_wstring(made) + L" bytes, not the " + std::to_wstring(plainSize) +
            L" its header gives");
    return false;
  }
  s.blockStarts.push_back(s.given);
  s.blockBegin = dictionary;
  s.blockPosition = dictionary;
  return true;
}

}  // namespace

void BeginModelBytes(FILE* file, bool compressed) {
  EndInflater();
  g_Bytes = ByteSource{};
  g_Bytes.file = file;
  g_Bytes.compressed = compressed;
}

void RestartModelBytes() {
  FILE* file = g_Bytes.file;
  bool compressed = g_Bytes.compressed;
  std::fseek(file, 0, SEEK_SET);
  BeginModelBytes(file, compressed);
}

void EndModelBytes() {
  EndInflater();
  g_Bytes = ByteSource{};
}

std::size_t ReadModelBytes(char* out, std::size_t size) {
  ByteSource& s = g_Bytes;
  if (!s.file) return 0;
  if (!s.compressed) {
    std::size_t got = ReadFile(out, size);
    s.given += got;
    return got;
  }
  std::size_t done = 0;
  // The header comes as it stands in the file.
  if (s.given < kModelHeaderBytes) {
    std::size_t want = std::min<std::size_t>(size, kModelHeaderBytes - static_cast<std::size_t>(s.given));
    std::size_t got = ReadFile(out, want);
    s.given += got;
    done += got;
    if (got < want) {
      s.ended = true;
      return done;
    }
    if (s.given == kModelHeaderBytes) BeginContainer();
  }
  while (done < size) {
    if (s.blockPosition == s.window.size()) {
      if (s.ended || !InflateBlock()) break;
    }
    std::size_t take = std::min(size - done, s.window.size() - s.blockPosition);
    std::memcpy(out + done, s.window.data() + s.blockPosition, take);
    s.blockPosition += take;
    s.given += take;
    done += take;
  }
  return done;
}

bool ModelBytesCompressed() { return g_Bytes.compressed; }

std::uint64_t ModelBytesGiven() { return g_Bytes.given; }

std::uint32_t BlockOfOffset(std::uint64_t offset) {
  const std::vector<std::uint64_t>& starts = g_Bytes.blockStarts;
  if (!g_Bytes.compressed || offset < kModelHeaderBytes) return 0;
  auto after = std::upper_bound(starts.begin(), starts.end(), offset);
  return static_cast<std::uint32_t>(after - starts.begin());
}

const std::wstring& ModelBytesDamage() { return g_Bytes.damage; }

void NoteModelBytesDamage() {
  if (g_Bytes.damage.empty() || g_Bytes.damageNoted) return;
  g_Bytes.damageNoted = true;
  Warn(ParseWarningKind::ContainerDamaged, [] { return g_Bytes.damage; });
}

XFILE_SHAPE_END
