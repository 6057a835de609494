#include "JsonWriter.h"

#include <cmath>
#include <cstdio>

namespace xfileinfo {

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_ += ',';
    first_.back() = false;
  }
}

void JsonWriter::BeginObject() {
  BeforeValue();
  out_ += '{';
  first_.push_back(true);
}

void JsonWriter::EndObject() {
  out_ += '}';
  first_.pop_back();
}

void JsonWriter::BeginArray() {
  BeforeValue();
  out_ += '[';
  first_.push_back(true);
}

void JsonWriter::EndArray() {
  out_ += ']';
  first_.pop_back();
}

void JsonWriter::Key(std::string_view name) {
  BeforeValue();
  out_ += '"';
  out_ += name;
  out_ += "\":";
  afterKey_ = true;
}

void JsonWriter::Key(std::wstring_view name) {
  String(name);
  out_ += ':';
  afterKey_ = true;
}

void JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::Int(std::int64_t value) {
  BeforeValue();
  out_ += std::to_string(value);
}

// Nine significant digits identify every float; JSON has no infinity or NaN,
// so those are written as null.
void JsonWriter::Float(float value) {
  BeforeValue();
  if (!std::isfinite(value)) {
    out_ += "null";
    return;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  out_ += text;
}

void JsonWriter::Floats(const float* values, std::size_t count) {
  BeginArray();
  for (std::size_t i = 0; i < count; ++i) Float(values[i]);
  EndArray();
}

void JsonWriter::String(std::wstring_view text) {
  BeforeValue();
  out_ += '"';
  char escape[16];
  for (wchar_t wide : text) {
    auto c = static_cast<std::uint32_t>(wide);
    if (c == '"' || c == '\\') {
      out_ += '\\';
      out_ += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out_ += static_cast<char>(c);
    } else if (c == '\n') {
      out_ += "\\n";
    } else if (c == '\r') {
      out_ += "\\r";
    } else if (c == '\t') {
      out_ += "\\t";
    } else if (c > 0xFFFF && c <= 0x10FFFF) {
      c -= 0x10000;
      std::snprintf(escape, sizeof escape, "\\u%04x\\u%04x", 0xD800 + (c >> 10), 0xDC00 + (c & 0x3FF));
      out_ += escape;
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04x", c > 0xFFFF ? 0xFFFDu : c);
      out_ += escape;
    }
  }
  out_ += '"';
}

}  // namespace xfileinfo
