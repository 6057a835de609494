// The binary format: every token is a 2-byte little-endian number; names,
// strings, integers, GUIDs and lists carry a record after it. A string ends
// with a ";" or "," token; an integer list holds 4-byte integers and a float
// list floats of the header's size. Punctuation and template keywords stand
// alone. Template declarations are read as tokens like any other and skipped
// by the readers, as in text.
#include "xfile/BinaryTokenReader.h"

#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "xfile/ModelBytes.h"
#include "xfile/ParseWarnings.h"
#include "xfile/TextDecoding.h"
#include "xfile/TokenReader.h"

XFILE_SHAPE_BEGIN

namespace {

enum BinaryToken : std::uint16_t {
  kName = 1,
  kString = 2,
  kInteger = 3,
  kGuid = 5,
  kIntegerList = 6,
  kFloatList = 7,
  kOpenBrace = 10,
  kCloseBrace = 11,
  kOpenParenthesis = 12,
  kCloseParenthesis = 13,
  kOpenBracket = 14,
  kCloseBracket = 15,
  kOpenAngle = 16,
  kCloseAngle = 17,
  kDot = 18,
  kComma = 19,
  kSemicolon = 20,
  kTemplate = 31,
  kFirstKeyword = 40,  // WORD, DWORD, FLOAT ... ARRAY
  kLastKeyword = 52,
};

// The words the stand-alone tokens read as.
const wchar_t* const kKeywords[] = {L"WORD",  L"DWORD",  L"FLOAT", L"DOUBLE",  L"CHAR",    L"UCHAR", L"SWORD",
                                    L"SDWORD", L"void", L"string", L"unicode", L"cstring", L"array"};
const wchar_t kPunctuation[] = L"{}()[]<>.";

// Bytes are taken from a buffer that is refilled in large reads.
constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

std::uint64_t Offset() { return g_Binary.bufferOffset + g_Binary.position; }

// Makes at least `count` bytes available at `position`; false when the data
// ends first.
bool Have(std::size_t count) {
  BinaryReader& r = g_Binary;
  if (r.end - r.position >= count) return true;
  if (r.dataDone) return false;
  std::memmove(r.buffer.data(), r.buffer.data() + r.position, r.end - r.position);
  r.bufferOffset += r.position;
  r.end -= r.position;
  r.position = 0;
  std::size_t want = r.buffer.size() - r.end;
  std::size_t got = ReadModelBytes(r.buffer.data() + r.end, want);
  r.end += got;
  if (got < want) r.dataDone = true;
  return r.end - r.position >= count;
}

template <typename T>
T Take() {
  T value;
  std::memcpy(&value, g_Binary.buffer.data() + g_Binary.position, sizeof value);
  g_Binary.position += sizeof value;
  return value;
}

// Ends the data at a fault of the binary stream, noting the container's own
// damage first where that is what cut the stream short.
bool Fail(const std::wstring& what) {
  g_Binary.ended = true;
  g_TokenFlags.atEnd = true;
  g_Token.clear();
  if (g_Binary.scanning) return false;
  NoteModelBytesDamage();
  if (ModelBytesDamage().empty()) Warn(ParseWarningKind::BinaryDamaged, [&] { return what; });
  return false;
}

std::wstring At(std::uint64_t offset) { return L" at " + PlaceText(offset); }

// Reads `count` bytes into `raw`, in pieces, so that a count that runs past
// the data costs no more than the data.
bool TakeBytes(std::uint32_t count, std::string& raw) {
  raw.clear();
  while (raw.size() < count) {
    if (!Have(1)) return false;
    std::size_t piece = std::min<std::size_t>(count - raw.size(), g_Binary.end - g_Binary.position);
    raw.append(g_Binary.buffer.data() + g_Binary.position, piece);
    g_Binary.position += piece;
  }
  return true;
}

// The next item of the list being handed out, where TakeBinaryListItemInPlace
// cannot take it.
bool TakeListItem() {
  BinaryReader& r = g_Binary;
  const bool integers = r.listNumber == kIntegerNumber;
  const std::size_t size = r.listItemBytes;
  r.tokenOffset = Offset();
  if (!Have(size)) {
    return Fail(std::wstring(L"the data ends inside ") + (integers ? L"an integer" : L"a float") + L" list of " +
                std::to_wstring(r.listCount) + L" items" + At(r.listOffset) + L", after " +
                std::to_wstring(r.listCount - r.listLeft) + L" of them");
  }
  // A 4-byte item now stands whole in the buffer; only 8-byte floats are
  // taken here.
  if (size == 4) return TakeBinaryListItemInPlace();
  --r.listLeft;
  g_TokenFloat = static_cast<float>(Take<double>());
  g_TokenFlags.number = kFloatNumber;
  g_Token.clear();
  return true;
}

void ChooseCodePage();

// A GUID reads as the text writes it: <xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx>.
void GuidToken() {
  const auto* bytes = reinterpret_cast<const unsigned char*>(g_Binary.buffer.data() + g_Binary.position);
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  static const int kOrder[] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11, 12, 13, 14, 15};
  g_Token.assign(1, L'<');
  for (int index : kOrder) {
    if (index < 0) {
      g_Token.push_back(L'-');
      continue;
    }
    g_Token.push_back(kHex[bytes[index] >> 4]);
    g_Token.push_back(kHex[bytes[index] & 0xF]);
  }
  g_Token.push_back(L'>');
  g_Binary.position += 16;
}

bool ReadOne() {
  BinaryReader& r = g_Binary;
  for (;;) {
    if (r.ended) return false;
    if (r.listLeft > 0) return TakeListItem();
    r.tokenOffset = Offset();
    if (!Have(2)) {
      if (r.end > r.position) return Fail(L"a token is cut short" + At(r.tokenOffset));
      r.ended = true;
      g_TokenFlags.atEnd = true;
      g_Token.clear();
      if (!r.scanning) NoteModelBytesDamage();
      return false;
    }
    const std::uint16_t token = Take<std::uint16_t>();
    switch (token) {
      case kName:
      case kString: {
        if (!Have(4)) return Fail(L"the data ends in the count of a name or string" + At(r.tokenOffset));
        const std::uint32_t count = Take<std::uint32_t>();
        if (!TakeBytes(count, r.raw))
          return Fail(L"a name or string of " + std::to_wstring(count) + L" bytes runs past the end of the data" +
                      At(r.tokenOffset));
        if (token == kString) {
          const std::uint64_t after = Offset();
          if (Have(2) && (r.buffer[r.position] == kSemicolon || r.buffer[r.position] == kComma) &&
              r.buffer[r.position + 1] == 0) {
            r.position += 2;
          } else if (!r.scanning) {
            Warn(ParseWarningKind::StringUnterminated, [&] { return L"at " + PlaceText(after); });
          }
          // An empty string is no token, as in text.
          if (r.raw.empty()) continue;
        }
        if (!r.codePageChosen && !IsAscii(r.raw.data(), r.raw.size())) ChooseCodePage();
        DecodeText(g_ModelCodePage, r.raw.data(), r.raw.size(), g_Token);
        g_TokenFlags.quoted = token == kString;
        return true;
      }
      case kInteger:
        if (!Have(4)) return Fail(L"the data ends inside an integer" + At(r.tokenOffset));
        g_TokenInteger = static_cast<std::int32_t>(Take<std::uint32_t>());
        g_TokenFlags.number = kIntegerNumber;
        g_Token.clear();
        return true;
      case kGuid:
        if (!Have(16)) return Fail(L"the data ends inside a GUID" + At(r.tokenOffset));
        GuidToken();
        return true;
      case kIntegerList:
      case kFloatList:
        if (!Have(4)) return Fail(L"the data ends in the count of a list" + At(r.tokenOffset));
        r.listNumber = token == kIntegerList ? kIntegerNumber : kFloatNumber;
        r.listItemBytes = static_cast<std::uint8_t>(token == kIntegerList ? 4 : r.floatBytes);
        r.listCount = r.listLeft = Take<std::uint32_t>();
        r.listOffset = r.tokenOffset;
        continue;
      case kComma:
      case kSemicolon:
        continue;  // separators, as in text
      case kOpenBrace:
      case kCloseBrace:
        g_Token.assign(1, token == kOpenBrace ? L'{' : L'}');
        if (!r.scanning) TakeBinaryBrace(g_Token[0], r.tokenOffset);
        return true;
      case kTemplate:
        g_Token = L"template";
        return true;
      default:
        if (token >= kOpenParenthesis && token <= kDot) {
          g_Token.assign(1, kPunctuation[token - kOpenBrace]);
          return true;
        }
        if (token >= kFirstKeyword && token <= kLastKeyword) {
          g_Token = kKeywords[token - kFirstKeyword];
          return true;
        }
        return Fail(L"token type " + std::to_wstring(token) + L" does not exist" + At(r.tokenOffset));
    }
  }
}

void Restart(unsigned floatBytes) {
  BinaryReader& r = g_Binary;
  r.buffer.resize(kBufferBytes);
  r.position = r.end = 0;
  r.bufferOffset = 0;
  r.dataDone = false;
  r.floatBytes = floatBytes;
  r.listNumber = kNoNumber;
  r.listItemBytes = 0;
  r.listLeft = r.listCount = 0;
  r.ended = false;
  // The header is no token.
  char header[kModelHeaderBytes];
  r.bufferOffset = ReadModelBytes(header, sizeof header);
  if (r.bufferOffset < kModelHeaderBytes) r.dataDone = true;
}

// The names and strings of the whole data choose the code page: UTF-8 where
// all are valid UTF-8, else Shift-JIS where all are valid as that, else
// Windows-1252. The choice is made when the first name or string outside
// ASCII comes, the current one: all before it were ASCII, valid in each, so
// the data is read ahead from there to its end (lists passed over unread),
// then read again from its start up to where the reader stood.
void ChooseCodePage() {
  BinaryReader& r = g_Binary;
  r.codePageChosen = true;
  CodePageChoice choice;
  choice.See(r.raw.data(), r.raw.size());
  const std::uint64_t resume = Offset();
  const std::uint64_t tokenOffset = r.tokenOffset;
  const std::string current = r.raw;
  const TokenReaderFlags flags = g_TokenFlags;
  r.scanning = true;
  while (!choice.Settled()) {
    if (r.listLeft > 0) {
      std::uint64_t bytes = std::uint64_t{r.listLeft} * r.listItemBytes;
      while (bytes > 0 && Have(1)) {
        std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, r.end - r.position));
        r.position += step;
        bytes -= step;
      }
      r.listLeft = 0;
    }
    // Only the token reader clears the kind of number before a token; this
    // pass reads tokens itself, so a name after a number is a name.
    g_TokenFlags.number = kNoNumber;
    if (!ReadOne()) break;
    if (g_TokenFlags.number != kNoNumber || g_Token.empty()) continue;
    choice.See(r.raw.data(), r.raw.size());
  }
  r.scanning = false;
  g_ModelCodePage = choice.CodePage();

  RestartModelBytes();
  Restart(r.floatBytes);
  while (Offset() < resume && Have(1)) {
    r.position += static_cast<std::size_t>(std::min<std::uint64_t>(resume - Offset(), r.end - r.position));
  }
  r.tokenOffset = tokenOffset;
  r.raw = current;
  g_TokenFlags = flags;
}

}  // namespace

BinaryReader g_Binary;

void BeginBinaryTokens(unsigned floatBytes) {
  g_Binary.codePageChosen = false;
  Restart(floatBytes);
}

void EndBinaryTokens() { g_Binary = BinaryReader{}; }

bool ReadBinaryToken() { return ReadOne(); }

// The next item of a list being read needs no token of its own.
bool ReadBinaryNumberToken() {
  return g_Binary.listLeft > 0 && !g_Binary.ended ? TakeListItem() : ReadOne();
}

std::uint64_t BinaryTokenOffset() { return g_Binary.ended ? Offset() : g_Binary.tokenOffset; }

XFILE_SHAPE_END
