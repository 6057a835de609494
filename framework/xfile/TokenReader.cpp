#include "xfile/TokenReader.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "xfile/ParseWarnings.h"

XFILE_SHAPE_BEGIN

FILE* g_ModelFile = nullptr;
TokenReaderFlags g_TokenFlags;
std::wstring g_ModelDirectory;
std::wstring g_Token;
unsigned g_ModelCodePage = CP_UTF8;

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
std::vector<std::uint32_t> g_OpenBraceLines;

void TakeBrace(wint_t brace) {
  if (brace == L'{') {
    if (g_OpenBraceLines.size() < kMostRememberedBraces) g_OpenBraceLines.push_back(g_Reader.line);
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
  std::size_t got = std::fread(raw.data() + g_Source.carried, 1, kBlockBytes, g_ModelFile);
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

bool IsAscii(const char* bytes, std::size_t size) {
  unsigned char any = 0;
  for (std::size_t i = 0; i < size; ++i) any |= static_cast<unsigned char>(bytes[i]);
  return any < 0x80;
}

bool StartsWithByteOrderMark(const std::vector<char>& raw) {
  return raw.size() >= 3 && std::memcmp(raw.data(), "\xEF\xBB\xBF", 3) == 0;
}

// Decodes bytes [0, cut) of `raw` into `text`, dropping the carriage return
// of each CR LF pair, as the Windows C runtime's text mode reads a file.
void Decode(const char* bytes, std::size_t cut, std::wstring& text) {
  std::string kept;
  kept.reserve(cut);
  for (std::size_t i = 0; i < cut; ++i)
    if (bytes[i] != '\r' || i + 1 >= cut || bytes[i + 1] != '\n') kept.push_back(bytes[i]);
  text.clear();
  if (kept.empty()) return;
  if (IsAscii(kept.data(), kept.size())) {
    text.assign(kept.begin(), kept.end());
    return;
  }
  int length = MultiByteToWideChar(g_ModelCodePage, 0, kept.data(), static_cast<int>(kept.size()), nullptr, 0);
  if (length <= 0) return;
  text.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(g_ModelCodePage, 0, kept.data(), static_cast<int>(kept.size()), text.data(), length);
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

// Whether `bytes` decode in `codePage` without an undefined sequence.
bool ValidIn(unsigned codePage, const char* bytes, std::size_t size) {
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), nullptr, 0) > 0;
}

// One pass over the whole file before the first token: UTF-8 where all of it
// is valid UTF-8, else Shift-JIS where all of it is valid as that, else
// Windows-1252, which decodes every byte. A file that fits one block stays
// in memory for the tokens; a longer one is read again from its start.
unsigned ChooseCodePage() {
  TextSource& source = g_Source;
  bool utf8 = true, shiftJis = true;
  ReadBlock();
  source.preloaded = source.fileDone;
  for (;;) {
    std::size_t cut = CutOf(source.raw, source.fileDone);
    const char* bytes = source.raw.data();
    if (!IsAscii(bytes, cut)) {
      utf8 = utf8 && ValidIn(CP_UTF8, bytes, cut);
      shiftJis = shiftJis && ValidIn(932, bytes, cut);
    }
    if (source.fileDone || !(utf8 || shiftJis)) break;
    source.raw.erase(source.raw.begin(), source.raw.begin() + static_cast<std::ptrdiff_t>(cut));
    source.carried = source.raw.size();
    ReadBlock();
  }
  if (!source.preloaded) {
    std::fseek(g_ModelFile, 0, SEEK_SET);
    source.raw.clear();
    source.fileDone = false;
  }
  source.carried = source.raw.size();
  return utf8 ? CP_UTF8 : shiftJis ? 932 : 1252;
}

inline wint_t NextChar() {
  if (g_Source.position == g_Source.text.size() && !Refill()) {
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
      // The hot path: the characters of a word, until something else comes.
      do {
        Echo<kEcho>(c);
        g_Token.push_back(static_cast<wchar_t>(c));
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
      TakeBrace(c);
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

void BeginTokens(FILE* file, bool echo) {
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
  g_ModelCodePage = ChooseCodePage();
}

void EndTokens() {
  g_Source = TextSource{};
  g_ModelFile = nullptr;
}

void SetModelSize(std::uint64_t bytes) { g_Reader.size = bytes; }

bool ReadToken() {
  g_TokenFlags.quoted &= (g_TokenFlags.pending & kTokenAgain) != 0;
  if (g_TokenFlags.pending) {
    if (g_TokenFlags.pending & kTokenAgain) {
      g_TokenFlags.pending &= ~kTokenAgain;
    } else {
      g_TokenFlags.pending = 0;
      g_Token.clear();
      g_Token.push_back(static_cast<wchar_t>(g_Reader.current));
    }
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

std::uint64_t OpenBraces() { return g_Reader.openBraces; }

std::uint32_t InnermostBraceLine() { return g_OpenBraceLines.empty() ? 0 : g_OpenBraceLines.back(); }

std::uint64_t RemainingModelBytes() {
  return g_Reader.consumed < g_Reader.size ? g_Reader.size - g_Reader.consumed : 0;
}

std::uint64_t ConsumedModelBytes() { return g_Reader.consumed; }

void SetModelEcho(bool enabled) { g_Reader.echoEnabled = enabled; }
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
