#include "XFileWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BinaryFormat.h"

namespace xfileconvert {

namespace {

void Put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void Put32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';'; }

bool LooksNumeric(std::string_view word) {
  std::size_t i = (word[0] == '-' || word[0] == '+') ? 1 : 0;
  return i < word.size() && ((word[i] >= '0' && word[i] <= '9') || word[i] == '.');
}

bool LooksFloat(std::string_view word) { return word.find_first_of(".eE") != std::string_view::npos; }

// Consecutive numbers of one kind, written as one list.
class ListWriter {
 public:
  ListWriter(std::string& out, bool doubles) : out_(out), doubles_(doubles) {}
  void Add(std::string_view word) {
    const std::string text(word);
    const bool isFloat = LooksFloat(word);
    if (count_ > 0 && isFloat != floats_) Flush();
    floats_ = isFloat;
    if (isFloat) {
      double value = std::strtod(text.c_str(), nullptr);
      if (doubles_) {
        Append(&value, sizeof value);
      } else {
        float narrow = static_cast<float>(value);
        Append(&narrow, sizeof narrow);
      }
    } else {
      auto value = static_cast<std::uint32_t>(std::strtoll(text.c_str(), nullptr, 10));
      Append(&value, sizeof value);
    }
    ++count_;
  }
  void Flush() {
    if (count_ == 0) return;
    Put16(out_, floats_ ? kFloatList : kIntegerList);
    Put32(out_, count_);
    out_ += items_;
    items_.clear();
    count_ = 0;
  }

 private:
  void Append(const void* bytes, std::size_t size) { items_.append(static_cast<const char*>(bytes), size); }
  std::string& out_;
  bool doubles_;
  bool floats_ = false;
  std::uint32_t count_ = 0;
  std::string items_;
};

void PutText(std::string& out, std::uint16_t token, std::string_view text) {
  Put16(out, token);
  Put32(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

}  // namespace

std::string BinaryTokens(std::string_view body, bool doubles) {
  std::string out;
  ListWriter numbers(out, doubles);
  std::size_t i = 0;
  while (i < body.size()) {
    const char c = body[i];
    if (IsSeparator(c)) {
      ++i;
    } else if (c == '#' || (c == '/' && i + 1 < body.size() && body[i + 1] == '/')) {
      while (i < body.size() && body[i] != '\n') ++i;
    } else if (c == '{' || c == '}') {
      numbers.Flush();
      Put16(out, c == '{' ? kOpenBrace : kCloseBrace);
      ++i;
    } else if (c == '"') {
      numbers.Flush();
      std::size_t end = body.find('"', i + 1);
      if (end == std::string_view::npos) end = body.size();
      PutText(out, kString, body.substr(i + 1, end - i - 1));
      Put16(out, kSemicolon);
      i = end + 1;
    } else {
      std::size_t end = i;
      while (end < body.size() && !IsSeparator(body[end]) && body[end] != '{' && body[end] != '}' &&
             body[end] != '"')
        ++end;
      std::string_view word = body.substr(i, end - i);
      i = end;
      if (LooksNumeric(word)) {
        numbers.Add(word);
        continue;
      }
      numbers.Flush();
      if (word == "template") {
        Put16(out, kTemplate);
      } else {
        PutText(out, kName, word);
      }
    }
  }
  numbers.Flush();
  return out;
}

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
  std::string binary = Header("bin", doubles) + BinaryTokens(body, doubles);
  if (format == "bzip") return Compress(binary, "bzip", blockBytes);
  return binary;
}

}  // namespace xfileconvert
