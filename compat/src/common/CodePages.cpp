// UTF-8 is decoded here, strictly as the standard defines it (no overlong
// forms, no surrogates); 1252 by its table; 932 through glibc's iconv, whose
// "CP932" is Microsoft's mapping (0x5C is the backslash, the NEC and IBM
// extensions included).
#include "common/CodePages.h"

#include <iconv.h>

#include <cerrno>

#include "common/Unicode.h"

namespace compat {

namespace {

constexpr unsigned kAnsi = 0, kShiftJis = 932, kWestern = 1252, kUtf8 = 65001;

// 0x80 to 0x9F of Windows-1252; the five bytes it leaves undefined map to
// the C1 control of the same value, as Windows maps them.
constexpr char16_t kWestern80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The length of the valid UTF-8 sequence at `p`, or 0.
std::size_t Utf8SequenceAt(const unsigned char* p, std::size_t left, char32_t& c) {
  unsigned char b = p[0];
  std::size_t length;
  char32_t least;
  if (b < 0x80) {
    c = b;
    return 1;
  } else if (b >= 0xC2 && b <= 0xDF) {
    length = 2, least = 0x80, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, least = 0x800, c = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, least = 0x10000, c = b & 0x07;
  } else {
    return 0;
  }
  if (left < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((p[k] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (p[k] & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

bool DecodeUtf8(std::string_view bytes, std::wstring& out, bool strict) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size(), start = out.size();
  out.reserve(start + size);
  for (std::size_t i = 0; i < size;) {
    char32_t c;
    std::size_t length = Utf8SequenceAt(p + i, size - i, c);
    if (length == 0) {
      if (strict) {
        out.resize(start);
        return false;
      }
      c = 0xFFFD;
      length = 1;
    }
    out.push_back(static_cast<wchar_t>(c));
    i += length;
  }
  return true;
}

void DecodeWestern(std::string_view bytes, std::wstring& out) {
  out.reserve(out.size() + bytes.size());
  for (char byte : bytes) {
    auto b = static_cast<unsigned char>(byte);
    out.push_back(static_cast<wchar_t>(b >= 0x80 && b < 0xA0 ? kWestern80[b - 0x80] : b));
  }
}

// One converter each way for the life of the process; iconv_open reads
// tables from disk, which a conversion per name must not repeat.
iconv_t Converter(bool toWide) {
  static thread_local iconv_t decoder = iconv_open("UTF-32LE", "CP932");
  static thread_local iconv_t encoder = iconv_open("CP932", "UTF-32LE");
  return toWide ? decoder : encoder;
}

bool DecodeShiftJis(std::string_view bytes, std::wstring& out, bool strict) {
  iconv_t converter = Converter(true);
  const std::size_t start = out.size();
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    if (strict) return false;
    out.append(bytes.size(), L'\uFFFD');
    return true;
  }
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char32_t buffer[1024];
  while (inLeft > 0) {
    char* next = reinterpret_cast<char*>(buffer);
    std::size_t room = sizeof buffer;
    std::size_t result = iconv(converter, &in, &inLeft, &next, &room);
    for (const char32_t* c = buffer; reinterpret_cast<char*>(const_cast<char32_t*>(c)) < next; ++c)
      out.push_back(static_cast<wchar_t>(*c));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // An undefined or cut sequence: one byte of it is passed over.
    if (strict) {
      out.resize(start);
      return false;
    }
    out.push_back(L'\uFFFD');
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  return true;
}

void EncodeWestern(std::wstring_view text, std::string& out, char replacement, bool& replaced) {
  for (wchar_t wc : text) {
    auto c = static_cast<char32_t>(wc);
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    char byte = replacement;
    for (int i = 0; i < 32; ++i)
      if (kWestern80[i] == c) byte = static_cast<char>(0x80 + i);
    if (byte == replacement) replaced = true;
    out.push_back(byte);
  }
}

void EncodeShiftJis(std::wstring_view text, std::string& out, char replacement, bool& replaced) {
  iconv_t converter = Converter(false);
  for (wchar_t wc : text) {
    char32_t c = static_cast<char32_t>(wc);
    char bytes[8];
    char* in = reinterpret_cast<char*>(&c);
    char* next = bytes;
    std::size_t inLeft = sizeof c, room = sizeof bytes;
    if (converter != reinterpret_cast<iconv_t>(-1) &&
        iconv(converter, &in, &inLeft, &next, &room) != static_cast<std::size_t>(-1)) {
      out.append(bytes, static_cast<std::size_t>(next - bytes));
    } else {
      if (converter != reinterpret_cast<iconv_t>(-1)) iconv(converter, nullptr, nullptr, nullptr, nullptr);
      out.push_back(replacement);
      replaced = true;
    }
  }
}

}  // namespace

bool KnownCodePage(unsigned codePage) {
  return codePage == kAnsi || codePage == kUtf8 || codePage == kShiftJis || codePage == kWestern;
}

bool DecodeCodePage(unsigned codePage, std::string_view bytes, std::wstring& out, bool strict) {
  switch (codePage) {
    case kShiftJis:
      return DecodeShiftJis(bytes, out, strict);
    case kWestern:
      DecodeWestern(bytes, out);
      return true;
    default:
      return DecodeUtf8(bytes, out, strict);
  }
}

void EncodeCodePage(unsigned codePage, std::wstring_view text, std::string& out, char replacement, bool& replaced) {
  switch (codePage) {
    case kShiftJis:
      EncodeShiftJis(text, out, replacement, replaced);
      break;
    case kWestern:
      EncodeWestern(text, out, replacement, replaced);
      break;
    default:
      out += ToUtf8(text);
  }
}

}  // namespace compat
