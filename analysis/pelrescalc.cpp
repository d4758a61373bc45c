// The per-cell computation: the cell's masks narrowed element by element over the layer, and
// its sums counted over them. The table computation (peltablecalc.cpp) gives the same sums
// for all cells at once; this one is the reference it is checked against, and computes the
// cells that the table computation leaves alone.
#include "analysis/pelcondmask.h"
#include "analysis/pelgridfilter.h"
#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelresmanager.h"
#include "analysis/pelresmedia.h"
#include "analysis/pelsurvey.h"
#include "surveykit/gimresponses.h"
#include "surveykit/gimstat.h"

namespace quin {

namespace {

constexpr double kMinBase = 1e-08;

void And(TPelFlags& A, const TPelFlags& B) {
  const size_t N = A.size();
  for (size_t I = 0; I < N; ++I) A[I] &= B[I];
}

// The cell's masks as the axis steps narrow them.
class TMaskOps : public TPelRes::TAxisOps {
 public:
  TMaskOps(TPelRes& ACell, TPelResBuffers& ABuf, int AR, bool AEst)
      : Cell(ACell), B(ABuf), R(AR), Est(AEst) {}
  TPelRes& Cell;
  TPelResBuffers& B;
  int R;
  bool Est;
  bool BaseExcluded = false;
  void Apply(int Base, TPelResElem* E, const TPelResElemList& SoFar) override {
    Cell.ApplyElemFilter(Base == 0 ? B.RowBaseCases : B.ColBaseCases, B.CellMissing,
                         Est ? &B.EstBaseCases : nullptr, E, SoFar, R, BaseExcluded);
  }
  void MediaSelect(int Base, const TPelResElemList& Elems) override {
    TPelFlags& M = Base == 0 ? B.RowBaseCases : B.ColBaseCases;
    double C = 0, W = 0;
    PelResMedia().FilterTVCases(Cell, Elems, M, C, W);
    PelResMedia().FilterRadioCases(Cell, Elems, M, C, W);
    PelResMedia().PressSelectCases(Cell, Elems, M, C, W);
  }
};

}  // namespace

bool TPelRes::UsesEstBase() const {
  return Stat && (Stat->Is<TGimStatEst>() || PelResMedia().HasPressGIIndicator(*this));
}

namespace {

// Narrows the masks by an element's selected (Sel) and undefined (Mis) records, read through
// accessors of record I.
template <class TSel, class TMis>
void NarrowByElem(TPelFlags& Cases, TPelFlags& Missing, TPelFlags* BaseCases, bool RestrictsBase,
                  bool Excl, bool& BaseExcluded, TSel Sel, TMis Mis) {
  const size_t N = Cases.size();
  for (size_t I = 0; I < N; ++I) Cases[I] &= Sel(I);
  if (Excl)
    for (size_t I = 0; I < N; ++I) Missing[I] |= Mis(I);
  if (BaseCases) {
    if (RestrictsBase)
      for (size_t I = 0; I < N; ++I) (*BaseCases)[I] &= Sel(I);
    if (Excl)
      for (size_t I = 0; I < N; ++I) {
        if ((*BaseCases)[I] & Missing[I]) BaseExcluded = true;
        (*BaseCases)[I] &= Missing[I] ^ 1;
      }
  }
}

}  // namespace

void TPelRes::ApplyElemFilter(TPelFlags& Cases, TPelFlags& Missing, TPelFlags* BaseCases,
                              TPelResElem* E, const TPelResElemList& SoFar, int R,
                              bool& BaseExcluded) {
  TPelPar* P = E->GetPar();
  if (!P || !P->FiltersCases()) return;
  if (!P->UsesCaseGroups()) {
    ApplyQuestionFilters(*this, SoFar, Cases, Missing, BaseCases, false, BaseExcluded);
    return;
  }
  const size_t N = Cases.size();
  if (Manager && Manager->SharedMasks && Manager->R == R)
    if (std::shared_ptr<const TPelByteColumn> Mask = PelConditionMask(*Manager, E);
        Mask && Mask->size() == N) {
      // The condition's mask of the survey file, made once for every table and session.
      const uint8_t* K = Mask->data();
      NarrowByElem(
          Cases, Missing, BaseCases, E->RestrictsBase(), ExcludesSysMis(), BaseExcluded,
          [K](size_t I) { return static_cast<uint8_t>(K[I] & kPelMaskSelected); },
          [K](size_t I) { return static_cast<uint8_t>((K[I] & kPelMaskMissing) >> 1); });
      return;
    }
  if (!E->GetGroup()) return;
  const TPelRecsetsTGDynArr& SelA = E->GetSelectedArrays();
  const TPelRecsetsTGDynArr& MisA = E->GetMissingArrays();
  const bool Ok = R >= 0 && static_cast<size_t>(R) < SelA.size() &&
                  static_cast<size_t>(R) < MisA.size() && SelA[R].size() == N &&
                  MisA[R].size() == N;
  if (!Ok) {
    // The element selects nothing it could not evaluate.
    std::fill(Cases.begin(), Cases.end(), 0);
    return;
  }
  const uint8_t* Sel = SelA[R].data();
  const uint8_t* Mis = MisA[R].data();
  NarrowByElem(
      Cases, Missing, BaseCases, E->RestrictsBase(), ExcludesSysMis(), BaseExcluded,
      [Sel](size_t I) { return Sel[I]; }, [Mis](size_t I) { return Mis[I]; });
}

bool TPelRes::PrepareMasks() {
  if (Manager) Manager->PrepareLayer(*this);
  if (!PelResMedia().CellComplete(*this) && !InTotalRow() && !InTotalCol()) {
    NotDefined = true;
    return true;
  }
  if (PelResMedia().DirectValue(*this) || !Manager || Manager->R < 0) return true;
  if (PelResMedia().PressDistributionApplies(*this))
    PelResMedia().PreparePressData(*Manager, *this);
  TPelResBuffers& B = Manager->Buf();
  B.Size(B.N, true);
  const bool Est = UsesEstBase();
  if (Est) B.EstBaseCases = B.LayerBaseCases;
  B.CellMissing = B.LayerMissing;
  B.RowBaseCases = B.LayerCases;
  B.ColBaseCases = B.LayerCases;
  TMaskOps Ops(*this, B, Manager->R, Est);
  RunAxisSteps(Ops);
  FBaseExcluded = Ops.BaseExcluded;
  return false;
}

bool TPelRes::MediaValue(TPelResBuffers& B, double& Count, double& Weight) {
  TPelResMedia& M = PelResMedia();
  const double* W = Manager->Weights();
  const double Population = this->Weight ? this->Weight->Population : 0;
  auto EstBase = [&] {
    double A = 0, S = 0;
    for (int I = 0; I < B.N; ++I)
      if (B.EstBaseCases.size() == static_cast<size_t>(B.N) && B.EstBaseCases[I]) {
        A += 1;
        S += W[I];
      }
    BaseA = A - Count;
    BaseW = S - Weight;
  };
  auto Scale = [&](bool EstBranch, bool IndexNoData) {
    BaseDiff = BaseDiff || Count > 0 || Weight > 0;
    if (!IsComputable()) return;
    if (EstBranch) {
      EstBase();
      if (BaseW >= kMinBase)
        Value = Value / BaseW * Population;
      else
        NoData = true;
    } else if (BaseW < kMinBase || IndexNoData) {
      NoData = true;
    } else {
      Value = Value / BaseW;
    }
  };
  const bool IsEst = Stat->Is<TGimStatEst>();
  if (M.PressDistributionValue(*this, B.CellCases, Count, Weight)) {
    Scale(IsEst, false);
    return true;
  }
  if (M.ComputeTVEvents(*this, B.CellCases, Count, Weight) ||
      M.ComputeRadioEvents(*this, B.CellCases, Count, Weight) ||
      M.PressMeanValue(*this, B.CellCases, Count, Weight)) {
    Scale(IsEst || M.HasPressGIIndicator(*this), Stat->Is<TGimStatIndex>());
    return true;
  }
  return false;
}

void TPelRes::SummarySums(TPelCellSums& Sums, bool RowKind) {
  TPelResBuffers& B = Manager->Buf();
  const double* W = Manager->Weights();
  const TPelFlags& Own = RowKind ? B.RowBaseCases : B.ColBaseCases;
  const TPelFlags& Other = RowKind ? B.ColBaseCases : B.RowBaseCases;
  const double* X = B.Values.data();
  for (int I = 0; I < B.N; ++I)
    if (Own[I] && X[I] != GimValueNoData) {
      ++Sums.PresentA;
      Sums.PresentW += W[I];
      Sums.S += X[I] * W[I];
      Sums.Q += X[I] * X[I] * W[I];
    }
  for (int I = 0; I < B.N; ++I)
    if (Other[I] && X[I] != GimValueNoData) Sums.T += X[I] * W[I];
}

void TPelRes::CalculateFromMasks() {
  TPelResBuffers& B = Manager->Buf();
  const double* W = Manager->Weights();
  const int N = B.N;
  const bool Est = UsesEstBase();
  And(B.CellCases = B.RowBaseCases, B.ColBaseCases);
  bool Excluded = FBaseExcluded;
  ApplyQuestionFilters(*this, AllElems, B.CellCases, B.CellMissing, Est ? &B.EstBaseCases : nullptr,
                       !InTotalRow() && !InTotalCol(), Excluded);
  TPelCellSums Sums;
  Sums.BaseExcluded = Excluded;
  auto Base = [&](TPelFlags& M, int64_t& All, int64_t& A, double& S) {
    for (int I = 0; I < N; ++I) {
      All += M[I];
      M[I] &= B.CellMissing[I] ^ 1;
      A += M[I];
      if (M[I]) S += W[I];
    }
  };
  Base(B.RowBaseCases, Sums.RowBaseAllA, Sums.RowBaseA, Sums.RowBaseW);
  Base(B.ColBaseCases, Sums.ColBaseAllA, Sums.ColBaseA, Sums.ColBaseW);
  for (int I = 0; I < N; ++I) B.CellCases[I] &= B.RowBaseCases[I] & B.ColBaseCases[I];
  double Count = 0, Weight = 0;
  if (Stat) {
    TPelResMedia& M = PelResMedia();
    double C = 0, Wt = 0;
    M.FilterTVCases(*this, AllElems, B.CellCases, C, Wt);
    Count += C, Weight += Wt, C = Wt = 0;
    M.FilterRadioCases(*this, AllElems, B.CellCases, C, Wt);
    Count += C, Weight += Wt, C = Wt = 0;
    M.PressSelectCases(*this, AllElems, B.CellCases, C, Wt);
    Count += C, Weight += Wt;
    if (MediaValue(B, Count, Weight)) return;
  }
  for (int I = 0; I < N; ++I) {
    if (B.CellCases[I]) {
      ++Sums.CellA;
      Sums.CellW += W[I];
    }
    if (B.LayerCases[I]) {
      if (B.CellMissing[I]) {
        ++Sums.LayerMissA;
        Sums.LayerMissW += W[I];
      } else {
        ++Sums.LayerKeptA;
        Sums.LayerKeptW += W[I];
      }
    }
    if (Est && B.EstBaseCases[I]) {
      ++Sums.EstA;
      Sums.EstW += W[I];
    }
  }
  const bool Values = Stat && Stat->IsSummary() && SummaryElem();
  if (Values) {
    TMerRecset* R = GetBasedOnRecset();
    TPelResVarVal* V = SummaryElem();
    if (!LoadSummaryValues(*this, B.Values, R, V)) {
      TGimResponse* Src =
          V->Response->GetBaseResponse() ? V->Response->GetBaseResponse() : V->Response;
      Src->FillValues(B.Values, R);
    }
    if (B.Values.size() != static_cast<size_t>(N)) B.Values.assign(N, GimValueNoData);
    if (!NotDefined) SummarySums(Sums, Stat->DependsOnAxis(0));
  }
  ComputeFromSums(Sums, Count, Weight, Values, NotDefinedIfNoValue());
}

}  // namespace quin
