#include "xfile/RecordReading.h"

#include <algorithm>

XFILE_SHAPE_BEGIN

std::int32_t ReadInt() {
  ReadToken();
  return static_cast<std::int32_t>(_wtol(g_Token.c_str()));
}

float ReadFloat() {
  ReadToken();
  return static_cast<float>(_wtof(g_Token.c_str()));
}

std::uint32_t ReadCount() {
  std::int32_t count = ReadInt();
  return count > 0 ? static_cast<std::uint32_t>(count) : 0;
}

std::size_t Affordable(std::uint32_t count, std::size_t minimumBytes) {
  std::uint64_t room = RemainingModelBytes() / minimumBytes + 1;
  return static_cast<std::size_t>(std::min<std::uint64_t>(count, room));
}

void ReadOpeningBrace() {
  ReadToken();
  if (!TokenIsOpenBrace()) ReadToken();
}

void ReadMatrix(D3DXMATRIX& matrix) {
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) matrix.m[row][column] = ReadFloat();
}

void SkipToClosingBrace() {
  while (ReadToken())
    if (TokenIsCloseBrace()) return;
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

XFILE_SHAPE_END
