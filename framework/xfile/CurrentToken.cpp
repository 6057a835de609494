#include "xfile/CurrentToken.h"

#include "xfile/ParseMessages.h"
#include "xfile/TextDecoding.h"

XFILE_SHAPE_BEGIN

const std::wstring& CurrentToken::Text() {
  if (number == kTextNumber && text.empty())
    AppendUtf8(numberText.data(), numberText.data() + numberText.size(), text);
  return text;
}

bool CurrentToken::Matches(std::wstring_view keyword) const {
  if (text.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    wchar_t a = text[i], b = keyword[i];
    if (a >= L'A' && a <= L'Z') a = static_cast<wchar_t>(a - L'A' + L'a');
    if (b >= L'A' && b <= L'Z') b = static_cast<wchar_t>(b - L'A' + L'a');
    if (a != b) return false;
  }
  return true;
}

std::wstring CurrentToken::Shown() {
  if (number == kIntegerNumber) return std::to_wstring(integer);
  if (number == kFloatNumber) return std::to_wstring(single);
  return ShownName(Text());
}

XFILE_SHAPE_END
