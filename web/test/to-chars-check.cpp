// Checks the page's std::to_chars for float and double (src/ShortestFloat.cpp)
// against the native programs' own (GCC's library): the same text for the
// shortest form and for fixed notation, over special values and a million
// random bit patterns of each type. Built and run natively by web/test/run.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "ShortestFloat.h"

namespace {

int g_failures = 0;

template <typename T>
void Compare(T value) {
  const bool single = sizeof(T) == 4;
  for (auto [format, notation] : {std::pair{std::chars_format{}, web_float::Notation::Shortest},
                                  std::pair{std::chars_format::fixed, web_float::Notation::Fixed}}) {
    char expected[512], got[512];
    char* end = format == std::chars_format{} ? std::to_chars(expected, expected + sizeof expected, value).ptr
                                              : std::to_chars(expected, expected + sizeof expected, value, format).ptr;
    char* mine = web_float::FormatFloat(got, got + sizeof got, value, single, notation);
    const std::string a(expected, end), b = mine ? std::string(got, mine) : "(no room)";
    if (a != b && ++g_failures <= 20)
      std::printf("%s %s %a: GCC \"%s\", page \"%s\"\n", single ? "float" : "double",
                  notation == web_float::Notation::Fixed ? "fixed" : "shortest", static_cast<double>(value), a.c_str(),
                  b.c_str());
  }
}

template <typename T, typename Bits>
void CompareRandom(std::mt19937_64& random, int count) {
  for (int i = 0; i < count; ++i) {
    const Bits bits = static_cast<Bits>(random());
    T value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) Compare(value);
  }
}

}  // namespace

int main() {
  for (double value : {0.0, -0.0, 0.1, 0.3, 1e23, 1e22, 1e16, 5e-324, 1.5e300, 123456789012345678.0, 2.5, 1e-7,
                       std::numeric_limits<double>::max(), std::numeric_limits<double>::min(), 9007199254740993.0})
    Compare(value);
  for (float value : {0.0f, -0.0f, 0.1f, 3.4028235e38f, 16777216.0f, 1e10f, 1e-45f, 123456789.0f, 1.17549435e-38f,
                      1e7f, 1e8f, 0.5f})
    Compare(value);
  std::mt19937_64 random(20261209);
  CompareRandom<float, std::uint32_t>(random, 1000000);
  CompareRandom<double, std::uint64_t>(random, 1000000);
  // Values as models hold them: a few digits, either side of the point.
  for (int i = 0; i < 200000; ++i) {
    const double value = std::ldexp(static_cast<double>(random() % 2000001) - 1000000.0, static_cast<int>(random() % 40) - 30);
    Compare(static_cast<float>(value));
    Compare(value);
  }
  std::printf("to_chars: %d differences from GCC's library\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}
