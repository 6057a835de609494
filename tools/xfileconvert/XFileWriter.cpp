#include "XFileWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "BinaryFormat.h"
#include "XFileRecode.h"

namespace xfileconvert {

std::string Header(std::string_view format, bool doubles) {
  std::string header = "xof 0303";
  header += format;
  header.resize(12, ' ');
  header += doubles ? "0064" : "0032";
  return header;
}

std::string Compress(std::string_view file, std::string_view format, std::size_t blockBytes) {
  blockBytes = std::clamp<std::size_t>(blockBytes, 1, kWindowBytes);
  std::string out(file.substr(0, kHeaderBytes));
  out.resize(kHeaderBytes, ' ');
  out.replace(8, 4, std::string(format).append(4, ' ').substr(0, 4));
  Put32(out, static_cast<std::uint32_t>(file.size()));
  std::string_view data = file.size() > kHeaderBytes ? file.substr(kHeaderBytes) : std::string_view();
  std::vector<unsigned char> packed;
  for (std::size_t offset = 0; offset < data.size(); offset += blockBytes) {
    const std::size_t size = std::min(blockBytes, data.size() - offset);
    z_stream deflater{};
    deflateInit2(&deflater, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    const std::size_t dictionary = std::min(offset, kWindowBytes);
    if (dictionary > 0)
      deflateSetDictionary(&deflater, reinterpret_cast<const Bytef*>(data.data() + offset - dictionary),
                           static_cast<uInt>(dictionary));
    packed.resize(deflateBound(&deflater, static_cast<uLong>(size)));
    deflater.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + offset));
    deflater.avail_in = static_cast<uInt>(size);
    deflater.next_out = packed.data();
    deflater.avail_out = static_cast<uInt>(packed.size());
    deflate(&deflater, Z_FINISH);
    const std::size_t made = packed.size() - deflater.avail_out;
    deflateEnd(&deflater);
    Put16(out, static_cast<std::uint16_t>(size));
    Put16(out, static_cast<std::uint16_t>(made + 2));
    out += "CK";
    out.append(reinterpret_cast<const char*>(packed.data()), made);
  }
  return out;
}

std::string Twin(std::string_view text, std::string_view format, bool doubles, std::size_t blockBytes) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.size() < kHeaderBytes || text.substr(0, 4) != "xof ") return std::string();
  std::string_view body = text.substr(kHeaderBytes);
  if (format == "txt") return Header("txt", doubles) + std::string(body);
  if (format == "tzip") return Compress(Header("txt", doubles) + std::string(body), "tzip", blockBytes);
  // The binary twin is what the converter writes of the text.
  std::FILE* file = std::tmpfile();
  if (!file) return std::string();
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  std::string twin = RecodedModel(file, "twin", XFileFormatNamed(format, doubles ? 8 : 4, blockBytes), false);
  std::fclose(file);
  return twin;
}

}  // namespace xfileconvert
