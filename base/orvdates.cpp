#include "base/orvdates.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <mutex>

#include "base/text.h"

namespace quin {

namespace {

using namespace std::chrono;

// 1899-12-30, day 0 of the serial numbers.
constexpr sys_days kEpoch = sys_days{year{1899} / December / 30};
constexpr sys_days kFirst = sys_days{year{1} / January / 1};
constexpr sys_days kLast = sys_days{year{9999} / December / 31};
constexpr double kMsPerDay = 86400000.0;

// The parts of a date-time rounded to the millisecond.
struct TDateTimeParts {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

bool DecodeDateTime(double Value, TDateTimeParts& P) {
  if (!std::isfinite(Value)) return false;
  const double Ms = std::round(Value * kMsPerDay);
  const double Whole = std::floor(Ms / kMsPerDay);
  if (!DecodeDate(Whole, P.Year, P.Month, P.Day)) return false;
  const auto Time = static_cast<int64_t>(Ms - Whole * kMsPerDay);
  P.Hour = static_cast<int>(Time / 3600000);
  P.Minute = static_cast<int>(Time / 60000 % 60);
  P.Second = static_cast<int>(Time / 1000 % 60);
  return true;
}

std::mutex& ClockLock() {
  static std::mutex M;
  return M;
}
std::function<double()>& Clock() {
  static std::function<double()> C;
  return C;
}

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

std::string FormatDateTime(std::string_view Pattern, double Value,
                           const TFormatSettings& Settings) {
  TDateTimeParts P;
  if (!DecodeDateTime(Value, P)) return "";
  const bool Clock12 = LowerCase(Pattern).find("ampm") != std::string::npos;
  std::string Out;
  auto Number = [&Out](int V, size_t Run) {
    if (Run >= 2 && V < 10) Out += '0';
    Out += IntToStr(V);
  };
  size_t I = 0;
  while (I < Pattern.size()) {
    const char C = static_cast<char>(Pattern[I] | 0x20);
    if (C == 'a' && SameText(Pattern.substr(I, 4), "ampm")) {
      Out += P.Hour < 12 ? "AM" : "PM";
      I += 4;
      continue;
    }
    const bool Field = C == 'y' || C == 'm' || C == 'd' || C == 'h' || C == 'n' || C == 's';
    size_t Run = 1;
    while (Field && I + Run < Pattern.size() && static_cast<char>(Pattern[I + Run] | 0x20) == C)
      ++Run;
    switch (Field ? C : Pattern[I]) {
      case 'y':
        Out += Run <= 2 ? Format("%.2d", {P.Year % 100}, Settings)
                        : Format("%.4d", {P.Year}, Settings);
        break;
      case 'm':
        Number(P.Month, Run);
        break;
      case 'd':
        Number(P.Day, Run);
        break;
      case 'h':
        Number(Clock12 ? (P.Hour + 11) % 12 + 1 : P.Hour, Run);
        break;
      case 'n':
        Number(P.Minute, Run);
        break;
      case 's':
        Number(P.Second, Run);
        break;
      case '/':
        Out += Settings.DateSeparator;
        break;
      case ':':
        Out += Settings.TimeSeparator;
        break;
      default:
        Out += Pattern[I];
    }
    I += Run;
  }
  return Out;
}

std::string ShortDateText(double Date, const TFormatSettings& Settings) {
  return std::isfinite(Date) ? FormatDateTime(Settings.ShortDateFormat, std::floor(Date), Settings)
                             : std::string();
}

std::string DateTimeText(double Value, const TFormatSettings& Settings) {
  TDateTimeParts P;
  if (!DecodeDateTime(Value, P)) return "";
  std::string Pattern = Settings.ShortDateFormat;
  if (P.Hour != 0 || P.Minute != 0 || P.Second != 0) Pattern += " " + Settings.LongTimeFormat;
  return FormatDateTime(Pattern, Value, Settings);
}

double LocalDateTime(int64_t Seconds, int64_t Nanoseconds) {
  const auto T = static_cast<time_t>(Seconds);
  struct tm Tm {};
  const long Offset = localtime_r(&T, &Tm) ? Tm.tm_gmtoff : 0;
  const double Local =
      static_cast<double>(Seconds + Offset) + static_cast<double>(Nanoseconds) / 1e9;
  return Local / 86400.0 + 25569.0;
}

double Now() {
  {
    std::lock_guard<std::mutex> G(ClockLock());
    if (Clock()) return Clock()();
  }
  const auto Ns = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
  return LocalDateTime(Ns / 1000000000, Ns % 1000000000);
}

double Today() { return std::floor(Now()); }

void SetDateClock(std::function<double()> AClock) {
  std::lock_guard<std::mutex> G(ClockLock());
  Clock() = std::move(AClock);
}

}  // namespace quin
