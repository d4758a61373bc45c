#include "base/orvdays.h"

#include <functional>

#include "base/langmanager.h"
#include "base/systemlocale.h"
#include "base/text.h"

namespace quin {

namespace {

struct DayRow {
  const char* Key;
  const char* Name;   // UTF-8 bilingual
  const char* Short;  // UTF-8 bilingual
};

const DayRow kDays[7] = {
    {"mon", "<PLK>Poniedziałek<ENU>Monday", "<PLK>Pon<ENU>Mon"},
    {"tue", "<PLK>Wtorek<ENU>Tuesday", "<PLK>Wto<ENU>Tue"},
    {"wed", "<PLK>Środa<ENU>Wednesday", "<PLK>Śro<ENU>Wed"},
    {"thu", "<PLK>Czwartek<ENU>Thursday", "<PLK>Czw<ENU>Thu"},
    {"fri", "<PLK>Piątek<ENU>Friday", "<PLK>Pią<ENU>Fri"},
    {"sat", "<PLK>Sobota<ENU>Saturday", "<PLK>Sob<ENU>Sat"},
    {"sun", "<PLK>Niedziela<ENU>Sunday", "<PLK>Nie<ENU>Sun"},
};

// Walks Monday to Sunday, grouping consecutive days (Sunday is not followed by Monday).
std::string JoinDays(TOrvDaySet Days, std::string_view ListSep, std::string_view RangeSep,
                     const std::function<std::string(TOrvDay)>& Item) {
  std::string R;
  auto Append = [&](const std::string& S) {
    if (!R.empty()) R += ListSep;
    R += S;
  };
  int D = 0;
  while (D < 7) {
    if (!Days.Contains(TOrvDay(D))) {
      ++D;
      continue;
    }
    int Last = D;
    while (Last + 1 < 7 && Days.Contains(TOrvDay(Last + 1))) ++Last;
    const int Run = Last - D + 1;
    if (Run >= 3) {
      Append(Item(TOrvDay(D)) + std::string(RangeSep) + Item(TOrvDay(Last)));
    } else {
      for (int K = D; K <= Last; ++K) Append(Item(TOrvDay(K)));
    }
    D = Last + 1;
  }
  return R;
}

}  // namespace

const char* DayKey(TOrvDay Day) { return kDays[Day % 7].Key; }

std::string WeekdayName(TOrvDay Day) {
  return CurrentLangManager().TranslateText(Cp1250(kDays[Day % 7].Name));
}

std::string ShortWeekdayName(TOrvDay Day) {
  return CurrentLangManager().TranslateText(Cp1250(kDays[Day % 7].Short));
}

bool DayFromKey(std::string_view Key, TOrvDay& Day) {
  const std::string K = LowerCase(Key);
  for (int I = 0; I < 7; ++I)
    if (K == kDays[I].Key) {
      Day = TOrvDay(I);
      return true;
    }
  return false;
}

bool DayFromNumber(double Number, TOrvDay& Day) {
  // A comparison that NaN fails as well.
  if (!(Number >= 1 && Number <= 7) || Number != static_cast<double>(static_cast<int>(Number)))
    return false;
  Day = TOrvDay(static_cast<int>(Number) - 1);
  return true;
}

int DayCount(TOrvDaySet Days) {
  int N = 0;
  for (int I = 0; I < 7; ++I) N += Days.Contains(TOrvDay(I));
  return N;
}

std::string DaySetToText(TOrvDaySet Days, std::string_view RangeSep) {
  const std::string Sep = std::string(1, SystemLocale().FormatSettings.ListSeparator) + " ";
  return JoinDays(Days, Sep, RangeSep, ShortWeekdayName);
}

std::string DaySetToKeys(TOrvDaySet Days, std::string_view ListSep, std::string_view RangeSep) {
  return JoinDays(Days, ListSep, RangeSep, [](TOrvDay D) { return std::string(DayKey(D)); });
}

}  // namespace quin
