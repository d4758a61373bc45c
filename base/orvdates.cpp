#include "base/orvdates.h"

#include <chrono>
#include <cmath>

namespace quin {

namespace {

using namespace std::chrono;

// 1899-12-30, day 0 of the serial numbers.
constexpr sys_days kEpoch = sys_days{year{1899} / December / 30};
constexpr sys_days kFirst = sys_days{year{1} / January / 1};
constexpr sys_days kLast = sys_days{year{9999} / December / 31};

}  // namespace

bool TryEncodeDate(int Year, int Month, int Day, double& Date) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > 31) return false;
  const year_month_day Ymd{year{Year}, month{static_cast<unsigned>(Month)},
                           day{static_cast<unsigned>(Day)}};
  if (!Ymd.ok()) return false;
  Date = static_cast<double>((sys_days{Ymd} - kEpoch).count());
  return true;
}

double EncodeDate(int Year, int Month, int Day) {
  double D = 0;
  if (!TryEncodeDate(Year, Month, Day, D)) throw EConvertError("Invalid argument to date encode");
  return D;
}

bool DecodeDate(double Date, int& Year, int& Month, int& Day) {
  if (!std::isfinite(Date)) return false;
  const double Whole = std::floor(Date);
  if (Whole < static_cast<double>((kFirst - kEpoch).count()) ||
      Whole > static_cast<double>((kLast - kEpoch).count()))
    return false;
  const year_month_day Ymd{kEpoch + days{static_cast<long>(Whole)}};
  Year = static_cast<int>(Ymd.year());
  Month = static_cast<int>(static_cast<unsigned>(Ymd.month()));
  Day = static_cast<int>(static_cast<unsigned>(Ymd.day()));
  return true;
}

}  // namespace quin
