// The token reader as the record readers call it: free functions over the
// active reader of the calling thread (ModelReader.h), which the parse
// creates. They must only be called while a reader is active on the thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "xfile/ModelReader.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// The state each parse keeps for its thread: the model file while it is open
// (set by the parse), the model file's folder with its final separator (empty
// for a bare file name; set by the parse, read for texture file names), and
// the current token's text (read by every record reader; a word may be of any
// length).
extern thread_local FILE* g_ModelFile;
extern thread_local std::wstring g_ModelDirectory;
extern thread_local std::wstring g_Token;

inline ModelReader& ActiveReader() { return *g_ActiveReader; }

// Reads the next word, quoted string or brace into g_Token. A quoted string
// runs from a double quote to the next one on its line, every character in
// between its own; an empty one is no token. False when the file ended before
// a token was complete; the token then holds what was collected (possibly
// nothing).
inline bool ReadToken() { return ActiveReader().ReadToken(); }

// True once the reader has met the end of the file (or a read error).
inline bool AtEndOfModel() { return ActiveReader().token.AtEnd(); }

// Reads the next token where a number is expected. A plain decimal of a text
// file is read in the same pass that finds it; everything else comes as from
// ReadToken.
inline bool ReadNumberToken() { return ActiveReader().ReadNumberToken(); }

// The current token's text, also for a number that was read where it stood.
inline const std::wstring& TokenText() { return ActiveReader().token.Text(); }

// Hands the current token out again on the next ReadToken, so that a reader
// which expected a number leaves a record's brace to the reader of the
// enclosing record. At most one token is handed back at a time.
inline void UnreadToken() { ActiveReader().UnreadToken(); }

// Where the current token stands: its line in a text file (counted from 1;
// once the file has ended, the line that holds its last character), its
// offset in the (decompressed) data of a binary one. PlaceText says it in
// words ("line 7", "offset 1042 (block 2)").
inline std::uint64_t TokenPlace() { return ActiveReader().TokenPlace(); }
inline std::wstring PlaceText(std::uint64_t place) { return ActiveReader().PlaceText(place); }

// Keywords match whole tokens, ignoring ASCII case.
template <std::size_t N>
inline bool TokenIs(const wchar_t (&keyword)[N]) {
  return ActiveReader().token.Is(keyword);
}
inline bool TokenIsOpenBrace() { return ActiveReader().token.IsOpenBrace(); }
inline bool TokenIsCloseBrace() { return ActiveReader().token.IsCloseBrace(); }
inline bool TokenIsBrace() { return ActiveReader().token.IsBrace(); }

// The current token as a message shows it: a name in quotes and escaped, a
// number of a binary file as its value.
inline std::wstring ShownToken() { return ActiveReader().token.Shown(); }

XFILE_SHAPE_END
