#include "xfile/RecordReading.h"

#include <algorithm>
#include <cmath>

#include "xfile/ParseMessages.h"

XFILE_SHAPE_BEGIN

namespace {

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
  const CurrentToken& token = ActiveReader().token;
  switch (token.number) {
    case kNoNumber: return static_cast<std::int32_t>(_wtol(token.text.c_str()));
    case kFloatNumber: return FloatAsInteger(token.single);
    default: return token.integer;
  }
}

float OtherTokenFloat() {
  const CurrentToken& token = ActiveReader().token;
  switch (token.number) {
    case kNoNumber: return static_cast<float>(_wtof(token.text.c_str()));
    case kTextNumber: return static_cast<float>(token.real);
    case kIntegerNumber: return static_cast<float>(token.integer);
    default: return token.single;
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

std::wstring ReadRecordName(RecordScope* scope) {
  std::wstring name;
  ReadToken();
  if (!TokenIsOpenBrace()) {
    name = g_Token;
    if (scope) scope->Name(name);
    ReadToken();
  }
  return name;
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
