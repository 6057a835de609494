// std::to_chars for float and double, which the C++ library of Debian's
// emscripten (libc++ before 14) lacks; the web build includes this header
// ahead of every source (-include), and FloatCharconv.cpp defines them to
// write what the native programs' library writes (ShortestFloat.h).
#pragma once

#include <charconv>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 14000
_LIBCPP_BEGIN_NAMESPACE_STD

to_chars_result to_chars(char* first, char* last, float value);
to_chars_result to_chars(char* first, char* last, double value);
to_chars_result to_chars(char* first, char* last, float value, chars_format format);
to_chars_result to_chars(char* first, char* last, double value, chars_format format);

_LIBCPP_END_NAMESPACE_STD
#endif
