// Date texts by pattern, the customary patterns of the two languages, and the clock.
#include "base/orvdates.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "base/systemlocale.h"

namespace quin {
namespace {

TFormatSettings LanguageSettings(const char* Code) {
  TFormatSettings F;
  EXPECT_TRUE(SetDateFormatsByLanguage(F, Code));
  return F;
}

TEST(OrvDates, PatternsInBothLanguages) {
  const TFormatSettings Pl = LanguageSettings("plk");
  const TFormatSettings En = LanguageSettings("ENU");
  // 2005-03-01 is day 38412; 15:04:05 is 54245 seconds into the day.
  const double Afternoon = 38412 + 54245.0 / 86400;
  const double Morning = 38412 + (9 * 3600 + 7 * 60 + 30) / 86400.0;
  const double Midnight = EncodeDate(2024, 10, 15);
  struct TCase {
    double Value;
    const char* PlShort;
    const char* PlDateTime;
    const char* EnShort;
    const char* EnDateTime;
  };
  const TCase Cases[] = {
      {Afternoon, "2005-03-01", "2005-03-01 15:04:05", "3/1/2005", "3/1/2005 3:04:05 PM"},
      {Morning, "2005-03-01", "2005-03-01 09:07:30", "3/1/2005", "3/1/2005 9:07:30 AM"},
      // Midnight shows no time; 12 noon and 0 hours are 12 on the 12-hour clock.
      {Midnight, "2024-10-15", "2024-10-15", "10/15/2024", "10/15/2024"},
      {Midnight + 0.5, "2024-10-15", "2024-10-15 12:00:00", "10/15/2024", "10/15/2024 12:00:00 PM"},
      {Midnight + 30 / 86400.0, "2024-10-15", "2024-10-15 00:00:30", "10/15/2024",
       "10/15/2024 12:00:30 AM"},
      // Rounded to the millisecond: 23:59:59.9996 is the next day's midnight, while the short
      // date takes the day the value falls on.
      {Midnight + 1 - 0.0004 / 86400, "2024-10-15", "2024-10-16", "10/15/2024", "10/16/2024"},
      // No date: outside years 1..9999 or not finite.
      {1e9, "", "", "", ""},
      {NAN, "", "", "", ""},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(ShortDateText(C.Value, Pl), C.PlShort) << C.Value;
    EXPECT_EQ(DateTimeText(C.Value, Pl), C.PlDateTime) << C.Value;
    EXPECT_EQ(ShortDateText(C.Value, En), C.EnShort) << C.Value;
    EXPECT_EQ(DateTimeText(C.Value, En), C.EnDateTime) << C.Value;
  }
  TFormatSettings Other;
  EXPECT_FALSE(SetDateFormatsByLanguage(Other, "deu"));
  EXPECT_EQ(Other.ShortDateFormat, "yyyy-mm-dd");
  EXPECT_EQ(LocaleFromName("pl_PL").FormatSettings.ShortDateFormat, "yyyy-mm-dd");
  EXPECT_EQ(LocaleFromName("en_US").FormatSettings.ShortDateFormat, "M/d/yyyy");
}

TEST(OrvDates, PatternLettersAndSeparators) {
  TFormatSettings F;
  F.DateSeparator = '.';
  F.TimeSeparator = '-';
  const double V = EncodeDate(2006, 2, 4) + (7 * 3600 + 5 * 60 + 9) / 86400.0;
  struct TCase {
    const char* Pattern;
    const char* Text;
  };
  for (const TCase& C :
       {TCase{"d/m/yy", "4.2.06"}, TCase{"DD/MM/YYYY", "04.02.2006"}, TCase{"yyy", "2006"},
        TCase{"h:n:s", "7-5-9"}, TCase{"hh:nn:ss ampm", "07-05-09 AM"},
        TCase{"[x] w, t", "[x] w, t"}, TCase{"", ""}})
    EXPECT_EQ(FormatDateTime(C.Pattern, V, F), C.Text) << C.Pattern;
  EXPECT_EQ(FormatDateTime("yy/yyyy", EncodeDate(7, 1, 1), F), "07.0007");
}

TEST(OrvDates, ClockIsLocalTimeUnlessPinned) {
  const double Unix =
      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  // Local time lies within a day of UTC.
  EXPECT_NEAR(Now(), Unix / 86400 + 25569, 1.0);
  // Today is the day of the clock read just before or after it (midnight may fall between).
  const double Before = std::floor(Now());
  const double Day = Today();
  EXPECT_TRUE(Day == Before || Day == std::floor(Now())) << Day;
  EXPECT_NEAR(LocalDateTime(0, 500000000) - LocalDateTime(0, 0), 0.5 / 86400, 1e-10);
  SetDateClock([] { return 45580.75; });
  EXPECT_EQ(Now(), 45580.75);
  EXPECT_EQ(Today(), 45580);
  SetDateClock({});
  EXPECT_NEAR(Now(), Unix / 86400 + 25569, 1.0);
}

}  // namespace
}  // namespace quin
