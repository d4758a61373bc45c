#include "base/text.h"

#include <gtest/gtest.h>

#include "base/systemlocale.h"

namespace quin {
namespace {

TEST(Text, Cp1250RoundTripsEveryPolishLetter) {
  const std::string Utf8 = "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ";
  const std::string Cp = Cp1250(Utf8);
  EXPECT_EQ(Cp, "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
  EXPECT_EQ(Cp1250ToUtf8(Cp), Utf8);
  EXPECT_EQ(Cp1250("Pią"), "Pi\xB9");
}

TEST(Text, Cp1250ReplacesWhatItCannotHold) {
  EXPECT_EQ(Cp1250("a\xE2\x82\xAC b"), "a\x80 b");  // the euro sign exists
  EXPECT_EQ(Cp1250("\xE4\xB8\xAD"), "?");           // a CJK character does not
  EXPECT_EQ(Cp1250("x\xC5"), "x?");                 // truncated sequence
  EXPECT_EQ(Cp1250("\xFF\xFEz"), "??z");            // not UTF-8 at all
}

TEST(Text, AsciiCaseLeavesHighBytesAlone) {
  EXPECT_EQ(LowerCase("ABC\xA5"), "abc\xA5");
  EXPECT_TRUE(SameText("TMerEnviron", "tmerENVIRON"));
  EXPECT_FALSE(SameText("\xA5", "\xB9"));  // Polish letters are not folded here
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_GT(CompareText("abcd", "ABC"), 0);
  EXPECT_EQ(CompareText("", ""), 0);
}

TEST(SystemLocaleTable, PosixNamesGiveWindowsFacts) {
  struct Case {
    const char* Name;
    const char* Abbrev;
    char Dec, Thou, List;
  };
  const Case Cases[] = {
      {"pl_PL.UTF-8", "PLK", ',', ' ', ';'}, {"en_US", "ENU", '.', ',', ','},
      {"C", "ENU", '.', ',', ','},           {"de_DE", "DEU", ',', ' ', ';'},
      {"POSIX", "ENU", '.', ',', ','},
  };
  for (const Case& C : Cases) {
    const TSystemLocale L = LocaleFromName(C.Name);
    EXPECT_EQ(L.LanguageAbbrev, C.Abbrev) << C.Name;
    EXPECT_EQ(L.FormatSettings.DecimalSeparator, C.Dec) << C.Name;
    EXPECT_EQ(L.FormatSettings.ThousandSeparator, C.Thou) << C.Name;
    EXPECT_EQ(L.FormatSettings.ListSeparator, C.List) << C.Name;
  }
}

TEST(SystemLocaleTable, DisplayNames) {
  EXPECT_EQ(LanguageDisplayName("plk"), "Polish");
  EXPECT_EQ(LanguageDisplayName("ENU"), "English");
  EXPECT_EQ(LanguageDisplayName("xyz"), "");
  SetSystemLocale(LocaleFromName("pl_PL"));
  EXPECT_EQ(LanguageDisplayName("DEU"), "niemiecki");
  EXPECT_EQ(LanguageDisplayName("UKR"), Cp1250("ukraiński"));
  SetSystemLocale(LocaleFromName("en_US"));
}

}  // namespace
}  // namespace quin
