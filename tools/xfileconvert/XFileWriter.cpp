#include "XFileWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "BinaryFormat.h"

namespace xfileconvert {

std::string Header(std::string_view format, bool doubles) {
  std::string header = "xof 0303";
  header += format;
  header.resize(12, ' ');
  header += doubles ? "0064" : "0032";
  return header;
}

MszipWriter::MszipWriter(std::function<void(std::string_view)> out, std::string_view format, std::size_t blockBytes)
    : out_(std::move(out)), format_(format), blockBytes_(std::clamp<std::size_t>(blockBytes, 1, kWindowBytes)) {
  format_.resize(4, ' ');
}

void MszipWriter::Write(std::string_view file) {
  size_ += file.size();
  if (header_.size() < kHeaderBytes) {
    const std::size_t take = std::min(file.size(), kHeaderBytes - header_.size());
    header_.append(file.substr(0, take));
    file.remove_prefix(take);
    if (header_.size() < kHeaderBytes) return;
    header_.replace(8, 4, format_);
    out_(header_);
    out_(std::string(4, '\0'));  // the size field, known at the end
  }
  pending_.append(file);
  while (pending_.size() - deflated_ >= blockBytes_) Deflate(blockBytes_);
  // Only the last 32 KB deflated are kept, as the next block's dictionary.
  const std::size_t drop = deflated_ > kWindowBytes ? deflated_ - kWindowBytes : 0;
  pending_.erase(0, drop);
  deflated_ -= drop;
}

std::string MszipWriter::Finish() {
  if (header_.size() < kHeaderBytes) {
    header_.resize(kHeaderBytes, ' ');
    header_.replace(8, 4, format_);
    out_(header_);
    out_(std::string(4, '\0'));
  }
  if (pending_.size() > deflated_) Deflate(pending_.size() - deflated_);
  std::string field;
  Put32(field, static_cast<std::uint32_t>(size_));
  return field;
}

// Deflates the `size` bytes after those already deflated, with the last
// 32 KB before them as the dictionary.
void MszipWriter::Deflate(std::size_t size) {
  z_stream deflater{};
  deflateInit2(&deflater, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  const std::size_t dictionary = std::min(deflated_, kWindowBytes);
  if (dictionary > 0)
    deflateSetDictionary(&deflater, reinterpret_cast<const Bytef*>(pending_.data() + deflated_ - dictionary),
                         static_cast<uInt>(dictionary));
  std::vector<unsigned char> packed(deflateBound(&deflater, static_cast<uLong>(size)));
  deflater.next_in = reinterpret_cast<Bytef*>(pending_.data() + deflated_);
  deflater.avail_in = static_cast<uInt>(size);
  deflater.next_out = packed.data();
  deflater.avail_out = static_cast<uInt>(packed.size());
  deflate(&deflater, Z_FINISH);
  const std::size_t made = packed.size() - deflater.avail_out;
  deflateEnd(&deflater);
  std::string block;
  Put16(block, static_cast<std::uint16_t>(size));
  Put16(block, static_cast<std::uint16_t>(made + 2));
  block += "CK";
  block.append(reinterpret_cast<const char*>(packed.data()), made);
  out_(block);
  deflated_ += size;
}

std::string Compress(std::string_view file, std::string_view format, std::size_t blockBytes) {
  std::string out;
  MszipWriter writer([&out](std::string_view piece) { out += piece; }, format, blockBytes);
  writer.Write(file);
  const std::string field = writer.Finish();
  out.replace(kHeaderBytes, 4, field);
  return out;
}

}  // namespace xfileconvert
