#include "base/orvdays.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/langmanager.h"
#include "base/systemlocale.h"
#include "base/text.h"

namespace quin {
namespace {

TEST(OrvDays, KeysOfDaySets) {
  struct Case {
    TOrvDaySet Days;
    const char* Keys;
  };
  const Case Cases[] = {
      {{dMon, dTue, dWed, dThu, dFri}, "mon:fri"},
      {{dMon, dTue, dThu}, "mon,tue,thu"},
      {{dMon, dWed, dThu, dFri, dSun}, "mon,wed:fri,sun"},
      {{dSat, dSun}, "sat,sun"},  // two days are two items, never a range
      {{dSun, dMon}, "mon,sun"},  // Sunday is not followed by Monday
      {TOrvDaySet::All(), "mon:sun"},
      {{}, ""},
  };
  for (const Case& C : Cases) EXPECT_EQ(DaySetToKeys(C.Days, ",", ":"), C.Keys);
}

TEST(OrvDays, UserTextUsesShortNamesAndTheLocaleListSeparator) {
  auto Pl = New<TOrvLangManager>("plk");
  auto En = New<TOrvLangManager>("enu");
  {
    TLangManagerBinding B(Pl.get());
    EXPECT_EQ(DaySetToText({dMon, dTue, dWed, dThu, dFri}, ":"), Cp1250("Pon:Pią"));
    EXPECT_EQ(WeekdayName(dWed), Cp1250("Środa"));
  }
  TLangManagerBinding B(En.get());
  SetSystemLocale(LocaleFromName("pl_PL"));  // list separator ";"
  EXPECT_EQ(DaySetToText({dMon, dTue, dThu}, ":"), "Mon; Tue; Thu");
  SetSystemLocale(LocaleFromName("en_US"));
  EXPECT_EQ(DaySetToText({dMon, dTue, dThu}, "-"), "Mon, Tue, Thu");
  EXPECT_EQ(ShortWeekdayName(dSun), "Sun");
  EXPECT_EQ(WeekdayName(dSat), "Saturday");
}

TEST(OrvDays, KeysAndCounts) {
  TOrvDay D = dMon;
  EXPECT_TRUE(DayFromKey("SUN", D));
  EXPECT_EQ(D, dSun);
  EXPECT_FALSE(DayFromKey("sunday", D));
  EXPECT_FALSE(DayFromKey("", D));
  EXPECT_EQ(D, dSun);
  EXPECT_EQ(DayCount({}), 0);
  EXPECT_EQ(DayCount(TOrvDaySet::All()), 7);
  EXPECT_EQ(DayCount(TOrvDaySet::FromBits(0xFF)), 7);  // the eighth bit is no day
  EXPECT_EQ(TOrvDaySet({dMon}).Bits(), 1);
}

// Data columns and masks count the days from 1 (Monday); inside they count from 0.
TEST(OrvDays, NumbersAtTheDataBoundary) {
  EXPECT_EQ(DayNumber(dMon), 1);
  EXPECT_EQ(DayNumber(dSun), 7);
  TOrvDay D = dWed;
  EXPECT_TRUE(DayFromNumber(1, D));
  EXPECT_EQ(D, dMon);
  EXPECT_TRUE(DayFromNumber(7, D));
  EXPECT_EQ(D, dSun);
  for (double Bad : {0.0, 8.0, 2.5, -1.0, std::nan("")}) EXPECT_FALSE(DayFromNumber(Bad, D)) << Bad;
  EXPECT_EQ(D, dSun);
}

}  // namespace
}  // namespace quin
