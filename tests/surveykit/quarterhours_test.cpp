#include "surveykit/quarterhours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "base/langmanager.h"
#include "base/systemlocale.h"

namespace quin {
namespace {

TEST(QuarterHours, Texts) {
  struct TCase {
    int Slot;
    bool Start, End;
    const char* Text;
  };
  const TCase Cases[] = {
      {1, true, true, "00:00 - 00:14"},
      {2, true, true, "00:15 - 00:29"},
      {21, true, true, "05:00 - 05:14"},  // the broadcasting day starts
      {20, true, true, "04:45 - 04:59"},  // and ends
      {96, true, true, "23:45 - 23:59"},
      {48, true, false, "11:45"},
      {48, false, true, "11:59"},
      {3, false, false, ""},
      // outside 1..96: modulo 96
      {97, true, false, "00:00"},
      {0, true, false, "23:45"},
      {-1, true, true, "23:30 - 23:44"},
      {-96, true, false, "23:45"},
      {193, false, true, "00:14"},
      {INT_MAX, true, false, "07:30"},  // 2147483647 = 96 * 22369621 + 31
      {INT_MIN, true, false, "15:45"},  // -2147483648 = 96 * -22369622 + 64
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Slot);
    EXPECT_EQ(QuarterText(C.Slot, C.Start, C.End), C.Text);
  }
}

TEST(QuarterHours, SortKeysFollowTheBroadcastingDay) {
  struct TCase {
    int Slot;
    const char* Key;
  };
  const TCase Cases[] = {{21, "050"}, {22, "051"}, {96, "233"},  {1, "240"},   {20, "283"},
                         {0, "233"},  {97, "240"}, {-76, "283"}, {116, "283"}, {117, "050"}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Slot);
    EXPECT_EQ(QuarterSortKey(C.Slot), C.Key);
  }
  for (int S : {INT_MIN, INT_MAX, -1000, 100000}) {
    const std::string K = QuarterSortKey(S);
    ASSERT_EQ(K.size(), 3u) << S;
    EXPECT_TRUE(std::all_of(K.begin(), K.end(), [](char C) { return C >= '0' && C <= '9'; }));
  }

  // sorting the keys puts the slots into day order: 21..96, then 1..20
  std::vector<int> Slots;
  for (int S = 1; S <= QuarterSlotCount; ++S) Slots.push_back(S);
  std::sort(Slots.begin(), Slots.end(),
            [](int A, int B) { return QuarterSortKey(A) < QuarterSortKey(B); });
  for (int I = 0; I < QuarterSlotCount; ++I)
    EXPECT_EQ(Slots[I], (QuarterDayStart - 1 + I) % QuarterSlotCount + 1) << I;
}

TEST(QuarterHours, Ranges) {
  struct TCase {
    int First, Last;
    const char* Text;
  };
  const TCase Cases[] = {
      {21, 24, "05:00 - 05:59"},
      {21, 116, "05:00 - 04:59"},  // the whole broadcasting day, past midnight
      {96, 97, "23:45 - 00:14"},   // over midnight
      {5, 5, "01:00 - 01:14"},
      {24, 21, "05:45 - 05:59"},  // not a range: the first slot alone
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::to_string(C.First) + ".." + std::to_string(C.Last));
    EXPECT_EQ(QuarterRangeText(C.First, C.Last), C.Text);
  }
}

TEST(QuarterHours, NoTextIsReadAsASlot) {
  for (const char* T : {"05:00", "1", "", "00:00 - 00:14", "21"}) EXPECT_EQ(QuarterFromText(T), -1);
}

TEST(QuarterHours, WidthNames) {
  auto En = New<TOrvLangManager>("enu");
  auto Pl = New<TOrvLangManager>("plk");
  {
    TLangManagerBinding B(En.get());
    EXPECT_EQ(TimeUnitName(0), "1/4 hour");
    EXPECT_EQ(TimeUnitName(8), "12 hours");
    EXPECT_EQ(QuarterWidthName(12), "3 hours");
    EXPECT_EQ(QuarterWidthName(4), "1 hour");
    EXPECT_EQ(QuarterWidthName(48), "12 hours");
    for (int Bad : {3, 0, -1, 96, INT_MIN}) EXPECT_EQ(QuarterWidthName(Bad), "") << Bad;
    for (int Bad : {-1, 9, INT_MAX}) EXPECT_EQ(TimeUnitName(Bad), "") << Bad;
    for (std::size_t I = 0; I < QuarterWidths.size(); ++I)
      EXPECT_EQ(QuarterWidthName(QuarterWidths[I]), TimeUnitName(int(I)));
  }
  {
    TLangManagerBinding B(Pl.get());
    EXPECT_EQ(TimeUnitName(1), "1/2 godziny");
    EXPECT_EQ(QuarterWidthName(12), "3 godziny");
    EXPECT_EQ(QuarterWidthName(24), "6 godzin");
    EXPECT_EQ(QuarterWidthName(4), "1 godzina");
  }
}

TEST(QuarterHours, SetTextUsesTheLocaleListSeparator) {
  const TSystemLocale Saved = SystemLocale();
  TSystemLocale L = Saved;
  L.FormatSettings.ListSeparator = ';';
  SetSystemLocale(L);

  TQuarterSet Set;
  EXPECT_EQ(QuarterSetText(Set), "");
  Set.set(21);
  Set.set(22);
  EXPECT_EQ(QuarterSetText(Set), "05:00; 05:15");
  Set.set(1);
  Set.set(96);
  Set.set(0);                                                    // no slot
  EXPECT_EQ(QuarterSetText(Set), "00:00; 05:00; 05:15; 23:45");  // slot order

  L.FormatSettings.ListSeparator = ',';
  SetSystemLocale(L);
  Set.reset();
  Set.set(20);
  EXPECT_EQ(QuarterSetText(Set), "04:45");
  Set.set(21);
  EXPECT_EQ(QuarterSetText(Set), "04:45, 05:00");
  SetSystemLocale(Saved);
}

}  // namespace
}  // namespace quin
