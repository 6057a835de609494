#include "ShortestFloat.h"

#define FMT_HEADER_ONLY
#include <fmt/format.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace web_float {

namespace {

// The shortest digits of a positive finite value and the power of ten of
// the last one: value = digits x 10^exponent.
struct Decimal {
  std::string digits;
  int exponent;
};

Decimal ShortestDigits(double value, bool single) {
  if (single) {
    const auto decimal = fmt::detail::dragonbox::to_decimal(static_cast<float>(value));
    return {std::to_string(decimal.significand), decimal.exponent};
  }
  const auto decimal = fmt::detail::dragonbox::to_decimal(value);
  return {std::to_string(decimal.significand), decimal.exponent};
}

std::string Scientific(const Decimal& decimal) {
  std::string text(1, decimal.digits[0]);
  if (decimal.digits.size() > 1) text += "." + decimal.digits.substr(1);
  const int power = decimal.exponent + static_cast<int>(decimal.digits.size()) - 1;
  char exponent[16];
  std::snprintf(exponent, sizeof exponent, "e%c%02d", power < 0 ? '-' : '+', std::abs(power));
  return text + exponent;
}

std::string Fixed(const Decimal& decimal, double value) {
  if (decimal.exponent >= 0) {  // an integral value, written exactly
    const int length = std::snprintf(nullptr, 0, "%.0f", value);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.0f", value);
    text.pop_back();
    return text;
  }
  const int point = static_cast<int>(decimal.digits.size()) + decimal.exponent;
  if (point <= 0) return "0." + std::string(static_cast<std::size_t>(-point), '0') + decimal.digits;
  return decimal.digits.substr(0, static_cast<std::size_t>(point)) + "." +
         decimal.digits.substr(static_cast<std::size_t>(point));
}

}  // namespace

char* FormatFloat(char* first, char* last, double value, bool single, Notation notation) {
  std::string text = std::signbit(value) ? "-" : "";
  const double magnitude = std::fabs(value);
  if (std::isnan(value)) {
    text += "nan";
  } else if (std::isinf(value)) {
    text += "inf";
  } else if (magnitude == 0) {
    text += notation == Notation::Scientific ? "0e+00" : "0";
  } else {
    const Decimal decimal = ShortestDigits(magnitude, single);
    if (notation == Notation::Fixed) {
      text += Fixed(decimal, magnitude);
    } else if (notation == Notation::Scientific) {
      text += Scientific(decimal);
    } else {
      const std::string fixed = Fixed(decimal, magnitude), scientific = Scientific(decimal);
      text += fixed.size() <= scientific.size() ? fixed : scientific;
    }
  }
  if (text.size() > static_cast<std::size_t>(last - first)) return nullptr;
  return std::copy(text.begin(), text.end(), first);
}

}  // namespace web_float
