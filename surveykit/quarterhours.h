// Quarter-hour time slots of radio and television listening: their numbering, their order in
// the broadcasting day and their texts as clock times and durations.
//
// A slot is 1..96: slot 1 is 00:00-00:14, slot 96 23:45-23:59. The broadcasting day runs from
// 05:00 (slot 21) to 04:59 (slot 20 of the next calendar day).
#pragma once

#include <array>
#include <bitset>
#include <string>
#include <string_view>

namespace quin {

inline constexpr int QuarterSlotCount = 96;
// The first slot of the broadcasting day (05:00).
inline constexpr int QuarterDayStart = 21;

// A set of slots; bits 1..96 are used.
using TQuarterSet = std::bitset<QuarterSlotCount + 1>;

// The durations of the width table, in quarter-hours.
inline constexpr std::array<int, 9> QuarterWidths = {1, 2, 4, 8, 12, 16, 24, 32, 48};

// Any integer brought into 1..96 (0 is slot 96, 97 is slot 1).
int QuarterSlot(int Slot);

// A text that sorts slots in broadcasting-day order: slot 21 gives "050", slot 96 "233",
// slot 1 "240", slot 20 "283". Slots outside 1..96 are taken modulo 96 first.
std::string QuarterSortKey(int Slot);
// "hh:mm" of the slot's start (WithStart), of its end (WithEnd), joined by " - " when both;
// slots outside 1..96 are taken modulo 96.
std::string QuarterText(int Slot, bool WithStart, bool WithEnd);
// The start of First, " - ", the end of Last when First < Last; else First's own range.
std::string QuarterRangeText(int First, int Last);
// No text is read as a slot: always -1.
int QuarterFromText(std::string_view Text);
// The name of the width table's entry Index (0..8) in the current language; empty outside.
std::string TimeUnitName(int Index);
// The name of the width of Quarters quarter-hours; empty when the table lacks that width.
std::string QuarterWidthName(int Quarters);
// The start times of the slots of the set, in slot order, joined by the system locale's list
// separator and a blank.
std::string QuarterSetText(const TQuarterSet& Slots);

}  // namespace quin
