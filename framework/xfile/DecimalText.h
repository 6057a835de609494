// The numbers of a text model in one pass over their bytes. A plain decimal
// ("-12", "0.75", "1.5e-3") is read where it stands, to both of its readings:
// as an integer, the way _wtol reads it (its leading integer part, held at
// the ends of the 32-bit range), and as a double, the way _wtof reads it.
// Only numbers whose double is exact by a single rounding are taken (at most
// 19 significant digits, a mantissa within 2^53 and a power of ten within
// 10^22, which a double holds exactly); anything else is left to _wtol and
// _wtof themselves, so both readings are always theirs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace xfile_text {

struct DecimalReadings {
  std::int32_t integer = 0;  // what _wtol gives, narrowed as the reader narrows it
  double real = 0;           // what _wtof gives
};

inline bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the plain decimal at [begin, end): the position after it, or nullptr
// when the text there is not one that this pass takes.
inline const char* ScanDecimal(const char* begin, const char* end, DecimalReadings& readings) {
  // Powers of ten that a double holds exactly.
  static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = begin;
  if (p == end) return nullptr;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;

  // Leading zeros add nothing; the digits after them make the mantissa, 19
  // at most, so that it cannot overflow; the integer part alone is the
  // integer reading.
  const char* const digitsBegin = p;
  while (p < end && *p == '0') ++p;
  const char* const significant = p;
  std::uint64_t mantissa = 0;
  for (; p < end && IsDecimalDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
  const std::ptrdiff_t integerDigits = p - significant;
  bool anyDigit = p != digitsBegin;
  const std::uint64_t integerPart = mantissa;
  int exponent = 0;
  if (p < end && *p == '.') {
    const char* const fraction = ++p;
    for (; p < end && IsDecimalDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    exponent = -static_cast<int>(p - fraction);
    anyDigit = anyDigit || p != fraction;
  }
  if (!anyDigit || integerDigits - exponent > 19) return nullptr;
  if (p < end && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    const bool negativeExponent = q < end && *q == '-';
    if (q < end && (*q == '-' || *q == '+')) ++q;
    if (q == end || !IsDecimalDigit(*q)) return nullptr;
    int written = 0;
    for (; q < end && IsDecimalDigit(*q); ++q)
      if (written < 100000) written = written * 10 + (*q - '0');
    exponent += negativeExponent ? -written : written;
    p = q;
  }
  if (mantissa > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22) return nullptr;

  const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                      : std::numeric_limits<std::int32_t>::max();
  const auto integer = static_cast<std::int64_t>(std::min<std::uint64_t>(integerPart, static_cast<std::uint64_t>(limit)));
  readings.integer = static_cast<std::int32_t>(negative ? -integer : integer);
  double value = static_cast<double>(mantissa);
  value = exponent < 0 ? value / kExactPowers[-exponent] : value * kExactPowers[exponent];
  readings.real = negative ? -value : value;
  return p;
}

}  // namespace xfile_text
