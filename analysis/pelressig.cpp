// Significance marks: a mean against the mean of a reference cell of its column (or row), a
// percentage against the count its row and column bases lead one to expect.
#include <cmath>

#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "base/orvstats.h"
#include "surveykit/gimstat.h"

namespace quin {

namespace {

// A walk along a run of cells never takes more steps than this.
constexpr int kMaxSteps = 1 << 20;

bool IsMeanCell(const TPelRes* C) {
  return C && C->IsComputable() && C->Stat && C->Stat->Is<TGimStatMean>() &&
         C->Variance != GimValueNoData;
}

// The test of 1.107 answers 0 for inputs it cannot test: a variance below 1e-6 or a base below
// 1.000001. Such pairs get no mark.
bool Testable(const TPelRes& C) { return C.Variance >= 1e-6 && C.BaseA >= 1.000001; }

}  // namespace

void TPelRes::TestSignificance(int A, int B, const TPelNeighbourFinder& Neighbour) {
  SigMark = 0;
  if (!IsComputable() || BaseKind != 0 || !HasStatElem() || ShowsTotalBase() || !Stat) return;
  const TPelParStats* P = StatsPar();
  if (!P) return;
  if (P->SigMeans && Stat->Is<TGimStatMean>() && Variance != GimValueNoData) {
    if (!Neighbour) return;
    const bool AlongColumn = P->SigMeansDim != 0;
    auto Step = [&](const TPelNeighbour& From, int D) {
      return AlongColumn ? Neighbour(From.A, From.B, D, 0) : Neighbour(From.A, From.B, 0, D);
    };
    TPelNeighbour Ref;
    const TPelNeighbour Self{this, A, B};
    if (P->SigMeansNOn) {
      // A position below 1 names no cell of the run.
      if (P->SigMeansNPos < 1) return;
      TPelNeighbour Cur = Self;
      for (int K = 0; K < kMaxSteps; ++K) {
        const TPelNeighbour Nb = Step(Cur, -1);
        if (!Nb.Cell || (Nb.A == Cur.A && Nb.B == Cur.B)) break;
        Cur = Nb;
      }
      for (int K = 1; K < P->SigMeansNPos && Cur.Cell && K < kMaxSteps; ++K) Cur = Step(Cur, +1);
      Ref = Cur;
    } else {
      Ref = Step(Self, P->SigMeansDir ? +1 : -1);
    }
    const TPelRes* R = Ref.Cell;
    if (!R || R == this || !IsMeanCell(R) || !Testable(*this) || !Testable(*R)) return;
    double Pv = 1;
    try {
      Pv =
          TwoSampleTestPValue(P->SigLevel, Value, Variance, BaseA, R->Value, R->Variance, R->BaseA);
    } catch (const EStatsError&) {
      return;
    }
    if (Pv < P->SigLevel) SigMark = Value >= R->Value ? +1 : -1;
    return;
  }
  if (P->SigPct && Stat->Is<TGimStatDistribution>() && !InTotalRow() && !InTotalCol()) TestPct(*P);
}

void TPelRes::TestPct(const TPelParStats& P) {
  const bool Actual = Stat->Is<TGimStatCntA>();
  const double T = Actual ? LayerA : LayerW;
  const double R = Actual ? RowBaseA : RowBaseW;
  const double C = Actual ? ColBaseA : ColBaseW;
  const double N = Actual ? CellA : CellW;
  constexpr double Eps = 1e-06;
  if (T <= Eps || C <= Eps || R <= Eps) return;
  if (!(T - Eps > C && T - Eps > R)) return;
  if (std::fabs(C - T) <= Eps || std::fabs(R - T) <= Eps) return;
  const double E = R * C / T;
  const double Den = (1 - R / T) * E * (1 - C / T);
  if (!(Den > 0) || !std::isfinite(N)) return;
  const double Z = (N - E) / std::sqrt(Den);
  double Lower = 0, Upper = 0;
  try {
    NormalConfidenceBounds(Lower, Upper, 1 - P.SigLevel);
  } catch (const EStatsError&) {
    return;
  }
  if (Z >= Upper)
    SigMark = +1;
  else if (Z <= Lower)
    SigMark = -1;
}

}  // namespace quin
