#include "xfile/TextTokenizer.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "xfile/DecimalText.h"
#include "xfile/TextDecoding.h"
#include "xfile/TokenEcho.h"

XFILE_SHAPE_BEGIN

namespace {

enum CharClass : unsigned char { Word, Separator, LineFeed, Brace, Slash, Quote };

struct CharClasses {
  CharClass of[256];
  constexpr CharClasses() : of() {
    for (auto& c : of) c = Word;
    of[static_cast<unsigned char>('\n')] = LineFeed;
    of[static_cast<unsigned char>(' ')] = Separator;
    of[static_cast<unsigned char>(';')] = Separator;
    of[static_cast<unsigned char>(',')] = Separator;
    of[static_cast<unsigned char>('"')] = Quote;
    of[static_cast<unsigned char>('{')] = Brace;
    of[static_cast<unsigned char>('}')] = Brace;
    of[static_cast<unsigned char>('/')] = Slash;
  }
};
constexpr CharClasses kClasses;

inline CharClass ClassOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

constexpr int kEnd = -1;

// The tokens are taken from each block's text in UTF-8: the bytes as they
// stand where the file is ASCII or UTF-8, else the block converted from the
// file's code page. So a file of ASCII is never decoded, and its code page is
// chosen only when its first byte outside ASCII comes.
constexpr std::size_t kBlockBytes = std::size_t{1} << 18;

// Where the undecoded bytes of `raw` are cut: after the last line feed, else
// after the last other byte below 0x40 (no multibyte character of UTF-8 or
// Shift-JIS holds one); at the end once the file is done.
std::size_t CutOf(const std::vector<char>& raw, bool fileDone) {
  if (fileDone || raw.empty()) return raw.size();
  for (std::size_t i = raw.size(); i > 0; --i)
    if (raw[i - 1] == '\n') return i;
  for (std::size_t i = raw.size(); i > 0; --i) {
    auto b = static_cast<unsigned char>(raw[i - 1]);
    if (b < 0x40 && b != '\r') return i;
  }
  // A block without a single such byte (no text file looks like this): cut
  // at its end, keeping a final carriage return for its line feed.
  return raw.back() == '\r' ? raw.size() - 1 : raw.size();
}

bool StartsWithByteOrderMark(const std::vector<char>& raw) {
  return raw.size() >= 3 && std::memcmp(raw.data(), "\xEF\xBB\xBF", 3) == 0;
}

// Drops the carriage return of each CR LF pair in bytes [0, cut) of `raw`, as
// the Windows C runtime's text mode reads a file; the bytes after the cut
// move up behind the kept ones. The new cut is returned.
std::size_t DropCarriageReturns(std::vector<char>& raw, std::size_t cut) {
  char* bytes = raw.data();
  char* first = static_cast<char*>(std::memchr(bytes, '\r', cut));
  if (!first) return cut;
  std::size_t kept = static_cast<std::size_t>(first - bytes);
  for (std::size_t i = kept; i < cut; ++i) {
    if (bytes[i] == '\r' && i + 1 < cut && bytes[i + 1] == '\n') continue;
    bytes[kept++] = bytes[i];
  }
  raw.erase(raw.begin() + static_cast<std::ptrdiff_t>(kept), raw.begin() + static_cast<std::ptrdiff_t>(cut));
  return kept;
}

}  // namespace

TextTokenizer::TextTokenizer(ModelBytes& bytes, CurrentToken& token, BracePlaces& braces, ParseWarnings& warnings,
                             bool echo)
    : bytes_(bytes), token_(token), braces_(braces), warnings_(warnings), echo_(echo), codePage_(CP_UTF8) {}

// Reads more of the file after the bytes already at the front of `raw`;
// returns how many bytes came.
std::size_t TextTokenizer::ReadBlock(std::vector<char>& raw, bool& fileDone) {
  const std::size_t carried = raw.size();
  raw.resize(carried + kBlockBytes);
  std::size_t got = bytes_.Read(raw.data() + carried, kBlockBytes);
  raw.resize(carried + got);
  if (got < kBlockBytes) fileDone = true;
  return got;
}

// Shows the choice of code page the rest of the file, from the current
// block on: what the file has given already, then blocks read ahead to its
// end or until only Windows-1252 is left.
void TextTokenizer::SeeAhead(CodePageChoice& choice) {
  std::size_t cut = CutOf(raw_, fileDone_);
  choice.See(raw_.data(), cut);
  std::vector<char> ahead(raw_.begin() + static_cast<std::ptrdiff_t>(cut), raw_.end());
  bool aheadDone = fileDone_;
  if (aheadDone) choice.See(ahead.data(), ahead.size());
  while (!aheadDone && !choice.Settled()) {
    ReadBlock(ahead, aheadDone);
    std::size_t aheadCut = CutOf(ahead, aheadDone);
    choice.See(ahead.data(), aheadCut);
    ahead.erase(ahead.begin(), ahead.begin() + static_cast<std::ptrdiff_t>(aheadCut));
  }
}

// Takes the next block of text; false once the file has nothing more.
bool TextTokenizer::Refill() {
  for (;;) {
    base_ += size_;
    raw_.erase(raw_.begin(), raw_.begin() + static_cast<std::ptrdiff_t>(blockBytes_));
    blockBytes_ = size_ = position_ = 0;
    if (!fileDone_) ReadBlock(raw_, fileDone_);
    if (raw_.empty()) return false;
    std::size_t cut = CutOf(raw_, fileDone_);
    if (!codePageChosen_ && !IsAscii(raw_.data(), cut)) {
      codePageChosen_ = true;
      codePage_ = ChooseCodePage(bytes_, [this](CodePageChoice& choice) { SeeAhead(choice); });
    }
    // A byte-order mark is no text of the file: neither read nor echoed.
    if (atStart_ && StartsWithByteOrderMark(raw_)) {
      raw_.erase(raw_.begin(), raw_.begin() + 3);
      cut -= 3;
    }
    atStart_ = false;
    cut = DropCarriageReturns(raw_, cut);
    blockBytes_ = cut;
    if (codePage_ != CP_UTF8 && !IsAscii(raw_.data(), cut)) {
      ConvertToUtf8(codePage_, raw_.data(), cut, converted_);
      text_ = converted_.data();
      size_ = converted_.size();
    } else {
      text_ = raw_.data();
      size_ = cut;
    }
    if (size_ > 0) return true;
    if (fileDone_ && raw_.empty()) return false;
  }
}

// True while the current block has text left, refilling it when it has not;
// false at the end of the file, which is then noted.
inline bool TextTokenizer::HaveText() {
  if (position_ < size_ || Refill()) return true;
  if (!token_.atEnd) warnings_.NoteDataDamage();
  token_.atEnd = true;
  return false;
}

// The characters of a quoted string whose opening quote was taken, up to its
// closing quote or the end of its line. False when the string is empty.
template <bool kEcho>
bool TextTokenizer::ReadString() {
  quoteOpen_ = false;
  std::wstring& text = token_.text;
  auto warnUnclosed = [this] {
    warnings_.Warn(ParseWarningKind::QuoteUnclosed, [this] { return L"at line " + std::to_wstring(TokenLine()); });
  };
  for (;;) {
    if (!HaveText()) {
      warnUnclosed();
      break;
    }
    const std::size_t begin = position_;
    std::size_t end = begin;
    while (end < size_ && ClassOf(text_[end]) != Quote && ClassOf(text_[end]) != LineFeed) ++end;
    AppendUtf8(text_ + begin, text_ + end, text);
    Echo<kEcho>(text_ + begin, text_ + end);
    position_ = end;
    if (end == size_) continue;
    const auto c = static_cast<unsigned char>(text_[end]);
    ++position_;
    EchoByte<kEcho>(c);
    if (c == '"') break;
    warnUnclosed();
    TakeLineFeed();
    break;
  }
  token_.quoted = !text.empty();
  return token_.quoted;
}

// The byte after the current one, across a block's end; the current one is
// taken either way.
int TextTokenizer::TakeAndPeek() {
  ++position_;
  if (!HaveText()) return kEnd;
  return static_cast<unsigned char>(text_[position_]);
}

template <bool kEcho>
bool TextTokenizer::ReadCharacters() {
  std::wstring& text = token_.text;
  if (quoteOpen_ && ReadString<kEcho>()) return true;
  for (;;) {
    if (!HaveText()) return false;
    if (inComment_) {
      // A comment runs to its line feed, which is read as any other.
      const void* lineFeed = std::memchr(text_ + position_, '\n', size_ - position_);
      if (!lineFeed) {
        position_ = size_;
        continue;
      }
      position_ = static_cast<std::size_t>(static_cast<const char*>(lineFeed) - text_);
      inComment_ = false;
    }
    const std::size_t at = position_;
    const CharClass kind = ClassOf(text_[at]);
    if (kind == Word) {
      // The hot path: the characters of a word, taken as one run of the
      // block, until something else comes; a word that runs on into the next
      // block takes two runs.
      std::size_t end = at + 1;
      while (end < size_ && ClassOf(text_[end]) == Word) ++end;
      AppendUtf8(text_ + at, text_ + end, text);
      Echo<kEcho>(text_ + at, text_ + end);
      position_ = end;
      continue;
    }
    const auto c = static_cast<unsigned char>(text_[at]);
    if (kind == Slash) {
      if (TakeAndPeek() == '/') {
        ++position_;
        inComment_ = true;
        continue;
      }
      // A single slash belongs to the word; the character after it is handled next.
      EchoByte<kEcho>(c);
      text.push_back(L'/');
      continue;
    }
    ++position_;
    EchoByte<kEcho>(c);
    if (kind == Quote) {
      // A quote ends the word before it; the string it opens comes next.
      quoteOpen_ = true;
      if (!text.empty()) return true;
      if (ReadString<kEcho>()) return true;
      continue;
    }
    if (kind == Brace) {
      braces_.Take(static_cast<wchar_t>(c), lines_.line);
      if (text.empty()) {
        text.push_back(static_cast<wchar_t>(c));
      } else {
        heldBrace_ = c;
        token_.pending = kBracePending;
      }
      return true;
    }
    if (kind == LineFeed) TakeLineFeed();
    // A separator or a line feed ends a word.
    if (!text.empty()) return true;
  }
}

bool TextTokenizer::Read() {
  if (token_.pending) {
    token_.pending = 0;
    token_.text.assign(1, static_cast<wchar_t>(heldBrace_));
    return true;
  }
  token_.text.clear();
  return echo_ ? ReadCharacters<true>() : ReadCharacters<false>();
}

// A word where a number was expected: read as ReadToken reads it.
bool TextTokenizer::ReadWord() {
  token_.quoted = false;
  token_.number = kNoNumber;
  return Read();
}

bool TextTokenizer::ReadNumber() {
  if (echo_ || quoteOpen_ || inComment_) return ReadWord();
  // The separators and line feeds before the number, within the block.
  const char* const text = text_;
  std::size_t at = position_;
  for (; at < size_; ++at) {
    const CharClass kind = ClassOf(text[at]);
    if (kind == Separator) continue;
    if (kind != LineFeed) break;
    position_ = at + 1;
    TakeLineFeed();
  }
  position_ = at;
  // The number must end in the block, at a separator or a line feed, which
  // is taken with it as it would end a word; anything else is read as a word.
  xfile_text::DecimalReadings readings;
  const char* end = xfile_text::ScanDecimal(text + at, text + size_, readings);
  if (!end || end == text + size_) return ReadWord();
  const CharClass after = ClassOf(*end);
  if (after != Separator && after != LineFeed) return ReadWord();
  token_.quoted = false;
  token_.number = kTextNumber;
  token_.integer = readings.integer;
  token_.real = readings.real;
  token_.text.clear();
  token_.numberText = std::string_view(text + at, static_cast<std::size_t>(end - (text + at)));
  position_ = static_cast<std::size_t>(end - text) + 1;
  if (after == LineFeed) TakeLineFeed();
  return true;
}

XFILE_SHAPE_END
