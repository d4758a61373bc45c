// The table cell: its elements, the questions the table asks of it, the axis steps that decide
// which element narrows which base, and the formulas of the statistic kinds over the cell's
// sums.
#include "analysis/pelres.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "analysis/pelparstats.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelresmanager.h"
#include "analysis/pelresmedia.h"
#include "analysis/pelsurvey.h"
#include "surveykit/gimaxes.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimresponses.h"
#include "surveykit/gimstat.h"
#include "surveykit/gimweights.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRes, TPelResCell)

namespace {

constexpr double kMinBase = 1e-08;

bool IsKind(const TGimStat* S, const ClassInfo& C) { return S && S->ClassType().InheritsFrom(C); }

}  // namespace

double PelVariance(double S, double Q, double W) {
  const double V = (Q - S * S / W) / (W - 1);
  return V < 0 ? 0 : V;
}

TPelRes::TPelRes(TPelSurvey* ASurvey, const TGimWeight* AWeight, TPelDataBasedOn* ABasedOn)
    : BasedOn(ABasedOn),
      Weight(AWeight),
      Value(GimValueNoData),
      Variance(GimValueNoData),
      Survey(ASurvey) {}

TPelRes::TPelRes(const TPelRes& Source)
    : TPelResCell(Source),
      RowElems(Source.RowElems),
      ColElems(Source.ColElems),
      LayerElems(Source.LayerElems),
      BasedOn(Source.BasedOn),
      Weight(Source.Weight),
      Stat(Source.Stat),
      BaseKind(Source.BaseKind),
      NoData(Source.NoData),
      Empty(Source.Empty),
      NotDefined(Source.NotDefined),
      Manager(Source.Manager),
      Value(Source.Value),
      Variance(Source.Variance),
      BaseA(Source.BaseA),
      BaseW(Source.BaseW),
      LayerW(Source.LayerW),
      ColBaseW(Source.ColBaseW),
      RowBaseW(Source.RowBaseW),
      CellW(Source.CellW),
      LayerA(Source.LayerA),
      ColBaseA(Source.ColBaseA),
      RowBaseA(Source.RowBaseA),
      CellA(Source.CellA),
      BaseDiff(Source.BaseDiff),
      SigMark(Source.SigMark),
      Survey(Source.Survey) {
  // The non-owning lists hold the copies of the source's elements, in the source's order.
  auto Map = [&](const TPelResElem* E) -> TPelResElem* {
    const TPelResElemList* Lists[] = {&Source.RowElems, &Source.ColElems, &Source.LayerElems};
    const TPelResElemList* Copies[] = {&RowElems, &ColElems, &LayerElems};
    for (int L = 0; L < 3; ++L)
      if (int I = Lists[L]->IndexOf(E); I >= 0) return Copies[L]->GetItem(I);
    return nullptr;
  };
  for (int I = 0; I < Source.AllElems.Count(); ++I)
    if (TPelResElem* E = Map(Source.AllElems.GetItem(I))) AllElems.Add(E);
  for (int I = 0; I < Source.RowLayerElems.Count(); ++I)
    if (TPelResElem* E = Map(Source.RowLayerElems.GetItem(I))) RowLayerElems.Add(E);
  for (int I = 0; I < Source.ColLayerElems.Count(); ++I)
    if (TPelResElem* E = Map(Source.ColLayerElems.GetItem(I))) ColLayerElems.Add(E);
  for (TPelResElemList* L : {&RowElems, &ColElems, &LayerElems})
    for (int I = 0; I < L->Count(); ++I)
      NoteElem(TPelResElem::ResolveRef(L->GetItem(I)), L->GetItem(I), *L);
  // The first statistic element in the order of all elements, as in the source.
  FStatElem = AllElems.FindByClass(TPelResStat::StaticClass());
  if (Source.OwnsStat && Source.Stat) {
    Stat = CopyOf(*Source.Stat).release();
    OwnsStat = true;
  }
}

TPelRes::~TPelRes() {
  if (OwnsStat) delete Stat;
}

TMerRecset* TPelRes::GetBasedOnRecset() const { return BasedOn ? BasedOn->Recset : nullptr; }

bool TPelRes::HasStatElem() const { return FStatElem != nullptr; }

TPelParStats* TPelRes::StatsPar() const {
  return FStatElem ? As<TPelParStats>(FStatElem->GetPar()) : nullptr;
}

bool TPelRes::ExcludesSysMis() const {
  const TPelParStats* P = StatsPar();
  return P && P->ExcludeSysMis;
}

void TPelRes::SetNotComputable() {
  NotDefined = true;
  Value = GimValueNotDefined;
}

void TPelRes::SetOwnedStat(std::unique_ptr<TGimStat> AStat) {
  if (OwnsStat) delete Stat;
  Stat = AStat.release();
  OwnsStat = Stat != nullptr;
}

void TPelRes::NoteElem(const TPelResElem* Resolved, TPelResElem* Elem, const TPelResElemList& Own) {
  if (!Resolved) return;
  if (!FStatElem && Resolved->Is<TPelResStat>()) FStatElem = TPelResElem::ResolveRef(Elem);
  if (Resolved->Is<TPelResMargins>()) {
    FInTotalRow = FInTotalRow || &Own == &RowElems;
    FInTotalCol = FInTotalCol || &Own == &ColElems;
  }
}

void TPelRes::AddElem(TPelResElem* E, TPelResElemList& Own, bool Row, bool Col) {
  E->SetRes(this);
  AllElems.Add(E);
  Own.Add(E);
  if (Row) RowLayerElems.Add(E);
  if (Col) ColLayerElems.Add(E);
  const TPelResElem* T = TPelResElem::ResolveRef(E);
  NoteElem(T, E, Own);
  if (const auto* B = As<TPelResBase>(T)) BaseKind = B->Kind;
  if (const auto* S = As<TPelResStat>(T)) {
    if (OwnsStat) delete Stat;
    OwnsStat = false;
    Stat = S->Stat;
  }
}

void TPelRes::AddRowElem(std::unique_ptr<TPelResElem> Ref) {
  if (Ref) AddElem(Ref.release(), RowElems, /*Row=*/true, /*Col=*/false);
}

void TPelRes::AddColElem(std::unique_ptr<TPelResElem> Ref) {
  if (Ref) AddElem(Ref.release(), ColElems, /*Row=*/false, /*Col=*/true);
}

void TPelRes::AddLayerElem(std::unique_ptr<TPelResElem> Ref) {
  if (Ref) AddElem(Ref.release(), LayerElems, /*Row=*/true, /*Col=*/true);
}

void TPelRes::ReleaseRefs(std::vector<std::unique_ptr<TPelResElemRef>>& Spare) {
  FStatElem = nullptr;
  FInTotalRow = FInTotalCol = false;
  AllElems.Clear();
  RowLayerElems.Clear();
  ColLayerElems.Clear();
  TPelResElemList* Owning[] = {&RowElems, &ColElems, &LayerElems};
  size_t Needed = Spare.size();
  for (const TPelResElemList* L : Owning) Needed += static_cast<size_t>(L->Count());
  if (Needed > Spare.capacity()) Spare.reserve(std::max(Needed, 2 * Spare.capacity()));
  // Nothing below can fail: each item goes to Spare or is freed, then the lists let go.
  for (TPelResElemList* L : Owning) {
    for (int I = 0; I < L->Count(); ++I) {
      TPelResElem* E = L->GetItem(I);
      if (E && typeid(*E) == typeid(TPelResElemRef))
        Spare.emplace_back(static_cast<TPelResElemRef*>(E));
      else
        delete E;
    }
    L->OwnsObjects = false;
    L->Clear();
    L->OwnsObjects = true;
  }
}

bool TPelRes::InTotalRow() const { return FInTotalRow; }

bool TPelRes::InTotalCol() const { return FInTotalCol; }

bool TPelRes::ShowsTotalBase() const {
  return (InTotalRow() && (!Stat || Stat->DependsOnAxis(1))) ||
         (InTotalCol() && (!Stat || Stat->DependsOnAxis(0)));
}

bool TPelRes::IsBaseCell() const { return !Stat || BaseKind != 0 || ShowsTotalBase(); }

bool TPelRes::UsesOtherRecset() const {
  TMerRecset* R = GetBasedOnRecset();
  for (int I = 0; I < AllElems.Count(); ++I)
    if (AllElems.GetItem(I)->UsesOtherRecset(R)) return true;
  return false;
}

void TPelRes::UseMeanForNumericResponse() {
  const bool Col = IsKind(Stat, TGimStatPctCol::StaticClass());
  const bool Row = IsKind(Stat, TGimStatPctRow::StaticClass());
  if (!Col && !Row) return;
  const TPelResElemList& L = Col ? RowElems : ColElems;
  for (int I = L.Count() - 1; I >= 0; --I) {
    TPelResElem* E = L.GetElem(I);
    if (!E->GetPar() || !E->GetPar()->FiltersCases()) continue;
    const auto* V = As<TPelResVarVal>(E);
    if (V && V->AsksMeans()) {
      if (Col)
        SetOwnedStat(std::make_unique<TGimStatMeanCol>());
      else
        SetOwnedStat(std::make_unique<TGimStatMeanRow>());
    }
    return;
  }
}

void TPelRes::AttachMediaInd() {
  if (auto* M = As<TGimStatMedia>(Stat)) M->Indicator = PelResMedia().CellIndicator(*this);
}

bool TPelRes::TryDirectValue() {
  if (!PelResMedia().CellComplete(*this) && !InTotalRow() && !InTotalCol()) return true;
  return PelResMedia().DirectValue(*this);
}

// ---- Axis steps

void TPelRes::AxisStep(TAxisOps& Ops, const TPelResElemList& AxisElems,
                       const TPelResElemList& OtherElems, bool AlongAxis, int OwnBase,
                       const TPelResElemList& AxisLayerElems, bool MediaKinds) {
  const int N = AxisElems.Count();
  if (N == 0) return;
  const int OtherBase = 1 - OwnBase;
  TPelResElemList SoFar(false);
  SoFar.SetCapacity(AllElems.Count());
  if (!AlongAxis) {
    for (int I = 0; I < LayerElems.Count(); ++I) SoFar.Add(LayerElems.GetItem(I));
    for (int I = 0; I < N; ++I) {
      SoFar.Add(AxisElems.GetItem(I));
      Ops.Apply(OwnBase, AxisElems.GetItem(I), SoFar);
    }
  } else {
    for (int I = 0; I < AllElems.Count(); ++I) SoFar.Add(AllElems.GetItem(I));
    const bool Share = IsKind(Stat, TGimStatShare::StaticClass());
    const bool Summary = Stat && Stat->IsSummary();
    for (int I = N - 1; I >= 0; --I) {
      TPelResElem* Ref = AxisElems.GetItem(I);
      TPelResElem* E = TPelResElem::ResolveRef(Ref);
      if (Summary && As<TPelResVarVal>(E)) {
        TPelResVarVal* V = TPelResVarVal::AsNumericResponse(E);
        FNotDefinedIfNoValue = V == nullptr;
        if (V && V->Axis && V->Question && V->Question->Axes && V->Question->Axes->Count() > 0 &&
            V->Axis != V->Question->Axes->GetItem(V->Question->Axes->Count() - 1)) {
          V = nullptr;
          FNotDefinedIfNoValue = true;
        }
        if (V && (!V->Response || !V->Response->GetBaseResponse() ||
                  (As<TPelResVarValCode>(V) && !static_cast<TPelResVarValCode*>(V)->IsValueItem))) {
          V = nullptr;
          FNotDefinedIfNoValue = false;
        }
        FSummaryElem = V;
      }
      if (!E->GetPar() || !E->GetPar()->FiltersCases()) {
        SoFar.Remove(Ref);
        continue;
      }
      if (!Share) Ops.Apply(OwnBase, Ref, SoFar);
      SoFar.Remove(Ref);
      for (int J = I - 1; J >= 0; --J) {
        TPelResElem* Outer = AxisElems.GetItem(J);
        if (Share) Ops.Apply(OwnBase, Outer, SoFar);
        Ops.Apply(OtherBase, Outer, SoFar);
        SoFar.Remove(Outer);
      }
      break;
    }
    if (Share) {
      int Last = -1;
      for (int J = OtherElems.Count() - 1; J >= 0 && Last < 0; --J) {
        const TPelResElem* E = OtherElems.GetElem(J);
        if (E->GetPar() && E->GetPar()->FiltersCases()) Last = J;
      }
      for (int J = Last - 1; J >= 0; --J) {
        Ops.Apply(OwnBase, OtherElems.GetItem(J), SoFar);
        SoFar.Remove(OtherElems.GetItem(J));
      }
    }
  }
  if (MediaKinds) Ops.MediaSelect(OwnBase, AxisLayerElems);
}

void TPelRes::RunAxisSteps(TAxisOps& Ops) {
  FSummaryElem = nullptr;
  FNotDefinedIfNoValue = true;
  const bool Index = IsKind(Stat, TGimStatIndex::StaticClass());
  AxisStep(Ops, RowElems, ColElems, !Stat || Stat->DependsOnAxis(1), 0, RowLayerElems,
           Index || IsKind(Stat, TGimStatPctRow::StaticClass()) ||
               IsKind(Stat, TGimStatMediaIndRow::StaticClass()));
  AxisStep(Ops, ColElems, RowElems, !Stat || Stat->DependsOnAxis(0), 1, ColLayerElems,
           Index || IsKind(Stat, TGimStatPctCol::StaticClass()) ||
               IsKind(Stat, TGimStatMediaIndCol::StaticClass()));
}

// ---- Calculation

bool TPelRes::BeginCalculation(TPelResManager* AManager) {
  Manager = AManager;
  NoData = NotDefined = false;
  BaseA = BaseW = 0;
  // A recalculation starts from clean flags: an earlier difference of bases or mark says
  // nothing about the new value.
  BaseDiff = false;
  SigMark = 0;
  AttachMediaInd();
  for (int I = 0; I < AllElems.Count(); ++I) AllElems.GetItem(I)->SetRes(this);
  Value = Variance = GimValueNoData;
  Empty = false;
  LayerW = ColBaseW = RowBaseW = CellW = LayerA = ColBaseA = RowBaseA = CellA = 0;
  for (int I = 0; I < AllElems.Count(); ++I)
    if (!AllElems.GetItem(I)->HasEnoughWaves()) {
      NotDefined = true;
      Value = GimValueNotDefined;
      return false;
    }
  return true;
}

void TPelRes::Calculate(TPelResManager* AManager) {
  if (!BeginCalculation(AManager)) return;
  if (!PrepareMasks()) CalculateFromMasks();
  FinalValue();
}

void TPelRes::ComputeFromSums(const TPelCellSums& Sums, double Count, double Weight, bool HasValues,
                              bool ValuesNotDefinedIfNone) {
  RowBaseA = static_cast<double>(Sums.RowBaseA);
  RowBaseW = Sums.RowBaseW;
  ColBaseA = static_cast<double>(Sums.ColBaseA);
  ColBaseW = Sums.ColBaseW;
  const bool RowExcluded = Sums.RowBaseAllA > Sums.RowBaseA;
  const bool ColExcluded = Sums.ColBaseAllA > Sums.ColBaseA;
  const bool TotalRow = InTotalRow(), TotalCol = InTotalCol();
  if (!Stat) {
    if (BaseKind == 0 && !TotalRow && !TotalCol) {
      Value = GimValueNotDefined;
      NotDefined = true;
    } else if (TotalRow) {
      BaseA = ColBaseA;
      BaseW = ColBaseW;
    } else if (TotalCol) {
      BaseA = RowBaseA;
      BaseW = RowBaseW;
    }
    return;
  }
  const TPelResManager* M = Manager;
  const double LCount = M && M->R >= 0 ? M->LayerCount[M->R] : 0;
  const double LSum = M && M->R >= 0 ? M->LayerSum[M->R] : 0;
  auto Ratio = [&](double Num) {
    if (BaseW >= kMinBase)
      Value = Num / BaseW;
    else
      NoData = true;
  };
  auto LayerMissing = [&] {
    Count += static_cast<double>(Sums.LayerMissA);
    Weight += Sums.LayerMissW;
    BaseDiff = BaseDiff || Sums.LayerMissA > 0 || Count > 0 || Weight > 0;
    BaseA = LCount - Count;
    BaseW = LSum - Weight;
    LayerW = BaseW;
  };
  if (!Stat->IsSummary()) {
    CellW = Sums.CellW;
    CellA = static_cast<double>(Sums.CellA);
    const double Population = this->Weight ? this->Weight->Population : 0;
    if (IsKind(Stat, TGimStatCntW::StaticClass())) {
      LayerW = Sums.LayerKeptW;
      Value = CellW;
      BaseA = BaseW = GimValueEmpty;
    } else if (IsKind(Stat, TGimStatCntA::StaticClass())) {
      LayerA = static_cast<double>(Sums.LayerKeptA);
      Value = CellA;
      BaseA = BaseW = GimValueEmpty;
    } else if (IsKind(Stat, TGimStatEst::StaticClass())) {
      BaseDiff = BaseDiff || Sums.BaseExcluded;
      BaseA = static_cast<double>(Sums.EstA) - Count;
      BaseW = Sums.EstW - Weight;
      BaseDiff = BaseDiff || Count > 0 || Weight > 0;
      LayerW = BaseW;
      if (BaseW >= kMinBase)
        Value = CellW / BaseW * Population;
      else
        NoData = true;
    } else if (IsKind(Stat, TGimStatIndex::StaticClass())) {
      const double C = ColBaseW - Weight, R = RowBaseW - Weight, P = C * R;
      if (C < kMinBase || R < kMinBase || P < kMinBase) {
        NoData = true;
      } else {
        LayerMissing();
        if (TotalRow) {
          BaseA = ColBaseA;
          BaseW = ColBaseW;
        } else if (TotalCol) {
          BaseA = RowBaseA;
          BaseW = RowBaseW;
        } else {
          Value = BaseW * CellW * 100 / P;
        }
      }
    } else if (const bool Row = IsKind(Stat, TGimStatPctRow::StaticClass()) ||
                                IsKind(Stat, TGimStatMediaIndRow::StaticClass());
               Row || IsKind(Stat, TGimStatPctCol::StaticClass()) ||
               IsKind(Stat, TGimStatMediaIndCol::StaticClass())) {
      LayerW = Sums.LayerKeptW;
      BaseDiff = BaseDiff || Count > 0 || Weight > 0 || (Row ? RowExcluded : ColExcluded);
      BaseA = (Row ? RowBaseA : ColBaseA) - Count;
      BaseW = (Row ? RowBaseW : ColBaseW) - Weight;
      Ratio(CellW);
    } else {
      // Layer percentages and layer indicators.
      LayerMissing();
      Ratio(CellW);
    }
    return;
  }
  const bool RowKind = Stat->DependsOnAxis(0);
  if (HasValues) {
    if (NotDefined) return;
    BaseDiff = BaseDiff || (RowKind ? RowExcluded : ColExcluded) ||
               Sums.PresentA < (RowKind ? Sums.RowBaseA : Sums.ColBaseA);
    double& OwnA = RowKind ? RowBaseA : ColBaseA;
    double& OwnW = RowKind ? RowBaseW : ColBaseW;
    OwnA = static_cast<double>(Sums.PresentA);
    OwnW = Sums.PresentW;
    const bool Mean = IsKind(Stat, TGimStatMean::StaticClass());
    if (OwnW < (Mean ? kMinBase : 1 + kMinBase)) {
      NoData = true;
      return;
    }
    BaseA = OwnA;
    BaseW = OwnW;
    if (BaseW >= 1 + kMinBase) Variance = PelVariance(Sums.S, Sums.Q, BaseW);
    if (Mean)
      Value = Sums.S / BaseW;
    else if (IsKind(Stat, TGimStatVariance::StaticClass()))
      Value = Variance;
    else if (IsKind(Stat, TGimStatStdDev::StaticClass()))
      Value = std::sqrt(Variance);
    else if (IsKind(Stat, TGimStatSum::StaticClass()))
      Value = Sums.S;
    else if (Sums.T >= kMinBase)
      Value = Sums.S / Sums.T;
    else
      NoData = true;
    return;
  }
  if (TotalCol && Stat->DependsOnAxis(0)) {
    BaseDiff = BaseDiff || Count > 0 || Weight > 0 || RowExcluded;
    BaseA = RowBaseA - Count;
    BaseW = RowBaseW - Weight;
  } else if (TotalRow && Stat->DependsOnAxis(1)) {
    BaseDiff = BaseDiff || Count > 0 || Weight > 0 || ColExcluded;
    BaseA = ColBaseA - Count;
    BaseW = ColBaseW - Weight;
  } else {
    if (ValuesNotDefinedIfNone) {
      Value = GimValueNotDefined;
      NotDefined = true;
    } else {
      Value = GimValueEmpty;
      Empty = true;
    }
    BaseA = BaseW = 0;
  }
}

void TPelRes::FinalValue() {
  if (NoData) {
    if (BaseKind != 0) {
      NoData = false;
      if (BaseKind == 1) Value = BaseA;
      if (BaseKind == 2) Value = BaseW;
    } else if (ShowsTotalBase()) {
      NoData = false;
      Value = BaseA;
    } else {
      Value = GimValueNoData;
    }
  } else if (Empty) {
    Value = GimValueEmpty;
  } else if (NotDefined) {
    Value = GimValueNotDefined;
  } else if (BaseKind == 2) {
    Value = BaseW;
  } else if (BaseKind == 1 || ShowsTotalBase()) {
    Value = BaseA;
  }
}

}  // namespace quin
