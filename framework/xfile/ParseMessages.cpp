#include "xfile/ParseMessages.h"

#include <cstdint>
#include <cstdio>

#include "platform/Messages.h"
#include "platform/TextConversion.h"

XFILE_SHAPE_BEGIN

namespace {

constexpr std::size_t kMostShownCharacters = 40;

bool IsControl(std::uint32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// Control characters as C escapes, so that a name cannot move the cursor,
// clear the terminal or split a message over two lines.
void AppendEscaped(std::wstring& out, std::wstring_view text) {
  static const wchar_t kHex[] = L"0123456789abcdef";
  for (wchar_t wide : text) {
    auto c = static_cast<std::uint32_t>(wide);
    if (!IsControl(c)) {
      out += wide;
    } else if (c == '\n') {
      out += L"\\n";
    } else if (c == '\r') {
      out += L"\\r";
    } else if (c == '\t') {
      out += L"\\t";
    } else {
      out += L"\\x";
      out += kHex[(c >> 4) & 0xF];
      out += kHex[c & 0xF];
    }
  }
}

}  // namespace

void ReportModelFileLine(std::wstring_view path, std::wstring_view message) {
  Report(FrameworkMessage::ModelFile, ToUtf8(Escaped(path)).c_str(), ToUtf8(message).c_str());
}

std::wstring Escaped(std::wstring_view text) {
  std::wstring shown;
  AppendEscaped(shown, text);
  return shown;
}

std::wstring ShownName(std::wstring_view name) {
  std::wstring shown = L"\"";
  AppendEscaped(shown, name.substr(0, kMostShownCharacters));
  shown += name.size() > kMostShownCharacters ? L"...\"" : L"\"";
  return shown;
}

XFILE_SHAPE_END
