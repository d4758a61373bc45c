// The cell computation checked against sums written out plainly over the fixture's columns:
// every statistic kind, bases, missing answers with and without their exclusion, layers,
// total lines, overlapping and multiple responses, grid questions, significance marks and
// the texts a cell shows.
#include "analysis/pelres.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <functional>

#include "base/orvstats.h"
#include "calc_fixture.h"
#include "surveykit/gimwaves.h"

namespace quin {
namespace {

using namespace quin::test;
using TPred = std::function<bool(int)>;

class Calc : public testing::Test {
 protected:
  TEnglishSession English;
  TOpened<> Opened{CalcSurveyBytes()};
  TPelSurvey& S = *Opened.Survey;
  TCalcData D;
  TCalcTable T{S};

  // Plain predicates over the columns.
  TPred Edu(double Lo, double Hi) const {
    return [=, this](int I) { return D.Edu[I] != M && D.Edu[I] >= Lo && D.Edu[I] <= Hi; };
  }
  TPred Reg(double C) const {
    return [=, this](int I) { return D.Reg[I] == C; };
  }
  static TPred All() {
    return [](int) { return true; };
  }
  double W(const TPred& P) const {
    double S = 0;
    for (int I = 0; I < D.N(); ++I)
      if (P(I)) S += D.W[I];
    return S;
  }
  double A(const TPred& P) const {
    double S = 0;
    for (int I = 0; I < D.N(); ++I) S += P(I);
    return S;
  }
  static TPred And(const TPred& X, const TPred& Y) {
    return [=](int I) { return X(I) && Y(I); };
  }

  // Rows: low, mid, high, lowMid; columns: north, south.
  std::vector<TPred> RowPreds() const { return {Edu(1, 1), Edu(2, 2), Edu(3, 3), Edu(1, 2)}; }
  std::vector<TPred> ColPreds() const { return {Reg(1), Reg(2)}; }
  void EduByReg() {
    for (const char* R : {"low", "mid", "high", "lowMid"}) T.Rows.push_back({T.Resp("edu", R)});
    for (const char* C : {"north", "south"}) T.Cols.push_back({T.Resp("reg", C)});
  }
};

// The expected value of a distribution kind from the cell's plain sums.
double Expected(const std::string& Kind, double Wrc, double Arc, double Wr, double Wc,
                double Wall) {
  if (Kind == "cntW") return Wrc;
  if (Kind == "cntA") return Arc;
  if (Kind == "pctLayer") return Wrc / Wall;
  if (Kind == "pctRow") return Wrc / Wr;
  if (Kind == "pctCol") return Wrc / Wc;
  if (Kind == "est") return Wrc / Wall * 1000;
  return Wall * Wrc * 100 / (Wr * Wc);  // index
}

TEST_F(Calc, DistributionKindsAreTheirPlainFormulas) {
  EduByReg();
  for (const char* Kind : {"cntW", "cntA", "pctLayer", "pctRow", "pctCol", "est", "index"}) {
    SCOPED_TRACE(Kind);
    T.Build(T.Stat(Kind));
    T.CalculateEach();
    for (int R = 0; R < 4; ++R)
      for (int C = 0; C < 2; ++C) {
        const TPred Rp = RowPreds()[R], Cp = ColPreds()[C], Rc = And(Rp, Cp);
        const TPelRes& Cell = T.At(R, C);
        EXPECT_NEAR(Cell.Value, Expected(Kind, W(Rc), A(Rc), W(Rp), W(Cp), W(All())), 1e-12);
        EXPECT_FALSE(Cell.BaseDiff);
        if (std::string(Kind) == "pctCol") {
          EXPECT_EQ(Cell.BaseW, W(Cp));
          EXPECT_EQ(Cell.BaseA, A(Cp));
        }
        if (std::string(Kind).starts_with("cnt")) {
          EXPECT_EQ(Cell.BaseA, GimValueEmpty);
          EXPECT_EQ(Cell.BaseW, GimValueEmpty);
        }
      }
  }
}

TEST_F(Calc, ExcludedMissingAnswersLeaveBasesAndCellsAndMarkTheDifference) {
  EduByReg();
  T.SPar->ExcludeSysMis = true;
  const TPred Valid = [this](int I) { return D.Edu[I] != M && D.Reg[I] != M; };
  for (const char* Kind : {"pctCol", "pctRow", "pctLayer", "index", "cntW"}) {
    SCOPED_TRACE(Kind);
    T.Build(T.Stat(Kind));
    T.CalculateEach();
    for (int R = 0; R < 4; ++R)
      for (int C = 0; C < 2; ++C) {
        const TPred Rp = And(RowPreds()[R], Valid), Cp = And(ColPreds()[C], Valid);
        const TPelRes& Cell = T.At(R, C);
        EXPECT_NEAR(Cell.Value,
                    Expected(Kind, W(And(Rp, Cp)), A(And(Rp, Cp)), W(Rp), W(Cp), W(Valid)), 1e-12);
        // Both regions hold a respondent without education; every row holds one without a
        // region (record 4, low education) only for "low" and "lowMid".
        const std::string K = Kind;
        if (K == "pctCol" || K == "pctLayer" || K == "index") {
          EXPECT_TRUE(Cell.BaseDiff);
        }
        if (K == "pctRow") {
          EXPECT_EQ(Cell.BaseDiff, R == 0 || R == 3);
        }
      }
  }
}

TEST_F(Calc, LayerTotalLinesAndOverlappingMultipleResponses) {
  // Layer: media A; rows: the media (a respondent in several), a total row; columns: the
  // regions and a total column.
  T.Layer = {T.Resp("media", "a")};
  for (const char* R : {"a", "b", "c"}) T.Rows.push_back({T.Resp("media", R)});
  T.Rows.push_back({T.Margins()});
  T.Cols = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}, {T.Margins()}};
  T.Build(T.Stat("pctCol"));
  T.CalculateEach();
  const auto Media = [](const std::vector<double>& Col) {
    return TPred([&Col](int I) { return Col[I] == 1; });
  };
  const TPred L = Media(D.M1);
  const std::vector<TPred> Rows{Media(D.M1), Media(D.M2), Media(D.M3)};
  const std::vector<TPred> Cols{Reg(1), Reg(2), All()};
  for (int C = 0; C < 3; ++C) {
    const TPred Cp = And(L, Cols[C]);
    for (int R = 0; R < 3; ++R)
      EXPECT_NEAR(T.At(R, C).Value, W(And(Cp, Rows[R])) / W(Cp), 1e-12) << R << "," << C;
    // The total row shows the column's actual base.
    EXPECT_EQ(T.At(3, C).Value, A(Cp));
    EXPECT_TRUE(T.At(3, C).IsBaseCell());
  }
}

// Plain weighted moments of age over P.
struct TMoments {
  double W = 0, S = 0, Q = 0, A = 0;
};

TEST_F(Calc, SummaryKindsAreWeightedMomentsOfTheNumericResponse) {
  // Rows: an education and the age; columns: the regions. The column kinds count over the
  // cell's column base, which holds the education and the region.
  for (const char* R : {"low", "mid", "high"})
    T.Rows.push_back({T.Resp("edu", R), T.Resp("age", "years")});
  T.Cols = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}};
  const auto Moments = [this](const TPred& P) {
    TMoments Mo;
    for (int I = 0; I < D.N(); ++I)
      if (P(I) && D.Age[I] != M) {
        Mo.W += D.W[I];
        Mo.A += 1;
        Mo.S += D.Age[I] * D.W[I];
        Mo.Q += D.Age[I] * D.Age[I] * D.W[I];
      }
    return Mo;
  };
  for (const char* Kind : {"meanCol", "varCol", "stdDevCol", "sumCol", "shareRow"}) {
    SCOPED_TRACE(Kind);
    T.Build(T.Stat(Kind));
    T.CalculateEach();
    for (int R = 0; R < 3; ++R)
      for (int C = 0; C < 2; ++C) {
        const TPred Rp = RowPreds()[R];
        const TMoments Mo = Moments(And(Rp, ColPreds()[C]));
        const double Var = std::max(0.0, (Mo.Q - Mo.S * Mo.S / Mo.W) / (Mo.W - 1));
        const std::string K = Kind;
        double Want = K == "meanCol"     ? Mo.S / Mo.W
                      : K == "varCol"    ? Var
                      : K == "stdDevCol" ? std::sqrt(Var)
                      : K == "sumCol"    ? Mo.S
                                         : Mo.S / Moments(Rp).S;
        const TPelRes& Cell = T.At(R, C);
        if (Mo.W < 1 + 1e-8 && K != "meanCol") {
          EXPECT_TRUE(Cell.NoData);
          continue;
        }
        EXPECT_NEAR(Cell.Value, Want, 1e-9 * std::max(1.0, std::fabs(Want)));
        EXPECT_EQ(Cell.BaseW, Mo.W);
        EXPECT_EQ(Cell.BaseA, Mo.A);
        if (Mo.W >= 1 + 1e-8) {
          EXPECT_NEAR(Cell.Variance, Var, 1e-9 * std::max(1.0, Var));
        }
      }
  }
}

TEST_F(Calc, AMeanOverHalfARespondentHasAValueButNoVariance) {
  // Middle education, south, media A not read: record 8 alone, weight 0.5.
  T.Layer = {T.Resp("media", "b")};
  T.Rows = {{T.Resp("edu", "mid"), T.Resp("age", "years")}};
  T.Cols = {{T.Resp("reg", "south")}};
  TPelResElem* NotA = T.Own(std::make_unique<TPelResVarValCode>(
      &S, false, 0.0, S.Data->FindQuestion("media", false)->Responses->FindByID("a"), nullptr,
      S.Data->FindQuestion("media", false), 0, T.QPar.get()));
  T.Layer.push_back(NotA);
  T.Build(T.Stat("meanCol"));
  T.CalculateEach();
  const TPelRes& Cell = T.At(0, 0);
  EXPECT_EQ(Cell.BaseW, 0.5);
  EXPECT_EQ(Cell.Value, 55);
  EXPECT_EQ(Cell.Variance, GimValueNoData);
}

TEST_F(Calc, GridQuestionCellsCountTheCombinedResponse) {
  // Rows: item x rated 1, item y rated 2; columns: the regions.
  T.Rows = {{T.Grid(0, "x"), T.Grid(1, "r1")}, {T.Grid(0, "y"), T.Grid(1, "r2")}};
  T.Cols = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}};
  T.Build(T.Stat("pctCol"));
  T.CalculateEach();
  const std::vector<TPred> Rows{[this](int I) { return D.GX[I] == 1; },
                                [this](int I) { return D.GY[I] == 2; }};
  for (int R = 0; R < 2; ++R)
    for (int C = 0; C < 2; ++C)
      EXPECT_NEAR(T.At(R, C).Value, W(And(Rows[R], ColPreds()[C])) / W(ColPreds()[C]), 1e-12);
}

TEST_F(Calc, BaseRowsWavesAndCellsWithoutStatistic) {
  S.Waves->MinSelCount = 2;
  TGimWave* W2 = S.Waves->GetItem(1);
  TPelResElem* OneWave =
      T.Own(std::make_unique<TPelResWaves>(&S, std::vector<TGimWave*>{W2}, 0, T.QPar.get()));
  T.Rows = {{T.Resp("edu", "low"), T.Base(1)},
            {T.Resp("edu", "low"), T.Base(2)},
            {T.Resp("edu", "low"), T.Base(3)},
            {T.Resp("edu", "low"), OneWave}};
  T.Cols = {{T.Resp("reg", "south")}};
  T.Build(T.Stat("pctRow"));
  T.CalculateEach();
  const TPred Low = Edu(1, 1);
  EXPECT_EQ(T.At(0, 0).Value, A(Low));
  EXPECT_EQ(T.At(1, 0).Value, W(Low));
  EXPECT_NEAR(T.At(2, 0).Value, W(And(Low, Reg(2))) / W(Low), 1e-12);
  EXPECT_TRUE(T.At(3, 0).NotDefined);
  EXPECT_EQ(T.At(3, 0).Value, GimValueNotDefined);
  // Without a statistic element a cell outside total lines cannot be computed.
  T.Rows = {{T.Resp("edu", "low")}};
  T.Build(nullptr);
  T.CalculateEach();
  EXPECT_EQ(T.At(0, 0).Value, GimValueNotDefined);
}

TEST_F(Calc, EmptyRowsTotalColumnsAndRoundedVariances) {
  // A row nobody is in shows "--" for a row percent; the total column shows the row's base.
  T.Rows = {{T.Group("edu = low and edu = mid")}, {T.Resp("edu", "mid")}};
  T.Cols = {{T.Resp("reg", "north")}, {T.Margins()}};
  T.Build(T.Stat("pctRow"));
  T.CalculateEach();
  std::string Text;
  double V = 0;
  T.At(0, 0).GetDisplayText(Text, V);
  EXPECT_EQ(Text, "--");
  EXPECT_EQ(T.At(1, 1).Value, A(Edu(2, 2)));
  EXPECT_TRUE(T.At(1, 1).IsBaseCell());
  EXPECT_TRUE(T.At(1, 1).InTotalCol());
  EXPECT_FALSE(T.At(1, 1).InTotalRow() || T.At(0, 0).InTotalCol());
  // A copy answers the same of its elements.
  auto Copy = CopyOf(T.At(1, 1));
  EXPECT_TRUE(Copy->InTotalCol());
  EXPECT_FALSE(Copy->InTotalRow());
  EXPECT_TRUE(Copy->IsBaseCell());
  EXPECT_TRUE(Copy->HasStatElem());
  ASSERT_NE(Copy->StatsPar(), nullptr);
  EXPECT_EQ(Copy->StatsPar(), T.At(1, 1).StatsPar());
  // A variance below 0 from rounding is 0.
  EXPECT_EQ(PelVariance(1.0, 0.3, 3.0), 0.0);
  EXPECT_DOUBLE_EQ(PelVariance(6.0, 14.0, 3.0), 1.0);
}

TEST_F(Calc, AnOwnedMeanIsClonedByACopyAndFreedWhenReplaced) {
  T.Rows = {{T.Resp("edu", "low"), T.Resp("age", "years")}};
  T.Cols = {{T.Resp("reg", "south")}};
  T.Build(T.Stat("pctCol"));
  TPelRes& Cell = T.At(0, 0);
  Cell.UseMeanForNumericResponse();
  ASSERT_TRUE(Cell.OwnsStat);
  EXPECT_TRUE(Cell.Stat->Is<TGimStatMeanCol>());
  Cell.UseMeanForNumericResponse();  // a mean stays; nothing leaks
  auto Copy = CopyOf(Cell);
  EXPECT_TRUE(Copy->OwnsStat);
  EXPECT_NE(Copy->Stat, Cell.Stat);
  EXPECT_EQ(Copy->AllElems.Count(), Cell.AllElems.Count());
  for (int I = 0; I < Copy->AllElems.Count(); ++I) {
    EXPECT_NE(Copy->AllElems.GetItem(I), Cell.AllElems.GetItem(I));
    EXPECT_EQ(Copy->AllElems.GetElem(I), Cell.AllElems.GetElem(I));
  }
  T.Cells.clear();  // the source goes first; the copy still computes
  TPelResManager Mgr(&S, S.DataBasedOnList->GetItem(0));
  Copy->Calculate(&Mgr);
  EXPECT_TRUE(IsRealValue(Copy->Value));
}

TEST_F(Calc, PercentMarksFollowTheZTestOfTheCellCount) {
  EduByReg();
  T.SPar->SigPct = true;
  T.SPar->SigLevel = 0.9;
  T.Build(T.Stat("cntW"));
  T.CalculateEach();
  T.TestSignificance();
  double Lo = 0, Hi = 0;
  NormalConfidenceBounds(Lo, Hi, 0.1);
  int Marked = 0;
  for (int R = 0; R < 4; ++R)
    for (int C = 0; C < 2; ++C) {
      const double Tt = W(All()), r = W(RowPreds()[R]), c = W(ColPreds()[C]);
      const double n = W(And(RowPreds()[R], ColPreds()[C]));
      const double E = r * c / Tt, Z = (n - E) / std::sqrt((1 - r / Tt) * E * (1 - c / Tt));
      const int Want = Z >= Hi ? 1 : Z <= Lo ? -1 : 0;
      EXPECT_EQ(T.At(R, C).SigMark, Want) << R << "," << C;
      Marked += Want != 0;
    }
  EXPECT_GT(Marked, 0);
}

TEST_F(Calc, MeanMarksCompareWithTheReferenceCellOfTheColumn) {
  for (const char* R : {"low", "mid", "high", "lowMid"})
    T.Rows.push_back({T.Resp("edu", R), T.Resp("age", "years")});
  T.Cols = {{T.Resp("media", "c")}, {T.Resp("media", "b")}};
  T.SPar->SigMeans = true;
  T.SPar->SigLevel = 0.99;
  T.Build(T.Stat("meanCol"));
  T.CalculateEach();
  const auto Mark = [](const TPelRes& X, const TPelRes& Ref) {
    if (X.Variance < 1e-6 || Ref.Variance < 1e-6 || X.BaseA < 1.000001 || Ref.BaseA < 1.000001)
      return 0;
    const double P =
        TwoSampleTestPValue(0.99, X.Value, X.Variance, X.BaseA, Ref.Value, Ref.Variance, Ref.BaseA);
    return P < 0.99 ? (X.Value >= Ref.Value ? 1 : -1) : 0;
  };
  // Against the previous row.
  T.TestSignificance();
  for (int C = 0; C < 2; ++C) {
    EXPECT_EQ(T.At(0, C).SigMark, 0);
    for (int R = 1; R < 4; ++R) EXPECT_EQ(T.At(R, C).SigMark, Mark(T.At(R, C), T.At(R - 1, C)));
  }
  // Against the fourth row; the fourth itself has no mark.
  T.SPar->SigMeansNOn = true;
  T.SPar->SigMeansNPos = 4;
  T.TestSignificance();
  int Marked = 0;
  for (int C = 0; C < 2; ++C)
    for (int R = 0; R < 4; ++R) {
      EXPECT_EQ(T.At(R, C).SigMark, R == 3 ? 0 : Mark(T.At(R, C), T.At(3, C)));
      Marked += T.At(R, C).SigMark != 0;
    }
  EXPECT_GT(Marked, 0);
  // A position below 1 names no cell.
  T.SPar->SigMeansNPos = 0;
  T.TestSignificance();
  for (int R = 0; R < 4; ++R) EXPECT_EQ(T.At(R, 0).SigMark, 0);
}

TEST_F(Calc, EqualMeansWithoutVarianceGetNoMark) {
  TPelRes X(&S, nullptr, nullptr), Y(&S, nullptr, nullptr);
  T.SPar->SigMeans = true;
  TPelResElem* St = T.Stat("meanCol");
  for (TPelRes* C : {&X, &Y}) {
    C->AddLayerElem(std::make_unique<TPelResElemRef>(St));
    C->Value = 3;
    C->Variance = 0;
    C->BaseA = C->BaseW = 1;
  }
  X.TestSignificance(0, 1, [&](int, int B, int StepRow, int) {
    return StepRow == -1 && B == 1 ? TPelNeighbour{&Y, 0, 0} : TPelNeighbour{};
  });
  EXPECT_EQ(X.SigMark, 0);
}

TEST_F(Calc, TextsMasksAndNumericValues) {
  T.Rows = {{T.Resp("edu", "low")}, {T.Resp("edu", "low"), T.Base(3)}};
  T.Cols = {{T.Resp("reg", "north")}, {T.Margins()}};
  T.Build(T.Stat("pctRow"));
  TPelRes& Cell = T.At(0, 0);
  Cell.Value = 0.256;
  std::string Text;
  double V = 0;
  Cell.GetDisplayText(Text, V);
  EXPECT_EQ(Text, "25.6");
  T.SPar->ShowPctSign = 1;
  Cell.GetDisplayText(Text, V);
  EXPECT_EQ(Text, "25.6%");
  Cell.FormatValueText(1, false, 0.256, false, Text);
  EXPECT_EQ(Text, "0.256");
  Cell.GetNumericValue(V);
  EXPECT_DOUBLE_EQ(V, 25.6);
  EXPECT_EQ(Cell.WorkbookNumberFormat(), "0.0%");
  // The record-set base row shows the nick; the total column shows the base with separators.
  TPelRes& Recset = T.At(1, 0);
  Recset.Value = 12;
  Recset.GetDisplayText(Text, V);
  EXPECT_EQ(Text, "Resp");
  // A record-set cell with no data keeps "--", never "--%".
  Recset.Value = GimValueNoData;
  Recset.GetDisplayText(Text, V);
  EXPECT_EQ(Text, "--");
  TPelRes& Total = T.At(0, 1);
  Total.Value = 12345;
  Total.GetDisplayText(Text, V);
  EXPECT_EQ(Text, "12,345");
  EXPECT_EQ(Total.WorkbookNumberFormat(), "#,##0");
  // Flags before values.
  Cell.NoData = true;
  Cell.GetDisplayText(Text, V);
  EXPECT_EQ(Text, "--");
  Cell.GetNumericValue(V);
  EXPECT_EQ(V, 0);
  Cell.NoData = false;
  Cell.Empty = true;
  Cell.GetDisplayText(Text, V);
  EXPECT_EQ(Text, "");
  Cell.Empty = false;
  Cell.Value = std::nan("");
  Cell.GetDisplayText(Text, V);
  EXPECT_EQ(Text, "!DEF");
  // A Polish session's mask on screen, an invariant one in the workbook.
  TFormatSettings Pl;
  Pl.DecimalSeparator = ',';
  Pl.ThousandSeparator = ' ';
  std::string Mask;
  Cell.GetNumberFormat(Pl, Mask);
  EXPECT_EQ(Mask, "0,0%");
  EXPECT_EQ(Cell.WorkbookNumberFormat(), "0.0%");
  Total.GetNumberFormat(Pl, Mask);
  EXPECT_EQ(Mask, "# ##0");
}

TEST_F(Calc, AManagerSetsTheRoundingModeAndReturnsItsBuffers) {
  EduByReg();
  T.Build(T.Stat("pctCol"));
  T.CalculateEach();
  EXPECT_EQ(fegetround(), FE_TONEAREST);
  EXPECT_GT(PelPooledBufferBytes(), 0u);
  auto B = PelTakeBuffers();
  EXPECT_EQ(B->N, D.N());
  PelReturnBuffers(std::move(B));
}

}  // namespace
}  // namespace quin
