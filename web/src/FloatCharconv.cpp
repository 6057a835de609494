#include "FloatCharconv.h"

#include <system_error>

#include "ShortestFloat.h"

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
_LIBCPP_BEGIN_NAMESPACE_STD

namespace {

to_chars_result Written(char* first, char* last, double value, bool single, web_float::Notation notation) {
  char* end = web_float::FormatFloat(first, last, value, single, notation);
  return end ? to_chars_result{end, errc{}} : to_chars_result{last, errc::value_too_large};
}

// The converter asks for fixed notation and for the shortest form; the
// general form and hexadecimal, which it does not use, fall back to the
// shortest form.
web_float::Notation NotationOf(chars_format format) {
  return format == chars_format::fixed        ? web_float::Notation::Fixed
         : format == chars_format::scientific ? web_float::Notation::Scientific
                                              : web_float::Notation::Shortest;
}

}  // namespace

to_chars_result to_chars(char* first, char* last, float value) {
  return Written(first, last, value, true, web_float::Notation::Shortest);
}
to_chars_result to_chars(char* first, char* last, double value) {
  return Written(first, last, value, false, web_float::Notation::Shortest);
}
to_chars_result to_chars(char* first, char* last, float value, chars_format format) {
  return Written(first, last, value, true, NotationOf(format));
}
to_chars_result to_chars(char* first, char* last, double value, chars_format format) {
  return Written(first, last, value, false, NotationOf(format));
}

_LIBCPP_END_NAMESPACE_STD
#endif
