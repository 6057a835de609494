// _wtol and _wtof with C-locale rules. Model files are mostly numbers, so the
// common decimal forms convert without leaving this file; everything else
// (long mantissas, large exponents, hexadecimal, infinity, NaN) goes to the
// host's strtod in the C locale. The current locale is ignored (the decimal
// point is always '.'); _wtol and _wtoi saturate at the 32-bit range of a
// Windows long and set ERANGE; a non-ASCII character ends the number.
#include <locale.h>

#include <cstdint>
#include <limits>
#include <string>

#include "compat/crt.h"

namespace {

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

const wchar_t* SkipSpace(const wchar_t* text) {
  while (IsSpace(*text)) ++text;
  return text;
}

double HostStrtod(const wchar_t* text) {
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  std::string narrow;
  for (; *text && static_cast<unsigned long>(*text) < 0x80; ++text) narrow += static_cast<char>(*text);
  return strtod_l(narrow.c_str(), nullptr, cLocale);
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

}  // namespace

long _wtol(const wchar_t* text) {
  if (!text) return 0;
  text = SkipSpace(text);
  bool negative = *text == L'-';
  if (*text == L'-' || *text == L'+') ++text;
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                      : std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; IsDigit(*text); ++text) {
    value = value * 10 + (*text - L'0');
    if (value > limit) {
      value = limit;
      errno = ERANGE;
      while (IsDigit(*text)) ++text;
      break;
    }
  }
  return static_cast<long>(negative ? -value : value);
}

int _wtoi(const wchar_t* text) { return static_cast<int>(_wtol(text)); }

double _wtof(const wchar_t* text) {
  if (!text) return 0.0;
  const wchar_t* start = SkipSpace(text);
  const wchar_t* p = start;
  bool negative = *p == L'-';
  if (*p == L'-' || *p == L'+') ++p;
  if ((p[0] == L'0' && (p[1] == L'x' || p[1] == L'X')) || (!IsDigit(*p) && *p != L'.'))
    return HostStrtod(start);

  std::uint64_t mantissa = 0;
  int digits = 0;  // significant digits held in the mantissa
  int exponent = 0;
  bool anyDigit = false, exact = true;
  for (; IsDigit(*p); ++p) {
    anyDigit = true;
    if (digits < 19) {
      mantissa = mantissa * 10 + (*p - L'0');
      if (mantissa != 0) ++digits;
    } else {
      ++exponent;
      if (*p != L'0') exact = false;
    }
  }
  if (*p == L'.') {
    for (++p; IsDigit(*p); ++p) {
      anyDigit = true;
      if (digits < 19) {
        mantissa = mantissa * 10 + (*p - L'0');
        if (mantissa != 0) ++digits;
        --exponent;
      } else if (*p != L'0') {
        exact = false;
      }
    }
  }
  if (!anyDigit) return HostStrtod(start);
  if (*p == L'e' || *p == L'E') {
    const wchar_t* q = p + 1;
    bool negativeExponent = *q == L'-';
    if (*q == L'-' || *q == L'+') ++q;
    if (IsDigit(*q)) {
      int written = 0;
      for (; IsDigit(*q); ++q)
        if (written < 100000) written = written * 10 + (*q - L'0');
      exponent += negativeExponent ? -written : written;
    }
  }
  if (!exact || mantissa > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22)
    return HostStrtod(start);
  double value = static_cast<double>(mantissa);
  value = exponent < 0 ? value / kExactPowers[-exponent] : value * kExactPowers[exponent];
  return negative ? -value : value;
}
