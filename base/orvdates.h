// Calendar dates as the program stores them: a double counting days since 1899-12-30 (so
// 1900-01-01 is 2 and 2005-03-01 is 38412), for years 1 to 9999 of the Gregorian calendar; the
// fraction is the time of day. Also their texts by a date pattern, and the clock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/format.h"

namespace quin {

// False (Date untouched) when Year/Month/Day is no valid date of years 1..9999.
bool TryEncodeDate(int Year, int Month, int Day, double& Date);
// The date's serial number; EConvertError when it names no date.
double EncodeDate(int Year, int Month, int Day);
// The calendar date of the day that Date falls on (its time of day ignored). False (parts
// untouched) when Date lies outside years 1..9999 or is not finite.
bool DecodeDate(double Date, int& Year, int& Month, int& Day);

// The text of a date-time by a pattern. Letters count in runs, without regard to case:
//   y, yy      the year in two digits; yyy or more: in four
//   m, d       month, day; h hour; n minute; s second (one letter: no leading zero; two or
//              more: two digits)
//   ampm       "AM" or "PM", and the hours then count from 1 to 12
//   / and :    Settings.DateSeparator and Settings.TimeSeparator
// Every other character stands as it is. The value is first rounded to the millisecond. "" for
// a value outside years 1..9999 or not finite.
std::string FormatDateTime(std::string_view Pattern, double Value, const TFormatSettings& Settings);
// The date in Settings.ShortDateFormat (its time of day ignored).
std::string ShortDateText(double Date, const TFormatSettings& Settings);
// The date in the short date format followed by a blank and the time in Settings.LongTimeFormat;
// the time is left out when it is midnight to the second.
std::string DateTimeText(double Value, const TFormatSettings& Settings);

// The local date and time of a moment given as seconds and nanoseconds since 1970-01-01 UTC.
double LocalDateTime(int64_t Seconds, int64_t Nanoseconds);
// The local date and time now, or what the clock set by SetDateClock answers.
double Now();
// Today at midnight (the date part of Now).
double Today();
// Replaces the system clock (tests pin the date); an empty function restores it.
void SetDateClock(std::function<double()> Clock);

}  // namespace quin
