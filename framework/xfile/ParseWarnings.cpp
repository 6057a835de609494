#include "xfile/ParseWarnings.h"

#include <iterator>

#include "xfile/ParseMessages.h"

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

std::size_t KindIndex(ParseWarningKind kind) { return static_cast<std::size_t>(kind); }

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

std::wstring ParseWarnings::Describe(const OpenRecordEntry& record) const {
  std::wstring text = L"the ";
  if (*record.keyword) text += record.keyword + std::wstring(L" ");
  text += L"record";
  if (!record.name.empty()) text += L" " + ShownName(record.name);
  return text + L" opened at " + PlaceText(record.place);
}

void ParseWarnings::Count(ParseWarningKind kind, std::uint64_t count) {
  warnings_[static_cast<std::size_t>(slot_[KindIndex(kind)] - 1)].count += count;
}

void ParseWarnings::Add(ParseWarningKind kind, std::wstring what, std::uint64_t count) {
  if (Has(kind)) {
    Count(kind, count);
    return;
  }
  ParseWarning warning;
  warning.kind = kind;
  warning.count = count;
  // The first occurrence says where the reader was: the innermost record it is in, if any.
  warning.first = std::move(what);
  if (kind != ParseWarningKind::FileEnds && depth_ > 0) warning.first += L", in " + Describe(open_[depth_ - 1]);
  warnings_.push_back(std::move(warning));
  slot_[KindIndex(kind)] = static_cast<int>(warnings_.size());
}

void ParseWarnings::OpenRecord(const wchar_t* keyword, std::wstring_view name, std::uint64_t place) {
  if (depth_ == open_.size()) open_.emplace_back();
  OpenRecordEntry& entry = open_[depth_++];
  entry.keyword = keyword;
  entry.name.assign(name);
  entry.place = place;
}

void ParseWarnings::NameRecord(std::wstring_view name) {
  if (depth_ > 0) open_[depth_ - 1].name.assign(name);
}

void ParseWarnings::CloseRecord() {
  if (depth_ > 0) --depth_;
}

void ParseWarnings::NoteEndOfFile(std::uint64_t endPlace, const BracePlaces& braces) {
  if (Has(ParseWarningKind::FileEnds)) return;
  std::wstring inside;
  if (depth_ > 0) {
    inside = Describe(open_[depth_ - 1]);
  } else if (braces.Open() > 0) {
    inside = L"a record opened at " + PlaceText(braces.InnermostPlace());
  } else {
    return;
  }
  Add(ParseWarningKind::FileEnds, L"the file ends at " + PlaceText(endPlace) + L", inside " + inside, 1);
}

std::vector<ParseWarning> ParseWarnings::Finish(std::uint64_t endPlace, const BracePlaces& braces) {
  depth_ = 0;
  NoteEndOfFile(endPlace, braces);
  for (ParseWarning& warning : warnings_) warning.message = Compose(warning);
  slot_.fill(0);
  return std::move(warnings_);
}

XFILE_SHAPE_END
