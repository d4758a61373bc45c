#include "surveykit/gimstat.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/langmanager.h"
#include "base/text.h"

namespace quin {
namespace {

TFormatSettings Separators(char Dec, char Thou) {
  TFormatSettings FS;
  FS.DecimalSeparator = Dec;
  FS.ThousandSeparator = Thou;
  return FS;
}

const TFormatSettings En = Separators('.', ',');
const TFormatSettings Pl = Separators(',', ' ');

std::unique_ptr<TGimStat> Make(std::string_view ID) {
  for (const TGimStatKind& K : GimStatKinds())
    if (K.ID == ID) return K.Create();
  ADD_FAILURE() << "no kind " << ID;
  return nullptr;
}

// An owning list with one instance of every kind, in catalogue order.
std::unique_ptr<TGimStatList> Catalogue() {
  auto L = std::make_unique<TGimStatList>(true);
  for (const TGimStatKind& K : GimStatKinds()) L->Add(K.Create());
  return L;
}

struct TFakeIndicator : TGimStatIndicator {
  std::string Fmt = "%1.*f";  // "*" stands for the decimals asked
  bool FMeans = false, FPct = false, FSign = false, FGI = false;
  mutable int LastDecimals = -999;
  std::string DisplayFormat(int Decimals) const override {
    LastDecimals = Decimals;
    std::string F = Fmt;
    const auto Star = F.find('*');
    if (Star != std::string::npos) F.replace(Star, 1, std::to_string(Decimals));
    return F;
  }
  bool Means() const override { return FMeans; }
  bool PctCalcs() const override { return FPct; }
  bool ShowsPctSign() const override { return FSign; }
  bool IsPressGI() const override { return FGI; }
};

// A class derived from a kind, as a later variant of a count would be.
class TMyCount : public TGimStatCntW {
  QUIN_CLASS(TMyCount, TGimStatCntW)
};
QUIN_IMPLEMENT_CLASS(TMyCount, TGimStatCntW)

TEST(GimStat, KindTableInCatalogueOrder) {
  struct TCase {
    const ClassInfo& Class;
    const char* ID;
    const char* Legacy;
    const char* Prefix;
    const char* Short;
    const char* NameEn;
    const char* NamePl;  // UTF-8
    const char* Transposed;
    bool Row, Col, Percent, Summary;
    const char* Format2;  // NumberFormat(2)
  };
  const TCase Cases[] = {
      {TGimStatCntA::StaticClass(), "cntA", "", "cnt", "Cnt", "Count (actual)",
       "Liczebność (faktyczna)", "", false, false, false, false, "%1.0n"},
      {TGimStatCntW::StaticClass(), "cntW", "cnt", "cnt", "CntW", "Count (weighted)",
       "Liczebność (ważona)", "", false, false, false, false, "%1.0n"},
      {TGimStatPctLayer::StaticClass(), "pctLayer", "TotPct", "pct", "Layer %", "Layer percent",
       "Procent w warstwie", "", false, false, true, false, "%1.2f"},
      {TGimStatPctRow::StaticClass(), "pctRow", "RowPct", "pct", "Row %", "Row percent",
       "Procent w wierszach", "pctCol", true, false, true, false, "%1.2f"},
      {TGimStatPctCol::StaticClass(), "pctCol", "ColPct", "pct", "Col %", "Column percent",
       "Procent w kolumnach", "pctRow", false, true, true, false, "%1.2f"},
      {TGimStatIndex::StaticClass(), "index", "", "index", "Index", "Affinity index",
       "Indeks podobieństwa", "", true, true, false, false, "%1.0f"},
      {TGimStatEst::StaticClass(), "est", "", "est", "Est ('000)", "Population estimation",
       "Estymacja populacyjna", "", false, false, false, false, "%1.0n"},
      {TGimStatMeanRow::StaticClass(), "meanRow", "", "mean", "Row Mean", "Row mean",
       "Średnia w wierszach", "meanCol", true, false, false, true, "%1.2f"},
      {TGimStatMeanCol::StaticClass(), "meanCol", "", "mean", "Col Mean", "Column mean",
       "Średnia w kolumnach", "meanRow", false, true, false, true, "%1.2f"},
      {TGimStatVarianceRow::StaticClass(), "varRow", "", "var", "Row Var", "Row variance",
       "Wariancja w wierszach", "varCol", true, false, false, true, "%1.2f"},
      {TGimStatVarianceCol::StaticClass(), "varCol", "", "var", "Col Var", "Column variance",
       "Wariancja w kolumnach", "varRow", false, true, false, true, "%1.2f"},
      {TGimStatStdDevRow::StaticClass(), "stdDevRow", "", "stdDev", "Row StdDev",
       "Row standard deviation", "Odchylenie standardowe w wierszach", "stdDevCol", true, false,
       false, true, "%1.2f"},
      {TGimStatStdDevCol::StaticClass(), "stdDevCol", "", "stdDev", "Col StdDev",
       "Column standard deviation", "Odchylenie standardowe w kolumnach", "stdDevRow", false, true,
       false, true, "%1.2f"},
      {TGimStatSumRow::StaticClass(), "sumRow", "", "sum", "Row Sum", "Row sum", "Suma w wierszach",
       "sumCol", true, false, false, true, "%1.2f"},
      {TGimStatSumCol::StaticClass(), "sumCol", "", "sum", "Col Sum", "Column sum",
       "Suma w kolumnach", "sumRow", false, true, false, true, "%1.2f"},
      // shares depend on the other axis than their name says
      {TGimStatShareRow::StaticClass(), "shareRow", "", "share", "Row Share", "Row share",
       "Udział w wierszach", "shareCol", false, true, true, true, "%1.2f"},
      {TGimStatShareCol::StaticClass(), "shareCol", "", "share", "Col Share", "Column share",
       "Udział w kolumnach", "shareRow", true, false, true, true, "%1.2f"},
      {TGimStatMediaIndLayer::StaticClass(), "indLayer", "", "ind", "Layer Ind", "Layer indicator",
       "Wskaźnik w warstwie", "", false, false, false, false, "!DEF"},
      {TGimStatMediaIndRow::StaticClass(), "indRow", "", "ind", "Row Ind", "Row indicator",
       "Wskaźnik w wierszach", "indCol", true, false, false, false, "!DEF"},
      {TGimStatMediaIndCol::StaticClass(), "indCol", "", "ind", "Col Ind", "Column indicator",
       "Wskaźnik w kolumnach", "indRow", false, true, false, false, "!DEF"},
  };
  const auto& Kinds = GimStatKinds();
  ASSERT_EQ(Kinds.size(), std::size(Cases));
  auto EnMgr = New<TOrvLangManager>("enu");
  auto PlMgr = New<TOrvLangManager>("plk");
  for (std::size_t I = 0; I < Kinds.size(); ++I) {
    const TCase& C = Cases[I];
    const TGimStatKind& K = Kinds[I];
    SCOPED_TRACE(C.ID);
    EXPECT_EQ(K.Class, &C.Class);
    EXPECT_EQ(FindGimStatKind(C.Class), &K);
    auto S = K.Create();
    ASSERT_TRUE(S);
    EXPECT_TRUE(S->IsExactly(C.Class));
    EXPECT_EQ(&S->Kind(), &K);
    EXPECT_EQ(S->ID(), C.ID);
    EXPECT_EQ(K.LegacyID, C.Legacy);
    EXPECT_EQ(S->IDPrefix(), C.Prefix);
    EXPECT_EQ(S->ShortName(), C.Short);
    EXPECT_EQ(S->DependsOnAxis(0), C.Row);
    EXPECT_EQ(S->DependsOnAxis(1), C.Col);
    EXPECT_FALSE(S->DependsOnAxis(2));
    EXPECT_FALSE(S->DependsOnAxis(-1));
    EXPECT_EQ(S->SummaryDependsOnAxis(0), C.Summary && C.Row);
    EXPECT_EQ(S->SummaryDependsOnAxis(1), C.Summary && C.Col);
    EXPECT_EQ(S->IsPercent(), C.Percent);
    EXPECT_EQ(S->ShowsPctSign(), C.Percent);
    EXPECT_EQ(S->IsSummary(), C.Summary);
    EXPECT_EQ(S->ReservedFlag(), 0);
    EXPECT_EQ(S->NumberFormat(2), C.Format2);
    // the mirror kind is a kind whose mirror is this one
    const ClassInfo* T = S->Transposed();
    if (*C.Transposed) {
      ASSERT_TRUE(T);
      const TGimStatKind* TK = FindGimStatKind(*T);
      ASSERT_TRUE(TK);
      EXPECT_EQ(TK->ID, C.Transposed);
      EXPECT_EQ(TK->Transposed, K.Class);
      EXPECT_EQ(TK->AxisMask, (K.AxisMask == 1 ? 2 : 1));
    } else {
      EXPECT_EQ(T, nullptr);
    }
    {
      TLangManagerBinding B(EnMgr.get());
      EXPECT_EQ(S->DisplayShortName(), C.Short);
      EXPECT_EQ(S->Name(), C.NameEn);
      EXPECT_EQ(S->DisplayName(), C.NameEn);
      EXPECT_EQ(K.Name(), C.NameEn);
    }
    {
      TLangManagerBinding B(PlMgr.get());
      // The label a table shows is Polish too; the plain label stays the English one.
      EXPECT_NE(S->DisplayShortName(), C.Short);
      EXPECT_EQ(S->ShortName(), C.Short);
      EXPECT_EQ(S->Name(), Cp1250(C.NamePl));
      EXPECT_FALSE(S->Description().empty());
    }
  }
}

TEST(GimStat, DescriptionsInBothLanguages) {
  auto EnMgr = New<TOrvLangManager>("enu");
  auto PlMgr = New<TOrvLangManager>("plk");
  {
    TLangManagerBinding B(EnMgr.get());
    EXPECT_EQ(Make("cntA")->Description(), "Count (actual) of respondent in a cell.");
    EXPECT_EQ(Make("shareRow")->Description(),
              "The share in the row of the sum of cells in the cell's column, grouped by "
              "questions.");
    EXPECT_EQ(Make("indRow")->Description(),
              "Percent indicators:\r\nNumber of respondents in a cell defined by conditions in "
              "layers, rows and columns shown as the percent of respondents defined by "
              "conditions in layers and rows.\r\n\r\nSummary indicators:\r\nThe indicator's "
              "value for respondents defined by conditions in layers, rows and columns (equal "
              "to layer indicator).");
    EXPECT_EQ(Make("indLayer")->Description(),
              "Percent indicators:\r\nNumber of respondents in a cell defined by conditions in "
              "layers, rows and columns shown as the percent of respondents defined by "
              "conditions in layers.\r\n\r\nSummary indicators:\r\nThe indicator's value for "
              "respondents defined by conditions in layers, rows and columns.");
  }
  {
    TLangManagerBinding B(PlMgr.get());
    EXPECT_EQ(Make("cntW")->Description(), Cp1250("Liczba (ważona) respondentów w komórce."));
    EXPECT_EQ(Make("indCol")->Description(),
              Cp1250("Wskaźniki procentowe:\r\nLiczba respondentów w komórce spełniających "
                     "wszystkie warunki określone w warstwach, wierszach i kolumnach "
                     "przedstawiona jako procent liczby respondentów spełniających wszystkie "
                     "warunki określone w warstwach i kolumnach.\r\n\r\nWskaźniki "
                     "podsumowujące:\r\nWartość wskaźnika wśród respondentów spełniających "
                     "wszystkie warunki określone w warstwach, wierszach i kolumnach (tożsama "
                     "ze wskaźnikiem w warstwie)."));
  }
}

TEST(GimStat, SentinelsShowTheSameForEveryKind) {
  EXPECT_FALSE(IsRealValue(GimValueNoData));
  EXPECT_FALSE(IsRealValue(GimValueEmpty));
  EXPECT_FALSE(IsRealValue(GimValueNotDefined));
  EXPECT_TRUE(IsRealValue(0));
  EXPECT_TRUE(IsRealValue(-1.6e308));
  EXPECT_TRUE(IsRealValue(GimValueNoData * (1 - 1e-15)));  // exact comparison only

  TFakeIndicator Ind;
  Ind.FPct = true;
  for (const TGimStatKind& K : GimStatKinds()) {
    auto S = K.Create();
    SCOPED_TRACE(K.ID);
    for (bool WithInd : {false, true}) {
      if (auto* M = As<TGimStatMedia>(S.get())) M->Indicator = WithInd ? &Ind : nullptr;
      for (const TFormatSettings& FS : {En, Pl}) {
        EXPECT_EQ(S->FormatValue(FS, 1, GimValueNoData), "--");
        EXPECT_EQ(S->FormatValue(FS, 1, GimValueEmpty), "");
        EXPECT_EQ(S->FormatValue(FS, 1, GimValueNotDefined), "!DEF");
        for (int Mode : {0, 1, 7}) {
          std::string Text = "old";
          S->FormatValueAs(FS, Mode, GimValueNoData, -1, /*Raw=*/false, /*PctSign=*/true, Text);
          EXPECT_EQ(Text, "--");
          S->FormatValueAs(FS, Mode, GimValueEmpty, -1, /*Raw=*/true, /*PctSign=*/false, Text);
          EXPECT_EQ(Text, "");
          S->FormatValueAs(FS, Mode, GimValueNotDefined, -1, /*Raw=*/false, /*PctSign=*/false,
                           Text);
          EXPECT_EQ(Text, "!DEF");
        }
      }
    }
  }
}

TEST(GimStat, FormatsValuesAndMasks) {
  struct TCase {
    const char* ID;
    int Decimals;
    double Value;
    const TFormatSettings* FS;
    const char* Text;      // FormatValue
    const char* Mode0;     // FormatValueAs in mode 0: no thousands separators
    const char* Mask;      // NumberMask
    const char* ValueFmt;  // ValueFormat(Decimals, not raw, with percent sign)
  };
  const TCase Cases[] = {
      {"pctRow", 1, 0.256, &En, "25.6", "25.6", "0.0%", "%1.1f%%"},
      {"pctRow", 1, 0.256, &Pl, "25,6", "25,6", "0,0%", "%1.1f%%"},
      {"pctRow", 0, 0.256, &En, "26", "26", "0%", "%1.0f%%"},
      {"pctCol", 2, 1.0, &En, "100.00", "100.00", "0.00%", "%1.2f%%"},
      {"pctLayer", 1, 0.0125, &En, "1.3", "1.3", "0.0%", "%1.1f%%"},  // halves away from zero
      {"cntW", 3, 1234567.4, &En, "1,234,567", "1234567", "#,##0", "%1.0f"},
      {"cntW", 0, 1234567.4, &Pl, "1 234 567", "1234567", "# ##0", "%1.0f"},
      {"cntA", 2, -1500.0, &En, "-1,500", "-1500", "#,##0", "%1.0f"},
      {"est", 1, 12345678.0, &En, "12,346", "12346", "#,##0", "%1.0f"},
      {"est", 1, 12345678.0, &Pl, "12 346", "12346", "# ##0", "%1.0f"},
      {"index", 3, 123.4, &En, "123", "123", "0", "%1.0f"},
      {"meanRow", 2, 3.14159, &Pl, "3,14", "3,14", "0,00", "%1.2f"},
      {"varCol", 0, 2.5, &En, "3", "3", "0", "%1.0f"},
      {"stdDevRow", 1, 0.05, &En, "0.1", "0.1", "0.0", "%1.1f"},
      {"sumCol", 1, 1234.56, &En, "1234.6", "1234.6", "0.0", "%1.1f"},
      {"shareRow", 1, 0.5, &En, "50.0", "50.0", "0.0%", "%1.1f%%"},
      {"shareCol", 0, 0.333, &Pl, "33", "33", "0%", "%1.0f%%"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.ID) + " " + std::to_string(C.Decimals));
    auto S = Make(C.ID);
    EXPECT_EQ(S->FormatValue(*C.FS, C.Decimals, C.Value), C.Text);
    EXPECT_EQ(S->NumberMask(*C.FS, C.Decimals), C.Mask);
    EXPECT_EQ(S->ValueFormat(C.Decimals, false, true), C.ValueFmt);
    // Mode 0 writes no thousands separators, and the sign where asked
    std::string Text;
    S->FormatValueAs(*C.FS, 0, C.Value, C.Decimals, /*Raw=*/false, /*PctSign=*/false, Text);
    EXPECT_EQ(Text, C.Mode0);
    S->FormatValueAs(*C.FS, 0, C.Value, C.Decimals, /*Raw=*/false, /*PctSign=*/true, Text);
    EXPECT_EQ(Text, std::string(C.Mode0) + (S->ShowsPctSign() ? "%" : ""));
  }
  // no thousands separator at all
  EXPECT_EQ(Make("cntW")->NumberMask(Separators('.', '\0'), 0), "###0");
  EXPECT_EQ(Make("cntW")->FormatValue(Separators('.', '\0'), 0, 1234567.0), "1234567");
}

TEST(GimStat, RawAndExportModes) {
  auto Pct = Make("pctRow");
  auto Est = Make("est");
  auto Mean = Make("meanCol");
  EXPECT_EQ(Pct->RawFormat(), "%g");
  EXPECT_EQ(Pct->ValueFormat(3, true, false), "%g");
  EXPECT_EQ(Pct->ValueFormat(3, true, true), "%g%%");
  EXPECT_EQ(Mean->ValueFormat(3, true, true), "%g");  // no sign for a kind that shows none

  struct TCase {
    TGimStat* Stat;
    int Mode;
    double Value;
    bool Raw, PctSign;
    const TFormatSettings* FS;
    const char* Text;
  };
  const TCase Cases[] = {
      {Pct.get(), 1, 0.25, false, true, &En, "0.25"},  // a percentage stays a fraction
      {Pct.get(), 1, 0.25, false, false, &Pl, "0,25"},
      {Est.get(), 1, 12345678.0, false, false, &En, "12345.678"},  // an estimate in thousands
      {Mean.get(), 1, 1234567.0, false, false, &En, "1234567"},    // %g keeps 15 digits
      {Pct.get(), 0, 0.256, true, false, &En, "25.6"},
      {Pct.get(), 0, 0.256, true, true, &Pl, "25,6%"},
      {Est.get(), 0, 12345678.0, true, false, &En, "12345.678"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Stat->ID()) + " mode " + std::to_string(C.Mode));
    std::string Text = "old";
    C.Stat->FormatValueAs(*C.FS, C.Mode, C.Value, 1, C.Raw, C.PctSign, Text);
    EXPECT_EQ(Text, C.Text);
  }
  // another mode leaves the text alone
  for (int Mode : {-1, 2, 100}) {
    std::string Text = "keep";
    Pct->FormatValueAs(En, Mode, 0.5, 1, /*Raw=*/false, /*PctSign=*/true, Text);
    EXPECT_EQ(Text, "keep");
  }
}

TEST(GimStat, DecimalsFromFilesAreBounded) {
  auto Pct = Make("pctRow");
  auto Mean = Make("meanRow");
  struct TCase {
    int Decimals;
    const char* Format;
  };
  const TCase Cases[] = {{-1, "%1.0f"},  {INT_MIN, "%1.0f"},  {0, "%1.0f"},       {15, "%1.15f"},
                         {16, "%1.15f"}, {1000000, "%1.15f"}, {INT_MAX, "%1.15f"}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Decimals);
    EXPECT_EQ(Pct->NumberFormat(C.Decimals), C.Format);
    EXPECT_EQ(Mean->NumberFormat(C.Decimals), C.Format);
    EXPECT_NO_THROW(Pct->FormatValue(En, C.Decimals, 0.5));
    std::string Text;
    EXPECT_NO_THROW(Mean->FormatValueAs(En, 0, 1.5, C.Decimals, false, true, Text));
    EXPECT_LE(Text.size(), 20u);
  }
  EXPECT_EQ(Pct->FormatValue(En, -5, 0.256), "26");
  EXPECT_EQ(Mean->FormatValue(En, 99, 0.5), "0.500000000000000");
  // The mask counts every decimal of the format, also past nine.
  EXPECT_EQ(Mean->NumberMask(En, 12), "0." + std::string(12, '0'));
  EXPECT_EQ(Pct->NumberMask(Pl, 1000), "0," + std::string(15, '0') + "%");
  EXPECT_EQ(Pct->NumberMask(En, -3), "0%");
}

TEST(GimStat, MediaKindsFollowTheirIndicator) {
  for (const char* ID : {"indLayer", "indRow", "indCol"}) {
    SCOPED_TRACE(ID);
    auto S = Make(ID);
    auto* M = As<TGimStatMedia>(S.get());
    ASSERT_TRUE(M);
    // without indicator nothing can be shown
    EXPECT_EQ(M->NumberFormat(1), "!DEF");
    EXPECT_EQ(M->ValueFormat(1, false, true), "!DEF");
    EXPECT_EQ(M->ValueFormat(1, true, false), "!DEF");
    EXPECT_EQ(M->RawFormat(), "!DEF");
    EXPECT_EQ(M->NumberMask(En, 1), "");
    EXPECT_EQ(M->FormatValue(En, 1, 12.5), "!DEF");
    std::string Text;
    M->FormatValueAs(En, 0, 12.5, 1, /*Raw=*/false, /*PctSign=*/true, Text);
    EXPECT_EQ(Text, "!DEF");
    M->FormatValueAs(En, 1, 12.5, 1, /*Raw=*/false, /*PctSign=*/true, Text);
    EXPECT_EQ(Text, "!DEF");
    EXPECT_FALSE(M->IsPercent());
    EXPECT_FALSE(M->IsSummary());
    EXPECT_FALSE(M->ShowsPctSign());
    double V = 3;
    M->AdjustValue(V);
    EXPECT_EQ(V, 3);
  }

  auto S = Make("indRow");
  auto* M = As<TGimStatMedia>(S.get());
  TFakeIndicator Pct;
  Pct.FPct = Pct.FSign = true;
  M->Indicator = &Pct;
  EXPECT_TRUE(M->IsPercent());
  EXPECT_TRUE(M->ShowsPctSign());
  EXPECT_FALSE(M->IsSummary());
  EXPECT_EQ(M->NumberFormat(1), "%1.1f");
  EXPECT_EQ(M->FormatValue(Pl, 1, 0.256), "25,6");
  EXPECT_EQ(M->NumberMask(Pl, 1), "0,0%");
  std::string Text;
  M->FormatValueAs(En, 0, 0.256, 1, /*Raw=*/false, /*PctSign=*/true, Text);
  EXPECT_EQ(Text, "25.6%");
  M->FormatValueAs(En, 1, 0.256, 1, /*Raw=*/false, /*PctSign=*/true, Text);
  EXPECT_EQ(Text, "0.256");
  // decimals "for the kind's own format" (-1) reach the indicator bounded
  EXPECT_EQ(M->NumberFormat(-1), "%1.0f");
  EXPECT_EQ(Pct.LastDecimals, 0);
  M->NumberFormat(500);
  EXPECT_EQ(Pct.LastDecimals, GimStatMaxDecimals);

  // a gross-impressions indicator is shown in thousands even when it calculates percentages
  TFakeIndicator GI;
  GI.FPct = GI.FGI = true;
  GI.Fmt = "%1.*n";
  M->Indicator = &GI;
  EXPECT_EQ(M->FormatValue(En, 0, 12345678.0), "12,346");
  EXPECT_EQ(M->NumberMask(En, 1), "#,##0.0");
  EXPECT_EQ(M->ValueFormat(2, false, false), "%1.2f");
  M->FormatValueAs(En, 1, 12345678.0, 0, /*Raw=*/false, /*PctSign=*/false, Text);
  EXPECT_EQ(Text, "12345678");  // percent kinds are not scaled in the export mode

  // a means indicator without percentages
  TFakeIndicator Mean;
  Mean.FMeans = true;
  Mean.Fmt = "%1.*f";
  M->Indicator = &Mean;
  EXPECT_TRUE(M->IsSummary());
  EXPECT_FALSE(M->IsPercent());
  EXPECT_EQ(M->FormatValue(En, 2, 3.14159), "3.14");
  EXPECT_FALSE(M->SummaryDependsOnAxis(0));  // not a summary family

  // the copy refers to the same indicator
  auto Copy = CopyOf(*M);
  EXPECT_TRUE(Copy->IsExactly<TGimStatMediaIndRow>());
  EXPECT_EQ(Copy->Indicator, &Mean);
}

TEST(GimStatList, FindAndRemove) {
  auto Cat = Catalogue();
  ASSERT_EQ(Cat->Count(), 20);
  struct TCase {
    const char* Key;
    const char* Found;  // "" when none
  };
  const TCase Cases[] = {
      {"RowPct", "pctRow"},
      {"CNTW", "cntW"},
      {"cnt", "cntW"},
      {"cntA", "cntA"},
      {"totpct", "pctLayer"},
      {"COLPCT", "pctCol"},
      {"STDDEVCOL", "stdDevCol"},
      {"pct", ""},
      {"", ""},
      {"cntW ", ""},
      {"indicator", ""},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Key);
    TGimStat* S = Cat->FindByID(C.Key);
    if (*C.Found) {
      ASSERT_TRUE(S);
      EXPECT_EQ(S->ID(), C.Found);
    } else {
      EXPECT_EQ(S, nullptr);
    }
  }

  EXPECT_TRUE(Cat->FindByClass(TGimStatCntW::StaticClass())->IsExactly<TGimStatCntW>());
  EXPECT_EQ(Cat->FindByClass(TGimStatPct::StaticClass()), nullptr);  // families are no kinds
  EXPECT_EQ(Cat->FindByClass(TGimStat::StaticClass()), nullptr);

  // the picking lists refer to the catalogue's kinds
  TGimStatList Std(false);
  Std.Add(Cat->FindByID("cntW"));
  Std.Add(Cat->FindByID("pctRow"));
  Std.RemoveByID("cnt");
  EXPECT_EQ(Std.Count(), 1);
  EXPECT_EQ(Std.GetItem(0)->ID(), "pctRow");
  Std.RemoveByID("nothing");
  EXPECT_EQ(Std.Count(), 1);
  Cat->RemoveByID("cntW");  // the catalogue frees it
  EXPECT_EQ(Cat->Count(), 19);
  EXPECT_EQ(Cat->FindByID("cnt"), nullptr);
  Std.RemoveByID("rowpct");
  Cat->RemoveByID("RowPct");
  EXPECT_TRUE(Std.Empty());
  EXPECT_EQ(Cat->Count(), 18);

  // a copy of the catalogue holds kinds of its own, in the same order
  auto Copy = Cat->CreateCopy();
  auto* CopyList = As<TGimStatList>(Copy.get());
  ASSERT_TRUE(CopyList);
  ASSERT_EQ(CopyList->Count(), Cat->Count());
  for (int I = 0; I < Cat->Count(); ++I) {
    EXPECT_NE(CopyList->GetItem(I), Cat->GetItem(I));
    EXPECT_EQ(&CopyList->GetItem(I)->ClassType(), &Cat->GetItem(I)->ClassType());
  }
}

TEST(GimStatList, AllDependOnAxis) {
  TGimStatList Empty(true);
  EXPECT_TRUE(Empty.AllDependOnAxis(0));
  EXPECT_TRUE(Empty.AllDependOnAxis(1));

  struct TCase {
    std::vector<const char*> IDs;
    bool Row, Col;
  };
  const TCase Cases[] = {
      {{"pctRow", "meanRow", "shareCol"}, true, false},
      {{"pctCol", "sumCol", "shareRow", "indCol"}, false, true},
      {{"index"}, true, true},
      {{"index", "pctRow"}, true, false},
      {{"cntW"}, false, false},
      {{"pctRow", "pctCol"}, false, false},
  };
  for (const TCase& C : Cases) {
    TGimStatList L(true);
    for (const char* ID : C.IDs) L.Add(Make(ID));
    SCOPED_TRACE(C.IDs.front());
    EXPECT_EQ(L.AllDependOnAxis(0), C.Row);
    EXPECT_EQ(L.AllDependOnAxis(1), C.Col);
  }
}

TEST(GimStat, KindOfAClassDerivedFromAKind) {
  TMyCount C;
  EXPECT_TRUE(C.IsExactly<TMyCount>());
  EXPECT_EQ(C.ID(), "cntW");
  EXPECT_EQ(C.Transposed(), nullptr);
  EXPECT_EQ(FindGimStatKind(TGimStatCnt::StaticClass()), nullptr);
  EXPECT_EQ(FindGimStatKind(TGimStatList::StaticClass()), nullptr);
}

}  // namespace
}  // namespace quin
