#include "xfile/ParseWarnings.h"

#include <array>
#include <iterator>

#include "xfile/ParseMessages.h"
#include "xfile/TokenReader.h"

XFILE_SHAPE_BEGIN

namespace {

struct KindText {
  const wchar_t* name;
  const wchar_t* one;        // the sentence for a single occurrence
  const wchar_t* many;       // the same after a count
  const wchar_t* afterOne;   // what the reader did about it
  const wchar_t* afterMany;  // the same for several
};

constexpr KindText kKindTexts[] = {
#define XFILE_WARNING_TEXT(kind, name, one, many, afterOne, afterMany) {name, one, many, afterOne, afterMany},
    XFILE_PARSE_WARNINGS(XFILE_WARNING_TEXT)
#undef XFILE_WARNING_TEXT
};
static_assert(std::size(kKindTexts) == kParseWarningKinds, "every kind of warning has its texts");

struct OpenRecordEntry {
  const wchar_t* keyword = L"";
  std::wstring name;
  std::uint32_t line = 0;
};

struct WarningState {
  std::vector<ParseWarning> warnings;
  std::array<int, kParseWarningKinds> slot{};  // index into warnings + 1; 0 for none yet
  // The open records are the first `depth` entries; entries above it are kept
  // so that their names' storage serves the next records without allocating.
  std::vector<OpenRecordEntry> open;
  std::size_t depth = 0;
};
WarningState g_Warnings;

std::size_t KindIndex(ParseWarningKind kind) { return static_cast<std::size_t>(kind); }

std::wstring Describe(const OpenRecordEntry& record) {
  std::wstring text = L"the ";
  if (*record.keyword) text += record.keyword + std::wstring(L" ");
  text += L"record";
  if (!record.name.empty()) text += L" " + ShownName(record.name);
  return text + L" opened at line " + std::to_wstring(record.line);
}

// Where the reader is now, for the first occurrence of a warning: the
// innermost record it is in, if any.
std::wstring WhereNow() {
  if (g_Warnings.depth == 0) return std::wstring();
  return L", in " + Describe(g_Warnings.open[g_Warnings.depth - 1]);
}

std::wstring Compose(const ParseWarning& warning) {
  const KindText& text = kKindTexts[KindIndex(warning.kind)];
  const bool one = warning.count == 1;
  if (warning.kind == ParseWarningKind::FileEnds) return warning.first + L"; " + text.afterOne;
  std::wstring message = one ? std::wstring(text.one) : std::to_wstring(warning.count) + L" " + text.many;
  message += one ? L" (" : L" (the first: ";
  return message + warning.first + L"); " + (one ? text.afterOne : text.afterMany);
}

}  // namespace

const wchar_t* ParseWarningName(ParseWarningKind kind) { return kKindTexts[KindIndex(kind)].name; }

void BeginParseWarnings() {
  g_Warnings.warnings.clear();
  g_Warnings.slot.fill(0);
  g_Warnings.depth = 0;
}

std::vector<ParseWarning> EndParseWarnings(std::wstring_view path) {
  g_Warnings.depth = 0;  // every record has closed by now
  NoteEndOfFile();
  for (ParseWarning& warning : g_Warnings.warnings) {
    warning.message = Compose(warning);
    ReportParseWarning(path, warning.message);
  }
  std::vector<ParseWarning> warnings = std::move(g_Warnings.warnings);
  BeginParseWarnings();
  return warnings;
}

bool HasParseWarning(ParseWarningKind kind) { return g_Warnings.slot[KindIndex(kind)] != 0; }

void CountParseWarning(ParseWarningKind kind, std::uint64_t count) {
  g_Warnings.warnings[static_cast<std::size_t>(g_Warnings.slot[KindIndex(kind)] - 1)].count += count;
}

void AddParseWarning(ParseWarningKind kind, std::wstring what, std::uint64_t count) {
  if (HasParseWarning(kind)) {
    CountParseWarning(kind, count);
    return;
  }
  ParseWarning warning;
  warning.kind = kind;
  warning.count = count;
  warning.first = kind == ParseWarningKind::FileEnds ? std::move(what) : what + WhereNow();
  g_Warnings.warnings.push_back(std::move(warning));
  g_Warnings.slot[KindIndex(kind)] = static_cast<int>(g_Warnings.warnings.size());
}

RecordScope::RecordScope(const wchar_t* keyword, std::uint32_t line) {
  OpenRecord(keyword, std::wstring_view(), line);
}

RecordScope::~RecordScope() {
  if (AtEndOfModel()) NoteEndOfFile();
  CloseRecord();
}

void RecordScope::Name(std::wstring_view name) {
  if (g_Warnings.depth > 0) g_Warnings.open[g_Warnings.depth - 1].name.assign(name);
}

void OpenRecord(const wchar_t* keyword, std::wstring_view name, std::uint32_t line) {
  if (g_Warnings.depth == g_Warnings.open.size()) g_Warnings.open.emplace_back();
  OpenRecordEntry& entry = g_Warnings.open[g_Warnings.depth++];
  entry.keyword = keyword;
  entry.name.assign(name);
  entry.line = line;
}

void CloseRecord() {
  if (g_Warnings.depth > 0) --g_Warnings.depth;
}

void NoteEndOfFile() {
  if (HasParseWarning(ParseWarningKind::FileEnds)) return;
  std::wstring inside;
  if (g_Warnings.depth > 0) {
    inside = Describe(g_Warnings.open[g_Warnings.depth - 1]);
  } else if (OpenBraces() > 0) {
    inside = L"a record opened at line " + std::to_wstring(InnermostBraceLine());
  } else {
    return;
  }
  AddParseWarning(ParseWarningKind::FileEnds,
                  L"the file ends at line " + std::to_wstring(TokenLine()) + L", inside " + inside, 1);
}

XFILE_SHAPE_END
