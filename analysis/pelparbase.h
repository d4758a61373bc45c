// The base parameter ("base"): which base rows a table shows beside its results (the actual
// and the weighted case count, the record set), each shown option one item; and the labels and
// value texts of base rows used by the cell texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/pelpar.h"
#include "base/formatsettings.h"
#include "base/orvmessages.h"

namespace quin {

class TMerRecset;

enum TPelBaseOpt : uint8_t { boResult = 0, boBaseA = 1, boBaseW = 2, boRecset = 3 };
constexpr int kPelBaseOptCount = 4;

// "Base option (ID: %s) not recognized or not allowed."
extern const TOrvMsgClass TPelErrorUnknownBaseOpt;

// The translated label and short label of Kind; empty for another value.
std::string BaseOptLabel(int Kind);
std::string BaseOptShortLabel(int Kind);
// The key of Kind in definition texts ("result", "baseA", "baseW", "recset").
std::string BaseOptKey(int Kind);
// The label carries the short label: the actual and the weighted base.
bool BaseOptHasShortLabelInLabel(int Kind);
// The record set's nick (or name) translated for the record-set row; otherwise the value
// "%1.0n" under Settings.
std::string FormatBaseValue(const TMerRecset* Recset, int Kind, const TFormatSettings& Settings,
                            double Value);
// As FormatBaseValue; with Raw a value is formatted "%g".
std::string FormatBaseValueRaw(const TMerRecset* Recset, int Kind, const TFormatSettings& Settings,
                               double Value, bool Raw);

class TPelParDefBase : public TPelPar {
  QUIN_CLASS(TPelParDefBase, TPelPar)
  QUIN_RW_CLASS(TPelParDefBase)
 public:
  // All four options shown, the global setting for base rows.
  explicit TPelParDefBase(TPelSurvey* ASurvey = nullptr);
  TPelParDefBase(const TPelParDefBase&) = default;

  struct TOption {
    TPelBaseOpt Kind;
    uint8_t Show;  // 0 hidden, 1 shown, 2 shown only in a weighted analysis
  };
  // 0 base rows always shown, 1 only when missing values were found, 2 the global setting.
  uint8_t BaseDiff = 2;
  std::vector<TOption> Options;

  static std::string StaticKeyword() { return "base"; }

  bool ShowsBaseOnlyForMissing() const;
  // Option Index is shown: Show 1; Show 2 while the list's weighting is not "off" (or there is
  // no list).
  bool IsShown(int Index) const;
  // The array position of the shown option Item; -1 when none.
  int ShownOption(int Item) const;

  std::string GetDefaultName() const override;
  bool IsEmpty() const override;
  void ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  void WriteBody(TStream& Stream, int& Indent) const override;
  std::string GetItemInfoText(int Option, int Index) const override;
  bool HasDimInfoText() const override { return true; }
  bool FiltersCases() const override { return false; }
  TPelResElem* CreateResElemAt(TPelPos Pos, bool Selectable, bool Means, bool Detail) override;
  TPelDims GetDims(bool Selectable, bool Means, bool Detail) override;
  bool UnaskedFlagG() const override { return false; }
  std::string GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                         bool ShowCodes) override;
  std::string GetLabel(int Index) override;

 protected:
  TPelParDefBase& operator=(const TPelParDefBase&) = default;
};

}  // namespace quin
