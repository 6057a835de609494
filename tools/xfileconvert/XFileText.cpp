#include "XFileText.h"

#include <zlib.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "BinaryFormat.h"

namespace xfileconvert {

namespace {

const char* const kKeywords[] = {"WORD",   "DWORD", "FLOAT",  "DOUBLE",  "CHAR",    "UCHAR", "SWORD",
                                 "SDWORD", "void",  "string", "unicode", "cstring", "array"};
const char kPunctuation[] = "{}()[]<>.";

// Little-endian reads from a view that the caller has checked is long enough.
std::uint16_t Get16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8);
}
std::uint32_t Get32(const char* p) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(p[i]);
  return value;
}

std::string At(std::size_t offset) { return " at offset " + std::to_string(offset); }

// Writes a float so that it reads back to the same value and is taken for a
// float again (a dot or an exponent in it).
void AppendFloat(std::string& out, double value, unsigned floatBytes) {
  char text[40];
  if (floatBytes == 4) {
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(static_cast<float>(value)));
  } else {
    std::snprintf(text, sizeof text, "%.17g", value);
  }
  out += text;
  if (std::isfinite(value) && !std::strpbrk(text, ".eE")) out += ".0";
}

// Writes the tokens of the binary data as text, one record line by line.
class TextWriter {
 public:
  explicit TextWriter(std::string& out) : out_(out) {}

  void Word(std::string_view word) {
    Space();
    out_ += word;
  }
  void Quoted(std::string_view text) {
    Space();
    out_ += '"';
    out_ += text;
    out_ += "\";";
  }
  void Number(const std::string& number, bool last) {
    Space();
    out_ += number;
    out_ += last ? ';' : ',';
  }
  void Open() {
    Space();
    out_ += '{';
    ++depth_;
    NewLine();
  }
  void Close() {
    if (depth_ > 0) --depth_;
    NewLine();
    out_.resize(out_.find_last_not_of(' ') + 1);  // the brace goes back to its record's indentation
    out_.append(depth_, ' ');
    out_ += '}';
    lineStart_ = false;
    NewLine();
  }
  // Ends the line unless it is empty.
  void NewLine() {
    if (lineStart_) return;
    out_ += '\n';
    out_.append(depth_, ' ');
    lineStart_ = true;
  }

 private:
  void Space() {
    if (!lineStart_) out_ += ' ';
    lineStart_ = false;
  }
  std::string& out_;
  std::size_t depth_ = 0;
  bool lineStart_ = true;
};

}  // namespace

std::string Inflate(std::string_view container, std::string& damage) {
  std::string data;
  if (container.size() < 4) {
    damage = "the container ends in its size field";
    return data;
  }
  const std::uint32_t fileSize = Get32(container.data());
  const std::size_t dataSize = fileSize > kHeaderBytes ? fileSize - kHeaderBytes : 0;
  std::size_t at = 4;
  std::string block(kWindowBytes, '\0');
  while (at < container.size() && damage.empty()) {
    if (container.size() - at < 6) {
      damage = "the file ends inside a block header" + At(kHeaderBytes + at);
      break;
    }
    const std::size_t size = Get16(container.data() + at), packed = Get16(container.data() + at + 2);
    // No block holds more than the window, as the reader also holds them.
    if (std::memcmp(container.data() + at + 4, "CK", 2) != 0 || packed < 2 || size == 0 || size > kWindowBytes) {
      damage = "a block does not begin with \"CK\" and its sizes" + At(kHeaderBytes + at);
      break;
    }
    if (container.size() - at - 4 < packed) {
      damage = "the file ends inside a block" + At(kHeaderBytes + at);
      break;
    }
    if (data.size() + size > dataSize) {
      damage = "the blocks hold more than the container's size field" + At(kHeaderBytes + at);
      break;
    }
    z_stream inflater{};
    inflateInit2(&inflater, -MAX_WBITS);
    const std::size_t dictionary = std::min(data.size(), kWindowBytes);
    if (dictionary > 0)
      inflateSetDictionary(&inflater, reinterpret_cast<const Bytef*>(data.data() + data.size() - dictionary),
                           static_cast<uInt>(dictionary));
    inflater.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(container.data() + at + 6));
    inflater.avail_in = static_cast<uInt>(packed - 2);
    inflater.next_out = reinterpret_cast<Bytef*>(block.data());
    inflater.avail_out = static_cast<uInt>(size);
    const int result = inflate(&inflater, Z_FINISH);
    const std::size_t made = size - inflater.avail_out;
    inflateEnd(&inflater);
    if (result != Z_STREAM_END || made != size) {
      damage = "a block's deflate data does not inflate to its size" + At(kHeaderBytes + at);
      break;
    }
    data.append(block.data(), made);
    at += 4 + packed;
  }
  if (damage.empty() && data.size() != dataSize)
    damage = "the blocks hold " + std::to_string(data.size()) + " bytes, not the " + std::to_string(dataSize) +
             " the container's size field gives";
  return data;
}

std::string TextOfBinaryTokens(std::string_view data, unsigned floatBytes, std::string& damage) {
  std::string out;
  out.reserve(data.size() * 2);
  TextWriter text(out);
  std::size_t at = 0;
  auto have = [&](std::size_t bytes) { return data.size() - at >= bytes; };
  while (at < data.size()) {
    const std::size_t tokenAt = kHeaderBytes + at;
    if (!have(2)) {
      damage = "a token is cut short" + At(tokenAt);
      break;
    }
    const std::uint16_t token = Get16(data.data() + at);
    at += 2;
    if (token == kName || token == kString) {
      if (!have(4)) {
        damage = "the data ends in the count of a name or string" + At(tokenAt);
        break;
      }
      const std::uint32_t count = Get32(data.data() + at);
      at += 4;
      if (!have(count)) {
        damage = "a name or string runs past the end of the data" + At(tokenAt);
        break;
      }
      std::string_view bytes = data.substr(at, count);
      at += count;
      if (token == kName) {
        text.Word(bytes);
        continue;
      }
      // A string's terminator is part of it in text.
      if (have(2) && (Get16(data.data() + at) == kSemicolon || Get16(data.data() + at) == kComma)) at += 2;
      text.Quoted(bytes);
      text.NewLine();
    } else if (token == kInteger) {
      if (!have(4)) {
        damage = "the data ends inside an integer" + At(tokenAt);
        break;
      }
      text.Number(std::to_string(static_cast<std::int32_t>(Get32(data.data() + at))), true);
      at += 4;
    } else if (token == kGuid) {
      if (!have(16)) {
        damage = "the data ends inside a GUID" + At(tokenAt);
        break;
      }
      const auto* g = reinterpret_cast<const unsigned char*>(data.data() + at);
      char guid[40];
      std::snprintf(guid, sizeof guid, "<%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X>", g[3],
                    g[2], g[1], g[0], g[5], g[4], g[7], g[6], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
      text.Word(guid);
      text.NewLine();
      at += 16;
    } else if (token == kIntegerList || token == kFloatList) {
      if (!have(4)) {
        damage = "the data ends in the count of a list" + At(tokenAt);
        break;
      }
      const std::uint32_t count = Get32(data.data() + at);
      at += 4;
      const std::size_t itemBytes = token == kIntegerList ? 4 : floatBytes;
      const std::size_t whole = std::min<std::size_t>(count, (data.size() - at) / itemBytes);
      for (std::size_t i = 0; i < whole; ++i, at += itemBytes) {
        std::string number;
        if (token == kIntegerList) {
          number = std::to_string(static_cast<std::int32_t>(Get32(data.data() + at)));
        } else if (itemBytes == 4) {
          float value;
          std::memcpy(&value, data.data() + at, 4);
          AppendFloat(number, value, 4);
        } else {
          double value;
          std::memcpy(&value, data.data() + at, 8);
          AppendFloat(number, value, 8);
        }
        text.Number(number, i + 1 == whole);
      }
      text.NewLine();
      if (whole < count) {
        damage = "the data ends inside a list of " + std::to_string(count) + " items" + At(tokenAt);
        break;
      }
    } else if (token == kOpenBrace) {
      text.Open();
    } else if (token == kCloseBrace) {
      text.Close();
    } else if (token == kComma || token == kSemicolon) {
      // Separators: the text puts its own.
    } else if (token == kTemplate) {
      text.Word("template");
    } else if (token >= kOpenParenthesis && token <= kDot) {
      text.Word(std::string_view(&kPunctuation[token - kOpenBrace], 1));
    } else if (token >= kFirstKeyword && token <= kLastKeyword) {
      text.Word(kKeywords[token - kFirstKeyword]);
    } else {
      damage = "token type " + std::to_string(token) + " does not exist" + At(tokenAt);
      break;
    }
  }
  out += '\n';
  return out;
}

bool TextOfModelFile(std::string_view file, ModelText& out, std::string& reason) {
  if (file.size() < kHeaderBytes || file.substr(0, 4) != "xof ") {
    reason = "not an X file (it does not begin with \"xof\")";
    return false;
  }
  const std::string_view format = file.substr(8, 4), floatSize = file.substr(12, 4);
  if (floatSize != "0032" && floatSize != "0064") {
    reason = "not an X file of a known float size (" + std::string(floatSize) + ")";
    return false;
  }
  const unsigned floatBytes = floatSize == "0064" ? 8 : 4;
  const bool compressed = format == "tzip" || format == "bzip";
  if (format != "txt " && format != "bin " && !compressed) {
    reason = "not an X file of a known format (" + std::string(format) + ")";
    return false;
  }
  std::string inflated;
  std::string_view data = file.substr(kHeaderBytes);
  if (compressed) {
    inflated = Inflate(data, out.damage);
    data = inflated;
  }
  out.text = "xof ";
  out.text += file.substr(4, 4);
  out.text += "txt ";
  out.text += floatSize;
  out.text += '\n';
  if (format == "txt " || format == "tzip") {
    out.text += data;
  } else {
    std::string damage;
    out.text += TextOfBinaryTokens(data, floatBytes, damage);
    if (out.damage.empty()) out.damage = damage;
  }
  return true;
}

}  // namespace xfileconvert
