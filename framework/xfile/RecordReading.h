// The small steps every record reader is made of: numbers, counts, record
// names and the braces that follow them, skips, and warnings with the record
// they arose in. Like the token reader, they read from the active reader of
// the calling thread.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xfile/ParseWarnings.h"
#include "xfile/TokenReader.h"

XFILE_SHAPE_BEGIN

// Hands what a reader drops or bounds to the parse's warnings (see
// ParseWarnings::Warn): `what` describes the first occurrence and is called
// only for it.
template <typename Describe>
void Warn(ParseWarningKind kind, Describe&& what, std::uint64_t count = 1) {
  ActiveReader().warnings.Warn(kind, std::forward<Describe>(what), count);
}

// A record the reader is inside, so that a warning can say where it arose
// and the end of the file can say what it cut. It opens when its record's
// keyword has been read and closes with the reader; if the file ended while
// it was open, that is noted as it closes.
class RecordScope {
 public:
  // `keyword` names the kind of record ("Mesh"; empty for a record the
  // reader does not know, whose keyword is then given as its name).
  explicit RecordScope(const wchar_t* keyword, std::uint64_t place = TokenPlace()) {
    ActiveReader().warnings.OpenRecord(keyword, std::wstring_view(), place);
  }
  ~RecordScope() {
    ModelReader& reader = ActiveReader();
    if (reader.token.AtEnd()) reader.NoteEndOfFile();
    reader.warnings.CloseRecord();
  }
  RecordScope(const RecordScope&) = delete;
  RecordScope& operator=(const RecordScope&) = delete;

  // The record's name, once read.
  void Name(std::wstring_view name) { ActiveReader().warnings.NameRecord(name); }
};

// The current token as a number, a float or a count. Numbers that need no
// conversion, nearly every number a model holds, are read inline; the other
// kinds of token out of line.
std::int32_t OtherTokenInt();
float OtherTokenFloat();
inline std::int32_t TokenInt() {
  const CurrentToken& token = ActiveReader().token;
  return token.number == kTextNumber || token.number == kIntegerNumber ? token.integer : OtherTokenInt();
}
inline float TokenFloat() {
  const CurrentToken& token = ActiveReader().token;
  switch (token.number) {
    case kTextNumber: return static_cast<float>(token.real);
    case kFloatNumber: return token.single;
    default: return OtherTokenFloat();
  }
}
std::uint32_t TokenCount();

// The next token where a number belongs. A brace there is no number: it is
// left for the reader of the enclosing record, so a short list cannot
// swallow the braces that end its record.
inline void TakeNumberToken() {
  ModelReader& reader = ActiveReader();
  if (reader.TakeListItemInPlace()) return;
  reader.ReadNumberToken();
  if (reader.token.IsBrace()) reader.UnreadToken();
}
// The next token as a 32-bit signed integer or as a float (C-locale rules; a
// token without leading digits, a brace, or an empty one at the end of the
// file, is 0).
inline std::int32_t ReadInt() {
  TakeNumberToken();
  return TokenInt();
}
inline float ReadFloat() {
  TakeNumberToken();
  return TokenFloat();
}

// Whether an index from the file names one of `size` items.
inline bool IndexIn(std::int32_t index, std::size_t size) {
  return index >= 0 && static_cast<std::size_t>(index) < size;
}

// The next token as a count of items; a negative count is none.
std::uint32_t ReadCount();

// Whether the word just read (`read`: before the end of the file) is item
// `index` rather than the record's brace or nothing.
bool TakeItemWord(bool read, std::uint32_t index, std::uint32_t count, const wchar_t* items);
// Reads the first token of item `index` of a list of `count` items
// ("vertices"), which the reader then takes with TokenInt, TokenFloat or
// TokenCount and follows with the item's other numbers. False, with nothing
// read, once the count is reached and at the end of the file; false too when
// the record's brace comes in the item's place: the brace is left to the
// record, and the list is reported as shorter than its count. Inline even in
// the large list readers: it runs once per item of every list.
[[gnu::always_inline]] inline bool NextItem(std::uint32_t index, std::uint32_t count, const wchar_t* items) {
  ModelReader& reader = ActiveReader();
  if (index >= count || reader.token.AtEnd()) return false;
  const bool read = reader.TakeListItemInPlace() || reader.ReadNumberToken();
  return (read && reader.token.number != kNoNumber) || TakeItemWord(read, index, count, items);
}

// Reports a per-face or per-vertex list whose `count` of `items` is not the
// `expected` number of `per` (faces, vertices) of its mesh. Once the file has
// ended, counts read as 0 and prove nothing, so they are not reported.
void CheckListCount(std::uint32_t count, std::size_t expected, const wchar_t* items, const wchar_t* per);

// Reads the tokens after a record's keyword up to its opening brace. Any
// record may carry a name before its brace: a token that is not "{" is that
// name, and the brace follows it. Returns the name, empty for none, and
// gives it to `scope` when one is given.
std::wstring ReadRecordName(RecordScope* scope = nullptr);
// The same where the name is not kept.
inline void ReadOpeningBrace() { ReadRecordName(); }

// Reads sixteen numbers into a matrix, first row first.
void ReadMatrix(D3DXMATRIX& matrix);

// Reads the "}" that ends the record being read. Anything before it, beyond
// what the record's counts called for, is passed over (nested blocks whole)
// and reported.
void ReadClosingBrace();

// Skips the rest of a record whose "{" was just read, up to its matching "}".
void SkipNestedRecord();

// Skips a record whose keyword was just read and whose content the reader
// does not use: its name, if any, then its block with whatever it nests. A
// "}" in place of the block belongs to the enclosing record and is left to it.
// `reported` says whether the skip is a warning (content that is lost) or an
// ordinary part of reading (records the programs have no use for).
void SkipRecord(bool reported);
// The same from the record's "{", the current token; `keyword` is the word
// that named the record (empty for none) and `line` the place it stood at.
void SkipBlock(const std::wstring& keyword, std::uint64_t line, bool reported);

XFILE_SHAPE_END
