// The binary format (its token codes in BinaryTokens.h). A string ends
// with a ";" or "," token; an integer list holds 4-byte integers and a float
// list floats of the header's size. Punctuation and template keywords stand
// alone. Template declarations are read as tokens like any other and skipped
// by the readers, as in text.
#include "xfile/BinaryTokenizer.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "xfile/BinaryTokens.h"
#include "xfile/TextDecoding.h"

XFILE_SHAPE_BEGIN

namespace {

using namespace xfile_binary;

// The words the stand-alone tokens read as.
const wchar_t* const kKeywords[] = {L"WORD",  L"DWORD",  L"FLOAT", L"DOUBLE",  L"CHAR",    L"UCHAR", L"SWORD",
                                    L"SDWORD", L"void", L"string", L"unicode", L"cstring", L"array"};
const wchar_t kPunctuation[] = L"{}()[]<>.";

// Bytes are taken from a buffer that is refilled in large reads.
constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

}  // namespace

BinaryTokenizer::BinaryTokenizer(ModelBytes& bytes, CurrentToken& token, BracePlaces& braces,
                                 ParseWarnings& warnings, unsigned floatBytes)
    : bytes_(bytes), token_(token), braces_(braces), warnings_(warnings), floatBytes_(floatBytes), codePage_(CP_UTF8) {
  state_.buffer.resize(kBufferBytes);
  // The header is no token.
  char header[kModelHeaderBytes];
  state_.bufferOffset = bytes_.Read(header, sizeof header);
  if (state_.bufferOffset < kModelHeaderBytes) state_.dataDone = true;
}

// Makes at least `count` bytes available at `position`; false when the data
// ends first.
bool BinaryTokenizer::Have(std::size_t count) {
  State& r = state_;
  if (r.end - r.position >= count) return true;
  if (r.dataDone) return false;
  std::memmove(r.buffer.data(), r.buffer.data() + r.position, r.end - r.position);
  r.bufferOffset += r.position;
  r.end -= r.position;
  r.position = 0;
  std::size_t want = r.buffer.size() - r.end;
  std::size_t got = bytes_.Read(r.buffer.data() + r.end, want);
  r.end += got;
  if (got < want) r.dataDone = true;
  return r.end - r.position >= count;
}

template <typename T>
T BinaryTokenizer::Take() {
  T value;
  std::memcpy(&value, state_.buffer.data() + state_.position, sizeof value);
  state_.position += sizeof value;
  return value;
}

// Ends the data at a fault of the binary stream, noting the container's own
// damage first where that is what cut the stream short.
bool BinaryTokenizer::Fail(const std::wstring& what) {
  state_.ended = true;
  token_.atEnd = true;
  token_.text.clear();
  if (scanning_) return false;
  warnings_.NoteDataDamage();
  if (bytes_.Damage().empty()) warnings_.Warn(ParseWarningKind::BinaryDamaged, [&] { return what; });
  return false;
}

std::wstring BinaryTokenizer::At(std::uint64_t offset) const { return L" at " + warnings_.PlaceText(offset); }

// Reads `count` bytes into `raw`, in pieces, so that a count that runs past
// the data costs no more than the data.
bool BinaryTokenizer::TakeBytes(std::uint32_t count, std::string& raw) {
  raw.clear();
  while (raw.size() < count) {
    if (!Have(1)) return false;
    std::size_t piece = std::min<std::size_t>(count - raw.size(), state_.end - state_.position);
    raw.append(state_.buffer.data() + state_.position, piece);
    state_.position += piece;
  }
  return true;
}

// The next item of the list being handed out, where TakeListItemInPlace
// cannot take it.
bool BinaryTokenizer::TakeListItem() {
  State& r = state_;
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
  if (size == 4) return TakeListItemInPlace();
  --r.listLeft;
  token_.real = Take<double>();
  token_.single = static_cast<float>(token_.real);
  token_.number = kFloatNumber;
  token_.text.clear();
  return true;
}

// A GUID reads as the text writes it: <xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx>.
void BinaryTokenizer::GuidToken() {
  const auto* bytes = reinterpret_cast<const unsigned char*>(state_.buffer.data() + state_.position);
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  static const int kOrder[] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11, 12, 13, 14, 15};
  std::wstring& text = token_.text;
  text.assign(1, L'<');
  for (int index : kOrder) {
    if (index < 0) {
      text.push_back(L'-');
      continue;
    }
    text.push_back(kHex[bytes[index] >> 4]);
    text.push_back(kHex[bytes[index] & 0xF]);
  }
  text.push_back(L'>');
  state_.position += 16;
}

bool BinaryTokenizer::Read() {
  State& r = state_;
  std::wstring& text = token_.text;
  for (;;) {
    if (r.ended) return false;
    if (r.listLeft > 0) return TakeListItem();
    r.tokenOffset = Offset();
    if (!Have(2)) {
      if (r.end > r.position) return Fail(L"a token is cut short" + At(r.tokenOffset));
      r.ended = true;
      token_.atEnd = true;
      text.clear();
      if (!scanning_) warnings_.NoteDataDamage();
      return false;
    }
    const auto token = Take<std::uint16_t>();
    switch (token) {
      case kName:
      case kString: {
        if (!Have(4)) return Fail(L"the data ends in the count of a name or string" + At(r.tokenOffset));
        const auto count = Take<std::uint32_t>();
        if (!TakeBytes(count, r.raw))
          return Fail(L"a name or string of " + std::to_wstring(count) + L" bytes runs past the end of the data" +
                      At(r.tokenOffset));
        if (token == kString) {
          const std::uint64_t after = Offset();
          if (Have(2) && (r.buffer[r.position] == kSemicolon || r.buffer[r.position] == kComma) &&
              r.buffer[r.position + 1] == 0) {
            r.position += 2;
          } else if (!scanning_) {
            warnings_.Warn(ParseWarningKind::StringUnterminated, [&] { return L"at " + warnings_.PlaceText(after); });
          }
          // An empty string is no token, as in text.
          if (r.raw.empty()) continue;
        }
        if (!codePageChosen_ && !IsAscii(r.raw.data(), r.raw.size())) {
          codePageChosen_ = true;
          codePage_ = ChooseCodePage(bytes_, [this](CodePageChoice& choice) { SeeAhead(choice); });
        }
        DecodeText(codePage_, r.raw.data(), r.raw.size(), text);
        token_.quoted = token == kString;
        return true;
      }
      case kInteger:
        if (!Have(4)) return Fail(L"the data ends inside an integer" + At(r.tokenOffset));
        token_.integer = static_cast<std::int32_t>(Take<std::uint32_t>());
        token_.number = kIntegerNumber;
        text.clear();
        return true;
      case kGuid:
        if (!Have(16)) return Fail(L"the data ends inside a GUID" + At(r.tokenOffset));
        GuidToken();
        return true;
      case kIntegerList:
      case kFloatList:
        if (!Have(4)) return Fail(L"the data ends in the count of a list" + At(r.tokenOffset));
        r.listNumber = token == kIntegerList ? kIntegerNumber : kFloatNumber;
        r.listItemBytes = static_cast<std::uint8_t>(token == kIntegerList ? 4 : floatBytes_);
        r.listCount = r.listLeft = Take<std::uint32_t>();
        r.listOffset = r.tokenOffset;
        continue;
      case kComma:
      case kSemicolon:
        continue;  // separators, as in text
      case kOpenBrace:
      case kCloseBrace:
        text.assign(1, token == kOpenBrace ? L'{' : L'}');
        if (!scanning_) braces_.Take(text[0], r.tokenOffset);
        return true;
      case kTemplate:
        text = L"template";
        return true;
      default:
        if (token >= kOpenParenthesis && token <= kDot) {
          text.assign(1, kPunctuation[token - kOpenBrace]);
          return true;
        }
        if (token >= kFirstKeyword && token <= kLastKeyword) {
          text = kKeywords[token - kFirstKeyword];
          return true;
        }
        return Fail(L"token type " + std::to_wstring(token) + L" does not exist" + At(r.tokenOffset));
    }
  }
}

// Shows the choice of code page the names and strings of the rest of the
// data, from the current one on (lists are passed over unread), then goes
// back to where the tokenizer stood.
void BinaryTokenizer::SeeAhead(CodePageChoice& choice) {
  State& r = state_;
  choice.See(r.raw.data(), r.raw.size());
  const State saved = r;
  const bool atEnd = token_.atEnd, quoted = token_.quoted;
  const std::uint8_t pending = token_.pending, number = token_.number;
  scanning_ = true;
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
    // Only the reader clears the kind of number before a token; this pass
    // reads tokens itself, so a name after a number is a name.
    token_.number = kNoNumber;
    if (!Read()) break;
    if (token_.number != kNoNumber || token_.text.empty()) continue;
    choice.See(r.raw.data(), r.raw.size());
  }
  scanning_ = false;
  r = saved;
  token_.atEnd = atEnd;
  token_.quoted = quoted;
  token_.pending = pending;
  token_.number = number;
}

XFILE_SHAPE_END
