#include "surveykit/quarterhours.h"

#include "base/format.h"
#include "base/langmanager.h"
#include "base/systemlocale.h"

namespace quin {

namespace {

const char* const WidthNames[QuarterWidths.size()] = {
    "<PLK>1/4 godziny<ENU>1/4 hour", "<PLK>1/2 godziny<ENU>1/2 hour", "<PLK>1 godzina<ENU>1 hour",
    "<PLK>2 godziny<ENU>2 hours",    "<PLK>3 godziny<ENU>3 hours",    "<PLK>4 godziny<ENU>4 hours",
    "<PLK>6 godzin<ENU>6 hours",     "<PLK>8 godzin<ENU>8 hours",     "<PLK>12 godzin<ENU>12 hours",
};

const char* const StartMinutes[4] = {"00", "15", "30", "45"};
const char* const EndMinutes[4] = {"14", "29", "44", "59"};

// At least two digits, zero-padded (the hours are 0..28).
std::string TwoDigits(int N) { return FormatPointDecimal("%.2d", {N}); }

}  // namespace

int QuarterSlot(int Slot) {
  int N = Slot % QuarterSlotCount;  // -95..95
  if (N <= 0) N += QuarterSlotCount;
  return N;
}

std::string QuarterSortKey(int Slot) {
  const int S = QuarterSlot(Slot);
  int N = S - 1;
  if (S < QuarterDayStart) N += QuarterSlotCount;
  return TwoDigits(N / 4) + IntToStr(N % 4);
}

std::string QuarterText(int Slot, bool WithStart, bool WithEnd) {
  const int N = QuarterSlot(Slot) - 1;
  const std::string Hour = TwoDigits((N / 4) % 24);
  std::string Text;
  if (WithStart) Text = Hour + ":" + StartMinutes[N % 4];
  if (WithStart && WithEnd) Text += " - ";
  if (WithEnd) Text += Hour + ":" + EndMinutes[N % 4];
  return Text;
}

std::string QuarterRangeText(int First, int Last) {
  if (First < Last)
    return QuarterText(First, /*WithStart=*/true, /*WithEnd=*/false) + " - " +
           QuarterText(Last, /*WithStart=*/false, /*WithEnd=*/true);
  return QuarterText(First, /*WithStart=*/true, /*WithEnd=*/true);
}

int QuarterFromText(std::string_view Text) { return -1; }

std::string TimeUnitName(int Index) {
  if (Index < 0 || Index >= static_cast<int>(QuarterWidths.size())) return "";
  return CurrentLangManager().TranslateText(WidthNames[Index]);
}

std::string QuarterWidthName(int Quarters) {
  for (std::size_t I = 0; I < QuarterWidths.size(); ++I)
    if (QuarterWidths[I] == Quarters) return TimeUnitName(static_cast<int>(I));
  return "";
}

std::string QuarterSetText(const TQuarterSet& Slots) {
  const char Sep = SystemLocale().FormatSettings.ListSeparator;
  std::string Text;
  for (int S = 1; S <= QuarterSlotCount; ++S) {
    if (!Slots.test(static_cast<std::size_t>(S))) continue;
    if (!Text.empty()) {
      Text += Sep;
      Text += ' ';
    }
    Text += QuarterText(S, /*WithStart=*/true, /*WithEnd=*/false);
  }
  return Text;
}

}  // namespace quin
