#include "XDataWriter.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "BinaryFormat.h"

namespace xfileconvert {

namespace {

void Patch32(std::string& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A float where an integer belongs: truncated toward zero, held at the ends
// of the 32-bit range, NaN as 0 (as the reader takes one).
std::int64_t IntegerOf(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 4294967295.0) return 4294967295;
  if (value <= -2147483648.0) return -2147483648LL;
  return static_cast<std::int64_t>(value);
}

// Characters that end a word of the text format, or open a comment or a
// GUID: a name that holds one cannot be written as it is.
bool EndsTextWord(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';' || c == ',' || c == '"' || c == '{' ||
         c == '}' || c == '/' || c == '#' || c == '<' || c == '>' || c == '[' || c == ']';
}

}  // namespace

XDataWriter::XDataWriter(XEncoding encoding, unsigned floatBytes) : encoding_(encoding), floatBytes_(floatBytes) {}

void XDataWriter::Use(const XTemplate& type) {
  if (!used_.insert(&type).second) return;
  for (const XMember& member : type.members)
    if (member.type) Use(*member.type);
}

bool XDataWriter::ValuesDone() const {
  const OpenObject& object = open_.back();
  return !object.untyped && object.cursor.Done();
}

void XDataWriter::BeginObject(std::string_view type, std::string_view name, const XGuid* uuid) {
  if (!open_.empty()) CompleteValues();
  if (encoding_ == XEncoding::Binary) {
    EndList();
    TokenWithBytes(kName, type);
    if (!name.empty()) TokenWithBytes(kName, name);
    Token(kOpenBrace);
    if (uuid) {
      Token(kGuid);
      body_.append(reinterpret_cast<const char*>(uuid->bytes.data()), uuid->bytes.size());
    }
  } else {
    if (lineStarted_) body_ += '\n';
    Indent();
    body_ += type;
    if (!name.empty()) {
      body_ += ' ';
      TextName(name);
    }
    body_ += " {\n";
    lineStarted_ = false;
    if (uuid) {
      open_.emplace_back();  // for the indentation
      Indent();
      open_.pop_back();
      body_ += uuid->Text();
      body_ += '\n';
    }
  }
  open_.emplace_back();
}

void XDataWriter::Begin(const XTemplate& type, std::string_view name, const XGuid* uuid) {
  Use(type);
  BeginObject(type.name, name, uuid);
  const std::string_view before = open_.back().cursor.Start(type);
  if (encoding_ == XEncoding::Text && !before.empty()) {
    Indent();
    body_ += before;
    body_ += '\n';
  }
}

void XDataWriter::BeginUntyped(std::string_view type, std::string_view name, const XGuid* uuid) {
  BeginObject(type, name, uuid);
  open_.back().untyped = true;
}

// Completes the current object's values with 0 and "" before its children.
void XDataWriter::CompleteValues() {
  OpenObject& object = open_.back();
  while (!object.untyped && !object.cursor.Done()) {
    ++adjustments_.missingValues;
    const XPrimitive type = object.cursor.Expected();
    if (IsStringType(type)) {
      PutString("");
    } else if (IsFloatType(type)) {
      PutFloat(0);
    } else {
      PutInteger(0);
    }
  }
  if (encoding_ == XEncoding::Text && lineStarted_) {
    body_ += '\n';
    lineStarted_ = false;
  }
}

void XDataWriter::AfterValue(std::uint64_t size) {
  OpenObject& object = open_.back();
  if (object.untyped) {
    if (encoding_ == XEncoding::Text) body_ += ';';
    return;
  }
  const std::string_view separators = object.cursor.Take(size);
  if (encoding_ == XEncoding::Binary) {
    // Each member of an object in lists of its own, as readers that take a
    // member's numbers list by list expect.
    if (object.cursor.MemberEnds()) EndList();
    return;
  }
  body_ += separators;
  if (object.cursor.LineEnds()) {
    body_ += '\n';
    lineStarted_ = false;
  }
}

// Whether the current object takes another value; counts it dropped when not.
bool XDataWriter::TakesValue() {
  const OpenObject& object = open_.back();
  if (object.untyped || !object.cursor.Done()) return true;
  ++adjustments_.droppedValues;
  return false;
}

XPrimitive XDataWriter::NextType(XPrimitive untyped) const {
  const OpenObject& object = open_.back();
  return object.untyped ? untyped : object.cursor.Expected();
}

void XDataWriter::Integer(std::int64_t value) {
  if (!TakesValue()) return;
  const XPrimitive type = NextType(XPrimitive::Sdword);
  if (IsFloatType(type)) {
    PutFloat(static_cast<double>(value));
  } else if (IsStringType(type)) {
    ++adjustments_.retyped;
    PutString(std::to_string(value));
  } else {
    PutInteger(value);
  }
}

void XDataWriter::Float(double value) {
  if (!TakesValue()) return;
  if (!std::isfinite(value)) {
    ++adjustments_.notFinite;
    value = 0;
  }
  const XPrimitive type = NextType(XPrimitive::Float);
  if (IsIntegerType(type)) {
    PutInteger(IntegerOf(value));
  } else if (IsStringType(type)) {
    ++adjustments_.retyped;
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    PutString(std::string_view(text, static_cast<std::size_t>(end - text)));
  } else {
    PutFloat(value);
  }
}

void XDataWriter::String(std::string_view value) {
  if (!TakesValue()) return;
  const XPrimitive type = NextType(XPrimitive::String);
  if (IsStringType(type)) {
    PutString(value);
    return;
  }
  ++adjustments_.retyped;
  if (IsFloatType(type)) {
    PutFloat(0);
  } else {
    PutInteger(0);
  }
}

void XDataWriter::PutInteger(std::int64_t value) {
  if (encoding_ == XEncoding::Binary) {
    ListItem(false, value, 0);
  } else {
    TextNumber(value);
  }
  AfterValue(value < 0 ? 0 : static_cast<std::uint64_t>(value));
}

void XDataWriter::PutFloat(double value) {
  if (encoding_ == XEncoding::Binary) {
    ListItem(true, 0, value);
  } else {
    TextFloat(value);
  }
  AfterValue(0);
}

void XDataWriter::PutString(std::string_view value) {
  OpenObject& object = open_.back();
  if (encoding_ == XEncoding::Binary) {
    EndList();
    TokenWithBytes(kString, value);
    // The terminator is the separator the text puts after the string.
    const std::string_view separators = object.untyped ? std::string_view(";") : object.cursor.Take();
    Token(separators.substr(0, 1) == "," ? kComma : kSemicolon);
    return;
  }
  TextString(value);
  AfterValue(0);
}

void XDataWriter::Reference(std::string_view name, const XGuid* uuid) {
  CompleteValues();
  if (encoding_ == XEncoding::Binary) {
    EndList();
    Token(kOpenBrace);
    TokenWithBytes(kName, name);
    if (uuid) {
      Token(kGuid);
      body_.append(reinterpret_cast<const char*>(uuid->bytes.data()), uuid->bytes.size());
    }
    Token(kCloseBrace);
    return;
  }
  Indent();
  body_ += "{ ";
  TextName(name);
  if (uuid) {
    body_ += ' ';
    body_ += uuid->Text();
  }
  body_ += " }\n";
  lineStarted_ = false;
}

void XDataWriter::End() {
  CompleteValues();
  open_.pop_back();
  if (encoding_ == XEncoding::Binary) {
    EndList();
    Token(kCloseBrace);
    return;
  }
  Indent();
  body_ += "}\n";
  lineStarted_ = false;
}

void XDataWriter::Indent() {
  if (lineStarted_) return;
  body_.append(open_.size(), ' ');
  lineStarted_ = true;
}

void XDataWriter::TextNumber(std::int64_t value) {
  Indent();
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  body_.append(text, static_cast<std::size_t>(end - text));
}

// The shortest digits that read back to the same float of the file's size,
// never with an exponent, always with a decimal point.
void XDataWriter::TextFloat(double value) {
  Indent();
  char text[400];
  const auto end = floatBytes_ == 4
                       ? std::to_chars(text, text + sizeof text, static_cast<float>(value), std::chars_format::fixed).ptr
                       : std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
  const std::string_view written(text, static_cast<std::size_t>(end - text));
  body_ += written;
  if (written.find('.') == std::string_view::npos) body_ += ".0";
}

void XDataWriter::TextName(std::string_view name) {
  bool renamed = false;
  for (char c : name) {
    if (EndsTextWord(c)) {
      renamed = true;
      c = '_';
    }
    body_ += c;
  }
  if (renamed) ++adjustments_.renamed;
}

void XDataWriter::TextString(std::string_view value) {
  Indent();
  body_ += '"';
  for (char c : value) {
    if (c == '"' || c == '\n' || c == '\r') {
      ++adjustments_.renamed;
      c = c == '"' ? '\'' : ' ';
    }
    body_ += c;
  }
  body_ += '"';
}

// Binary numbers: consecutive numbers of one kind share one list.
void XDataWriter::ListItem(bool floats, std::int64_t integer, double real) {
  if (listCountAt_ != 0 && listFloats_ != floats) EndList();
  if (listCountAt_ == 0) {
    Token(floats ? kFloatList : kIntegerList);
    listCountAt_ = body_.size();
    Put32(body_, 0);
    listCount_ = 0;
    listFloats_ = floats;
  }
  if (!floats) {
    Put32(body_, static_cast<std::uint32_t>(integer));
  } else if (floatBytes_ == 4) {
    const float narrow = static_cast<float>(real);
    body_.append(reinterpret_cast<const char*>(&narrow), sizeof narrow);
  } else {
    body_.append(reinterpret_cast<const char*>(&real), sizeof real);
  }
  ++listCount_;
}

void XDataWriter::EndList() {
  if (listCountAt_ == 0) return;
  Patch32(body_, listCountAt_, listCount_);
  listCountAt_ = 0;
}

void XDataWriter::Token(std::uint16_t token) { Put16(body_, token); }

void XDataWriter::TokenWithBytes(std::uint16_t token, std::string_view bytes) {
  PutTokenWithBytes(body_, token, bytes);
}

}  // namespace xfileconvert
