// The small steps every record reader is made of: numbers, counts, opening
// braces that may follow a record name, and skips.
#pragma once

#include <windows.h>
#include <d3dx9.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "xfile/BinaryTokenReader.h"
#include "xfile/TokenReader.h"

XFILE_SHAPE_BEGIN

// The current token as a number, a float or a count. Numbers that need no
// conversion, nearly every number a model holds, are read inline; the other
// kinds of token out of line.
std::int32_t OtherTokenInt();
float OtherTokenFloat();
inline std::int32_t TokenInt() {
  const std::uint8_t kind = g_TokenFlags.number;
  return kind == kTextNumber || kind == kIntegerNumber ? g_TokenInteger : OtherTokenInt();
}
inline float TokenFloat() {
  switch (g_TokenFlags.number) {
    case kTextNumber: return static_cast<float>(g_TokenReal);
    case kFloatNumber: return g_TokenFloat;
    default: return OtherTokenFloat();
  }
}
std::uint32_t TokenCount();

// The next token where a number belongs. A brace there is no number: it is
// left for the reader of the enclosing record, so a short list cannot
// swallow the braces that end its record.
inline void TakeNumberToken() {
  if (TakeBinaryListItemInPlace()) return;
  ReadNumberToken();
  if (TokenIsBrace()) UnreadToken();
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

// How many of `count` items, each written with at least `minimumBytes`
// characters, the rest of the file could still hold: the most a reader
// reserves room for.
std::size_t Affordable(std::uint32_t count, std::size_t minimumBytes);

// The capacity to give a list of records that is full at `held` entries: as
// many as the rest of the file promises at the rate the records came so far,
// between twice and eight times `held` and never more than the rest of the
// file could hold at `minimumBytes` each. A file of many tiny records then
// grows its list in a few steps instead of moving every record at each doubling.
std::size_t ExpectedRecords(std::size_t held, std::size_t minimumBytes);
template <typename Record>
void MakeRoomForRecord(std::vector<Record>& list, std::size_t minimumBytes) {
  if (list.size() == list.capacity()) list.reserve(ExpectedRecords(list.size(), minimumBytes));
}

// Whether the word just read (`read`: before the end of the file) is item
// `index` rather than the record's brace or nothing.
bool TakeItemWord(bool read, std::uint32_t index, std::uint32_t count, const wchar_t* items);
// Reads the first token of item `index` of a list of `count` items
// ("vertices"), which the reader then takes with TokenInt, TokenFloat or
// TokenCount and follows with the item's other numbers. False, with nothing
// read, once the count is reached and at the end of the file; false too when
// the record's brace comes in the item's place: the brace is left to the
// record, and the list is reported as shorter than its count.
inline bool NextItem(std::uint32_t index, std::uint32_t count, const wchar_t* items) {
  if (index >= count || AtEndOfModel()) return false;
  const bool read = TakeBinaryListItemInPlace() || ReadNumberToken();
  return (read && g_TokenFlags.number != kNoNumber) || TakeItemWord(read, index, count, items);
}

// Reports a per-face or per-vertex list whose `count` of `items` is not the
// `expected` number of `per` (faces, vertices) of its mesh. Once the file has
// ended, counts read as 0 and prove nothing, so they are not reported.
void CheckListCount(std::uint32_t count, std::size_t expected, const wchar_t* items, const wchar_t* per);

// How many entries a list that the file declares with `declared` entries, of
// which `held` are backed by records already read, may hold. Entries that no
// record backs (default materials, bones a header declares) draw on an
// allowance per file; beyond it the list keeps `held` entries and the bound is
// reported. A valid file never comes near the allowance.
std::size_t KeepDeclared(std::uint32_t declared, std::size_t held, const wchar_t* items);
// Gives every parse the whole allowance again.
void ResetDeclaredAllowance();

// Reads a record's opening brace. Any record may carry a name before its
// brace; a token that is not "{" is that name and the brace follows it.
void ReadOpeningBrace();

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
