#include "xfile/RecordReading.h"

#include <algorithm>
#include <cmath>

#include "xfile/ParseMessages.h"
#include "xfile/ParseWarnings.h"

XFILE_SHAPE_BEGIN

namespace {

// Entries without a record behind them that one file may make: about 13 MB of
// default materials at most.
constexpr std::uint64_t kDeclaredAllowance = 65536;
std::uint64_t g_DeclaredAllowance = kDeclaredAllowance;

// A float where an integer belongs, truncated toward zero; beyond the range
// of an integer it holds at the nearest end, and NaN reads as 0.
std::int32_t FloatAsInteger(float value) {
  Warn(ParseWarningKind::FloatAsInteger, [&] { return std::to_wstring(value) + L" at " + PlaceText(TokenPlace()); });
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t OtherTokenInt() {
  switch (g_TokenFlags.number) {
    case kNoNumber: return static_cast<std::int32_t>(_wtol(g_Token.c_str()));
    case kFloatNumber: return FloatAsInteger(g_TokenFloat);
    default: return g_TokenInteger;
  }
}

float OtherTokenFloat() {
  switch (g_TokenFlags.number) {
    case kNoNumber: return static_cast<float>(_wtof(g_Token.c_str()));
    case kTextNumber: return static_cast<float>(g_TokenReal);
    case kIntegerNumber: return static_cast<float>(g_TokenInteger);
    default: return g_TokenFloat;
  }
}

std::uint32_t TokenCount() {
  std::int32_t count = TokenInt();
  return count > 0 ? static_cast<std::uint32_t>(count) : 0;
}

std::uint32_t ReadCount() {
  TakeNumberToken();
  return TokenCount();
}

std::size_t Affordable(std::uint32_t count, std::size_t minimumBytes) {
  std::uint64_t room = RemainingModelBytes() / minimumBytes + 1;
  return static_cast<std::size_t>(std::min<std::uint64_t>(count, room));
}

std::size_t ExpectedRecords(std::size_t held, std::size_t minimumBytes) {
  const std::uint64_t remaining = RemainingModelBytes();
  const std::uint64_t consumed = ConsumedModelBytes();
  std::uint64_t expected = held + (consumed > 0 ? remaining * held / consumed : 0);
  expected = std::clamp<std::uint64_t>(expected, std::max<std::uint64_t>(2 * held, 4),
                                       8 * std::max<std::uint64_t>(held, 1));
  return static_cast<std::size_t>(std::min<std::uint64_t>(expected, held + remaining / minimumBytes + 1));
}

bool TakeItemWord(bool read, std::uint32_t index, std::uint32_t count, const wchar_t* items) {
  if (!read && g_Token.empty()) return false;  // the end of the file
  if (!TokenIsBrace()) return true;
  UnreadToken();
  Warn(ParseWarningKind::ListShort,
       [&] { return std::to_wstring(index) + L" of " + std::to_wstring(count) + L" " + items; });
  return false;
}

void CheckListCount(std::uint32_t count, std::size_t expected, const wchar_t* items, const wchar_t* per) {
  if (count == expected || AtEndOfModel()) return;
  Warn(ParseWarningKind::ListMismatch, [&] {
    return std::to_wstring(count) + L" " + items + L" for " + std::to_wstring(expected) + L" " + per;
  });
}

std::size_t KeepDeclared(std::uint32_t declared, std::size_t held, const wchar_t* items) {
  if (declared <= held) return declared;
  std::uint64_t unbacked = declared - held;
  if (unbacked <= g_DeclaredAllowance) {
    g_DeclaredAllowance -= unbacked;
    return declared;
  }
  Warn(ParseWarningKind::CountBounded, [&] {
    return std::to_wstring(declared) + L" " + items + L" declared, " + std::to_wstring(held) +
           L" kept to bound the memory a file can take";
  });
  return held;
}

void ResetDeclaredAllowance() { g_DeclaredAllowance = kDeclaredAllowance; }

void ReadOpeningBrace() {
  ReadToken();
  if (!TokenIsOpenBrace()) ReadToken();
}

void ReadMatrix(D3DXMATRIX& matrix) {
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) matrix.m[row][column] = ReadFloat();
}

void ReadClosingBrace() {
  ReadToken();
  if (TokenIsCloseBrace() || AtEndOfModel()) return;
  Warn(ParseWarningKind::ExtraData, [] { return ShownToken() + L" at " + PlaceText(TokenPlace()); });
  do {
    if (TokenIsCloseBrace()) return;
    if (TokenIsOpenBrace()) SkipNestedRecord();
  } while (ReadToken());
}

void SkipNestedRecord() {
  std::size_t depth = 1;
  while (ReadToken()) {
    if (TokenIsOpenBrace()) {
      ++depth;
    } else if (TokenIsCloseBrace() && --depth == 0) {
      return;
    }
  }
}

void SkipRecord(bool reported) {
  if (TokenIsOpenBrace()) {
    SkipBlock(std::wstring(), TokenPlace(), reported);
    return;
  }
  const std::wstring keyword = g_Token;
  const std::uint64_t line = TokenPlace();
  ReadToken();
  if (!TokenIsBrace()) ReadToken();  // the record's name
  if (TokenIsCloseBrace()) {
    UnreadToken();
  } else if (TokenIsOpenBrace()) {
    SkipBlock(keyword, line, reported);
  }
}

void SkipBlock(const std::wstring& keyword, std::uint64_t line, bool reported) {
  if (reported)
    Warn(ParseWarningKind::RecordSkipped, [&] {
      return (keyword.empty() ? std::wstring(L"a block") : ShownName(keyword)) + L" at " + PlaceText(line);
    });
  RecordScope scope(L"", line);
  scope.Name(keyword);
  SkipNestedRecord();
}

XFILE_SHAPE_END
