// Weekdays and sets of weekdays: keys in definition texts ("mon" ... "sun"), bilingual names,
// and the two compact texts of a day set.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quin {

enum TOrvDay : uint8_t { dMon, dTue, dWed, dThu, dFri, dSat, dSun };

// One bit per day, bit 0 Monday.
class TOrvDaySet {
 public:
  constexpr TOrvDaySet() = default;
  constexpr TOrvDaySet(std::initializer_list<TOrvDay> Days) {
    for (TOrvDay D : Days) FBits |= uint8_t(1u << D);
  }
  static constexpr TOrvDaySet FromBits(uint8_t Bits) {
    TOrvDaySet S;
    S.FBits = Bits & 0x7F;
    return S;
  }
  static constexpr TOrvDaySet All() { return FromBits(0x7F); }
  constexpr uint8_t Bits() const { return FBits; }
  constexpr bool Contains(TOrvDay D) const { return (FBits >> D) & 1u; }
  constexpr void Include(TOrvDay D) { FBits |= uint8_t(1u << D); }
  constexpr void Exclude(TOrvDay D) { FBits &= uint8_t(~(1u << D)); }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr bool operator==(const TOrvDaySet&) const = default;

 private:
  uint8_t FBits = 0;
};

const char* DayKey(TOrvDay Day);
// Data columns, day masks and day keys of the media number the days from 1 (Monday) to 7
// (Sunday); inside, TOrvDay counts from 0. These two convert at that boundary.
constexpr int DayNumber(TOrvDay Day) { return int(Day) + 1; }
// True and the day when Number is a whole number from 1 to 7.
bool DayFromNumber(double Number, TOrvDay& Day);
// Translated with the current session's language manager.
std::string WeekdayName(TOrvDay Day);
std::string ShortWeekdayName(TOrvDay Day);
// True and the day when the lower-cased key equals one of the seven keys.
bool DayFromKey(std::string_view Key, TOrvDay& Day);
int DayCount(TOrvDaySet Days);
// The user's text: short names, runs of three or more days as first + RangeSep + last, items
// separated by the system locale's list separator and a blank.
std::string DaySetToText(TOrvDaySet Days, std::string_view RangeSep);
// The definition-file text: keys, items separated by ListSep alone.
std::string DaySetToKeys(TOrvDaySet Days, std::string_view ListSep, std::string_view RangeSep);

}  // namespace quin
