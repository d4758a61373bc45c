// The statistic kinds of table cells (counts, estimates, index, percentages, summaries, media
// indicators), their catalogue and the sentinel values a cell can hold instead of a number.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/formatsettings.h"
#include "base/metaclass.h"
#include "base/orvclasses.h"

namespace quin {

// Cell values that stand for no number. Every formatting checks them first.
// No data: the base is too small or there is nothing to compute (also the missing value of a
// data column). Shown as "--".
inline constexpr double GimValueNoData = -1.7e308;
// An empty cell. Shown as the empty text.
inline constexpr double GimValueEmpty = -1.600009e308;
// Not computable: the kind does not apply, or a media kind has no indicator. Shown as "!DEF".
inline constexpr double GimValueNotDefined = -1.600008e308;

// True when Value is none of the three sentinels (exact comparison).
bool IsRealValue(double Value);

// Decimals read from report and parameter files are brought into this range before they reach
// a format: a negative count means none, and more than 15 decimals show nothing a double holds.
inline constexpr int GimStatMaxDecimals = 15;
int GimStatDecimals(int Decimals);

// What a statistic kind of a media indicator needs to know of its indicator. The media
// indicators implement it; the kind only refers to the indicator and never owns it.
class TGimStatIndicator {
 public:
  virtual ~TGimStatIndicator() = default;
  // The format of a value with the given decimals ("%1.2f", "%1.0n", ...).
  virtual std::string DisplayFormat(int Decimals) const = 0;
  virtual bool Means() const = 0;
  virtual bool PctCalcs() const = 0;
  virtual bool ShowsPctSign() const = 0;
  // True for the press gross-impressions indicator and its subclasses (shown in thousands).
  virtual bool IsPressGI() const = 0;
};

class TGimStat;

// The class-level answers of one concrete statistic kind, asked without an instance.
struct TGimStatKind {
  const ClassInfo* Class = nullptr;
  std::string ID;
  std::string LegacyID;      // the identifier older files used; empty when none
  std::string IDPrefix;      // the group prefix ("cnt", "pct", "mean", ...); the ID when no group
  std::string ShortName;     // the plain label (English)
  std::string ShortNames;    // bilingual, the labels tables show
  std::string Names;         // bilingual, as "<PLK>...<ENU>..."
  std::string Descriptions;  // bilingual
  const ClassInfo* Transposed = nullptr;  // the mirror kind across the diagonal; null when none
  std::uint8_t AxisMask = 0;              // bit 0: depends on axis 0 (row), bit 1: axis 1 (column)

  // Names and Descriptions translated into the current language.
  std::string Name() const;
  std::string Description() const;
  bool DependsOnAxis(int Axis) const;
  // Compares with the legacy identifier ignoring case; false when the kind has none.
  bool MatchesLegacyID(std::string_view AID) const;
  std::unique_ptr<TGimStat> Create() const;
};

// The twenty kinds in catalogue order (cntA, cntW, pctLayer, ..., indCol).
const std::vector<TGimStatKind>& GimStatKinds();
// The kind of exactly StatClass; null for an abstract family or an unrelated class.
const TGimStatKind* FindGimStatKind(const ClassInfo& StatClass);

// A statistic kind. Kinds carry no data except the media kinds.
class TGimStat : public TOrvObject {
  QUIN_CLASS(TGimStat, TOrvObject)
 public:
  // "%g" when Raw; else NumberFormat with a final "n" turned into "f"; "%%" appended when
  // PctSign and the kind shows a percent sign.
  virtual std::string ValueFormat(int Decimals, bool Raw, bool PctSign) const;
  virtual std::string RawFormat() const;
  // The sentinels as shown; otherwise Mode 0: adjusted and formatted with ValueFormat under
  // Settings; Mode 1: adjusted only when not a percentage, formatted with RawFormat; any other
  // Mode leaves Text unchanged.
  virtual void FormatValueAs(const TFormatSettings& Settings, int Mode, double Value, int Decimals,
                             bool Raw, bool PctSign, std::string& Text) const;
  virtual std::string NumberFormat(int Decimals) const = 0;
  // A spreadsheet number mask ("#,##0", "0.00%", ...); empty when the format is "!DEF".
  virtual std::string NumberMask(const TFormatSettings& Settings, int Decimals) const;
  // The sentinels as shown; otherwise the adjusted value in NumberFormat under Settings.
  virtual std::string FormatValue(const TFormatSettings& Settings, int Decimals,
                                  double Value) const;
  virtual int ReservedFlag() const = 0;
  virtual std::string ID() const;
  virtual std::string IDPrefix() const;
  virtual bool MatchesLegacyID(std::string_view AID) const;
  virtual bool DependsOnAxis(int Axis) const;
  virtual std::string Description() const;
  virtual bool SummaryDependsOnAxis(int Axis) const;
  virtual bool IsSummary() const;
  virtual std::string Name() const;
  virtual std::string DisplayName() const;
  virtual std::string ShortName() const;
  virtual std::string DisplayShortName() const;
  virtual const ClassInfo* Transposed() const;
  virtual bool IsPercent() const;
  virtual bool ShowsPctSign() const;
  virtual void AdjustValue(double& Value) const;

  // The class-level answers of this kind.
  const TGimStatKind& Kind() const;
};

// Kinds computed from case distributions.
class TGimStatDistribution : public TGimStat {
  QUIN_CLASS(TGimStatDistribution, TGimStat)
};

class TGimStatCnt : public TGimStatDistribution {
  QUIN_CLASS(TGimStatCnt, TGimStatDistribution)
 public:
  std::string NumberFormat(int Decimals) const override;
  int ReservedFlag() const override { return 0; }
};

class TGimStatCntA : public TGimStatCnt {
  QUIN_CLASS(TGimStatCntA, TGimStatCnt)
  QUIN_COPY(TGimStatCntA)
 public:
  TGimStatCntA() = default;
};

class TGimStatCntW : public TGimStatCnt {
  QUIN_CLASS(TGimStatCntW, TGimStatCnt)
  QUIN_COPY(TGimStatCntW)
 public:
  TGimStatCntW() = default;
};

// Population estimate, shown in thousands.
class TGimStatEst : public TGimStatDistribution {
  QUIN_CLASS(TGimStatEst, TGimStatDistribution)
  QUIN_COPY(TGimStatEst)
 public:
  TGimStatEst() = default;
  std::string NumberFormat(int Decimals) const override;
  int ReservedFlag() const override { return 0; }
  void AdjustValue(double& Value) const override;
};

// Affinity index.
class TGimStatIndex : public TGimStatDistribution {
  QUIN_CLASS(TGimStatIndex, TGimStatDistribution)
  QUIN_COPY(TGimStatIndex)
 public:
  TGimStatIndex() = default;
  std::string NumberFormat(int Decimals) const override;
  int ReservedFlag() const override { return 0; }
};

// Percentages, held as fractions and shown multiplied by 100.
class TGimStatPct : public TGimStatDistribution {
  QUIN_CLASS(TGimStatPct, TGimStatDistribution)
 public:
  std::string NumberFormat(int Decimals) const override;
  int ReservedFlag() const override { return 0; }
  bool IsPercent() const override { return true; }
  void AdjustValue(double& Value) const override;
};

class TGimStatPctLayer : public TGimStatPct {
  QUIN_CLASS(TGimStatPctLayer, TGimStatPct)
  QUIN_COPY(TGimStatPctLayer)
 public:
  TGimStatPctLayer() = default;
};

class TGimStatPctRow : public TGimStatPct {
  QUIN_CLASS(TGimStatPctRow, TGimStatPct)
  QUIN_COPY(TGimStatPctRow)
 public:
  TGimStatPctRow() = default;
};

class TGimStatPctCol : public TGimStatPct {
  QUIN_CLASS(TGimStatPctCol, TGimStatPct)
  QUIN_COPY(TGimStatPctCol)
 public:
  TGimStatPctCol() = default;
};

// A kind whose answers follow its media indicator (not owned; null until the cell computation
// attaches the indicator of the cell).
class TGimStatMedia : public TGimStatDistribution {
  QUIN_CLASS(TGimStatMedia, TGimStatDistribution)
 public:
  const TGimStatIndicator* Indicator = nullptr;

  std::string ValueFormat(int Decimals, bool Raw, bool PctSign) const override;
  std::string RawFormat() const override;
  std::string NumberFormat(int Decimals) const override;
  int ReservedFlag() const override { return 0; }
  bool IsSummary() const override;
  bool IsPercent() const override;
  bool ShowsPctSign() const override;
  void AdjustValue(double& Value) const override;

 protected:
  TGimStatMedia() = default;
  TGimStatMedia(const TGimStatMedia&) = default;  // copies the reference
};

class TGimStatMediaInd : public TGimStatMedia {
  QUIN_CLASS(TGimStatMediaInd, TGimStatMedia)
 protected:
  TGimStatMediaInd() = default;
  TGimStatMediaInd(const TGimStatMediaInd&) = default;
};

class TGimStatMediaIndLayer : public TGimStatMediaInd {
  QUIN_CLASS(TGimStatMediaIndLayer, TGimStatMediaInd)
  QUIN_COPY(TGimStatMediaIndLayer)
 public:
  TGimStatMediaIndLayer() = default;
};

class TGimStatMediaIndRow : public TGimStatMediaInd {
  QUIN_CLASS(TGimStatMediaIndRow, TGimStatMediaInd)
  QUIN_COPY(TGimStatMediaIndRow)
 public:
  TGimStatMediaIndRow() = default;
};

class TGimStatMediaIndCol : public TGimStatMediaInd {
  QUIN_CLASS(TGimStatMediaIndCol, TGimStatMediaInd)
  QUIN_COPY(TGimStatMediaIndCol)
 public:
  TGimStatMediaIndCol() = default;
};

// Kinds computed over the cells of a row or column, grouped by questions.
class TGimStatSummary : public TGimStat {
  QUIN_CLASS(TGimStatSummary, TGimStat)
 public:
  std::string NumberFormat(int Decimals) const override;
  int ReservedFlag() const override { return 0; }
  bool IsSummary() const override { return true; }
  bool SummaryDependsOnAxis(int Axis) const override { return DependsOnAxis(Axis); }
};

class TGimStatMean : public TGimStatSummary {
  QUIN_CLASS(TGimStatMean, TGimStatSummary)
};

class TGimStatMeanRow : public TGimStatMean {
  QUIN_CLASS(TGimStatMeanRow, TGimStatMean)
  QUIN_COPY(TGimStatMeanRow)
 public:
  TGimStatMeanRow() = default;
};

class TGimStatMeanCol : public TGimStatMean {
  QUIN_CLASS(TGimStatMeanCol, TGimStatMean)
  QUIN_COPY(TGimStatMeanCol)
 public:
  TGimStatMeanCol() = default;
};

class TGimStatVariance : public TGimStatSummary {
  QUIN_CLASS(TGimStatVariance, TGimStatSummary)
};

class TGimStatVarianceRow : public TGimStatVariance {
  QUIN_CLASS(TGimStatVarianceRow, TGimStatVariance)
  QUIN_COPY(TGimStatVarianceRow)
 public:
  TGimStatVarianceRow() = default;
};

class TGimStatVarianceCol : public TGimStatVariance {
  QUIN_CLASS(TGimStatVarianceCol, TGimStatVariance)
  QUIN_COPY(TGimStatVarianceCol)
 public:
  TGimStatVarianceCol() = default;
};

class TGimStatStdDev : public TGimStatSummary {
  QUIN_CLASS(TGimStatStdDev, TGimStatSummary)
};

class TGimStatStdDevRow : public TGimStatStdDev {
  QUIN_CLASS(TGimStatStdDevRow, TGimStatStdDev)
  QUIN_COPY(TGimStatStdDevRow)
 public:
  TGimStatStdDevRow() = default;
};

class TGimStatStdDevCol : public TGimStatStdDev {
  QUIN_CLASS(TGimStatStdDevCol, TGimStatStdDev)
  QUIN_COPY(TGimStatStdDevCol)
 public:
  TGimStatStdDevCol() = default;
};

class TGimStatSum : public TGimStatSummary {
  QUIN_CLASS(TGimStatSum, TGimStatSummary)
};

class TGimStatSumRow : public TGimStatSum {
  QUIN_CLASS(TGimStatSumRow, TGimStatSum)
  QUIN_COPY(TGimStatSumRow)
 public:
  TGimStatSumRow() = default;
};

class TGimStatSumCol : public TGimStatSum {
  QUIN_CLASS(TGimStatSumCol, TGimStatSum)
  QUIN_COPY(TGimStatSumCol)
 public:
  TGimStatSumCol() = default;
};

// Shares: percentages of a row or column sum; a row share is computed over the cell's column.
class TGimStatShare : public TGimStatSummary {
  QUIN_CLASS(TGimStatShare, TGimStatSummary)
 public:
  bool IsPercent() const override { return true; }
  bool ShowsPctSign() const override { return true; }
  void AdjustValue(double& Value) const override;
};

class TGimStatShareRow : public TGimStatShare {
  QUIN_CLASS(TGimStatShareRow, TGimStatShare)
  QUIN_COPY(TGimStatShareRow)
 public:
  TGimStatShareRow() = default;
};

class TGimStatShareCol : public TGimStatShare {
  QUIN_CLASS(TGimStatShareCol, TGimStatShare)
  QUIN_COPY(TGimStatShareCol)
 public:
  TGimStatShareCol() = default;
};

// A list of kind instances: owning in the catalogue, non-owning in the lists that pick from it.
class TGimStatList : public TOrvTypedList<TGimStat> {
  QUIN_CLASS(TGimStatList, TOrvObjectList)
 public:
  using TOrvTypedList::TOrvTypedList;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TGimStatList(*this));
  }
  // The first item of exactly StatClass; null when none.
  TGimStat* FindByClass(const ClassInfo& StatClass) const;
  // The first item whose ID equals AID ignoring case; failing that, the first whose legacy ID
  // matches; null when none.
  TGimStat* FindByID(std::string_view AID) const;
  // Removes the item FindByID finds (freed when the list owns it); nothing when none.
  void RemoveByID(std::string_view AID);
  // True when every kind depends on Axis; an empty list gives true.
  bool AllDependOnAxis(int Axis) const;
};

}  // namespace quin
