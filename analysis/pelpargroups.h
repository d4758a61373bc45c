// The target-group parameter ("groupList"): a list of target groups, each one item of a table
// dimension, with the descriptions of the groups (case counts, population estimates, maximum
// errors, missing values) that the pages show beside them.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "analysis/pelpar.h"

namespace quin {

class TPelGroup;
class TGimWaveList;
class TGimWeight;
class TMerRecset;

class TPelParGroups : public TPelParMulti {
  QUIN_CLASS(TPelParGroups, TPelParMulti)
  QUIN_RW_CLASS(TPelParGroups)
 public:
  using TPelParMulti::TPelParMulti;
  TPelParGroups(const TPelParGroups&) = default;

  static std::string StaticKeyword() { return "groupList"; }
  static bool StaticIsAvailableInMode(uint8_t Mode) { return Mode < 2; }

  std::string GetDefaultName() const override;
  bool AllowsEmpty() const override { return true; }
  bool NumbersRepeatedName() const override { return true; }
  bool UnaskedFlagD() const override { return true; }
  bool HasDimInfoText() const override { return true; }
  bool UsesCaseGroups() const override { return true; }
  // A random group with a generator, else an empty one.
  std::unique_ptr<TPelSubPar> NewSubPar(TOrvRandGen* Random) override;
  // The Index-th group that is not hidden, with its description; empty outside the groups.
  std::string GetItemInfoText(int Option, int Index) const override;
  // Every group that is not hidden, with its description.
  std::string GetDimInfoText(int Option, int Index) const override;

  // The description of Group (all cases when null) counted over Waves in Recset: Mode 0 the
  // cases and the population estimate, 1 the maximum error, 3 the missing values; empty for
  // another mode.
  std::string GetGroupInfoText(TPelGroup* Group, int Mode, const TGimWaveList* Waves,
                               const TGimWeight* Weight, TMerRecset* Recset) const;
  // The descriptions of modes 0, 1 and 3 from one evaluation of Group.
  std::array<std::string, 3> GetGroupInfoTexts(TPelGroup* Group, const TGimWaveList* Waves,
                                               const TGimWeight* Weight, TMerRecset* Recset) const;
  // The waves the descriptions count in (a new list the caller owns): the whole selection of
  // the first waves parameter when it is a table column or row dimension, the waves of its
  // selected item when it is a layer, otherwise all waves of the survey.
  std::unique_ptr<TGimWaveList> GetInfoWaveList() const;

 protected:
  TPelParGroups& operator=(const TPelParGroups&) = default;

 private:
  // The counts a description shows: the group's after one evaluation, else all N records.
  struct TInfoCounts {
    double Selected, WSelected, WCases, Missing, WMissing;
  };
  TInfoCounts CountForInfo(TPelGroup* Group, const TGimWaveList* Waves, const TGimWeight* Weight,
                           TMerRecset* Recset) const;
  // The description of Mode (0, 1 or 3) from C.
  std::string InfoText(int Mode, const TInfoCounts& C, const TGimWeight* Weight,
                       TMerRecset* Recset) const;
  // "  " + the group's text + CR LF + "  " + its description, escaped for HTML with Option 1.
  std::string GroupBlock(TPelGroup* Group, int Option) const;
};

}  // namespace quin
