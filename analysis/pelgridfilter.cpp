#include "analysis/pelgridfilter.h"

#include "analysis/pelgroup.h"
#include "analysis/pelresgeneral.h"
#include "surveykit/gimexpr.h"
#include "surveykit/gimquestions.h"

namespace quin {

namespace {

// The position of R among the responses of Axis, and their number; -1 when R is not there.
int AxisIndex(const TGimResponseAxis* Axis, const TGimResponse* R, int& Count) {
  Count = 0;
  int Found = -1;
  const TMerResponseList* L = Axis ? Axis->Responses.get() : nullptr;
  for (int I = 0; L && I < L->Count(); ++I)
    if (const TGimResponse* X = L->GetItem(I)) {
      if (X == R) Found = Count;
      ++Count;
    }
  return Found;
}

// The response elements of Elems that lie on the axes of V's question and come from V's
// parameter, per axis; First: the position of the first of them in Elems.
struct TGridPick {
  std::vector<std::vector<TPelResVarVal*>> PerAxis;
  int First = -1;
  bool Complete() const {
    for (const auto& A : PerAxis)
      if (A.empty()) return false;
    return !PerAxis.empty();
  }
};

TGridPick Collect(const TPelResElemList& Elems, const TPelResVarVal& V) {
  TGridPick P;
  const TGimResponseAxisList* Axes = V.Question ? V.Question->Axes.get() : nullptr;
  if (!Axes) return P;
  P.PerAxis.resize(Axes->Count());
  for (int I = 0; I < Elems.Count(); ++I) {
    auto* E = As<TPelResVarVal>(Elems.GetElem(I));
    if (!E || E->Question != V.Question || E->GetPar() != V.GetPar()) continue;
    const int A = Axes->IndexOf(E->Axis);
    if (A < 0) continue;
    if (P.First < 0) P.First = I;
    P.PerAxis[A].push_back(E);
  }
  return P;
}

// The question's response combining one element per axis (the last axis counting fastest);
// null when a response is not on its axis or the grid holds no such response.
TGimResponse* Combined(const TGimQuestion& Q, const std::vector<TPelResVarVal*>& Pick) {
  long long Index = 0;
  for (size_t A = 0; A < Pick.size(); ++A) {
    int Count = 0;
    const int I = AxisIndex(Q.Axes->GetItem(static_cast<int>(A)), Pick[A]->Response, Count);
    if (I < 0) return nullptr;
    Index = Index * Count + I;
  }
  const TMerResponseList* L = Q.Responses.get();
  return L && Index < L->Count() ? L->GetItem(static_cast<int>(Index)) : nullptr;
}

// Every combination of one element per axis, in order (the last axis fastest); False as soon
// as Visit refuses one.
template <class F>
bool ForEachCombination(const TGridPick& P, F&& Visit) {
  std::vector<size_t> At(P.PerAxis.size(), 0);
  std::vector<TPelResVarVal*> Pick(P.PerAxis.size());
  for (;;) {
    for (size_t A = 0; A < At.size(); ++A) Pick[A] = P.PerAxis[A][At[A]];
    if (!Visit(Pick)) return false;
    size_t A = At.size();
    while (A > 0 && ++At[A - 1] == P.PerAxis[A - 1].size()) At[--A] = 0;
    if (A == 0) return true;
  }
}

}  // namespace

bool ApplyQuestionFilters(TPelResCell& Cell, const TPelResElemList& Elems, TPelFlags& Cases,
                          TPelFlags& Missing, TPelFlags* BaseCases, bool RequireAll,
                          bool& BaseExcluded) {
  bool Applied = false;
  for (int I = 0; I < Elems.Count(); ++I) {
    auto* V = As<TPelResVarVal>(Elems.GetElem(I));
    if (V && V->Axis &&
        ApplyGridQuestion(Cell, Elems, *V, Cases, Missing, BaseCases, BaseExcluded, RequireAll, I))
      Applied = true;
  }
  return Applied;
}

bool ApplyGridQuestion(TPelResCell& Cell, const TPelResElemList& Elems, TPelResVarVal& V,
                       TPelFlags& Cases, TPelFlags& Missing, TPelFlags* BaseCases,
                       bool& BaseExcluded, bool RequireAll, int Position) {
  const TGridPick P = Collect(Elems, V);
  // The question's first element does the work for all of them.
  if (P.First >= 0 && P.First < Position) return false;
  if (!P.Complete()) {
    if (RequireAll) Cell.SetNotComputable();
    return false;
  }
  if (!Cell.HasStatElem()) {
    Cell.SetNotComputable();
    return false;
  }
  TGimQuestion& Q = *V.Question;
  auto G = New<TPelGroup>(V.Survey, nullptr);
  uint8_t Flags = 0;
  const bool Combines = ForEachCombination(P, [&](const std::vector<TPelResVarVal*>& Pick) {
    TGimResponse* R = Combined(Q, Pick);
    if (!R) return false;
    if (!R->AsSelectable()) return true;
    Flags |= R->Attributes;
    auto Var = std::make_unique<TPelGroupVar>(nullptr, V.Survey);
    Var->Question = &Q;
    const TPelResVarValCode* Code = nullptr;
    for (const TPelResVarVal* E : Pick)
      if (!Code) Code = As<TPelResVarValCode>(E);
    if (Code)
      Var->Values.AddCode(R, Code->Code);
    else
      Var->Values.AddResponse(R);
    G->AddCondition(std::move(Var), ExprOperator<TGimExprOperatorLogicConjunction>(), nullptr,
                    nullptr);
    return true;
  });
  const size_t N = Cases.size();
  if (Combines) G->Evaluate(V.GetWaveList(), Cell.GetWeight(), Cell.GetBasedOnRecset());
  if (!Combines || G->Selected.size() != N || Missing.size() != N) {
    Cell.SetNotComputable();
    return false;
  }
  const bool SysMis = Cell.ExcludesSysMis();
  for (size_t I = 0; I < N; ++I) {
    Cases[I] &= G->Selected[I];
    if (SysMis) Missing[I] |= G->Missing[I];
  }
  if (BaseCases && BaseCases->size() == N) {
    TPelFlags& B = *BaseCases;
    const bool Restricts = Flags & GimAttrEstIndependent;
    for (size_t I = 0; I < N; ++I) {
      if (Restricts) B[I] &= G->Selected[I];
      if (!SysMis) continue;
      if (B[I] && Missing[I]) BaseExcluded = true;
      B[I] &= static_cast<uint8_t>(Missing[I] ^ 1);
    }
  }
  return true;
}

bool LoadSummaryValues(TPelResCell& Cell, std::vector<double>& Values, TMerRecset* Recset,
                       TPelResVarVal* V) {
  if (!V || !V->Axis || !V->Question) return false;
  const TGridPick P = Collect(Cell.GetAllElems(), *V);
  std::vector<TPelResVarVal*> Pick;
  for (const auto& A : P.PerAxis)
    if (!A.empty()) Pick.push_back(A.front());
  TGimResponse* R = P.Complete() ? Combined(*V->Question, Pick) : nullptr;
  if (!R) {
    Cell.SetNotComputable();
    return true;
  }
  TGimResponse* Source = R->GetBaseResponse() ? R->GetBaseResponse() : R;
  Source->FillValues(Values, Recset);
  return true;
}

}  // namespace quin
