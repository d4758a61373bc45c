// Constant key tables of the survey info block: the analysis-template kinds with their family
// groups, and the statistic keys (kind identifiers and group prefixes).
#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace quin {

constexpr int WizKindCount = 42;
constexpr int WizGroupCount = 4;

// One template kind: its identifier and the index of its family group.
struct TMerWizKindInfo {
  const char* ID;
  int Group;
};
// One family group: its identifier and the range of kinds it holds.
struct TMerWizKindArrInfo {
  const char* ID;
  int First;
  int Last;
  bool Holds(int Kind) const { return Kind >= First && Kind <= Last; }
};

// Indexed by the kind number (0..41).
extern const std::array<TMerWizKindInfo, WizKindCount> MerWizKinds;
// "general" (0-6), "radio" (7-19), "press" (20-30), "tv" (31-41).
extern const std::array<TMerWizKindArrInfo, WizGroupCount> MerWizGroups;

// The kind whose identifier is ID (case ignored); -1 when none.
int FindWizKind(std::string_view ID);
// The group whose identifier is ID (case ignored); -1 when none.
int FindWizGroup(std::string_view ID);

constexpr int StatKindCount = 20;
constexpr int StatKeyCount = 28;
// The 20 statistic kind identifiers in catalogue order, then the 8 group prefixes.
extern const std::array<const char*, StatKeyCount> MerStatKeys;
// The group prefix of each of the 20 kinds, in catalogue order (the kind's own identifier for
// the kinds outside a group: "index", "est").
extern const std::array<const char*, StatKindCount> MerStatPrefixes;
// The catalogue indices (in order) of the kinds whose identifier or group prefix is Key, case
// ignored; empty for an unknown key.
std::vector<int> SelectStatKinds(std::string_view Key);

}  // namespace quin
