#include "xfile/TokenReader.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "xfile/BinaryTokenReader.h"
#include "xfile/DecimalText.h"
#include "xfile/ModelBytes.h"
#include "xfile/ParseWarnings.h"
#include "xfile/TextDecoding.h"

XFILE_SHAPE_BEGIN

FILE* g_ModelFile = nullptr;
TokenReaderFlags g_TokenFlags;
std::wstring g_ModelDirectory;
std::wstring g_Token;
unsigned g_ModelCodePage = CP_UTF8;
std::int32_t g_TokenInteger = 0;
float g_TokenFloat = 0;
double g_TokenReal = 0;

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

constexpr int kEnd = -1;

struct ReaderState {
  unsigned char current = 0;  // the brace held back when it ended a word
  bool inComment = false;
  bool quoteOpen = false;  // a quote ended a word: the next token is the string it opens
  bool echo = false;
  bool echoEnabled = true;
  std::uint64_t size = 0;
  // Lines are counted at line feeds only, not per token: a token never spans
  // a line, so its line is the current one unless a line feed ended it.
  std::uint32_t line = 1;
  std::uint64_t lineStart = 0;  // bytes of text consumed when the current line began
  std::uint64_t openBraces = 0;
  bool binary = false;
};
ReaderState g_Reader;

// The file comes in blocks of raw bytes; each block is cut after its last
// line feed (never inside a UTF-8 or Shift-JIS character), and the bytes
// after the cut wait at the front of the next block. The tokens are taken
// from the block's text in UTF-8: the bytes as they stand where the file is
// ASCII or UTF-8, else the block converted from the file's code page. So a
// file of ASCII is never decoded, and its code page is chosen only when its
// first byte outside ASCII comes.
constexpr std::size_t kBlockBytes = std::size_t{1} << 18;

struct TextSource {
  std::vector<char> raw;     // undecoded bytes: the block, then the carry
  std::size_t blockBytes = 0;  // bytes at the front of `raw` that make the current block
  bool fileDone = false;     // the file has given its last byte
  std::uint64_t given = 0;   // bytes the file has given so far
  bool atStart = true;       // nothing has been taken yet
  bool codePageChosen = false;
  std::string converted;     // the block in UTF-8, where the file's code page is not
  const char* text = nullptr;  // the current block's text, in UTF-8
  std::size_t size = 0;
  std::size_t position = 0;  // the next byte of `text`
  std::uint64_t base = 0;    // bytes of text taken before the current block
};
TextSource g_Source;

std::uint64_t Consumed() { return g_Source.base + g_Source.position; }

// Lines of the open braces, innermost last; only the outermost levels are
// remembered, so a file of nothing but "{" costs no memory.
constexpr std::size_t kMostRememberedBraces = 1024;
std::vector<std::uint64_t> g_OpenBraceLines;

void TakeBrace(wint_t brace, std::uint64_t place) {
  if (brace == L'{') {
    if (g_OpenBraceLines.size() < kMostRememberedBraces) g_OpenBraceLines.push_back(place);
    ++g_Reader.openBraces;
  } else if (g_Reader.openBraces > 0) {
    if (g_Reader.openBraces == g_OpenBraceLines.size()) g_OpenBraceLines.pop_back();
    --g_Reader.openBraces;
  }
}

// The unlocked wide-character output of the C runtime where it has it; the
// older msvcrt (before version 8) has only the locking one.
#if defined(__MSVCRT_VERSION__) && __MSVCRT_VERSION__ < 0x800 && !defined(_UCRT)
inline void PutCharacter(wchar_t c, FILE* file) { fputwc(c, file); }
#else
inline void PutCharacter(wchar_t c, FILE* file) { _fputwc_nolock(c, file); }
#endif

// Appends UTF-8 text to a wide string: ASCII widened directly, the rest
// decoded.
void AppendUtf8(const char* begin, const char* end, std::wstring& out) {
  const char* ascii = begin;
  while (ascii < end && static_cast<unsigned char>(*ascii) < 0x80) ++ascii;
  // Widened in place: appending a range of another character type would
  // build a temporary string first.
  const std::size_t kept = out.size();
  out.resize(kept + static_cast<std::size_t>(ascii - begin));
  std::copy(begin, ascii, out.data() + kept);
  if (ascii == end) return;
  const int size = static_cast<int>(end - ascii);
  const int length = MultiByteToWideChar(CP_UTF8, 0, ascii, size, nullptr, 0);
  if (length <= 0) return;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_UTF8, 0, ascii, size, out.data() + at, length);
}

// Whether to echo is settled per file, so the reading loop is built twice and
// the one without echo tests nothing for it per character. The echo writes
// the text's characters as decoded.
template <bool kEcho>
inline void Echo(const char* begin, const char* end) {
  if constexpr (kEcho) {
    const char* ascii = begin;
    while (ascii < end && static_cast<unsigned char>(*ascii) < 0x80) PutCharacter(static_cast<wchar_t>(*ascii++), stdout);
    if (ascii == end) return;
    std::wstring decoded;
    AppendUtf8(ascii, end, decoded);
    for (wchar_t c : decoded) PutCharacter(c, stdout);
  }
}
template <bool kEcho>
inline void EchoByte(unsigned char c) {
  if constexpr (kEcho) PutCharacter(static_cast<wchar_t>(c), stdout);
}

// Reads more of the file after the bytes already at the front of `raw`;
// returns how many bytes came.
std::size_t ReadBlock(std::vector<char>& raw, bool& fileDone) {
  const std::size_t carried = raw.size();
  raw.resize(carried + kBlockBytes);
  std::size_t got = ReadModelBytes(raw.data() + carried, kBlockBytes);
  raw.resize(carried + got);
  if (got < kBlockBytes) fileDone = true;
  return got;
}

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

// The code page, chosen when the first byte outside ASCII comes: UTF-8 where
// all of the file is valid UTF-8, else Shift-JIS where all of it is valid as
// that, else Windows-1252, which decodes every byte. What came before was
// ASCII, valid in each; the rest of the file, from the current block on, is
// read ahead to its end and then read again up to where the reader stands.
void ChooseCodePage() {
  TextSource& source = g_Source;
  source.codePageChosen = true;
  CodePageChoice choice;
  std::size_t cut = CutOf(source.raw, source.fileDone);
  choice.See(source.raw.data(), cut);
  if (source.fileDone || choice.Settled()) {
    choice.See(source.raw.data() + cut, source.raw.size() - cut);
    g_ModelCodePage = choice.CodePage();
    return;
  }
  std::vector<char> ahead(source.raw.begin() + static_cast<std::ptrdiff_t>(cut), source.raw.end());
  bool aheadDone = false;
  while (!aheadDone && !choice.Settled()) {
    ReadBlock(ahead, aheadDone);
    std::size_t aheadCut = CutOf(ahead, aheadDone);
    choice.See(ahead.data(), aheadCut);
    ahead.erase(ahead.begin(), ahead.begin() + static_cast<std::ptrdiff_t>(aheadCut));
  }
  g_ModelCodePage = choice.CodePage();
  // Back to where the reader stood: the file from its start, up to the bytes
  // it had given.
  RestartModelBytes();
  std::vector<char> skipped(kBlockBytes);
  for (std::uint64_t left = source.given; left > 0;) {
    std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(left, skipped.size()));
    std::size_t got = ReadModelBytes(skipped.data(), step);
    left -= got;
    if (got < step) break;
  }
}

// Takes the next block of text; false once the file has nothing more.
bool Refill() {
  TextSource& source = g_Source;
  for (;;) {
    source.base += source.size;
    source.raw.erase(source.raw.begin(), source.raw.begin() + static_cast<std::ptrdiff_t>(source.blockBytes));
    source.blockBytes = source.size = source.position = 0;
    if (!source.fileDone) source.given += ReadBlock(source.raw, source.fileDone);
    if (source.raw.empty()) return false;
    std::size_t cut = CutOf(source.raw, source.fileDone);
    if (!source.codePageChosen && !IsAscii(source.raw.data(), cut)) ChooseCodePage();
    // A byte-order mark is no text of the file: neither read nor echoed.
    if (source.atStart && StartsWithByteOrderMark(source.raw)) {
      source.raw.erase(source.raw.begin(), source.raw.begin() + 3);
      cut -= 3;
    }
    source.atStart = false;
    cut = DropCarriageReturns(source.raw, cut);
    source.blockBytes = cut;
    if (g_ModelCodePage != CP_UTF8 && !IsAscii(source.raw.data(), cut)) {
      ConvertToUtf8(g_ModelCodePage, source.raw.data(), cut, source.converted);
      source.text = source.converted.data();
      source.size = source.converted.size();
    } else {
      source.text = source.raw.data();
      source.size = cut;
    }
    if (source.size > 0) return true;
    if (source.fileDone && source.raw.empty()) return false;
  }
}

// True while the current block has text left, refilling it when it has not;
// false at the end of the file, which is then noted.
inline bool HaveText() {
  if (g_Source.position < g_Source.size || Refill()) return true;
  if (!g_TokenFlags.atEnd) NoteModelBytesDamage();
  g_TokenFlags.atEnd = true;
  return false;
}

void TakeLineFeed() {
  ++g_Reader.line;
  g_Reader.lineStart = Consumed();
}

// The text of the last number read where it stood, in the current block.
const char* g_NumberBegin = nullptr;
const char* g_NumberEnd = nullptr;

inline CharClass ClassAt(std::size_t i) { return kClasses.of[static_cast<unsigned char>(g_Source.text[i])]; }

// The characters of a quoted string whose opening quote was taken, up to its
// closing quote or the end of its line. False when the string is empty.
template <bool kEcho>
bool ReadString() {
  g_Reader.quoteOpen = false;
  for (;;) {
    if (!HaveText()) {
      Warn(ParseWarningKind::QuoteUnclosed, [] { return L"at line " + std::to_wstring(TokenLine()); });
      break;
    }
    const std::size_t begin = g_Source.position;
    std::size_t end = begin;
    while (end < g_Source.size && ClassAt(end) != Quote && ClassAt(end) != LineFeed) ++end;
    AppendUtf8(g_Source.text + begin, g_Source.text + end, g_Token);
    Echo<kEcho>(g_Source.text + begin, g_Source.text + end);
    g_Source.position = end;
    if (end == g_Source.size) continue;
    const unsigned char c = static_cast<unsigned char>(g_Source.text[end]);
    ++g_Source.position;
    EchoByte<kEcho>(c);
    if (c == '"') break;
    Warn(ParseWarningKind::QuoteUnclosed, [] { return L"at line " + std::to_wstring(TokenLine()); });
    TakeLineFeed();
    break;
  }
  g_TokenFlags.quoted = !g_Token.empty();
  return g_TokenFlags.quoted;
}

// The byte after the current one, across a block's end; the current one is
// taken either way.
int TakeAndPeek() {
  ++g_Source.position;
  if (!HaveText()) return kEnd;
  return static_cast<unsigned char>(g_Source.text[g_Source.position]);
}

template <bool kEcho>
bool ReadCharacters() {
  if (g_Reader.quoteOpen && ReadString<kEcho>()) return true;
  for (;;) {
    if (!HaveText()) return false;
    if (g_Reader.inComment) {
      // A comment runs to its line feed, which is read as any other.
      const char* text = g_Source.text;
      const void* lineFeed = std::memchr(text + g_Source.position, '\n', g_Source.size - g_Source.position);
      if (!lineFeed) {
        g_Source.position = g_Source.size;
        continue;
      }
      g_Source.position = static_cast<std::size_t>(static_cast<const char*>(lineFeed) - text);
      g_Reader.inComment = false;
    }
    const std::size_t at = g_Source.position;
    const CharClass kind = ClassAt(at);
    if (kind == Word) {
      // The hot path: the characters of a word, taken as one run of the
      // block, until something else comes; a word that runs on into the next
      // block takes two runs.
      std::size_t end = at + 1;
      while (end < g_Source.size && ClassAt(end) == Word) ++end;
      AppendUtf8(g_Source.text + at, g_Source.text + end, g_Token);
      Echo<kEcho>(g_Source.text + at, g_Source.text + end);
      g_Source.position = end;
      continue;
    }
    const auto c = static_cast<unsigned char>(g_Source.text[at]);
    if (kind == Slash) {
      if (TakeAndPeek() == '/') {
        ++g_Source.position;
        g_Reader.inComment = true;
        continue;
      }
      // A single slash belongs to the word; the character after it is handled next.
      EchoByte<kEcho>(c);
      g_Token.push_back(L'/');
      continue;
    }
    ++g_Source.position;
    EchoByte<kEcho>(c);
    if (kind == Quote) {
      // A quote ends the word before it; the string it opens comes next.
      g_Reader.quoteOpen = true;
      if (!g_Token.empty()) return true;
      if (ReadString<kEcho>()) return true;
      continue;
    }
    if (kind == Brace) {
      TakeBrace(c, g_Reader.line);
      if (g_Token.empty()) {
        g_Token.push_back(static_cast<wchar_t>(c));
      } else {
        g_Reader.current = c;
        g_TokenFlags.pending = kBracePending;
      }
      return true;
    }
    if (kind == LineFeed) TakeLineFeed();
    // A separator or a line feed ends a word.
    if (!g_Token.empty()) return true;
  }
}

}  // namespace

void BeginTokens(FILE* file, bool echo, ModelFormat format, unsigned floatBytes) {
  // Nothing of a file whose reading was cut short stays, not even a list
  // that the list readers would take items from.
  EndBinaryTokens();
  bool enabled = g_Reader.echoEnabled;
  g_Reader = ReaderState{};
  g_TokenFlags = TokenReaderFlags{};
  g_Reader.echoEnabled = enabled;
  g_Reader.echo = echo;
  g_Reader.size = UINT64_MAX;
  g_ModelFile = file;
  g_Token.clear();
  g_OpenBraceLines.clear();
  g_Source = TextSource{};
  BeginModelBytes(file, format == ModelFormat::CompressedText || format == ModelFormat::CompressedBinary);
  g_Reader.binary = format == ModelFormat::Binary || format == ModelFormat::CompressedBinary;
  g_ModelCodePage = CP_UTF8;
  if (g_Reader.binary) BeginBinaryTokens(floatBytes);
}

void EndTokens() {
  EndBinaryTokens();
  EndModelBytes();
  g_Source = TextSource{};
  g_ModelFile = nullptr;
}

void SetModelSize(std::uint64_t bytes) { g_Reader.size = bytes; }

bool ReadToken() {
  g_TokenFlags.quoted &= (g_TokenFlags.pending & kTokenAgain) != 0;
  if (g_TokenFlags.pending & kTokenAgain) {
    g_TokenFlags.pending &= ~kTokenAgain;
    return true;
  }
  g_TokenFlags.number = kNoNumber;
  if (g_Reader.binary) return ReadBinaryToken();
  if (g_TokenFlags.pending) {
    g_TokenFlags.pending = 0;
    g_Token.clear();
    g_Token.push_back(static_cast<wchar_t>(g_Reader.current));
    return true;
  }
  g_Token.clear();
  return g_Reader.echo ? ReadCharacters<true>() : ReadCharacters<false>();
}

bool ReadNumberToken() {
  if (g_Reader.binary && g_TokenFlags.pending == 0) {
    g_TokenFlags.quoted = false;
    g_TokenFlags.number = kNoNumber;
    return ReadBinaryNumberToken();
  }
  if (g_Reader.binary || g_Reader.echo || g_TokenFlags.pending || g_Reader.quoteOpen || g_Reader.inComment)
    return ReadToken();
  // The separators and line feeds before the number, within the block.
  TextSource& source = g_Source;
  const char* const text = source.text;
  const std::size_t size = source.size;
  std::size_t at = source.position;
  for (; at < size; ++at) {
    const CharClass kind = ClassAt(at);
    if (kind == Separator) continue;
    if (kind != LineFeed) break;
    source.position = at + 1;
    TakeLineFeed();
  }
  source.position = at;
  // The number must end in the block, at a separator or a line feed, which
  // is taken with it as it would end a word; anything else is read as a word.
  xfile_text::DecimalReadings readings;
  const char* end = xfile_text::ScanDecimal(text + at, text + size, readings);
  if (!end || end == text + size) return ReadToken();
  const CharClass after = kClasses.of[static_cast<unsigned char>(*end)];
  if (after != Separator && after != LineFeed) return ReadToken();
  g_TokenFlags.quoted = false;
  g_TokenFlags.number = kTextNumber;
  g_TokenInteger = readings.integer;
  g_TokenReal = readings.real;
  g_Token.clear();
  g_NumberBegin = text + at;
  g_NumberEnd = end;
  source.position = static_cast<std::size_t>(end - text) + 1;
  if (after == LineFeed) TakeLineFeed();
  return true;
}

const std::wstring& TokenText() {
  if (g_TokenFlags.number == kTextNumber && g_Token.empty()) AppendUtf8(g_NumberBegin, g_NumberEnd, g_Token);
  return g_Token;
}

// A number read where it stood takes its text with it, since the block it
// stood in may be gone by the time it is read again.
void UnreadToken() {
  TokenText();
  g_TokenFlags.pending |= kTokenAgain;
}

// Nothing is read after a token until the next call, so a token that a line
// feed ended is the one whose line began just where the reader stands.
std::uint32_t TokenLine() {
  bool afterLineFeed = Consumed() == g_Reader.lineStart && g_Reader.line > 1;
  return afterLineFeed ? g_Reader.line - 1 : g_Reader.line;
}

std::uint64_t TokenPlace() { return g_Reader.binary ? BinaryTokenOffset() : TokenLine(); }

std::wstring PlaceText(std::uint64_t place) {
  if (!g_Reader.binary) return L"line " + std::to_wstring(place);
  std::wstring text = L"offset " + std::to_wstring(place);
  if (std::uint32_t block = BlockOfOffset(place)) text += L" (block " + std::to_wstring(block) + L")";
  return text;
}

bool ReadingBinary() { return g_Reader.binary; }

std::uint64_t OpenBraces() { return g_Reader.openBraces; }

std::uint64_t InnermostBraceLine() { return g_OpenBraceLines.empty() ? 0 : g_OpenBraceLines.back(); }

void TakeBinaryBrace(wchar_t brace, std::uint64_t place) { TakeBrace(brace, place); }

// A compressed file's data holds no more than what has been decompressed so
// far: its size field is never trusted.
std::uint64_t RemainingModelBytes() {
  const std::uint64_t consumed = ConsumedModelBytes();
  const std::uint64_t size = ModelBytesCompressed() ? ModelBytesGiven() : g_Reader.size;
  return consumed < size ? size - consumed : 0;
}

std::uint64_t ConsumedModelBytes() { return g_Reader.binary ? BinaryTokenOffset() : Consumed(); }

void SetModelEcho(bool enabled) { g_Reader.echoEnabled = enabled; }

void EchoText(std::wstring_view text) {
  for (wchar_t c : text) PutCharacter(c, stdout);
}
bool ModelEchoEnabled() { return g_Reader.echoEnabled; }

bool TokenMatches(std::wstring_view keyword) {
  if (g_Token.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    wchar_t a = g_Token[i], b = keyword[i];
    if (a >= L'A' && a <= L'Z') a = static_cast<wchar_t>(a - L'A' + L'a');
    if (b >= L'A' && b <= L'Z') b = static_cast<wchar_t>(b - L'A' + L'a');
    if (a != b) return false;
  }
  return true;
}

XFILE_SHAPE_END
