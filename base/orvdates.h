// Calendar dates as the program stores them: a double counting days since 1899-12-30 (so
// 1900-01-01 is 2 and 2005-03-01 is 38412), for years 1 to 9999 of the Gregorian calendar.
#pragma once

#include <cstdint>

#include "base/format.h"

namespace quin {

// False (Date untouched) when Year/Month/Day is no valid date of years 1..9999.
bool TryEncodeDate(int Year, int Month, int Day, double& Date);
// The date's serial number; EConvertError when it names no date.
double EncodeDate(int Year, int Month, int Day);
// The calendar date of the day that Date falls on (its time of day ignored). False (parts
// untouched) when Date lies outside years 1..9999 or is not finite.
bool DecodeDate(double Date, int& Year, int& Month, int& Day);

}  // namespace quin
