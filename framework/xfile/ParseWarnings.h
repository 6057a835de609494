// What a parse did with data it could not take as written. Every reader
// hands what it drops or bounds to Warn, the one place that records it: one
// warning per kind and file, with the number of times it happened and where
// it happened first. The parse prints them at its end and hands them back
// with its result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xfile/TokenReader.h"
#include "xfile/XFileShape.h"

XFILE_SHAPE_BEGIN

// Every kind of warning, once: its name in the enum, its short name for tools,
// the sentence for one occurrence and for several (after their count), and
// what the reader did about it, for one and for several. The enum and the
// texts are both made from this list.
#define XFILE_PARSE_WARNINGS(X)                                                                                  \
  /* the file ends inside a record */                                                                           \
  X(FileEnds, L"file-ends", L"", L"", L"what was read is kept", L"what was read is kept")                        \
  /* face corners that name no vertex */                                                                        \
  X(CornerOutOfRange, L"corner-out-of-range", L"a face corner names no vertex", L"face corners name no vertex",   \
    L"the triangles that use it are left out", L"the triangles that use them are left out")                     \
  /* faces with fewer than three corners */                                                                     \
  X(FaceTooSmall, L"face-too-small", L"a face has fewer than three corners", L"faces have fewer than three corners", \
    L"it is left out", L"they are left out")                                                                    \
  /* MeshNormals indices that name no normal or no corner */                                                    \
  X(NormalIndexOutOfRange, L"normal-index-out-of-range", L"a normal index names no normal or no corner",          \
    L"normal indices name no normal or no corner", L"it is passed over", L"they are passed over")               \
  /* SkinWeights vertex indices outside the mesh */                                                             \
  X(SkinIndexOutOfRange, L"skin-index-out-of-range", L"a skin weight names no vertex", L"skin weights name no vertex", \
    L"it is passed over", L"they are passed over")                                                              \
  /* face material indices outside the material list */                                                         \
  X(MaterialIndexOutOfRange, L"material-index-out-of-range", L"a face names no material", L"faces name no material", \
    L"it is drawn with the default material", L"they are drawn with the default material")                     \
  /* a count larger than the data: the record's "}" came first */                                               \
  X(ListShort, L"list-short", L"a list is shorter than its count", L"lists are shorter than their counts",       \
    L"what it gives is kept and its record goes on after it",                                                   \
    L"what they give is kept and their records go on after them")                                               \
  /* a per-face or per-vertex list of another length than the mesh's */                                         \
  X(ListMismatch, L"list-mismatch", L"a list does not match its mesh", L"lists do not match their meshes",       \
    L"missing entries stay zero and extra ones are passed over",                                                \
    L"missing entries stay zero and extra ones are passed over")                                                \
  /* data after what a record's counts call for */                                                              \
  X(ExtraData, L"extra-data", L"a record holds more than its counts call for",                                   \
    L"records hold more than their counts call for", L"the rest is passed over up to the record's end",         \
    L"the rest is passed over up to each record's end")                                                         \
  /* records whose content would be used but is not */                                                          \
  X(RecordSkipped, L"record-skipped", L"a record was skipped", L"records were skipped", L"what it holds is not used", \
    L"what they hold is not used")                                                                              \
  /* a declared count held to what memory allows */                                                             \
  X(CountBounded, L"count-bounded", L"a declared count was held to a limit",                                     \
    L"declared counts were held to their limits", L"its list is shorter than declared",                         \
    L"their lists are shorter than declared")                                                                   \
  /* a quoted string still open at the end of its line */                                                       \
  X(QuoteUnclosed, L"quote-unclosed", L"a quoted string is not closed on its line",                              \
    L"quoted strings are not closed on their lines", L"it ends at the end of its line",                         \
    L"each ends at the end of its line")

enum class ParseWarningKind : std::uint8_t {
#define XFILE_WARNING_KIND(kind, ...) kind,
  XFILE_PARSE_WARNINGS(XFILE_WARNING_KIND)
#undef XFILE_WARNING_KIND
};
#define XFILE_COUNT_KIND(...) +1
constexpr std::size_t kParseWarningKinds = 0 XFILE_PARSE_WARNINGS(XFILE_COUNT_KIND);
#undef XFILE_COUNT_KIND

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
// Returns the parse's warnings, in the order of their first occurrence, and
// forgets them.
std::vector<ParseWarning> EndParseWarnings(std::wstring_view path);

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
