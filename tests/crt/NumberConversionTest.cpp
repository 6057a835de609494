#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

TEST(Wtol, CLocaleIntegerRules) {
  EXPECT_EQ(_wtol(L"42"), 42);
  EXPECT_EQ(_wtol(L"  \t-17xyz"), -17);
  EXPECT_EQ(_wtol(L"+8"), 8);
  EXPECT_EQ(_wtol(L"3.9"), 3);
  EXPECT_EQ(_wtol(L"1\t2"), 1);
  EXPECT_EQ(_wtol(L""), 0);
  EXPECT_EQ(_wtol(L"abc"), 0);
  EXPECT_EQ(_wtol(L"- 5"), 0);
  EXPECT_EQ(_wtoi(L"-2147483648"), -2147483647 - 1);
}

TEST(Wtol, SaturatesAtTheWindowsLongRange) {
  EXPECT_EQ(_wtol(L"2147483647"), 2147483647L);
  EXPECT_EQ(_wtol(L"2147483648"), 2147483647L);
  EXPECT_EQ(_wtol(L"99999999999999999999999"), 2147483647L);
  EXPECT_EQ(_wtol(L"-99999999999999999999999"), -2147483647L - 1);
}

TEST(Wtof, DecimalForms) {
  EXPECT_EQ(_wtof(L"0.5"), 0.5);
  EXPECT_EQ(_wtof(L"-1.25e2"), -125.0);
  EXPECT_EQ(_wtof(L".25"), 0.25);
  EXPECT_EQ(_wtof(L"7."), 7.0);
  EXPECT_EQ(_wtof(L"  3E-1x"), 0.3);
  EXPECT_EQ(_wtof(L"1e"), 1.0);
  EXPECT_EQ(_wtof(L"2e+"), 2.0);
  EXPECT_EQ(_wtof(L"0.000000"), 0.0);
  EXPECT_TRUE(std::signbit(_wtof(L"-0.0")));
  EXPECT_EQ(_wtof(L""), 0.0);
  EXPECT_EQ(_wtof(L"."), 0.0);
  EXPECT_EQ(_wtof(L"x1"), 0.0);
  EXPECT_EQ(_wtof(L"1,5"), 1.0);
  EXPECT_EQ(_wtof(L"1\t2"), 1.0);
}

TEST(Wtof, LongAndExtremeFormsAreExact) {
  EXPECT_EQ(_wtof(L"123456789012345678901234567890"), 123456789012345678901234567890.0);
  EXPECT_EQ(_wtof(L"0.1000000000000000055511151231257827"), 0.1);
  EXPECT_EQ(_wtof(L"1e300"), 1e300);
  EXPECT_EQ(_wtof(L"4.9406564584124654e-324"), 4.9406564584124654e-324);
  EXPECT_TRUE(std::isinf(_wtof(L"1e99999")));
  EXPECT_TRUE(std::isinf(_wtof(L"inf")));
  EXPECT_TRUE(std::isnan(_wtof(L"nan")));
  EXPECT_EQ(_wtof(L"0x10"), 16.0);
}

TEST(Wtof, AgreesWithCorrectRoundingOnRandomNumbers) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-30, 30), precision(1, 17);
  for (int i = 0; i < 20000; ++i) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", precision(random), mantissa(random) * std::pow(10.0, exponent(random)));
    std::wstring wide(text, text + std::strlen(text));
    ASSERT_EQ(_wtof(wide.c_str()), std::strtod(text, nullptr)) << text;
  }
}

}  // namespace
