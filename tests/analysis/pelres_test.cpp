// The cell computation checked against sums written out plainly over the fixture's columns:
// every statistic kind, bases, missing answers with and without their exclusion, layers,
// total lines, overlapping and multiple responses, grid questions, significance marks and
// the texts a cell shows.
#include "analysis/pelres.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "base/orvstats.h"
#include "calc_fixture.h"
#include "surveykit/gimwaves.h"

namespace quin {
namespace {

using namespace quin::testing;
using TPred = std::function<bool(int)>;

class Calc : public ::testing::Test {
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
  static TPred And(TPred X, TPred Y) {
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
  const auto Media = [this](const std::vector<double>& Col) {
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

}  // namespace
}  // namespace quin
