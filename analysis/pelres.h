// A table cell: the result elements of its row, column and layer headers, the record set it
// counts in, a weighting and a statistic kind; it computes one value with its bases, and
// answers its text, number format and significance mark. The case work runs on byte masks of
// the based-on record set held by the table's result manager (pelresmanager.h), which also
// computes whole tables in a few passes over the records.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelreselem.h"
#include "base/formatsettings.h"

namespace quin {

class TGimStat;
class TGimWeight;
class TPelDataBasedOn;
class TPelParStats;
class TPelResManager;
struct TPelResBuffers;
class TPelResVarVal;
class TPelSurvey;
class TMerRecset;

// The sums one cell's formula needs, gathered from the masks (one cell) or from the table's
// accumulators (all cells at once). Counts are exact.
struct TPelCellSums {
  int64_t RowBaseAllA = 0;  // the row base before records with missing answers left it
  int64_t RowBaseA = 0;
  double RowBaseW = 0;
  int64_t ColBaseAllA = 0;
  int64_t ColBaseA = 0;
  double ColBaseW = 0;
  int64_t CellA = 0;
  double CellW = 0;
  int64_t LayerKeptA = 0;  // layer records not among the cell's missing records
  double LayerKeptW = 0;
  int64_t LayerMissA = 0;  // layer records among them
  double LayerMissW = 0;
  int64_t EstA = 0;  // the estimate's base
  double EstW = 0;
  bool BaseExcluded = false;
  // A summary kind: the own base's records with a value (count, weight, sums of x·w and
  // x²·w) and the sum of x·w over the other base's records with a value.
  int64_t PresentA = 0;
  double PresentW = 0;
  double S = 0;
  double Q = 0;
  double T = 0;
};

// The table's finder of comparable neighbours: from the cell at visible column A and row B,
// the next cell StepCol columns and StepRow rows on (both 0: the cell at A, B itself), with its
// position; null when there is none.
struct TPelNeighbour {
  class TPelRes* Cell = nullptr;
  int A = 0;
  int B = 0;
};
using TPelNeighbourFinder = std::function<TPelNeighbour(int A, int B, int StepRow, int StepCol)>;

class TPelRes : public TPelResCell {
  QUIN_CLASS(TPelRes, TPelResCell)
 public:
  // Create(Survey, Weight, BasedOn): empty lists, no statistic.
  TPelRes(TPelSurvey* ASurvey, const TGimWeight* AWeight, TPelDataBasedOn* ABasedOn);
  // The owning lists deep (references to the same header elements), the other lists rebuilt
  // over the copies in the source's order, an owned statistic cloned and owned by the copy.
  TPelRes(const TPelRes& Source);
  TPelRes& operator=(const TPelRes&) = delete;
  ~TPelRes() override;
  std::unique_ptr<TOrvObject> CreateCopy() const override {
    return std::unique_ptr<TOrvObject>(new TPelRes(*this));
  }

  TPelResElemList AllElems{false};
  TPelResElemList RowLayerElems{false};
  TPelResElemList ColLayerElems{false};
  TPelResElemList RowElems{true};
  TPelResElemList ColElems{true};
  TPelResElemList LayerElems{true};
  TPelDataBasedOn* BasedOn;  // not owned
  const TGimWeight* Weight;  // not owned; null stands for "off"
  TGimStat* Stat = nullptr;  // the statistic element's kind, or owned (OwnsStat)
  bool OwnsStat = false;
  uint8_t BaseKind = 0;  // 0 result, 1 actual base, 2 weighted base, 3 record set
  bool NoData = false;
  bool Empty = false;
  bool NotDefined = false;
  TPelResManager* Manager = nullptr;  // of the last calculation; not owned
  double Value, Variance, BaseA = 0, BaseW = 0, LayerW = 0, ColBaseW = 0, RowBaseW = 0, CellW = 0,
                          LayerA = 0, ColBaseA = 0, RowBaseA = 0, CellA = 0;
  bool BaseDiff = false;
  int SigMark = 0;
  TPelSurvey* Survey;

  // ---- The cell as its elements see it
  TMerRecset* GetBasedOnRecset() const override;
  const TGimWeight* GetWeight() const override { return Weight; }
  const TPelResElemList& GetAllElems() const override { return AllElems; }
  bool HasStatElem() const override;
  bool ExcludesSysMis() const override;
  void SetNotComputable() override;

  // ---- Elements. A null reference is ignored; a base element's kind becomes BaseKind, a
  // statistic element's kind Stat.
  void AddRowElem(std::unique_ptr<TPelResElem> Ref);
  void AddColElem(std::unique_ptr<TPelResElem> Ref);
  void AddLayerElem(std::unique_ptr<TPelResElem> Ref);
  // Hands the references the cell owns that are plain TPelResElemRef objects over to Spare
  // for reuse, and empties every list of the cell that points at them; the cell is freed or
  // built anew next.
  void ReleaseRefs(std::vector<std::unique_ptr<TPelResElemRef>>& Spare);

  // ---- Questions the table and the texts ask
  bool IsComputable() const { return !NoData && !Empty && !NotDefined; }
  // The cell shows a base, not a statistic.
  bool IsBaseCell() const;
  bool InTotalRow() const;
  bool InTotalCol() const;
  // A total line whose statistic is nil or computed along it: the cell shows its base.
  bool ShowsTotalBase() const;
  // The cell shows its base text: a base kind, or a total line as above.
  bool ShowsBase() const { return BaseKind != 0 || ShowsTotalBase(); }
  // The cell lies on the limit row of an optimisation table.
  bool OnLimitRow() const;
  bool UsesOtherRecset() const;
  // The statistics parameter of the cell's statistic element; null when none.
  TPelParStats* StatsPar() const;
  // Replaces Stat by a kind the cell owns (the old owned one is freed).
  void SetOwnedStat(std::unique_ptr<TGimStat> AStat);
  // A column (row) percentage under a numeric response that asks for means becomes a column
  // (row) mean.
  void UseMeanForNumericResponse();

  // ---- Computation
  // The media statistic gets the cell's indicator.
  void AttachMediaInd();
  // A media combination is incomplete outside total lines, or a direct value applies: the
  // cell is computed at once, without a manager.
  bool TryDirectValue();
  // Computes Value, the bases and the flags; Manager may be null for cells that need no
  // case data.
  void Calculate(TPelResManager* AManager);
  // The mark of a mean or percentage against its reference cell (A column, B row).
  void TestSignificance(int A, int B, const TPelNeighbourFinder& Neighbour);

  // ---- Texts, formats and values shown (the current language's separators)
  void GetDisplayText(std::string& Text, double& AValue);
  void FormatValueText(int Mode, bool Raw, double AValue, bool PctSign, std::string& Text);
  void GetNumberFormat(const TFormatSettings& Settings, std::string& Mask);
  // The mask for a workbook: invariant separators ("#,##0", "0.0%"), which the spreadsheet
  // shows in its own.
  std::string WorkbookNumberFormat();
  void GetNumericValue(double& AValue);
  bool AcceptsLimit() const;

  // ---- Steps shared by the per-cell and the table computation
  // Step 1 and 2 of a calculation; False when the cell stops there (not enough waves).
  bool BeginCalculation(TPelResManager* AManager);
  // The formula of the statistic over Sums (Count and Weight: the media exclusions), then the
  // final value rules.
  void ComputeFromSums(const TPelCellSums& Sums, double Count, double Weight, bool HasValues,
                       bool ValuesNotDefinedIfNone);
  void FinalValue();
  // The element of the summary kind's numeric response (set by the axis steps).
  TPelResVarVal* SummaryElem() const { return FSummaryElem; }
  bool NotDefinedIfNoValue() const { return FNotDefinedIfNoValue; }

  // The axis steps of the cell's masks, told to Ops: which element narrows which base (0 the
  // row base, 1 the column base) with the elements so far, and where the media selections run.
  class TAxisOps {
   public:
    virtual ~TAxisOps() = default;
    virtual void Apply(int Base, TPelResElem* E, const TPelResElemList& SoFar) = 0;
    virtual void MediaSelect(int Base, const TPelResElemList& Elems) = 0;
  };
  void RunAxisSteps(TAxisOps& Ops);
  // Applies element E to the mask Cases of record set R: its selection narrows Cases, its
  // missing records join Missing when the cell excludes them, and BaseCases (when given) is
  // narrowed by an element that restricts the base and loses the missing records.
  void ApplyElemFilter(TPelFlags& Cases, TPelFlags& Missing, TPelFlags* BaseCases, TPelResElem* E,
                       const TPelResElemList& SoFar, int R, bool& BaseExcluded);
  // The statistic is estimated against the estimate base (est, or a press gross-impressions
  // indicator).
  bool UsesEstBase() const;

 private:
  friend class TPelResManager;
  void AddElem(TPelResElem* E, TPelResElemList& Own, bool Row, bool Col);
  bool PrepareMasks();
  void AxisStep(TAxisOps& Ops, const TPelResElemList& AxisElems, const TPelResElemList& OtherElems,
                bool AlongAxis, int OwnBase, const TPelResElemList& AxisLayerElems,
                bool MediaKinds);
  void CalculateFromMasks();
  bool MediaValue(TPelResBuffers& B, double& Count, double& Weight);
  void SummarySums(TPelCellSums& Sums, bool RowKind);
  bool FBaseExcluded = false;
  // The percentage test's mark.
  void TestPct(const TPelParStats& P);
  bool IsMediaStatWithoutIndicator() const;
  int Decimals() const;
  std::string BaseText(bool Raw) const;
  TPelResVarVal* FSummaryElem = nullptr;
  bool FNotDefinedIfNoValue = true;
  // What the element lists hold, kept as elements are added (the table asks for them for every
  // cell, several times): the first statistic element, a total line among the row (column)
  // elements.
  TPelResElem* FStatElem = nullptr;
  bool FInTotalRow = false;
  bool FInTotalCol = false;
  void NoteElem(const TPelResElem* Resolved, TPelResElem* Elem, const TPelResElemList& Own);
};

// The value of a variance: (Q - S²/W) / (W - 1), and 0 in place of a negative one.
double PelVariance(double S, double Q, double W);

}  // namespace quin
