#include "XFileRecode.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <map>
#include <optional>

#include "ConvertMessages.h"
#include "platform/TextConversion.h"
#include "xfile/ModelReader.h"
#include "xfile/RecordReading.h"
#include "xfile/TokenReader.h"

namespace xfileconvert {

namespace {

// The format of a model file by its first 16 bytes: a binary or compressed
// header, else text (the reader has accepted the file before this is asked).
struct SourceFormat {
  ModelFormat format = ModelFormat::Text;
  unsigned floatBytes = 4;
  std::uint64_t fileBytes = 0;
};

// A compressed file's bytes inflate to at most this many times as many (deflate's largest ratio).
constexpr std::uint64_t kMostInflation = 1032;

SourceFormat FormatOf(std::FILE* file) {
  SourceFormat source;
  char header[16];
  const std::size_t got = std::fread(header, 1, sizeof header, file);
  std::rewind(file);
  if (got < sizeof header || std::memcmp(header, "xof ", 4) != 0) return source;
  if (std::memcmp(header + 8, "bin ", 4) == 0) source.format = ModelFormat::Binary;
  if (std::memcmp(header + 8, "tzip", 4) == 0) source.format = ModelFormat::CompressedText;
  if (std::memcmp(header + 8, "bzip", 4) == 0) source.format = ModelFormat::CompressedBinary;
  source.floatBytes = std::memcmp(header + 12, "0064", 4) == 0 ? 8 : 4;
  return source;
}

std::uint64_t SizeOf(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return UINT64_MAX;
  const long size = std::ftell(file);
  std::rewind(file);
  return size < 0 ? UINT64_MAX : static_cast<std::uint64_t>(size);
}

bool LooksNumeric(const std::wstring& word) {
  if (word.empty()) return false;
  const wchar_t c = word[0] == L'-' || word[0] == L'+' ? (word.size() > 1 ? word[1] : L'x') : word[0];
  return (c >= L'0' && c <= L'9') || c == L'.';
}

// What a recoding found that did not fit, said once per file at its end.
struct Findings {
  std::map<std::string, std::string> unknownKinds;  // kind -> where first met
  std::uint64_t countsBounded = 0;
  std::string firstBounded;
  std::uint64_t strayValues = 0;
  std::string firstStray;
  std::string firstShort;
};

// Reads the source's tokens and writes each template and data object again.
class Recoder {
 public:
  Recoder(ModelReader& reader, const SourceFormat& source, XDataWriter& writer, XTemplateSet& templates,
          const std::string& shownName)
      : reader_(reader), source_(source), writer_(writer), templates_(templates), shownName_(shownName) {}

  void Run() {
    while (ReadToken()) {
      if (TokenIs(L"template")) {
        ReadTemplate();
      } else if (IsValueToken()) {
        Stray();
      } else if (TokenIsBrace()) {
        if (TokenIsOpenBrace()) SkipNestedRecord();
        Stray();
      } else {
        ReadObject(TokenText());
      }
    }
  }

  const Findings& Found() const { return findings_; }

 private:
  // Names and strings in the code page the file was written in.
  std::string Bytes(const std::wstring& text) const {
    std::string out;
    if (text.empty()) return out;
    const unsigned page = reader_.CodePage();
    const int length =
        WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0) return out;
    out.resize(static_cast<std::size_t>(length));
    WideCharToMultiByte(page, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
    return out;
  }

  std::string Place() const { return ToUtf8(PlaceText(TokenPlace())); }

  // A number or a string where an object's kind belongs.
  bool IsValueToken() {
    const CurrentToken& token = reader_.token;
    return token.number != kNoNumber || token.quoted || LooksNumeric(TokenText());
  }

  void Stray() {
    if (findings_.strayValues++ == 0) findings_.firstStray = Place();
  }

  // A declaration: its name, then its words up to its closing brace.
  void ReadTemplate() {
    const std::string place = Place();
    ReadToken();
    const std::string name = Bytes(TokenText());
    std::vector<std::string> words;
    while (ReadToken()) {
      const CurrentToken& token = reader_.token;
      words.push_back(token.number == kIntegerNumber ? std::to_string(token.integer) : Bytes(TokenText()));
      if (TokenIsCloseBrace()) break;
    }
    XTemplate declared;
    declared.name = name;
    std::size_t consumed = 0;
    std::string error;
    if (!ParseTemplateWords(words, declared, consumed, error)) {
      Say(ConvertMessage::TemplateNotRead, shownName_.c_str(), name.c_str(), place.c_str(), error.c_str());
      return;
    }
    templates_.Declare(std::move(declared));
  }

  // The word just read is an object's kind: its name and brace follow.
  void ReadObject(const std::wstring& kindWord) {
    const std::string kind = Bytes(kindWord);
    const std::string place = Place();
    std::string name;
    if (!ReadToken()) return;
    if (!TokenIsOpenBrace()) {
      name = Bytes(TokenText());
      if (!ReadToken()) return;
      if (!TokenIsOpenBrace()) {
        // Neither a name nor a brace: no object.
        UnreadToken();
        Stray();
        return;
      }
    }
    std::optional<XGuid> uuid;
    if (ReadToken()) {
      XGuid parsed;
      if (reader_.token.number == kNoNumber && !reader_.token.quoted && TokenText().size() == 38 &&
          XGuid::Parse(Bytes(TokenText()), parsed)) {
        uuid = parsed;
      } else {
        UnreadToken();
      }
    }
    const XTemplate* type = templates_.Find(kind);
    if (type) {
      writer_.Begin(*type, name, uuid ? &*uuid : nullptr);
      ReadValues();
      if (!writer_.ValuesDone() && findings_.firstShort.empty())
        findings_.firstShort = kind + " at " + place;
    } else {
      findings_.unknownKinds.emplace(kind, place);
      writer_.BeginUntyped(kind, name, uuid ? &*uuid : nullptr);
    }
    ReadChildren(type == nullptr);
    writer_.End();
  }

  // The values of a typed object, as many as its template lays out.
  void ReadValues() {
    while (!writer_.ValuesDone()) {
      const XPrimitive type = writer_.Expected();
      const bool read = IsStringType(type) ? ReadToken() : reader_.ReadNumberToken();
      if (TokenIsBrace()) {
        UnreadToken();
        // The reader gives no token for an empty string ("");
        if (IsStringType(type)) {
          writer_.String("");
          continue;
        }
        return;  // else the object's values end early, and the writer completes them
      }
      if (!read && TokenText().empty()) return;
      WriteValue(type);
      if (!read) return;
    }
  }

  // The current token as the next value, read as `type` wants it.
  void WriteValue(XPrimitive type) {
    const CurrentToken& token = reader_.token;
    if (token.quoted || IsStringType(type)) {
      writer_.String(Bytes(TokenText()));
    } else if (IsFloatType(type)) {
      writer_.Float(RealOf());
    } else {
      std::int64_t value = IntegerOf(type);
      if (writer_.ExpectsSize()) value = Bounded(value);
      writer_.Integer(value);
    }
  }

  double RealOf() {
    const CurrentToken& token = reader_.token;
    switch (token.number) {
      case kTextNumber: return token.real;
      case kIntegerNumber: return token.integer;
      case kFloatNumber: return source_.floatBytes == 8 ? token.real : double{token.single};
      default: return _wtof(TokenText().c_str());
    }
  }

  // An integer of the file, unsigned where its type is: a DWORD may hold
  // values beyond the signed range.
  std::int64_t IntegerOf(XPrimitive type) {
    const CurrentToken& token = reader_.token;
    const bool isUnsigned = type == XPrimitive::Dword || type == XPrimitive::Word || type == XPrimitive::Uchar;
    switch (token.number) {
      case kTextNumber:
        if (token.real == std::floor(token.real) && token.real >= -2147483648.0 && token.real <= 4294967295.0)
          return static_cast<std::int64_t>(token.real);
        return token.integer;
      case kIntegerNumber:
        return isUnsigned ? static_cast<std::int64_t>(static_cast<std::uint32_t>(token.integer)) : token.integer;
      case kFloatNumber: {
        const double real = RealOf();
        return std::isnan(real) ? 0 : static_cast<std::int64_t>(std::fmax(-2147483648.0, std::fmin(real, 4294967295.0)));
      }
      default:
        return _wtol(TokenText().c_str());
    }
  }

  // A count is never trusted beyond what the rest of the file could hold:
  // each counted item takes at least one byte of it.
  std::int64_t Bounded(std::int64_t count) {
    const std::uint64_t most =
        reader_.bytes.Compressed() ? source_.fileBytes * kMostInflation : reader_.RemainingBytes();
    if (count < 0 || static_cast<std::uint64_t>(count) <= most) return count < 0 ? 0 : count;
    if (findings_.countsBounded++ == 0)
      findings_.firstBounded = std::to_string(count) + " at " + Place() + " (written as " + std::to_string(most) + ")";
    return static_cast<std::int64_t>(most);
  }

  // The object's children up to its closing brace: objects, references,
  // and, in an object of an unknown kind, its values.
  void ReadChildren(bool untyped) {
    while (ReadToken()) {
      if (TokenIsCloseBrace()) return;
      if (TokenIsOpenBrace()) {
        ReadReference();
      } else if (IsValueToken()) {
        if (untyped) {
          WriteUntypedValue();
        } else {
          Stray();
        }
      } else {
        ReadObject(TokenText());
      }
    }
  }

  void WriteUntypedValue() {
    const CurrentToken& token = reader_.token;
    if (token.quoted) {
      writer_.String(Bytes(TokenText()));
    } else if (token.number == kIntegerNumber ||
               (token.number == kNoNumber && TokenText().find_first_of(L".eE") == std::wstring::npos)) {
      writer_.Integer(IntegerOf(XPrimitive::Sdword));
    } else {
      writer_.Float(RealOf());
    }
  }

  // "{ name }" or "{ name <GUID> }", its brace just read.
  void ReadReference() {
    if (!ReadToken() || TokenIsCloseBrace()) return;
    const std::string name = Bytes(TokenText());
    std::optional<XGuid> uuid;
    while (ReadToken() && !TokenIsCloseBrace()) {
      XGuid parsed;
      if (XGuid::Parse(Bytes(TokenText()), parsed)) uuid = parsed;
    }
    writer_.Reference(name, uuid ? &*uuid : nullptr);
  }

  ModelReader& reader_;
  const SourceFormat source_;
  XDataWriter& writer_;
  XTemplateSet& templates_;
  const std::string& shownName_;
  Findings findings_;
};

void ReportRecoding(const std::string& shownName, const Findings& found, const XWriteAdjustments& adjusted) {
  const char* name = shownName.c_str();
  for (const auto& [kind, place] : found.unknownKinds)
    Say(ConvertMessage::UnknownTemplate, name, kind.c_str(), place.c_str());
  if (found.countsBounded)
    Say(ConvertMessage::CountsBounded, name, static_cast<unsigned long long>(found.countsBounded),
        found.firstBounded.c_str());
  if (adjusted.missingValues)
    Say(ConvertMessage::ValuesMissing, name, static_cast<unsigned long long>(adjusted.missingValues),
        found.firstShort.c_str());
  if (found.strayValues + adjusted.droppedValues)
    Say(ConvertMessage::ValuesDropped, name, static_cast<unsigned long long>(found.strayValues + adjusted.droppedValues),
        found.firstStray.empty() ? "after an object's last member" : ("at " + found.firstStray).c_str());
  if (adjusted.notFinite) Say(ConvertMessage::NotFinite, name, static_cast<unsigned long long>(adjusted.notFinite));
  if (adjusted.retyped) Say(ConvertMessage::Retyped, name, static_cast<unsigned long long>(adjusted.retyped));
  if (adjusted.renamed) Say(ConvertMessage::Renamed, name, static_cast<unsigned long long>(adjusted.renamed));
}

}  // namespace

std::string RecodedModel(std::FILE* file, const std::string& shownName, const XFileFormat& format,
                         bool declareTemplates) {
  SourceFormat source = FormatOf(file);
  source.fileBytes = SizeOf(file);
  XTemplateSet templates;
  XDataWriter writer(format.encoding, format.floatBytes);
  Findings found;
  {
    ModelReader reader(file, source.format, source.floatBytes, false, source.fileBytes);
    // A text file's header is its first words: "xof", the version and
    // format, and the float size (which a compressed text file's format
    // word holds).
    if (!IsBinary(source.format)) {
      ReadToken();
      ReadToken();
      if (source.format == ModelFormat::Text) ReadToken();
    }
    Recoder recoder(reader, source, writer, templates, shownName);
    recoder.Run();
    found = recoder.Found();
  }
  ReportRecoding(shownName, found, writer.Adjustments());
  const XFileBytes bytes =
      WholeXFile(format, DeclarationsOf(templates.Declared(), writer.Used(), declareTemplates), writer.Body());
  std::string whole = bytes.head;
  whole += bytes.body;
  return whole;
}

}  // namespace xfileconvert
