// Numbers as the text format writes them, one at a time and in runs of alike
// array elements: floats in the shortest digits that read back to the same
// float of the file's size, never with an exponent and always with a decimal
// point (the platform's parser takes no other); a run's separators and line
// breaks as the walk over its template would put them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "MemberCursor.h"

namespace xfileconvert {

void AppendTextInteger(std::string& out, std::int64_t value);
void AppendTextFloat(std::string& out, double value, unsigned floatBytes);

// A run's elements laid out: how many, and where each element's values
// begin in the values given: every `fixed` values, or (for counted elements,
// whose size each gives) as `starts` lists them, one more entry for the end.
struct RunLayout {
  std::size_t elements = 0;
  std::size_t fixed = 0;
  std::vector<std::size_t> starts;
  std::size_t Elements() const { return elements; }
  std::size_t Start(std::size_t element) const { return fixed ? element * fixed : starts[element]; }
  std::size_t Values() const { return Start(elements); }
};

// The whole elements of `run` that `count` values hold. A CountedNumbers
// element's first value is its count.
template <typename T>
RunLayout LayOutRun(const MemberCursor::Run& run, const T* values, std::size_t count);

// Writes elements [from, to) of a laid-out run to `out` as text, each
// followed by its ",", with a line break where the walk ends a line: a new
// line begins with `indent` spaces. `lineStarted` is whether the line holds
// anything when it begins, and is left as it ends. Returns how many floats
// were not finite (written as 0).
template <typename T>
std::uint64_t FormatTextRun(std::string& out, const MemberCursor::Run& run, const RunLayout& layout, const T* values,
                            std::size_t from, std::size_t to, unsigned floatBytes, std::size_t indent,
                            bool& lineStarted);

// Whether a line holds anything after element `element` of the run (counted
// from the run's start), as the walk breaks lines.
bool LineStartedAfter(const MemberCursor::Run& run, std::size_t element);

}  // namespace xfileconvert
