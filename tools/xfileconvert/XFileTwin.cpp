#include "XFileWriter.h"

#include <cstdio>

#include "BinaryFormat.h"
#include "XFileRecode.h"

namespace xfileconvert {

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
