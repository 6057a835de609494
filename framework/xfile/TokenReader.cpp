#include "xfile/TokenReader.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

XFILE_SHAPE_BEGIN

FILE* g_ModelFile = nullptr;
TokenReaderFlags g_TokenFlags;
std::wstring g_ModelDirectory;
std::wstring g_Token;
unsigned g_ModelCodePage = CP_UTF8;

namespace {

enum CharClass : unsigned char { Word, Separator, LineFeed, Brace, Slash };

struct CharClasses {
  CharClass of[256];
  constexpr CharClasses() : of() {
    for (auto& c : of) c = Word;
    of[static_cast<unsigned char>('\n')] = LineFeed;
    of[static_cast<unsigned char>(' ')] = Separator;
    of[static_cast<unsigned char>(';')] = Separator;
    of[static_cast<unsigned char>(',')] = Separator;
    of[static_cast<unsigned char>('"')] = Separator;
    of[static_cast<unsigned char>('{')] = Brace;
    of[static_cast<unsigned char>('}')] = Brace;
    of[static_cast<unsigned char>('/')] = Slash;
  }
};
constexpr CharClasses kClasses;

CharClass ClassOf(wint_t c) { return c < 256 ? kClasses.of[c] : Word; }

struct ReaderState {
  wint_t current = 0;  // the brace held back when it ended a word
  bool inComment = false;
  bool echo = false;
  bool echoEnabled = true;
  std::uint64_t size = 0;
  std::uint64_t consumed = 0;
  // Lines are counted at line feeds only, not per token: a token never spans
  // a line, so its line is the current one unless a line feed ended it.
  std::uint32_t line = 1;
  std::uint64_t lineStart = 0;  // characters consumed when the current line began
  std::uint64_t openBraces = 0;
};
ReaderState g_Reader;

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

// The unlocked wide-character calls of the C runtime where it has them; the
// older msvcrt (before version 8) has only the locking ones.
#if defined(__MSVCRT_VERSION__) && __MSVCRT_VERSION__ < 0x800 && !defined(_UCRT)
inline wint_t GetCharacter(FILE* file) { return fgetwc(file); }
inline void PutCharacter(wchar_t c, FILE* file) { fputwc(c, file); }
#else
inline wint_t GetCharacter(FILE* file) { return _fgetwc_nolock(file); }
inline void PutCharacter(wchar_t c, FILE* file) { _fputwc_nolock(c, file); }
#endif

inline wint_t NextChar() {
  wint_t c = GetCharacter(g_ModelFile);
  if (c == WEOF) {
    g_TokenFlags.atEnd = true;
  } else {
    ++g_Reader.consumed;
  }
  return c;
}

// Whether to echo is settled per file, so the reading loop is built twice and
// the one without echo tests nothing for it per character.
template <bool kEcho>
inline void Echo(wint_t c) {
  if constexpr (kEcho) PutCharacter(static_cast<wchar_t>(c), stdout);
}

template <bool kEcho>
bool ReadCharacters() {
  wint_t c = NextChar();
  for (;;) {
    if (c == WEOF) return false;
    CharClass kind = ClassOf(c);
    if (kind == Word && !g_Reader.inComment) {
      // The hot path: the characters of a word, until something else comes.
      do {
        Echo<kEcho>(c);
        g_Token.push_back(static_cast<wchar_t>(c));
        c = NextChar();
        if (c == WEOF) return false;
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
    if (kind == LineFeed) {
      ++g_Reader.line;
      g_Reader.lineStart = g_Reader.consumed;
    }
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
}

void SetModelSize(std::uint64_t bytes) { g_Reader.size = bytes; }

bool ReadToken() {
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
