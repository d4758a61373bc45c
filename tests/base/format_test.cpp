#include "base/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "base/systemlocale.h"

namespace quin {
namespace {

TFormatSettings Separators(char Dec, char Thou) {
  TFormatSettings FS;
  FS.DecimalSeparator = Dec;
  FS.ThousandSeparator = Thou;
  return FS;
}

struct FormatCase {
  const char* Fmt;
  std::vector<TFormatArg> Args;
  char Dec, Thou;
  const char* Expected;
};

TEST(Format, WritesLikeThePlatform) {
  const double Inf = std::numeric_limits<double>::infinity();
  const FormatCase Cases[] = {
      // fixed: ties round half away from zero on the shortest decimal form
      {"%1.1f", {3.15}, '.', ',', "3.2"},
      {"%.2f", {2.675}, '.', ',', "2.68"},
      {"%.2f", {1.005}, '.', ',', "1.01"},
      {"%.0f", {0.5}, '.', ',', "1"},
      {"%.0f", {-0.5}, '.', ',', "-1"},
      {"%.0f", {2.5}, '.', ',', "3"},
      {"%.0f", {-0.4}, '.', ',', "0"},
      {"%.2f", {-0.0}, '.', ',', "0.00"},
      {"%f", {1.5}, '.', ',', "1.50"},
      {"%.2f", {1.5}, ',', ' ', "1,50"},
      {"%.3f", {0.0005}, '.', ',', "0.001"},
      {"%.1f", {99.96}, '.', ',', "100.0"},
      {"%1.0f", {12345678.0}, '.', ',', "12345678"},
      {"%8.2f", {3.14159}, '.', ',', "    3.14"},
      {"%.2f", {1e20}, '.', ',', "100000000000000000000.00"},
      // number: grouped integer part
      {"%.2n", {1234.5}, '.', ',', "1,234.50"},
      {"%.2n", {1234.5}, ',', ' ', "1 234,50"},
      {"%1.0n", {1234567.0}, '.', ',', "1,234,567"},
      {"%n", {-1234567.891}, '.', ',', "-1,234,567.89"},
      {"%.0n", {999.5}, '.', ',', "1,000"},
      {"%.2n", {123.0}, '.', ',', "123.00"},
      {"%.2n", {1234.5}, '.', '\0', "1234.50"},
      // general
      {"%g", {1234567.0}, '.', ',', "1234567"},
      {"%g", {0.1}, '.', ',', "0.1"},
      {"%g", {0.1 + 0.2}, '.', ',', "0.3"},
      {"%g", {1.5}, ',', ' ', "1,5"},
      {"%g", {1e15}, '.', ',', "1E15"},
      {"%g", {1e20}, '.', ',', "1E20"},
      {"%g", {1e100}, '.', ',', "1E100"},
      {"%g", {123456789012345.0}, '.', ',', "123456789012345"},
      {"%g", {999999999999999.9}, '.', ',', "1E15"},
      {"%g", {2147483648.0}, '.', ',', "2147483648"},
      {"%g", {1e-5}, '.', ',', "0.00001"},
      {"%g", {1e-6}, '.', ',', "1E-6"},
      {"%g", {-1.5e-10}, '.', ',', "-1.5E-10"},
      {"%g", {1.0 / 3}, '.', ',', "0.333333333333333"},
      {"%g", {2.0 / 3}, '.', ',', "0.666666666666667"},
      {"%g", {0.0}, '.', ',', "0"},
      {"%g", {-0.0}, '.', ',', "0"},
      {"%g", {5e-324}, '.', ',', "5E-324"},
      {"%.3g", {1234.5}, '.', ',', "1.23E3"},
      {"%.3g", {0.00012345}, '.', ',', "0.000123"},
      // scientific
      {"%e", {1234.5}, '.', ',', "1.23450000000000E+003"},
      {"%.3e", {0.000123456}, '.', ',', "1.23E-004"},
      {"%.2e", {-9.96}, ',', ' ', "-1,0E+001"},
      {"%e", {0.0}, '.', ',', "0.00000000000000E+000"},
      {"%.3e", {1e300}, '.', ',', "1.00E+300"},
      {"%.1e", {5.0}, '.', ',', "5E+000"},
      // not finite
      {"%g", {std::nan("")}, '.', ',', "NAN"},
      {"%.2f", {Inf}, '.', ',', "INF"},
      {"%5n", {-Inf}, '.', ',', " -INF"},
      // integers
      {"%.3d", {7}, '.', ',', "007"},
      {"%.3d", {-7}, '.', ',', "-007"},
      {"%.2d", {123}, '.', ',', "123"},
      {"%d", {std::numeric_limits<int>::min()}, '.', ',', "-2147483648"},
      {"%d", {std::numeric_limits<long long>::min()}, '.', ',', "-9223372036854775808"},
      {"%d", {18446744073709551615ull}, '.', ',', "18446744073709551615"},
      {"%D", {5}, '.', ',', "5"},
      {"%u", {-1}, '.', ',', "4294967295"},
      {"%u", {-1LL}, '.', ',', "18446744073709551615"},
      {"%x", {255}, '.', ',', "FF"},
      {"%.4x", {255u}, '.', ',', "00FF"},
      {"%x", {-1}, '.', ',', "FFFFFFFF"},
      // width, justification, "*"
      {"[%5d]", {42}, '.', ',', "[   42]"},
      {"[%-5d]", {42}, '.', ',', "[42   ]"},
      {"[%1d]", {42}, '.', ',', "[42]"},
      {"[%*d]", {5, 42}, '.', ',', "[   42]"},
      {"[%-*.*f]", {7, 1, 2.25}, '.', ',', "[2.3    ]"},
      {"[%.*f]", {-1, 2.0}, '.', ',', "[2.00]"},
      {"[%.f]", {2.5}, '.', ',', "[3]"},
      // strings, characters, index specifiers
      {"%s", {"abc"}, '.', ',', "abc"},
      {"%.2s", {std::string("abcdef")}, '.', ',', "ab"},
      {"[%5s][%-5s]", {"ab", std::string_view("cd")}, '.', ',', "[   ab][cd   ]"},
      {"%s%s", {'x', ""}, '.', ',', "x"},
      {"%1:s %0:s", {"a", "b"}, '.', ',', "b a"},
      {"%1:s %s %0:s", {"a", "b", "c"}, '.', ',', "b c a"},
      {"%s %d - %s ", {"Tabela", 3, "wynik"}, '.', ',', "Tabela 3 - wynik "},
      {"100%% %s", {"ok", 1}, '.', ',', "100% ok"},
      {"no specifiers", {}, '.', ',', "no specifiers"},
  };
  for (const FormatCase& C : Cases) {
    EXPECT_EQ(Format(C.Fmt, C.Args, Separators(C.Dec, C.Thou)), C.Expected) << C.Fmt;
  }
}

TEST(Format, MismatchRaisesConvertError) {
  const TFormatSettings FS;
  struct BadCase {
    const char* Fmt;
    std::vector<TFormatArg> Args;
  };
  const BadCase Cases[] = {
      {"%d", {"x"}},
      {"%d", {1.5}},
      {"%d", {'c'}},
      {"%s", {1}},
      {"%f", {1}},
      {"%g", {"1"}},
      {"%x", {2.0}},
      {"%d", {}},
      {"%s %s", {"a"}},
      {"%q", {1}},
      {"abc%", {}},
      {"%2:s", {"a"}},
      {"%-", {1}},
      {"%*d", {"x", 1}},
      {"%*:s", {-1, "a"}},
      {"%999999999d", {1}},
      {"%*d", {1000000000, 1}},
  };
  for (const BadCase& C : Cases) {
    EXPECT_THROW(Format(C.Fmt, C.Args, FS), EConvertError) << C.Fmt;
  }
  try {
    Format("<%d>", {"x"}, FS);
    FAIL();
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message, "Format '<%d>' invalid or incompatible with argument");
  }
}

TEST(Format, PointDecimalTouchesOnlyNumbers) {
  SetSystemLocale(LocaleFromName("pl_PL"));
  EXPECT_EQ(FormatPointDecimal("%.2f", {1.5}), "1.50");
  EXPECT_EQ(FormatPointDecimal("%s=%.1f", {"a,b", 2.25}), "a,b=2.3");
  EXPECT_EQ(FormatPointDecimal("min, %g", {0.5}), "min, 0.5");
  EXPECT_EQ(FormatPointDecimal("%.2n", {1234.5}), "1,234.50");
  ResetSystemLocale();
}

TEST(Format, FloatToStrAndIntToStr) {
  EXPECT_EQ(FloatToStr(0.1, Separators(',', ' ')), "0,1");
  EXPECT_EQ(FloatToStr(1e20, Separators('.', ',')), "1E20");
  EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity(), {}), "-INF");
  EXPECT_EQ(IntToStr(std::numeric_limits<long long>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToStr(0), "0");
}

TEST(NumberText, FloatTexts) {
  struct Case {
    std::string S;
    char Dec;
    bool Ok;
    double V;
  };
  const Case Cases[] = {
      {"1e5", '.', true, 1e5},
      {" 12 ", '.', true, 12},
      {"1,5", ',', true, 1.5},
      {"1.5", ',', false, 0},
      {"1.5", '.', true, 1.5},
      {"0.1", '.', true, 0.1},
      {"+.5", '.', true, 0.5},
      {".5", '.', true, 0.5},
      {"5.", '.', true, 5},
      {"-0.25E-2", '.', true, -0.0025},
      {"1.7976931348623157e308", '.', true, 1.7976931348623157e308},
      {"1e-400", '.', true, 0},
      {"0e999999999999", '.', true, 0},
      {std::string(400, '0') + "1", '.', true, 1},
      {"0." + std::string(400, '0') + "1e401", '.', true, 1},
      {"1e400", '.', false, 0},
      {"-1e400", '.', false, 0},
      {"1.8e308", '.', false, 0},
      {"inf", '.', false, 0},
      {"INF", '.', false, 0},
      {"nan", '.', false, 0},
      {"0x1p3", '.', false, 0},
      {"", '.', false, 0},
      {"   ", '.', false, 0},
      {"-", '.', false, 0},
      {".", '.', false, 0},
      {"e5", '.', false, 0},
      {"1e", '.', false, 0},
      {"1e+", '.', false, 0},
      {"1.2.3", '.', false, 0},
      {"1 2", '.', false, 0},
      {"12a", '.', false, 0},
      {"1,234.5", '.', false, 0},
      {"--1", '.', false, 0},
  };
  for (const Case& C : Cases) {
    double V = -42;
    const bool Ok = TryStrToFloat(C.S, V, Separators(C.Dec, ' '));
    EXPECT_EQ(Ok, C.Ok) << C.S;
    EXPECT_EQ(V, C.Ok ? C.V : -42) << C.S;  // a failed conversion leaves V alone
  }
  EXPECT_TRUE(std::signbit(StrToFloat("-1e-400", {})));
  EXPECT_EQ(StrToFloatDef("x", 2.5, {}), 2.5);
  try {
    StrToFloat("1,5", Separators('.', ','));
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message, "'1,5' is not a valid floating point value");
  }
}

TEST(NumberText, IntegerTexts) {
  struct Case {
    const char* S;
    bool Ok32;
    bool Ok64;
    long long V;
  };
  const Case Cases[] = {
      {"12", true, true, 12},
      {"  -7", true, true, -7},
      {"+7", true, true, 7},
      {"$FF", true, true, 255},
      {"0x1f", true, true, 31},
      {"0X1F", true, true, 31},
      {"-$10", true, true, -16},
      {"0", true, true, 0},
      {"2147483647", true, true, 2147483647},
      {"-2147483648", true, true, -2147483648LL},
      {"2147483648", false, true, 2147483648LL},
      {"$FFFFFFFF", false, true, 0xFFFFFFFFLL},
      {"-9223372036854775808", false, true, std::numeric_limits<long long>::min()},
      {"9223372036854775808", false, false, 0},
      {"$10000000000000000", false, false, 0},
      {"99999999999999999999999", false, false, 0},
      {"12 ", false, false, 0},
      {"", false, false, 0},
      {"-", false, false, 0},
      {"$", false, false, 0},
      {"0x", false, false, 0},
      {"1.0", false, false, 0},
      {"1e3", false, false, 0},
      {"$FG", false, false, 0},
      {"abc", false, false, 0},
  };
  for (const Case& C : Cases) {
    int V32 = -42;
    long long V64 = -42;
    EXPECT_EQ(TryStrToInt(C.S, V32), C.Ok32) << C.S;
    EXPECT_EQ(V32, C.Ok32 ? C.V : -42) << C.S;
    EXPECT_EQ(TryStrToInt64(C.S, V64), C.Ok64) << C.S;
    EXPECT_EQ(V64, C.Ok64 ? C.V : -42) << C.S;
  }
  EXPECT_EQ(StrToIntDef("x", 5), 5);
  EXPECT_EQ(StrToInt(" 0x10"), 16);
  try {
    StrToInt("12a");
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message, "'12a' is not a valid integer value");
  }
}

}  // namespace
}  // namespace quin
