// The token reader: splits the open model file into words, quoted strings and
// braces, and echoes the text it takes to standard output when somebody can
// see it. The file is read in large blocks and tokens are taken from its
// bytes as UTF-8, converted from the code page chosen for the whole file
// where it is another; tokens are wide characters. A binary file gives the
// same tokens: braces, names and strings in g_Token, and each number of its
// lists as one token carrying its typed value.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

extern FILE* g_ModelFile;
extern std::wstring g_ModelDirectory;  // with its final separator; empty for a bare file name
extern std::wstring g_Token;           // the current token; a word may be of any length
// The code page the last file's text was decoded with: CP_UTF8 where the
// whole file is valid UTF-8, else 932 (Shift-JIS) where it is valid as that,
// else 1252 (Windows-1252).
extern unsigned g_ModelCodePage;

// How the file after its header is written.
enum class ModelFormat : std::uint8_t {
  Text,              // "txt"
  Binary,            // "bin"
  CompressedText,    // "tzip": text in a MSZIP container
  CompressedBinary,  // "bzip": binary in a MSZIP container
};

// What a token of a binary file carries instead of text.
enum TokenNumber : std::uint8_t {
  kNoNumber = 0,       // a word, a string or a brace: g_Token holds it
  kIntegerNumber = 1,  // g_TokenInteger holds it; g_Token is empty
  kFloatNumber = 2,    // g_TokenFloat holds it; g_Token is empty
  // A plain decimal of a text file, read where a number was expected:
  // g_TokenInteger holds its integer reading and g_TokenReal its real one;
  // g_Token is empty until TokenText asks for it.
  kTextNumber = 3,
};
extern std::int32_t g_TokenInteger;
extern float g_TokenFloat;
extern double g_TokenReal;

// The states that list readers test for every item, kept apart so that
// AtEndOfModel compiles inline.
enum PendingToken : std::uint8_t {
  kBracePending = 1,  // a brace ended a word and comes after it
  kTokenAgain = 2,    // the current token was handed back and comes first
};
struct TokenReaderFlags {
  bool atEnd = false;        // the end of the file (or a read error) was met
  bool quoted = false;       // the current token is a quoted string: never a brace or a keyword
  std::uint8_t pending = 0;  // PendingToken bits
  std::uint8_t number = kNoNumber;
};
extern TokenReaderFlags g_TokenFlags;

// Starts reading `file` (opened in binary mode) from its beginning: no
// pending brace, outside any comment. The whole file chooses its code page
// when its first byte outside ASCII comes (until then ASCII reads the same in
// each); a UTF-8 byte-order mark is dropped. `echo` decides for
// the whole file whether the characters it takes are echoed (as decoded,
// without comments and without the carriage returns of CR LF pairs).
// A binary file (`format` Binary or CompressedBinary) is read from after its
// 16-byte header, with numbers of `floatBytes` (4 or 8) in its float lists;
// its names and strings choose the code page as a text file's bytes do. A
// compressed text file gives its header, then its decompressed text.
void BeginTokens(FILE* file, bool echo, ModelFormat format = ModelFormat::Text, unsigned floatBytes = 4);
// Lets the file go.
void EndTokens();

// Reads the next word, quoted string or brace into g_Token. A quoted string
// runs from a double quote to the next one on its line, every character in
// between its own; an empty one is no token. False when the file ended before
// a token was complete; the token then holds what was collected (possibly
// nothing).
bool ReadToken();

// True once the reader has met the end of the file (or a read error).
inline bool AtEndOfModel() { return g_TokenFlags.atEnd && g_TokenFlags.pending == 0; }

// Reads the next token where a number is expected. A plain decimal of a text
// file is read in the same pass that finds it, as a kTextNumber; everything
// else comes as from ReadToken.
bool ReadNumberToken();

// The current token's text, also for a number that was read where it stood.
const std::wstring& TokenText();

// Hands the current token out again on the next ReadToken, so that a reader
// which expected a number leaves a record's brace to the reader of the
// enclosing record. At most one token is handed back at a time.
void UnreadToken();
// The line of the current token, counted from 1; once the file has ended, the
// line that holds its last character.
std::uint32_t TokenLine();
// Where the current token stands: its line in a text file, its offset in the
// (decompressed) data of a binary one. PlaceText says it in words ("line 7",
// "offset 1042 (block 2)").
std::uint64_t TokenPlace();
std::wstring PlaceText(std::uint64_t place);
// Whether the file being read is binary.
bool ReadingBinary();

// The braces of the file as the reader has taken them: how many are open, and
// the line of the innermost open one (0 when none is).
std::uint64_t OpenBraces();
std::uint64_t InnermostBraceLine();
// Counts a brace that the binary tokenizer took at `place`.
void TakeBinaryBrace(wchar_t brace, std::uint64_t place);

// An upper bound on the characters that remain to be read: a count that the
// file gives is never trusted beyond what the rest of the file could hold.
std::uint64_t RemainingModelBytes();
std::uint64_t ConsumedModelBytes();
void SetModelSize(std::uint64_t bytes);

// Whether a parse may echo at all; tools that print their own output turn it
// off. On by default: the echo then follows whether standard output exists.
void SetModelEcho(bool enabled);
// Writes `text` to standard output as the echo writes the characters it takes.
void EchoText(std::wstring_view text);
bool ModelEchoEnabled();

// Keywords match whole tokens, ignoring ASCII case.
// The length is compared inline, so most tokens are told apart from a
// keyword without a call.
bool TokenMatches(std::wstring_view keyword);
template <std::size_t N>
inline bool TokenIs(const wchar_t (&keyword)[N]) {
  return g_Token.size() == N - 1 && !g_TokenFlags.quoted && TokenMatches(std::wstring_view(keyword, N - 1));
}
inline bool TokenIsOpenBrace() { return g_Token.size() == 1 && g_Token[0] == L'{' && !g_TokenFlags.quoted; }
inline bool TokenIsCloseBrace() { return g_Token.size() == 1 && g_Token[0] == L'}' && !g_TokenFlags.quoted; }
inline bool TokenIsBrace() { return TokenIsOpenBrace() || TokenIsCloseBrace(); }

XFILE_SHAPE_END
