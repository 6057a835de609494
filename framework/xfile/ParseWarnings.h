// What a parse did with data it could not take as written. Every reader
// hands what it drops or bounds to Warn, the one place that records it: one
// warning per kind and file, with the number of times it happened and where
// it happened first. The parse hands them back with its result; its caller
// says them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xfile/ModelBytes.h"
#include "xfile/TokenPlaces.h"
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
    L"each ends at the end of its line")                                                                        \
  /* a compressed file whose container cannot be read on */                                                     \
  X(ContainerDamaged, L"container-damaged", L"the compressed data is damaged", L"", L"what came before it is kept", \
    L"")                                                                                                        \
  /* binary data that is no token stream: an unknown token, a record cut short */                               \
  X(BinaryDamaged, L"binary-damaged", L"the binary data is damaged", L"", L"reading ends there and what came before it is kept", \
    L"")                                                                                                        \
  /* a binary string without the ";" or "," token after it */                                                   \
  X(StringUnterminated, L"string-unterminated", L"a binary string has no terminator", L"binary strings have no terminators", \
    L"it ends where its count says", L"each ends where its count says")                                         \
  /* a float where an integer belongs */                                                                        \
  X(FloatAsInteger, L"float-as-integer", L"a float stands where an integer belongs", L"floats stand where integers belong", \
    L"it is truncated toward zero", L"they are truncated toward zero")

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

// The warnings of one parse, and the records the reader is inside (innermost
// last), so that a warning can say where it arose and the end of the file
// can say what it cut.
class ParseWarnings {
 public:
  // Places are named as PlaceText names them in a file that is `binary` or
  // not, with the blocks of `bytes`.
  ParseWarnings(const ModelBytes& bytes, bool binary) : bytes_(bytes), binary_(binary) {}
  ParseWarnings(const ParseWarnings&) = delete;
  ParseWarnings& operator=(const ParseWarnings&) = delete;

  // Records `count` occurrences of `kind`. `what` describes the first one
  // ("7, of 3 vertices"); it is called only for the first, so a file with a
  // million bad indices costs one message.
  template <typename Describe>
  void Warn(ParseWarningKind kind, Describe&& what, std::uint64_t count = 1) {
    if (Has(kind)) {
      Count(kind, count);
    } else {
      Add(kind, what(), count);
    }
  }
  void Add(ParseWarningKind kind, std::wstring what, std::uint64_t count);
  bool Has(ParseWarningKind kind) const { return slot_[static_cast<std::size_t>(kind)] != 0; }

  // A record opens when its keyword has been read (`keyword` names its kind,
  // "Mesh"; empty for a record the reader does not know, whose keyword is
  // then given as its name) and closes when its reader is done.
  void OpenRecord(const wchar_t* keyword, std::wstring_view name, std::uint64_t place);
  // The innermost record's name, once read.
  void NameRecord(std::wstring_view name);
  void CloseRecord();

  // Notes that the data ended at `endPlace` if that fell inside a record:
  // the innermost open one, or else any brace the file left open. Only the
  // first call that finds one counts.
  void NoteEndOfFile(std::uint64_t endPlace, const BracePlaces& braces);

  // Warns of what was wrong with the container (ModelBytes::Damage), once per
  // file; the tokenizers call it where the data ends.
  void NoteDataDamage() {
    if (!bytes_.Damage().empty() && !Has(ParseWarningKind::ContainerDamaged))
      Add(ParseWarningKind::ContainerDamaged, bytes_.Damage(), 1);
  }

  // A place in words, as PlaceText names it in this file.
  std::wstring PlaceText(std::uint64_t place) const { return ::PlaceText(place, binary_, bytes_); }

  // Ends the parse: every record has closed, the file's end is noted if it
  // fell inside a brace, and the messages are composed. Returns the
  // warnings, in the order of their first occurrence.
  std::vector<ParseWarning> Finish(std::uint64_t endPlace, const BracePlaces& braces);

 private:
  struct OpenRecordEntry {
    const wchar_t* keyword = L"";
    std::wstring name;
    std::uint64_t place = 0;  // where it opened
  };

  void Count(ParseWarningKind kind, std::uint64_t count);
  std::wstring Describe(const OpenRecordEntry& record) const;

  const ModelBytes& bytes_;
  const bool binary_;
  std::vector<ParseWarning> warnings_;
  std::array<int, kParseWarningKinds> slot_{};  // index into warnings_ + 1; 0 for none yet
  // The open records are the first `depth_` entries; entries above it are
  // kept so that their names' storage serves the next records without
  // allocating.
  std::vector<OpenRecordEntry> open_;
  std::size_t depth_ = 0;
};

XFILE_SHAPE_END
