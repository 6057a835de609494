#include "xfile/TokenReader.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "xfile/BinaryTokenReader.h"
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

CharClass ClassOf(wint_t c) { return c < 256 ? kClasses.of[c] : Word; }

constexpr wint_t kEnd = WEOF;

struct ReaderState {
  wint_t current = 0;  // the brace held back when it ended a word
  bool inComment = false;
  bool quoteOpen = false;  // a quote ended a word: the next token is the string it opens
  bool echo = false;
  bool echoEnabled = true;
  std::uint64_t size = 0;
  std::uint64_t consumed = 0;  // characters taken
  // Lines are counted at line feeds only, not per token: a token never spans
  // a line, so its line is the current one unless a line feed ended it.
  std::uint32_t line = 1;
  std::uint64_t lineStart = 0;  // characters consumed when the current line began
  std::uint64_t openBraces = 0;
  bool binary = false;
};
ReaderState g_Reader;

// The file comes in blocks of raw bytes; each block is cut after its last
// line feed (never inside a UTF-8 or Shift-JIS character), decoded, and the
// bytes after the cut wait at the front of the next block.
constexpr std::size_t kBlockBytes = std::size_t{1} << 18;

struct TextSource {
  std::vector<char> raw;      // undecoded bytes: the carry, then what was read
  std::size_t carried = 0;    // bytes at the front of `raw` that wait for the next block
  bool fileDone = false;      // the file has given its last byte
  bool preloaded = false;     // `raw` holds the whole file from the choice of code page
  std::wstring text;          // the decoded block
  std::size_t position = 0;   // the next character of `text`
  bool atStart = true;        // nothing has been decoded yet
};
TextSource g_Source;

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

// Whether to echo is settled per file, so the reading loop is built twice and
// the one without echo tests nothing for it per character.
template <bool kEcho>
inline void Echo(wint_t c) {
  if constexpr (kEcho) PutCharacter(static_cast<wchar_t>(c), stdout);
}

// Reads more of the file after the `carried` bytes at the front of `raw`.
void ReadBlock() {
  std::vector<char>& raw = g_Source.raw;
  raw.resize(g_Source.carried + kBlockBytes);
  std::size_t got = ReadModelBytes(raw.data() + g_Source.carried, kBlockBytes);
  raw.resize(g_Source.carried + got);
  if (got < kBlockBytes) g_Source.fileDone = true;
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

// Decodes bytes [0, cut) of `raw` into `text`, dropping the carriage return
// of each CR LF pair, as the Windows C runtime's text mode reads a file.
void Decode(const char* bytes, std::size_t cut, std::wstring& text) {
  // Most blocks are ASCII: widened in one pass, with no copy in between.
  if (IsAscii(bytes, cut)) {
    text.resize(cut);
    wchar_t* out = text.data();
    if (!std::memchr(bytes, '\r', cut)) {
      std::copy(bytes, bytes + cut, out);
      return;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cut; ++i) {
      const char b = bytes[i];
      if (b == '\r' && i + 1 < cut && bytes[i + 1] == '\n') continue;
      out[kept++] = static_cast<wchar_t>(b);
    }
    text.resize(kept);
    return;
  }
  std::string kept;
  kept.reserve(cut);
  for (std::size_t i = 0; i < cut; ++i)
    if (bytes[i] != '\r' || i + 1 >= cut || bytes[i + 1] != '\n') kept.push_back(bytes[i]);
  DecodeText(g_ModelCodePage, kept.data(), kept.size(), text);
}

// Decodes the next block into `text`; false once the file has nothing more.
bool Refill() {
  TextSource& source = g_Source;
  for (;;) {
    if (!source.fileDone) ReadBlock();
    if (source.raw.empty()) return false;
    // A byte-order mark is no text of the file: neither read nor echoed.
    if (source.atStart && StartsWithByteOrderMark(source.raw))
      source.raw.erase(source.raw.begin(), source.raw.begin() + 3);
    source.atStart = false;
    std::size_t cut = CutOf(source.raw, source.fileDone);
    Decode(source.raw.data(), cut, source.text);
    source.raw.erase(source.raw.begin(), source.raw.begin() + static_cast<std::ptrdiff_t>(cut));
    source.carried = source.raw.size();
    source.position = 0;
    if (!source.text.empty()) return true;
    if (source.fileDone && source.raw.empty()) return false;
  }
}

// One pass over the whole file before the first token: UTF-8 where all of it
// is valid UTF-8, else Shift-JIS where all of it is valid as that, else
// Windows-1252, which decodes every byte. A file that fits one block stays
// in memory for the tokens; a longer one is read again from its start.
unsigned ChooseCodePage() {
  TextSource& source = g_Source;
  CodePageChoice choice;
  ReadBlock();
  source.preloaded = source.fileDone;
  for (;;) {
    std::size_t cut = CutOf(source.raw, source.fileDone);
    choice.See(source.raw.data(), cut);
    if (source.fileDone || choice.Settled()) break;
    source.raw.erase(source.raw.begin(), source.raw.begin() + static_cast<std::ptrdiff_t>(cut));
    source.carried = source.raw.size();
    ReadBlock();
  }
  if (!source.preloaded) {
    RestartModelBytes();
    source.raw.clear();
    source.fileDone = false;
  }
  source.carried = source.raw.size();
  return choice.CodePage();
}

inline wint_t NextChar() {
  if (g_Source.position == g_Source.text.size() && !Refill()) {
    if (!g_TokenFlags.atEnd) NoteModelBytesDamage();
    g_TokenFlags.atEnd = true;
    return kEnd;
  }
  ++g_Reader.consumed;
  return g_Source.text[g_Source.position++];
}

void TakeLineFeed() {
  ++g_Reader.line;
  g_Reader.lineStart = g_Reader.consumed;
}

// The characters of a quoted string whose opening quote was taken, up to its
// closing quote or the end of its line. False when the string is empty.
template <bool kEcho>
bool ReadString() {
  g_Reader.quoteOpen = false;
  for (;;) {
    wint_t c = NextChar();
    if (c == kEnd || ClassOf(c) == LineFeed) {
      Warn(ParseWarningKind::QuoteUnclosed, [] { return L"at line " + std::to_wstring(TokenLine()); });
      if (c == kEnd) break;
      Echo<kEcho>(c);
      TakeLineFeed();
      break;
    }
    Echo<kEcho>(c);
    if (ClassOf(c) == Quote) break;
    g_Token.push_back(static_cast<wchar_t>(c));
  }
  g_TokenFlags.quoted = !g_Token.empty();
  return g_TokenFlags.quoted;
}

template <bool kEcho>
bool ReadCharacters() {
  if (g_Reader.quoteOpen && ReadString<kEcho>()) return true;
  wint_t c = NextChar();
  for (;;) {
    if (c == kEnd) return false;
    CharClass kind = ClassOf(c);
    if (kind == Word && !g_Reader.inComment) {
      // The hot path: the characters of a word, taken as one run of the
      // decoded block (`c` is the one before `position`), until something
      // else comes; a word that runs on into the next block takes two runs.
      do {
        const wchar_t* text = g_Source.text.data();
        const std::size_t begin = g_Source.position - 1, size = g_Source.text.size();
        std::size_t end = g_Source.position;
        while (end < size && ClassOf(text[end]) == Word) ++end;
        g_Token.append(text + begin, end - begin);
        if constexpr (kEcho)
          for (std::size_t i = begin; i < end; ++i) Echo<kEcho>(text[i]);
        g_Reader.consumed += end - g_Source.position;
        g_Source.position = end;
        c = NextChar();
        if (c == kEnd) return false;
        kind = ClassOf(c);
      } while (kind == Word);
    }
    if (g_Reader.inComment) {
      if (kind != LineFeed) {
        c = NextChar();
        continue;
      }
      g_Reader.inComment = false;
    } else if (kind == Slash) {
      wint_t next = NextChar();
      if (next == L'/') {
        g_Reader.inComment = true;
        c = NextChar();
        continue;
      }
      // A single slash belongs to the word; the character after it is handled next.
      Echo<kEcho>(c);
      g_Token.push_back(static_cast<wchar_t>(c));
      c = next;
      continue;
    } else if (kind == Quote) {
      // A quote ends the word before it; the string it opens comes next.
      Echo<kEcho>(c);
      g_Reader.quoteOpen = true;
      if (!g_Token.empty()) return true;
      if (ReadString<kEcho>()) return true;
      c = NextChar();
      continue;
    }
    Echo<kEcho>(c);
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
    c = NextChar();
  }
}

}  // namespace

void BeginTokens(FILE* file, bool echo, ModelFormat format, unsigned floatBytes) {
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
  if (g_Reader.binary) {
    g_ModelCodePage = BeginBinaryTokens(floatBytes);
    // The pass that chose the code page took the braces once already.
    g_Reader.openBraces = 0;
    g_OpenBraceLines.clear();
  } else {
    g_ModelCodePage = ChooseCodePage();
  }
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

void UnreadToken() { g_TokenFlags.pending |= kTokenAgain; }

// Nothing is read after a token until the next call, so a token that a line
// feed ended is the one whose line began just where the reader stands.
std::uint32_t TokenLine() {
  bool afterLineFeed = g_Reader.consumed == g_Reader.lineStart && g_Reader.line > 1;
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

std::uint64_t ConsumedModelBytes() { return g_Reader.binary ? BinaryTokenOffset() : g_Reader.consumed; }

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
