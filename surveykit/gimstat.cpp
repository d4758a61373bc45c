#include "surveykit/gimstat.h"

#include <algorithm>

#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStat, TOrvObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatDistribution, TGimStat)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatCnt, TGimStatDistribution)
QUIN_IMPLEMENT_CLASS(TGimStatCntA, TGimStatCnt)
QUIN_IMPLEMENT_CLASS(TGimStatCntW, TGimStatCnt)
QUIN_IMPLEMENT_CLASS(TGimStatEst, TGimStatDistribution)
QUIN_IMPLEMENT_CLASS(TGimStatIndex, TGimStatDistribution)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatPct, TGimStatDistribution)
QUIN_IMPLEMENT_CLASS(TGimStatPctLayer, TGimStatPct)
QUIN_IMPLEMENT_CLASS(TGimStatPctRow, TGimStatPct)
QUIN_IMPLEMENT_CLASS(TGimStatPctCol, TGimStatPct)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatMedia, TGimStatDistribution)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatMediaInd, TGimStatMedia)
QUIN_IMPLEMENT_CLASS(TGimStatMediaIndLayer, TGimStatMediaInd)
QUIN_IMPLEMENT_CLASS(TGimStatMediaIndRow, TGimStatMediaInd)
QUIN_IMPLEMENT_CLASS(TGimStatMediaIndCol, TGimStatMediaInd)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatSummary, TGimStat)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatMean, TGimStatSummary)
QUIN_IMPLEMENT_CLASS(TGimStatMeanRow, TGimStatMean)
QUIN_IMPLEMENT_CLASS(TGimStatMeanCol, TGimStatMean)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatVariance, TGimStatSummary)
QUIN_IMPLEMENT_CLASS(TGimStatVarianceRow, TGimStatVariance)
QUIN_IMPLEMENT_CLASS(TGimStatVarianceCol, TGimStatVariance)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatStdDev, TGimStatSummary)
QUIN_IMPLEMENT_CLASS(TGimStatStdDevRow, TGimStatStdDev)
QUIN_IMPLEMENT_CLASS(TGimStatStdDevCol, TGimStatStdDev)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatSum, TGimStatSummary)
QUIN_IMPLEMENT_CLASS(TGimStatSumRow, TGimStatSum)
QUIN_IMPLEMENT_CLASS(TGimStatSumCol, TGimStatSum)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimStatShare, TGimStatSummary)
QUIN_IMPLEMENT_CLASS(TGimStatShareRow, TGimStatShare)
QUIN_IMPLEMENT_CLASS(TGimStatShareCol, TGimStatShare)
QUIN_IMPLEMENT_CLASS(TGimStatList, TOrvObjectList)

bool IsRealValue(double Value) {
  return Value != GimValueNoData && Value != GimValueEmpty && Value != GimValueNotDefined;
}

int GimStatDecimals(int Decimals) { return std::clamp(Decimals, 0, GimStatMaxDecimals); }

namespace {

constexpr std::uint8_t AxisNone = 0;
constexpr std::uint8_t AxisRow = 1;
constexpr std::uint8_t AxisCol = 2;

const char* const NotDefinedFormat = "!DEF";

// The text of a sentinel; false for a real value.
bool SentinelText(double Value, std::string& Text) {
  if (Value == GimValueNoData) {
    Text = "--";
  } else if (Value == GimValueEmpty) {
    Text.clear();
  } else if (Value == GimValueNotDefined) {
    Text = NotDefinedFormat;
  } else {
    return false;
  }
  return true;
}

// "%1.<Decimals>f" with the decimals brought into range.
std::string FixedFormat(int Decimals) { return "%1." + IntToStr(GimStatDecimals(Decimals)) + "f"; }

std::vector<TGimStatKind> BuildKinds() {
  struct TRow {
    const ClassInfo& Class;
    const char* ID;
    const char* LegacyID;
    const char* Prefix;        // null: the ID
    const char* ShortNames;    // UTF-8, bilingual; the English one is the plain label
    const char* Names;         // UTF-8
    const char* Descriptions;  // UTF-8
    const ClassInfo* Transposed;
    std::uint8_t Axes;
  };
  static const char* const IndPercentPl =
      "Wskaźniki procentowe:\r\nLiczba respondentów w komórce spełniających wszystkie warunki "
      "określone w warstwach, wierszach i kolumnach przedstawiona jako procent liczby "
      "respondentów spełniających wszystkie warunki określone w warstwach";
  static const char* const IndSummaryPl =
      "\r\n\r\nWskaźniki podsumowujące:\r\nWartość wskaźnika wśród respondentów spełniających "
      "wszystkie warunki określone w warstwach, wierszach i kolumnach";
  static const char* const IndPercentEn =
      "Percent indicators:\r\nNumber of respondents in a cell defined by conditions in layers, "
      "rows and columns shown as the percent of respondents defined by conditions in layers";
  static const char* const IndSummaryEn =
      "\r\n\r\nSummary indicators:\r\nThe indicator's value for respondents defined by "
      "conditions in layers, rows and columns";
  static const std::string IndLayerDesc = std::string("<PLK>") + IndPercentPl + "." + IndSummaryPl +
                                          ".<ENU>" + IndPercentEn + "." + IndSummaryEn + ".";
  static const std::string IndRowDesc =
      std::string("<PLK>") + IndPercentPl + " i wierszach." + IndSummaryPl +
      " (tożsama ze wskaźnikiem w warstwie).<ENU>" + IndPercentEn + " and rows." + IndSummaryEn +
      " (equal to layer indicator).";
  static const std::string IndColDesc =
      std::string("<PLK>") + IndPercentPl + " i kolumnach." + IndSummaryPl +
      " (tożsama ze wskaźnikiem w warstwie).<ENU>" + IndPercentEn + " and columns." + IndSummaryEn +
      " (equal to layer indicator).";

  const TRow Rows[] = {
      {TGimStatCntA::StaticClass(), "cntA", "", "cnt", "<PLK>Liczebność<ENU>Cnt",
       "<PLK>Liczebność (faktyczna)<ENU>Count (actual)",
       "<PLK>Liczba (faktyczna) respondentów w komórce.<ENU>Count (actual) of respondent in a "
       "cell.",
       nullptr, AxisNone},
      {TGimStatCntW::StaticClass(), "cntW", "cnt", "cnt", "<PLK>Liczebność waż.<ENU>CntW",
       "<PLK>Liczebność (ważona)<ENU>Count (weighted)",
       "<PLK>Liczba (ważona) respondentów w komórce.<ENU>Count (weighted) of respondents in a "
       "cell.",
       nullptr, AxisNone},
      {TGimStatPctLayer::StaticClass(), "pctLayer", "TotPct", "pct",
       "<PLK>% w warstwie<ENU>Layer %", "<PLK>Procent w warstwie<ENU>Layer percent",
       "<PLK>Liczba respondentów w komórce podzielona przez liczbę respondentów w warstwie."
       "<ENU>Number of respondents in a cell divided by number of respondents in the layer.",
       nullptr, AxisNone},
      {TGimStatPctRow::StaticClass(), "pctRow", "RowPct", "pct", "<PLK>% w wierszu<ENU>Row %",
       "<PLK>Procent w wierszach<ENU>Row percent",
       "<PLK>Liczba respondentów w komórce podzielona przez liczbę respondentów w wierszu."
       "<ENU>Number of respondents in a cell divided by number of respondents in the cell's "
       "row.",
       &TGimStatPctCol::StaticClass(), AxisRow},
      {TGimStatPctCol::StaticClass(), "pctCol", "ColPct", "pct", "<PLK>% w kolumnie<ENU>Col %",
       "<PLK>Procent w kolumnach<ENU>Column percent",
       "<PLK>Liczba respondentów w komórce podzielona przez liczbę respondentów w kolumnie."
       "<ENU>Number of respondents in a cell divided by number of respondents in the cell's "
       "column.",
       &TGimStatPctRow::StaticClass(), AxisCol},
      {TGimStatIndex::StaticClass(), "index", "", nullptr, "<PLK>Indeks<ENU>Index",
       "<PLK>Indeks podobieństwa<ENU>Affinity index",
       "<PLK>Podobieństwo wyników w komórce do podstawy pokazane jako indeks.<ENU>Similarity of "
       "results in the cell to the base shown as an index.",
       nullptr, AxisRow | AxisCol},
      {TGimStatEst::StaticClass(), "est", "", nullptr, "<PLK>Estymacja ('000)<ENU>Est ('000)",
       "<PLK>Estymacja populacyjna<ENU>Population estimation",
       "<PLK>Estymowana wielkość populacji w komórce.<ENU>The estimated population size in a "
       "cell.",
       nullptr, AxisNone},
      {TGimStatMeanRow::StaticClass(), "meanRow", "", "mean", "<PLK>Średnia w wierszu<ENU>Row Mean",
       "<PLK>Średnia w wierszach<ENU>Row mean",
       "<PLK>Średnia z komórek w wierszu, grupowana po pytaniach.<ENU>The mean of cells in the "
       "cell's row, grouped by questions.",
       &TGimStatMeanCol::StaticClass(), AxisRow},
      {TGimStatMeanCol::StaticClass(), "meanCol", "", "mean",
       "<PLK>Średnia w kolumnie<ENU>Col Mean", "<PLK>Średnia w kolumnach<ENU>Column mean",
       "<PLK>Średnia z komórek w kolumnie, grupowana po pytaniach.<ENU>The mean of cells in the "
       "cell's column, grouped by questions.",
       &TGimStatMeanRow::StaticClass(), AxisCol},
      {TGimStatVarianceRow::StaticClass(), "varRow", "", "var",
       "<PLK>Wariancja w wierszu<ENU>Row Var", "<PLK>Wariancja w wierszach<ENU>Row variance",
       "<PLK>Wariancja z komórek w wierszu, grupowana po pytaniach.<ENU>The variance of cells "
       "in the cell's row, grouped by questions.",
       &TGimStatVarianceCol::StaticClass(), AxisRow},
      {TGimStatVarianceCol::StaticClass(), "varCol", "", "var",
       "<PLK>Wariancja w kolumnie<ENU>Col Var", "<PLK>Wariancja w kolumnach<ENU>Column variance",
       "<PLK>Wariancja z komórek w kolumnie, grupowana po pytaniach.<ENU>The variance of cells "
       "in the cell's column, grouped by questions.",
       &TGimStatVarianceRow::StaticClass(), AxisCol},
      {TGimStatStdDevRow::StaticClass(), "stdDevRow", "", "stdDev",
       "<PLK>Odch. std. w wierszu<ENU>Row StdDev",
       "<PLK>Odchylenie standardowe w wierszach<ENU>Row standard deviation",
       "<PLK>Odchylenie standardowe z komórek w wierszu, grupowana po pytaniach.<ENU>The "
       "standard deviation of cells in the cell's row, grouped by questions.",
       &TGimStatStdDevCol::StaticClass(), AxisRow},
      {TGimStatStdDevCol::StaticClass(), "stdDevCol", "", "stdDev",
       "<PLK>Odch. std. w kolumnie<ENU>Col StdDev",
       "<PLK>Odchylenie standardowe w kolumnach<ENU>Column standard deviation",
       "<PLK>Odchylenie standardowe z komórek w kolumnie, grupowana po pytaniach.<ENU>The "
       "standard deviation of cells in the cell's column, grouped by questions.",
       &TGimStatStdDevRow::StaticClass(), AxisCol},
      {TGimStatSumRow::StaticClass(), "sumRow", "", "sum", "<PLK>Suma w wierszu<ENU>Row Sum",
       "<PLK>Suma w wierszach<ENU>Row sum",
       "<PLK>Suma komórek w wierszu, grupowana po pytaniach.<ENU>The sum of cells in the "
       "cell's row, grouped by questions.",
       &TGimStatSumCol::StaticClass(), AxisRow},
      {TGimStatSumCol::StaticClass(), "sumCol", "", "sum", "<PLK>Suma w kolumnie<ENU>Col Sum",
       "<PLK>Suma w kolumnach<ENU>Column sum",
       "<PLK>Suma komórek w kolumnie, grupowana po pytaniach.<ENU>The sum of cells in the "
       "cell's column, grouped by questions.",
       &TGimStatSumRow::StaticClass(), AxisCol},
      {TGimStatShareRow::StaticClass(), "shareRow", "", "share",
       "<PLK>Udział w wierszu<ENU>Row Share", "<PLK>Udział w wierszach<ENU>Row share",
       "<PLK>Udział w wierszu sumy komórek w kolumnie, grupowany po pytaniach.<ENU>The share in "
       "the row of the sum of cells in the cell's column, grouped by questions.",
       &TGimStatShareCol::StaticClass(), AxisCol},
      {TGimStatShareCol::StaticClass(), "shareCol", "", "share",
       "<PLK>Udział w kolumnie<ENU>Col Share", "<PLK>Udział w kolumnach<ENU>Column share",
       "<PLK>Udział w kolumnie sumy komórek w wierszu, grupowany po pytaniach.<ENU>The share in "
       "the column of the sum of cells in the cell's row, grouped by questions.",
       &TGimStatShareRow::StaticClass(), AxisRow},
      {TGimStatMediaIndLayer::StaticClass(), "indLayer", "", "ind",
       "<PLK>Wskaźnik w warstwie<ENU>Layer Ind", "<PLK>Wskaźnik w warstwie<ENU>Layer indicator",
       IndLayerDesc.c_str(), nullptr, AxisNone},
      {TGimStatMediaIndRow::StaticClass(), "indRow", "", "ind",
       "<PLK>Wskaźnik w wierszu<ENU>Row Ind", "<PLK>Wskaźnik w wierszach<ENU>Row indicator",
       IndRowDesc.c_str(), &TGimStatMediaIndCol::StaticClass(), AxisRow},
      {TGimStatMediaIndCol::StaticClass(), "indCol", "", "ind",
       "<PLK>Wskaźnik w kolumnie<ENU>Col Ind", "<PLK>Wskaźnik w kolumnach<ENU>Column indicator",
       IndColDesc.c_str(), &TGimStatMediaIndRow::StaticClass(), AxisCol},
  };

  std::vector<TGimStatKind> Kinds;
  Kinds.reserve(std::size(Rows));
  for (const TRow& R : Rows) {
    TGimStatKind K;
    K.Class = &R.Class;
    K.ID = R.ID;
    K.LegacyID = R.LegacyID;
    K.IDPrefix = R.Prefix ? R.Prefix : R.ID;
    K.ShortNames = Cp1250(R.ShortNames);
    K.ShortName = TextAfterLast(K.ShortNames, "<ENU>");
    K.Names = Cp1250(R.Names);
    K.Descriptions = Cp1250(R.Descriptions);
    K.Transposed = R.Transposed;
    K.AxisMask = R.Axes;
    Kinds.push_back(std::move(K));
  }
  return Kinds;
}

}  // namespace

// ---- the kind table ----

std::string TGimStatKind::Name() const { return CurrentLangManager().TranslateText(Names); }

std::string TGimStatKind::Description() const {
  return CurrentLangManager().TranslateText(Descriptions);
}

bool TGimStatKind::DependsOnAxis(int Axis) const {
  if (Axis < 0 || Axis > 1) return false;
  return (AxisMask >> Axis) & 1;
}

bool TGimStatKind::MatchesLegacyID(std::string_view AID) const {
  return !LegacyID.empty() && SameText(LegacyID, AID);
}

std::unique_ptr<TGimStat> TGimStatKind::Create() const {
  return OwnedAs<TGimStat>(Class->Create());
}

const std::vector<TGimStatKind>& GimStatKinds() {
  static const std::vector<TGimStatKind> Kinds = BuildKinds();
  return Kinds;
}

const TGimStatKind* FindGimStatKind(const ClassInfo& StatClass) {
  for (const TGimStatKind& K : GimStatKinds())
    if (K.Class == &StatClass) return &K;
  return nullptr;
}

// ---- TGimStat ----

const TGimStatKind& TGimStat::Kind() const {
  // A class derived from a kind answers as that kind.
  for (const ClassInfo* C = &ClassType(); C; C = C->Parent)
    if (const TGimStatKind* K = FindGimStatKind(*C)) return *K;
  static const TGimStatKind None;
  return None;
}

std::string TGimStat::ValueFormat(int Decimals, bool Raw, bool PctSign) const {
  std::string F;
  if (Raw) {
    F = "%g";
  } else {
    F = NumberFormat(Decimals);
    if (!F.empty() && F.back() == 'n') F.back() = 'f';
  }
  if (PctSign && ShowsPctSign()) F += "%%";
  return F;
}

std::string TGimStat::RawFormat() const { return "%g"; }

void TGimStat::FormatValueAs(const TFormatSettings& Settings, int Mode, double Value, int Decimals,
                             bool Raw, bool PctSign, std::string& Text) const {
  if (SentinelText(Value, Text)) return;
  if (Mode == 0) {
    AdjustValue(Value);
    Text = Format(ValueFormat(Decimals, Raw, PctSign), {Value}, Settings);
  } else if (Mode == 1) {
    if (!IsPercent()) AdjustValue(Value);
    Text = Format(RawFormat(), {Value}, Settings);
  }
}

std::string TGimStat::NumberMask(const TFormatSettings& Settings, int Decimals) const {
  const std::string F = NumberFormat(Decimals);
  if (F == NotDefinedFormat) return "";
  std::string Mask;
  if (!F.empty() && F.back() == 'n') {
    Mask = "#";
    if (Settings.ThousandSeparator) Mask += Settings.ThousandSeparator;
    Mask += "##0";
  } else {
    Mask = "0";
  }
  // The whole precision is read, so that ten decimals and more give as many zeros.
  const std::size_t Dot = F.find('.');
  if (Dot != std::string::npos) {
    int D = 0;
    for (std::size_t I = Dot + 1; I < F.size() && F[I] >= '0' && F[I] <= '9'; ++I)
      D = std::min(D * 10 + (F[I] - '0'), GimStatMaxDecimals);
    if (D > 0) {
      Mask += Settings.DecimalSeparator;
      Mask.append(static_cast<std::size_t>(D), '0');
    }
  }
  if (ShowsPctSign()) Mask += '%';
  return Mask;
}

std::string TGimStat::FormatValue(const TFormatSettings& Settings, int Decimals,
                                  double Value) const {
  std::string Text;
  if (SentinelText(Value, Text)) return Text;
  AdjustValue(Value);
  return Format(NumberFormat(Decimals), {Value}, Settings);
}

std::string TGimStat::ID() const { return Kind().ID; }
std::string TGimStat::IDPrefix() const { return Kind().IDPrefix; }
bool TGimStat::MatchesLegacyID(std::string_view AID) const { return Kind().MatchesLegacyID(AID); }
bool TGimStat::DependsOnAxis(int Axis) const { return Kind().DependsOnAxis(Axis); }
std::string TGimStat::Description() const { return Kind().Description(); }
bool TGimStat::SummaryDependsOnAxis(int Axis) const { return false; }
bool TGimStat::IsSummary() const { return false; }
std::string TGimStat::Name() const { return Kind().Name(); }
std::string TGimStat::DisplayName() const { return Name(); }
std::string TGimStat::ShortName() const { return Kind().ShortName; }
std::string TGimStat::DisplayShortName() const {
  return CurrentLangManager().TranslateText(Kind().ShortNames);
}
const ClassInfo* TGimStat::Transposed() const { return Kind().Transposed; }
bool TGimStat::IsPercent() const { return false; }
bool TGimStat::ShowsPctSign() const { return IsPercent(); }
void TGimStat::AdjustValue(double& Value) const {}

// ---- the families ----

std::string TGimStatCnt::NumberFormat(int Decimals) const { return "%1.0n"; }

std::string TGimStatEst::NumberFormat(int Decimals) const { return "%1.0n"; }
void TGimStatEst::AdjustValue(double& Value) const { Value /= 1000; }

std::string TGimStatIndex::NumberFormat(int Decimals) const { return "%1.0f"; }

std::string TGimStatPct::NumberFormat(int Decimals) const { return FixedFormat(Decimals); }
void TGimStatPct::AdjustValue(double& Value) const { Value *= 100; }

std::string TGimStatSummary::NumberFormat(int Decimals) const { return FixedFormat(Decimals); }

void TGimStatShare::AdjustValue(double& Value) const { Value *= 100; }

std::string TGimStatMedia::ValueFormat(int Decimals, bool Raw, bool PctSign) const {
  if (!Indicator) return NotDefinedFormat;
  return TGimStat::ValueFormat(Decimals, Raw, PctSign);
}

std::string TGimStatMedia::RawFormat() const {
  return Indicator ? TGimStat::RawFormat() : NotDefinedFormat;
}

std::string TGimStatMedia::NumberFormat(int Decimals) const {
  if (!Indicator) return NotDefinedFormat;
  return Indicator->DisplayFormat(GimStatDecimals(Decimals));
}

bool TGimStatMedia::IsSummary() const { return Indicator && Indicator->Means(); }
bool TGimStatMedia::IsPercent() const { return Indicator && Indicator->PctCalcs(); }
bool TGimStatMedia::ShowsPctSign() const { return Indicator && Indicator->ShowsPctSign(); }

void TGimStatMedia::AdjustValue(double& Value) const {
  if (!Indicator) return;
  if (Indicator->IsPressGI())
    Value /= 1000;
  else if (Indicator->PctCalcs())
    Value *= 100;
}

// ---- TGimStatList ----

TGimStat* TGimStatList::FindByClass(const ClassInfo& StatClass) const {
  for (int I = 0; I < Count(); ++I) {
    TGimStat* S = GetItem(I);
    if (S && S->IsExactly(StatClass)) return S;
  }
  return nullptr;
}

TGimStat* TGimStatList::FindByID(std::string_view AID) const {
  for (int I = 0; I < Count(); ++I) {
    TGimStat* S = GetItem(I);
    if (S && SameText(S->ID(), AID)) return S;
  }
  for (int I = 0; I < Count(); ++I) {
    TGimStat* S = GetItem(I);
    if (S && S->MatchesLegacyID(AID)) return S;
  }
  return nullptr;
}

void TGimStatList::RemoveByID(std::string_view AID) {
  if (TGimStat* S = FindByID(AID)) Remove(S);
}

bool TGimStatList::AllDependOnAxis(int Axis) const {
  for (int I = 0; I < Count(); ++I) {
    TGimStat* S = GetItem(I);
    if (!S || !S->DependsOnAxis(Axis)) return false;
  }
  return true;
}

}  // namespace quin
