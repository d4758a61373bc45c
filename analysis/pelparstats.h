// The statistics parameter ("statList"): which statistics a table shows, one item each, and
// the table options (missing data, margins, percent signs, codes in mean labels, significance
// tests of means and fractions, decimal places, hiding of rows and columns).
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/pelpar.h"
#include "surveykit/gimstat.h"

namespace quin {

// A statistic list that copies as the same references.
class TPelStatRefs : public TGimStatList {
 public:
  TPelStatRefs() : TGimStatList(false) {}
  TPelStatRefs(const TPelStatRefs&) = default;
  TPelStatRefs& operator=(const TPelStatRefs& Source);
};

class TPelParStats : public TPelPar {
  QUIN_CLASS(TPelParStats, TPelPar)
  QUIN_RW_CLASS(TPelParStats)
 public:
  // The defaults: the survey info's missing-data and (for files that carry it) hiding
  // settings, the global significance level and decimal places.
  explicit TPelParStats(TPelSurvey* ASurvey = nullptr);
  // Every field; the hiding setting only when the survey file carries it.
  TPelParStats(const TPelParStats& Source);

  TPelStatRefs Stats;  // kinds of the survey's catalogue, in order
  bool ExcludeSysMis = false;
  bool ColMargins = false;
  bool RowMargins = false;
  bool RecsetDiff = true;
  uint8_t ShowPctSign = 2;        // 0 no, 1 yes, 2 the global setting
  uint8_t ShowCodesForMeans = 2;  // 0 no, 1 yes, 2 the global setting
  double SigLevel = 0.05;
  bool SigMeans = false;
  uint8_t SigMeansDim = 1;   // 1 differences within columns, 0 within rows
  bool SigMeansDir = false;  // True: against the next element, False: the previous
  bool SigMeansNOn = false;  // against a fixed element
  int32_t SigMeansNPos = 1;  // the number of that element
  bool SigPct = false;
  int32_t DecPlacesPct = 1;
  int32_t DecPlacesMeans = 2;
  uint8_t HideRowsCols = 0;  // 0 off, 1 base, 2 values

  static std::string StaticKeyword() { return "statList"; }
  static bool StaticIsAvailableInMode(uint8_t Mode) { return Mode < 2; }

  // Appends, for each class, the survey's statistic of that class when the catalogue has it.
  void AddStats(const std::vector<const ClassInfo*>& StatClasses);
  // With Index >= 0: whether statistic Index's summary depends on the column axis (row axis)
  // as Value says; with a negative Index: whether any statistic's does.
  bool HasColSummaryStat(bool Value, int Index) const;
  bool HasRowSummaryStat(bool Value, int Index) const;
  bool ShowsCodesForMeans() const;
  bool ShowsPctSign() const;
  TGimStat* Stat(int Index) const {
    return Index >= 0 && Index < Stats.Count() ? Stats.GetItem(Index) : nullptr;
  }

  std::string GetDefaultName() const override;
  bool IsEmpty() const override { return Stats.Empty(); }
  void ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) override;
  void WriteBody(TStream& Stream, int& Indent) const override;
  bool UnaskedFlagE() const override { return false; }
  // Mode 1 asks for HTML: the survey's texts are escaped and the marks are images.
  std::string GetItemInfoText(int Mode, int Index) const override;
  bool HasDimInfoText() const override { return true; }
  bool FiltersCases() const override { return false; }
  void Randomize(TOrvRandGen& Gen) override;
  TPelResElem* CreateResElemAt(TPelPos Pos, bool Selectable, bool Means, bool Detail) override;
  TPelDims GetDims(bool Selectable, bool Means, bool Detail) override;
  bool UnaskedFlagG() const override { return false; }
  std::string GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                         bool ShowCodes) override;
  std::string GetLabel(int Index) override;
  std::string GetLabelAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail, bool LabelSwitch,
                           bool ShowCodes) override;

 protected:
  TPelParStats& operator=(const TPelParStats&) = default;

 private:
  bool HasSummaryStat(int Axis, bool Value, int Index) const;
  std::string Label(int Index, bool LabelSwitch, int Axis) const;
  std::string SigText(int Mode, const char* Plk, const char* Enu) const;
};

}  // namespace quin
