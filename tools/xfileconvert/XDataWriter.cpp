#include "XDataWriter.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <future>
#include <type_traits>
#include <utility>

#include "BinaryFormat.h"
#include "TextNumbers.h"

namespace xfileconvert {

namespace {

// Runs of text at least this long are formatted on two cores.
constexpr std::size_t kRunPerCore = std::size_t{1} << 15;

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
  MaybeFlush();
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

void XDataWriter::Floats(const float* values, std::size_t count) { Values(values, count); }
void XDataWriter::Integers(const std::uint32_t* values, std::size_t count) { Values(values, count); }

template <typename T>
void XDataWriter::Values(const T* values, std::size_t count) {
  constexpr bool kFloats = std::is_floating_point_v<T>;
  for (std::size_t i = 0; i < count;) {
    OpenObject& object = open_.back();
    if (!object.untyped && !object.cursor.Done() && !IsStringType(object.cursor.Expected()) &&
        IsFloatType(object.cursor.Expected()) == kFloats) {
      const MemberCursor::Run run = object.cursor.RunAhead();
      const std::size_t used = run.elements > 0 ? WriteRun(run, values + i, count - i) : 0;
      if (used > 0) {
        i += used;
        continue;
      }
    }
    if constexpr (kFloats) {
      Float(values[i++]);
    } else {
      Integer(values[i++]);
    }
  }
}

// Writes as many whole elements of `run` as `values` hold; returns how many
// values they took. A long run of text is formatted in two halves at once,
// the second on another core: formatting its numbers is most of the work of
// writing a large mesh.
template <typename T>
std::size_t XDataWriter::WriteRun(const MemberCursor::Run& run, const T* values, std::size_t count) {
  const RunLayout layout = LayOutRun(run, values, count);
  const std::size_t elements = layout.Elements();
  if (elements == 0) return 0;
  if (encoding_ == XEncoding::Binary) {
    constexpr bool kFloats = std::is_floating_point_v<T>;
    auto finite = [this](double real) {
      if (std::isfinite(real)) return real;
      ++adjustments_.notFinite;
      return 0.0;
    };
    const std::size_t numbers = layout.Values();
    if constexpr (kFloats) {
      ListItem(true, 0, finite(values[0]));
    } else {
      ListItem(false, values[0], 0);
    }
    // The rest join the list the first began, as the list holds them.
    const std::size_t itemBytes = kFloats ? floatBytes_ : 4;
    const std::size_t at = body_.size();
    body_.resize(at + (numbers - 1) * itemBytes);
    char* out = body_.data() + at;
    for (std::size_t v = 1; v < numbers; ++v, out += itemBytes) {
      if constexpr (kFloats) {
        const double real = finite(values[v]);
        const float narrow = static_cast<float>(real);
        std::memcpy(out, itemBytes == 4 ? static_cast<const void*>(&narrow) : static_cast<const void*>(&real), itemBytes);
      } else {
        const auto item = static_cast<std::uint32_t>(values[v]);
        std::memcpy(out, &item, 4);
      }
    }
    listCount_ += static_cast<std::uint32_t>(numbers - 1);
  } else {
    const std::size_t indent = open_.size();
    const std::size_t half = elements >= kRunPerCore ? elements / 2 : elements;
    std::future<std::pair<std::string, std::uint64_t>> second;
    if (half < elements)
      second = std::async(std::launch::async, [&, half] {
        std::string text;
        bool started = LineStartedAfter(run, half - 1);
        const std::uint64_t notFinite =
            FormatTextRun(text, run, layout, values, half, elements, floatBytes_, indent, started);
        return std::pair{std::move(text), notFinite};
      });
    adjustments_.notFinite += FormatTextRun(body_, run, layout, values, 0, half, floatBytes_, indent, lineStarted_);
    if (second.valid()) {
      auto [text, notFinite] = second.get();
      body_ += text;
      adjustments_.notFinite += notFinite;
      lineStarted_ = LineStartedAfter(run, elements - 1);
    }
  }
  open_.back().cursor.TakeElements(elements);
  MaybeFlush();
  return layout.Values();
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
  MaybeFlush();
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

void XDataWriter::Flush() {
  if (!sink_) return;
  // An open list's count is patched when it ends: it stays behind.
  const std::size_t handed = listCountAt_ ? listCountAt_ - 2 : body_.size();
  sink_(std::string_view(body_).substr(0, handed));
  body_.erase(0, handed);
  if (listCountAt_) listCountAt_ -= handed;
}

void XDataWriter::Indent() {
  if (lineStarted_) return;
  body_.append(open_.size(), ' ');
  lineStarted_ = true;
}

void XDataWriter::TextNumber(std::int64_t value) {
  Indent();
  AppendTextInteger(body_, value);
}

void XDataWriter::TextFloat(double value) {
  Indent();
  AppendTextFloat(body_, value, floatBytes_);
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
