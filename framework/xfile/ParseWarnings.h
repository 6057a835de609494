// What a parse did with data it could not take as written. Every reader
// hands what it drops or bounds to Warn, the one place that records it: one
// warning per kind and file, with the number of times it happened and where
// it happened first. The parse prints them at its end; tools and tests read
// them from LastParseWarnings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xfile/TokenReader.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

enum class ParseWarningKind : std::uint8_t {
  FileEnds,                 // the file ends inside a record
  CornerOutOfRange,         // face corners that name no vertex
  FaceTooSmall,             // faces with fewer than three corners
  NormalIndexOutOfRange,    // MeshNormals indices that name no normal or no corner
  SkinIndexOutOfRange,      // SkinWeights vertex indices outside the mesh
  MaterialIndexOutOfRange,  // face material indices outside the material list
  ListShort,                // a count larger than the data: the record's "}" came first
  ListMismatch,             // a per-face or per-vertex list of another length than the mesh's
  ExtraData,                // data after what a record's counts call for
  RecordSkipped,            // records whose content would be used but is not
  CountBounded,             // a declared count held to what memory allows
  QuoteUnclosed,            // a quoted string still open at the end of its line
};
constexpr std::size_t kParseWarningKinds = 12;

struct ParseWarning {
  ParseWarningKind kind = ParseWarningKind::FileEnds;
  std::uint64_t count = 0;  // how many times it happened in the file
  std::wstring first;       // what happened first and where, in words
  std::wstring message;     // the whole sentence, once the parse has ended
};

// A short name of the kind for tools ("corner-out-of-range").
const wchar_t* ParseWarningName(ParseWarningKind kind);

// Starts collecting for a new parse, forgetting the last one's warnings.
void BeginParseWarnings();
// Ends the parse: the file's end is noted if it fell inside a record, the
// messages are composed and each is printed as one line on standard error.
void EndParseWarnings(std::wstring_view path);
// The warnings of the last parse, in the order of their first occurrence.
const std::vector<ParseWarning>& LastParseWarnings();

// Records `count` occurrences of `kind`. `what` describes the first one
// ("7, of 3 vertices"); it is called only for the first, so a file with a
// million bad indices costs one message.
void AddParseWarning(ParseWarningKind kind, std::wstring what, std::uint64_t count);
bool HasParseWarning(ParseWarningKind kind);
void CountParseWarning(ParseWarningKind kind, std::uint64_t count);

template <typename Describe>
void Warn(ParseWarningKind kind, Describe&& what, std::uint64_t count = 1) {
  if (HasParseWarning(kind)) {
    CountParseWarning(kind, count);
  } else {
    AddParseWarning(kind, what(), count);
  }
}

// The records the reader is inside, innermost last, so that a warning can
// say where it arose and the end of the file can say what it cut. A scope
// opens when its record's keyword has been read and closes with the reader;
// if the file ended while it was open, that is noted as it closes.
class RecordScope {
 public:
  // `keyword` names the kind of record ("Mesh"; empty for a record the
  // reader does not know, whose keyword is then given as its name).
  explicit RecordScope(const wchar_t* keyword, std::uint32_t line = TokenLine());
  ~RecordScope();
  RecordScope(const RecordScope&) = delete;
  RecordScope& operator=(const RecordScope&) = delete;

  // The record's name, once read.
  void Name(std::wstring_view name);
};

// The same for records that the top level opens and closes (frames).
void OpenRecord(const wchar_t* keyword, std::wstring_view name, std::uint32_t line = TokenLine());
void CloseRecord();

// Notes the end of the file if it fell inside a record: the innermost open
// record, or else any brace the file left open. Only the first call that
// finds one counts.
void NoteEndOfFile();

XFILE_SHAPE_END
