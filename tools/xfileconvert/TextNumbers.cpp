#include "TextNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace xfileconvert {

namespace {

constexpr std::size_t kNumbersPerLine = 16;

bool BreaksLineAfter(const MemberCursor::Run& run, std::size_t element) {
  return run.outermost && (run.shape != MemberCursor::Shape::Number || (run.first + element + 1) % kNumbersPerLine == 0);
}

}  // namespace

void AppendTextInteger(std::string& out, std::int64_t value) {
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  out.append(text, static_cast<std::size_t>(end - text));
}

void AppendTextFloat(std::string& out, double value, unsigned floatBytes) {
  char text[400];
  const auto end = floatBytes == 4
                       ? std::to_chars(text, text + sizeof text, static_cast<float>(value), std::chars_format::fixed).ptr
                       : std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
  const std::size_t length = static_cast<std::size_t>(end - text);
  out.append(text, length);
  if (!std::memchr(text, '.', length)) out += ".0";
}

template <typename T>
RunLayout LayOutRun(const MemberCursor::Run& run, const T* values, std::size_t count) {
  RunLayout layout;
  if (run.shape != MemberCursor::Shape::CountedNumbers) {
    layout.fixed = run.shape == MemberCursor::Shape::Numbers ? run.numbers : 1;
    layout.elements = static_cast<std::size_t>(std::min<std::uint64_t>(run.elements, count / layout.fixed));
    return layout;
  }
  if constexpr (!std::is_floating_point_v<T>) {  // a count is an integer
    layout.starts.push_back(0);
    std::size_t at = 0;
    for (std::uint64_t e = 0; e < run.elements && at < count; ++e) {
      const std::size_t numbers = 1 + static_cast<std::size_t>(values[at]);
      if (count - at < numbers) break;
      at += numbers;
      layout.starts.push_back(at);
    }
    layout.elements = layout.starts.size() - 1;
  }
  return layout;
}

template <typename T>
std::uint64_t FormatTextRun(std::string& out, const MemberCursor::Run& run, const RunLayout& layout, const T* values,
                            std::size_t from, std::size_t to, unsigned floatBytes, std::size_t indent,
                            bool& lineStarted) {
  std::uint64_t notFinite = 0;
  const bool counted = run.shape == MemberCursor::Shape::CountedNumbers;
  for (std::size_t e = from; e < to; ++e) {
    if (!lineStarted) {
      out.append(indent, ' ');
      lineStarted = true;
    }
    const std::size_t begin = layout.Start(e), numbers = layout.Start(e + 1) - begin;
    for (std::size_t n = 0; n < numbers; ++n) {
      if constexpr (std::is_floating_point_v<T>) {
        double value = values[begin + n];
        if (!std::isfinite(value)) {
          ++notFinite;
          value = 0;
        }
        AppendTextFloat(out, value, floatBytes);
      } else {
        AppendTextInteger(out, values[begin + n]);
      }
      if (run.shape == MemberCursor::Shape::Numbers || (counted && (n == 0 || n + 1 == numbers))) {
        out += ';';
      } else if (counted) {
        out += ',';
      }
    }
    if (counted && numbers == 1) out += ';';  // a count of 0: its array is empty
    out += ',';
    if (BreaksLineAfter(run, e)) {
      out += '\n';
      lineStarted = false;
    }
  }
  return notFinite;
}

bool LineStartedAfter(const MemberCursor::Run& run, std::size_t element) { return !BreaksLineAfter(run, element); }

template RunLayout LayOutRun(const MemberCursor::Run&, const float*, std::size_t);
template RunLayout LayOutRun(const MemberCursor::Run&, const std::uint32_t*, std::size_t);
template std::uint64_t FormatTextRun(std::string&, const MemberCursor::Run&, const RunLayout&, const float*, std::size_t,
                                     std::size_t, unsigned, std::size_t, bool&);
template std::uint64_t FormatTextRun(std::string&, const MemberCursor::Run&, const RunLayout&, const std::uint32_t*,
                                     std::size_t, std::size_t, unsigned, std::size_t, bool&);

}  // namespace xfileconvert
