// The table computation: every cell's masks are described, not built. The axis steps of each
// cell tell which elements narrow its row base, its column base and its missing records; each
// base becomes a key of row conditions, a key of column conditions and a key of layer
// conditions. One pass over the records finds the keys each record meets on each axis and adds
// its weight into every combination at once; the cells' sums are then read off the
// accumulators, in the order of the records as the per-cell computation adds them.
//
// A pass (TTableCalc::Pass) runs in four steps:
//  1. NumberKeys: the keys the pass's cells use get local numbers per axis (layer, row,
//     column); they span the accumulator grid, one accumulator per combination.
//  2. The key matchers tell, per byte of each array the keys read, which keys that byte lets
//     through (a "part": the distinct sets of keys over the 256 byte values).
//  3. CountIntoBins, then SpreadBins: every record falls into one bin, the combination of its
//     bytes' key sets over all parts, and the bins are counted in one tight pass; each bin that
//     holds records then adds its sums to every grid combination of the keys it meets. When
//     the bins would far outnumber the records, MatchRecords finds each record's keys instead
//     and adds it to the grid directly. The values of a column of codes are counted in the
//     same pass: the record's value code is one more byte of its bin, so a bin's sums of
//     values and squares are its weight times its code's value (and its square); values of
//     other columns are added record by record in a second pass.
//  4. ReadOffCells: each cell's bases and cases are grid accumulators, read into its sums.
//
// A worked example: rows edu = low and edu = mid, one column reg = north, counts, no layer.
// The row keys are {} (every record) and {edu in low}, {edu in mid}; the column keys {} and
// {reg in north}; the layer key {}. The row keys read the array edu: its part maps byte 1 to
// the set {low}, byte 2 to {mid} and every other byte to {} (three sets); the column part maps
// reg's byte 1 to {north} and others to {} (two sets). So there are 3 x 2 = 6 bins, and the
// pass adds each record's weight to bin (set of its edu byte, set of its reg byte). Spreading:
// the bin ({low}, {north}) meets row keys {} and {low} and column keys {} and {north}, so its
// sums go to the four grid entries ({}, {}, {}), ({}, {}, {north}), ({}, {low}, {}) and
// ({}, {low}, {north}). The cell low x north then reads its cases from ({}, {low}, {north}),
// its row base from ({}, {low}, {}) and its column base from ({}, {}, {north}).
#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <typeinfo>
#include <unordered_map>

#include "analysis/pelcasekeys.h"
#include "analysis/pelcolstore.h"
#include "analysis/pelcondmask.h"
#include "analysis/pelgroup.h"
#include "analysis/pelres.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelresmanager.h"
#include "analysis/pelresmedia.h"
#include "analysis/pelsurvey.h"
#include "analysis/peluserdef.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimresponses.h"
#include "surveykit/gimstat.h"

namespace quin {

namespace {

struct TAcc {
  int64_t A = 0;
  double W = 0;
};

struct TValueAcc {
  int64_t A = 0;
  double W = 0, S = 0, Q = 0;
};

// Accumulators by (layer key, row key, column key), numbered locally.
template <class T>
class TAccGrid {
 public:
  void Size(size_t L, size_t R, size_t C) {
    FR = R;
    FC = C;
    FCells.assign(L * R * C, T{});
  }
  bool Empty() const { return FCells.empty(); }
  T& At(size_t L, size_t R, size_t C) { return FCells[(L * FR + R) * FC + C]; }
  const T& At(size_t L, size_t R, size_t C) const { return FCells[(L * FR + R) * FC + C]; }
  // The accumulators of every column key of (L, R).
  T* Line(size_t L, size_t R) { return &FCells[(L * FR + R) * FC]; }

 private:
  size_t FR = 0, FC = 0;
  std::vector<T> FCells;
};

// The keys one pass uses, numbered per axis; a value group's cells use their own numbering
// of the keys they read (their grid holds only those).
struct TPassKeys {
  std::vector<int> Local[3];                // per global key: its local number, -1 when unused
  std::vector<int> Global[3];               // per local number: the global key
  std::vector<std::vector<int>> GLocal[3];  // per value group, per global key
  std::vector<int> GCount[3];               // per value group: its keys per axis
  std::vector<int> GroupsUsed;
  size_t Count(int A) const { return Global[A].size(); }
  // The value group's number of the local key LocalKey of axis A (-1: not its key).
  int GroupKey(int A, size_t G, int LocalKey) const {
    return GLocal[A][G][static_cast<size_t>(Global[A][static_cast<size_t>(LocalKey)])];
  }
};

// The values of a column of codes counted into the bins: each code's class (0 no value, then
// one per code with a value) and each class's value; a class steps the bin by Stride.
struct TValuePart {
  int Group = -1;
  const uint8_t* Arr = nullptr;
  std::array<uint32_t, 256> ClassOf{};
  std::vector<double> Value{0.0};
  size_t Stride = 0;
  size_t Classes() const { return Value.size(); }
};

// The sums of a pass: the grid of counts and weights, and one grid of value sums per value
// group.
struct TPassSums {
  TAccGrid<TAcc> Acc;
  std::vector<TAccGrid<TValueAcc>> VAcc;
};

// A base of a cell: its layer, row and column keys.
struct TTrip {
  int K[3] = {0, 0, 0};
};

struct TPlan {
  TPelRes* Cell = nullptr;
  TTrip RowAll, Row, ColAll, Col, Cases, Kept, Est;
  bool HasEst = false;
  int Group = -1;  // the numeric values of a summary cell
  bool RowKind = false;
};

// The conditions of one element: selected, and not missing.
struct TElemLits {
  bool Ok = false;
  TPelLit Sel{}, NotMis{};
};

// The values of a numeric response, one per record.
struct TValueGroup {
  const double* X = nullptr;
  // A column of codes: the value of each code (the missing value where it is not valid).
  const uint8_t* Bytes = nullptr;
  std::array<double, 256> ByteValue{};
  std::shared_ptr<const TPelDoubleColumn> Shared;
  std::shared_ptr<const TPelCodedColumn> SharedCodes;
  std::vector<double> Own;
  double Value(size_t I) const { return Bytes ? ByteValue[Bytes[I]] : X[I]; }
};

// The group of an element that the per-cell computation would use, built but not evaluated.
TPelGroup* PeekGroup(TPelResElem* Ref) {
  TPelResElem* E = TPelResElem::ResolveRef(Ref);
  if (!E->IsCalculated() && !E->Group) E->BuildGroup();
  return E->Group.get();
}

bool HasGridElem(const TPelRes& Cell) {
  for (int I = 0; I < Cell.AllElems.Count(); ++I)
    if (const auto* V = As<TPelResVarVal>(Cell.AllElems.GetElem(I)); V && V->Axis) return true;
  return false;
}

// The elements of the axis steps, recorded instead of applied.
class TSymOps : public TPelRes::TAxisOps {
 public:
  TPelRes* Cell = nullptr;
  bool Fallback = false;
  std::vector<std::pair<TPelResElem*, int>> Base[2];  // (element, side 0 row / 1 column)
  std::vector<std::pair<TPelResElem*, int>> Applied;
  std::vector<std::pair<TPelResElem*, int>> Est;
  bool WithEst = false;
  void Reset(TPelRes& C, bool AEst) {
    Cell = &C;
    Fallback = false;
    Base[0].clear();
    Base[1].clear();
    Applied.clear();
    Est.clear();
    WithEst = AEst;
  }
  void Apply(int B, TPelResElem* E, const TPelResElemList& SoFar) override {
    TPelPar* P = E->GetPar();
    if (!P || !P->FiltersCases()) return;
    if (!P->UsesCaseGroups()) {
      // The grid filter: nothing without grid elements (cells with them are left alone).
      return;
    }
    if (!PeekGroup(E)) return;
    const int Side = Cell->RowElems.IndexOf(E) >= 0 ? 0 : 1;
    Base[B].emplace_back(E, Side);
    Applied.emplace_back(E, Side);
    if (WithEst && E->RestrictsBase()) Est.emplace_back(E, Side);
  }
  void MediaSelect(int, const TPelResElemList&) override {}
};

class TTableCalc {
 public:
  explicit TTableCalc(TPelResManager& AM) : M(AM) {}
  void Run(std::span<TPelRes* const> Cells);

 private:
  TPelResManager& M;
  TPelLutTable Luts;
  TPelKeyTable Keys[3]{TPelKeyTable(Luts), TPelKeyTable(Luts), TPelKeyTable(Luts)};
  std::unordered_map<const TPelResElem*, TElemLits> ElemCache;
  // The coded columns and condition masks the literals read.
  std::vector<std::shared_ptr<const void>> Held;
  std::map<const TGimResponse*, int> GroupOf;
  std::vector<std::unique_ptr<TValueGroup>> Groups;
  std::vector<TPlan> Plans;
  std::vector<TPelRes*> OneByOne;
  TSymOps Ops;
  std::vector<TPelLit> Scratch[3];
  TPelLit LayerLit{}, LayerBaseLit{}, NotLayerMissingLit{};
  bool LayerMissingAny = false;
  bool Excl = false;

  const TElemLits& Lits(TPelResElem* Ref);
  bool ByteLits(TPelResElem* E, TElemLits& L);
  int GroupFor(TGimResponse* Src);
  TTrip Trip(bool LayerBase, bool WithMissing,
             std::initializer_list<const std::vector<std::pair<TPelResElem*, int>>*> Sels);
  bool Plan(TPelRes& Cell, TPlan& P);
  void Pass(size_t First, size_t Last);
  // The steps of a pass over the plans First..Last (see the file's comment).
  void NumberKeys(size_t First, size_t Last, TPassKeys& K) const;
  void CountIntoBins(const TPassKeys& K, const std::vector<TPelKeyMatcher::TPart>& Parts,
                     const std::vector<size_t>& Stride, const std::vector<TValuePart>& Values,
                     size_t ValueBins, std::vector<TAcc>& H,
                     std::vector<std::vector<TValueAcc>>& VH) const;
  void SpreadBins(const TPassKeys& K, const TPelKeyMatcher (&Match)[3],
                  const std::vector<TPelKeyMatcher::TPart>& Parts, const std::vector<int>& AxisOf,
                  const std::vector<size_t>& Stride, const std::vector<TAcc>& H,
                  const std::vector<std::vector<TValueAcc>>& VH, TPassSums& Sums) const;
  void MatchRecords(const TPassKeys& K, const TPelKeyMatcher (&Match)[3], TPassSums& Sums) const;
  void ReadOffCells(size_t First, size_t Last, const TPassKeys& K, const TPassSums& Sums);
};

bool TTableCalc::ByteLits(TPelResElem* E, TElemLits& L) {
  TPelGroup* G = E->Group.get();
  auto* Recset = As<TPelRecset>(M.BasedOn->Recset);
  if (!G || !G->Root || !Recset) return false;
  const TPelGroupNode& Root = *G->Root;
  if (Root.ChildCount() != 1 || !Root.Child(0)->IsVar()) return false;
  const auto& Var = static_cast<const TPelGroupVar&>(*Root.Child(0));
  if (!Var.Question || Var.Question->Is<TPelUserDefQuestion>()) return false;
  // The values' responses, as the group's response list would hold them: a value of a single
  // response stands for that response itself (the list would hold a copy of it), any other
  // value gives the response it makes; values without a response are left out.
  std::vector<std::unique_ptr<TGimResponse>> Made;
  std::vector<TGimResponse*> Listed;
  for (int I = 0; I < Var.Values.Count(); ++I) {
    const TPelGroupVal* V = Var.Values.GetItem(I);
    if (!V) continue;
    if (typeid(*V) == typeid(TPelGroupValSingle)) {
      if (TGimResponse* R = V->GetSourceResponse()) Listed.push_back(R);
    } else if (std::unique_ptr<TGimResponse> R = V->GetResponse()) {
      Listed.push_back(R.get());
      Made.push_back(std::move(R));
    }
  }
  if (Listed.empty()) return false;
  std::vector<TGimResponse*> Rs;
  for (TGimResponse* R : Listed) {
    if (R->Is<TPelUserDefResponse>() || R->ColumnCount() != 1) return false;
    const TMerRecsetCol& Col = *R->Columns->GetItem(0);
    if (Col.Recset != Recset || !Col.SameCol(Rs.empty() ? Col : *Rs[0]->Columns->GetItem(0)))
      return false;
    Rs.push_back(R);
  }
  const TPelCol* C = Recset->FindCol(Rs[0]->Columns->GetItem(0)->Name);
  if (!C) return false;
  std::shared_ptr<const TPelCodedColumn> Codes = M.Columns().Codes(*Recset, M.R, C);
  if (!Codes || Codes->Codes.size() != static_cast<size_t>(Recset->RecCount())) return false;
  // What the group's evaluation makes of each code's value: the responses' matches joined by
  // "or", missing where no response finds a valid value, and a missing record never selected.
  TPelLut Sel{}, NotMis{};
  for (size_t B = 0; B < 256; ++B) {
    const double V = Codes->Value[B];
    bool S = false, Mi = true;
    for (const TGimResponse* R : Rs) {
      S = S || R->MatchesValue(V);
      Mi = Mi && !R->IsValidValue(V);
    }
    if (Root.IsNot()) S = !S;
    Sel[B] = S && !Mi;
    NotMis[B] = !Mi;
  }
  L.Sel = {Codes->Codes.data(), Luts.Add(Sel)};
  L.NotMis = {Codes->Codes.data(), Luts.Add(NotMis)};
  Held.push_back(std::move(Codes));
  return true;
}

const TElemLits& TTableCalc::Lits(TPelResElem* Ref) {
  TPelResElem* E = TPelResElem::ResolveRef(Ref);
  auto It = ElemCache.find(E);
  if (It != ElemCache.end()) return It->second;
  TElemLits L;
  if (ByteLits(E, L)) {
    L.Ok = true;
  } else if (std::shared_ptr<const TPelByteColumn> Mask = PelConditionMask(M, E)) {
    TPelLut Sel{}, NotMis{};
    for (size_t B = 0; B < 256; ++B) {
      Sel[B] = (B & kPelMaskSelected) != 0;
      NotMis[B] = (B & kPelMaskMissing) == 0;
    }
    L.Sel = {Mask->data(), Luts.Add(Sel)};
    L.NotMis = {Mask->data(), Luts.Add(NotMis)};
    Held.push_back(std::move(Mask));
    L.Ok = true;
  } else if (E->GetGroup()) {
    const size_t N = static_cast<size_t>(M.Buf().N);
    TPelRecsetsTGDynArr& S = E->GetSelectedArrays();
    TPelRecsetsTGDynArr& Mi = E->GetMissingArrays();
    const auto R = static_cast<size_t>(M.R);
    if (R < S.size() && R < Mi.size() && S[R].size() == N && Mi[R].size() == N) {
      L.Sel = {S[R].data(), Luts.MaskSet()};
      L.NotMis = {Mi[R].data(), Luts.MaskClear()};
      L.Ok = true;
    }
  }
  return ElemCache.emplace(E, L).first->second;
}

int TTableCalc::GroupFor(TGimResponse* Src) {
  auto It = GroupOf.find(Src);
  if (It != GroupOf.end()) return It->second;
  auto G = std::make_unique<TValueGroup>();
  TMerRecset* R = M.BasedOn->Recset;
  auto* PR = As<TPelRecset>(R);
  const TPelCol* C = nullptr;
  if (PR && Src->ColumnCount() == 1 && !Src->Is<TPelUserDefResponse>() &&
      Src->Columns->GetItem(0)->Recset == R)
    C = PR->FindCol(Src->Columns->GetItem(0)->Name);
  if (C) G->SharedCodes = M.Columns().Codes(*PR, M.R, C);
  if (C && !G->SharedCodes) G->Shared = M.Columns().Doubles(*PR, M.R, C);
  const auto Count = static_cast<size_t>(std::max(R->RecCount(), 0));
  if (G->SharedCodes && G->SharedCodes->Codes.size() == Count) {
    G->Bytes = G->SharedCodes->Codes.data();
    for (size_t B = 0; B < 256; ++B) {
      const double V = G->SharedCodes->Value[B];
      G->ByteValue[B] = Src->IsValidValue(V) ? V : GimValueNoData;
    }
  } else if (G->Shared && G->Shared->size() == Count && !Src->ValidCodes) {
    G->X = G->Shared->data();
  } else {
    Src->FillValues(G->Own, R);
    G->Own.resize(static_cast<size_t>(std::max(R->RecCount(), 0)), GimValueNoData);
    G->X = G->Own.data();
  }
  const int Id = static_cast<int>(Groups.size());
  Groups.push_back(std::move(G));
  GroupOf.emplace(Src, Id);
  return Id;
}

TTrip TTableCalc::Trip(
    bool LayerBase, bool WithMissing,
    std::initializer_list<const std::vector<std::pair<TPelResElem*, int>>*> Sels) {
  for (auto& S : Scratch) S.clear();
  if (!M.LayerAll) {
    Scratch[0].push_back(LayerBase ? LayerBaseLit : LayerLit);
    if (WithMissing && LayerMissingAny) Scratch[0].push_back(NotLayerMissingLit);
  }
  for (const auto* List : Sels)
    for (const auto& [E, Side] : *List) Scratch[1 + Side].push_back(Lits(E).Sel);
  if (WithMissing && Excl)
    for (const auto& [E, Side] : Ops.Applied) Scratch[1 + Side].push_back(Lits(E).NotMis);
  TTrip T;
  for (int A = 0; A < 3; ++A) T.K[A] = Keys[A].Intern(Scratch[A]);
  return T;
}

bool TTableCalc::Plan(TPelRes& Cell, TPlan& P) {
  if (PelResMedia().InvolvesCell(Cell) || HasGridElem(Cell) || Cell.Weight != M.WeightsFor())
    return false;
  const bool Est = Cell.UsesEstBase();
  Excl = Cell.ExcludesSysMis();
  if (Est && Excl) return false;
  Ops.Reset(Cell, Est);
  Cell.RunAxisSteps(Ops);
  if (Ops.Fallback) return false;
  for (const auto& [E, Side] : Ops.Applied)
    if (!Lits(E).Ok) return false;
  static const std::vector<std::pair<TPelResElem*, int>> None;
  P.Cell = &Cell;
  P.RowAll = Trip(/*LayerBase=*/false, /*WithMissing=*/false, {&Ops.Base[0]});
  P.Row = Trip(/*LayerBase=*/false, /*WithMissing=*/true, {&Ops.Base[0]});
  P.ColAll = Trip(/*LayerBase=*/false, /*WithMissing=*/false, {&Ops.Base[1]});
  P.Col = Trip(/*LayerBase=*/false, /*WithMissing=*/true, {&Ops.Base[1]});
  P.Cases = Trip(/*LayerBase=*/false, /*WithMissing=*/true, {&Ops.Base[0], &Ops.Base[1]});
  P.Kept = Trip(/*LayerBase=*/false, /*WithMissing=*/true, {&None});
  P.HasEst = Est;
  if (Est) P.Est = Trip(/*LayerBase=*/true, /*WithMissing=*/false, {&Ops.Est});
  if (Cell.Stat && Cell.Stat->IsSummary() && Cell.SummaryElem()) {
    TGimResponse* R = Cell.SummaryElem()->Response;
    P.Group = GroupFor(R->GetBaseResponse() ? R->GetBaseResponse() : R);
    P.RowKind = Cell.Stat->DependsOnAxis(0);
  }
  return true;
}

void TTableCalc::Run(std::span<TPelRes* const> Cells) {
  M.SharedMasks = true;
  TPelRes* First = nullptr;
  std::vector<TPelRes*> Live;
  for (TPelRes* C : Cells)
    if (C && C->BeginCalculation(&M)) Live.push_back(C);
  for (TPelRes* C : Live)
    if (!First) First = C;
  if (!First || M.R < 0) {
    for (TPelRes* C : Live) C->Calculate(&M), ++M.CellsOneByOne;
    return;
  }
  M.PrepareLayer(*First);
  TPelResBuffers& B = M.Buf();
  LayerLit = {B.LayerCases.data(), Luts.MaskSet()};
  LayerBaseLit = {B.LayerBaseCases.data(), Luts.MaskSet()};
  NotLayerMissingLit = {B.LayerMissing.data(), Luts.MaskClear()};
  LayerMissingAny =
      std::find(B.LayerMissing.begin(), B.LayerMissing.end(), 1) != B.LayerMissing.end();
  Plans.reserve(Live.size());
  for (TPelRes* C : Live) {
    TPlan P;
    if (Plan(*C, P))
      Plans.push_back(P);
    else
      OneByOne.push_back(C);
  }
  // Passes over the records, each for as many cells as its accumulators hold.
  size_t Begin = 0;
  while (Begin < Plans.size()) {
    std::vector<char> Seen[3];
    size_t Used[3] = {0, 0, 0};
    size_t End = Begin;
    for (int A = 0; A < 3; ++A) Seen[A].assign(static_cast<size_t>(Keys[A].Count()), 0);
    for (; End < Plans.size(); ++End) {
      const TPlan& P = Plans[End];
      size_t Add[3] = {0, 0, 0};
      for (const TTrip* T : {&P.RowAll, &P.Row, &P.ColAll, &P.Col, &P.Cases, &P.Kept, &P.Est})
        for (int A = 0; A < 3; ++A) Add[A] += !Seen[A][static_cast<size_t>(T->K[A])];
      if (End > Begin &&
          (Used[0] + Add[0]) * (Used[1] + Add[1]) * (Used[2] + Add[2]) > M.MaxCombinations)
        break;
      for (const TTrip* T : {&P.RowAll, &P.Row, &P.ColAll, &P.Col, &P.Cases, &P.Kept, &P.Est})
        for (int A = 0; A < 3; ++A) {
          char& S = Seen[A][static_cast<size_t>(T->K[A])];
          Used[A] += !S;
          S = 1;
        }
    }
    Pass(Begin, End);
    Begin = End;
  }
  for (TPelRes* C : OneByOne) {
    ++M.CellsOneByOne;
    C->Calculate(&M);
  }
}

void TTableCalc::NumberKeys(size_t First, size_t Last, TPassKeys& K) const {
  for (int A = 0; A < 3; ++A) K.Local[A].assign(static_cast<size_t>(Keys[A].Count()), -1);
  auto Use = [&](const TTrip& T) {
    for (int A = 0; A < 3; ++A) {
      int& L = K.Local[A][static_cast<size_t>(T.K[A])];
      if (L < 0) {
        L = static_cast<int>(K.Global[A].size());
        K.Global[A].push_back(T.K[A]);
      }
    }
  };
  for (int A = 0; A < 3; ++A) {
    K.GLocal[A].assign(Groups.size(), {});
    K.GCount[A].assign(Groups.size(), 0);
  }
  for (size_t I = First; I < Last; ++I) {
    const TPlan& P = Plans[I];
    for (const TTrip* T : {&P.RowAll, &P.Row, &P.ColAll, &P.Col, &P.Cases, &P.Kept}) Use(*T);
    if (P.HasEst) Use(P.Est);
    if (P.Group < 0) continue;
    const auto G = static_cast<size_t>(P.Group);
    if (K.GLocal[0][G].empty()) {
      K.GroupsUsed.push_back(P.Group);
      for (int A = 0; A < 3; ++A) K.GLocal[A][G].assign(static_cast<size_t>(Keys[A].Count()), -1);
    }
    for (const TTrip* T : {&P.Row, &P.Col})
      for (int A = 0; A < 3; ++A) {
        int& L = K.GLocal[A][G][static_cast<size_t>(T->K[A])];
        if (L < 0) L = K.GCount[A][G]++;
      }
  }
}

// The bytes of one array that step a record's bin, each by its offset.
struct TBinRead {
  const uint8_t* Arr;
  std::array<uint32_t, 256> Off;
};

// Every record's count and weight into its bin: the sum of its reads' offsets.
template <size_t NReads>
void CountReads(const std::vector<TBinRead>& Reads, size_t N, const double* W, TAcc* H) {
  std::array<TBinRead, NReads> R;
  std::copy_n(Reads.begin(), NReads, R.begin());
  for (size_t I = 0; I < N; ++I) {
    size_t Bin = 0;
    for (const TBinRead& X : R) Bin += X.Off[X.Arr[I]];
    ++H[Bin].A;
    H[Bin].W += W[I];
  }
}

void CountAnyReads(const std::vector<TBinRead>& Reads, size_t N, const double* W, TAcc* H) {
  for (size_t I = 0; I < N; ++I) {
    size_t Bin = 0;
    for (const TBinRead& X : Reads) Bin += X.Off[X.Arr[I]];
    ++H[Bin].A;
    H[Bin].W += W[I];
  }
}

void TTableCalc::CountIntoBins(const TPassKeys& K, const std::vector<TPelKeyMatcher::TPart>& Parts,
                               const std::vector<size_t>& Stride,
                               const std::vector<TValuePart>& Values, size_t ValueBins,
                               std::vector<TAcc>& H,
                               std::vector<std::vector<TValueAcc>>& VH) const {
  // The parts with an array, with their byte tables scaled by their strides.
  std::vector<TBinRead> Reads;
  for (size_t P = 0; P < Parts.size(); ++P) {
    if (!Parts[P].Arr) continue;
    TBinRead R{Parts[P].Arr, {}};
    for (size_t B = 0; B < 256; ++B)
      R.Off[B] = static_cast<uint32_t>(static_cast<size_t>(Parts[P].SetOf[B]) * Stride[P]);
    Reads.push_back(R);
  }
  const size_t KeyReads = Reads.size();
  for (const TValuePart& V : Values) {
    TBinRead R{V.Arr, {}};
    for (size_t B = 0; B < 256; ++B) R.Off[B] = static_cast<uint32_t>(V.ClassOf[B] * V.Stride);
    Reads.push_back(R);
  }
  const double* W = M.Weights();
  const auto N = static_cast<size_t>(M.Buf().N);
  // With value codes among the reads the bins are the key bins once per combination of codes.
  std::vector<TAcc> Full;
  if (!Values.empty()) Full.resize(H.size() * ValueBins);
  TAcc* Out = Values.empty() ? H.data() : Full.data();
  switch (Reads.size()) {
    case 1:
      CountReads<1>(Reads, N, W, Out);
      break;
    case 2:
      CountReads<2>(Reads, N, W, Out);
      break;
    case 3:
      CountReads<3>(Reads, N, W, Out);
      break;
    case 4:
      CountReads<4>(Reads, N, W, Out);
      break;
    default:
      CountAnyReads(Reads, N, W, Out);
  }
  for (int G : K.GroupsUsed) VH[static_cast<size_t>(G)].resize(H.size());
  if (!Values.empty()) {
    // Each key bin's count and weight over all codes; each value group's sums over the codes
    // with a value.
    std::vector<uint32_t> Class(Values.size());
    for (size_t V = 0; V < ValueBins; ++V) {
      for (size_t J = 0; J < Values.size(); ++J)
        Class[J] = static_cast<uint32_t>((V * H.size() / Values[J].Stride) % Values[J].Classes());
      const TAcc* Row = &Full[V * H.size()];
      for (size_t Bin = 0; Bin < H.size(); ++Bin) {
        const TAcc& X = Row[Bin];
        if (X.A == 0) continue;
        H[Bin].A += X.A;
        H[Bin].W += X.W;
        for (size_t J = 0; J < Values.size(); ++J) {
          if (Class[J] == 0) continue;
          const double Value = Values[J].Value[Class[J]];
          TValueAcc& Y = VH[static_cast<size_t>(Values[J].Group)][Bin];
          Y.A += X.A;
          Y.W += X.W;
          Y.S += Value * X.W;
          Y.Q += Value * Value * X.W;
        }
      }
    }
  }
  // The values of other columns, record by record.
  auto BinOf = [&Reads, KeyReads](size_t I) {
    size_t Bin = 0;
    for (size_t J = 0; J < KeyReads; ++J) Bin += Reads[J].Off[Reads[J].Arr[I]];
    return Bin;
  };
  for (int G : K.GroupsUsed) {
    if (std::any_of(Values.begin(), Values.end(),
                    [G](const TValuePart& V) { return V.Group == G; }))
      continue;
    std::vector<TValueAcc>& V = VH[static_cast<size_t>(G)];
    const TValueGroup& Gr = *Groups[static_cast<size_t>(G)];
    for (size_t I = 0; I < N; ++I) {
      const double X = Gr.Value(I);
      if (X == GimValueNoData) continue;
      TValueAcc& Y = V[BinOf(I)];
      const double Wi = W[I];
      ++Y.A;
      Y.W += Wi;
      Y.S += X * Wi;
      Y.Q += X * X * Wi;
    }
  }
}

void TTableCalc::SpreadBins(const TPassKeys& K, const TPelKeyMatcher (&Match)[3],
                            const std::vector<TPelKeyMatcher::TPart>& Parts,
                            const std::vector<int>& AxisOf, const std::vector<size_t>& Stride,
                            const std::vector<TAcc>& H,
                            const std::vector<std::vector<TValueAcc>>& VH, TPassSums& Sums) const {
  // The keys of each axis in a bin: those whose every literal passes.
  std::vector<int> Met[3], Hits[3];
  for (int A = 0; A < 3; ++A) Hits[A].assign(static_cast<size_t>(Match[A].Count()), 0);
  auto SetOf = [&](size_t P, size_t Bin) -> const std::vector<int>& {
    return Parts[P].Sets[(Bin / Stride[P]) % Parts[P].Sets.size()];
  };
  for (size_t Bin = 0; Bin < H.size(); ++Bin) {
    bool Any = H[Bin].A != 0;
    for (int G : K.GroupsUsed) Any = Any || VH[static_cast<size_t>(G)][Bin].A != 0;
    if (!Any) continue;
    for (int A = 0; A < 3; ++A) Met[A] = Match[A].Always();
    for (size_t P = 0; P < Parts.size(); ++P) {
      const int A = AxisOf[P];
      for (int Key : SetOf(P, Bin))
        if (++Hits[A][static_cast<size_t>(Key)] == Match[A].Literals(Key)) Met[A].push_back(Key);
    }
    for (size_t P = 0; P < Parts.size(); ++P)
      for (int Key : SetOf(P, Bin)) Hits[AxisOf[P]][static_cast<size_t>(Key)] = 0;
    if (H[Bin].A != 0)
      for (int L : Met[0])
        for (int R : Met[1])
          for (int C : Met[2]) {
            TAcc& X =
                Sums.Acc.At(static_cast<size_t>(L), static_cast<size_t>(R), static_cast<size_t>(C));
            X.A += H[Bin].A;
            X.W += H[Bin].W;
          }
    for (int G : K.GroupsUsed) {
      const auto Gs = static_cast<size_t>(G);
      const TValueAcc& Y = VH[Gs][Bin];
      if (Y.A == 0) continue;
      for (int L : Met[0])
        for (int R : Met[1])
          for (int C : Met[2]) {
            const int Gl = K.GroupKey(0, Gs, L), Gr = K.GroupKey(1, Gs, R),
                      Gc = K.GroupKey(2, Gs, C);
            if (Gl < 0 || Gr < 0 || Gc < 0) continue;
            TValueAcc& Z = Sums.VAcc[Gs].At(static_cast<size_t>(Gl), static_cast<size_t>(Gr),
                                            static_cast<size_t>(Gc));
            Z.A += Y.A;
            Z.W += Y.W;
            Z.S += Y.S;
            Z.Q += Y.Q;
          }
    }
  }
}

void TTableCalc::MatchRecords(const TPassKeys& K, const TPelKeyMatcher (&Match)[3],
                              TPassSums& Sums) const {
  const size_t NL = K.Count(0), NR = K.Count(1), NC = K.Count(2);
  std::vector<int> ML(NL + 1), MR(NR + 1), MC(NC + 1), VL(NL + 1), VR(NR + 1), VC(NC + 1);
  const double* W = M.Weights();
  const auto N = static_cast<size_t>(M.Buf().N);
  // The keys of a value group among the keys a record meets on axis A.
  auto Keep = [&K](int A, size_t G, const std::vector<int>& Met, int Count, std::vector<int>& Out) {
    int Kept = 0;
    for (int J = 0; J < Count; ++J)
      if (const int L = K.GroupKey(A, G, Met[static_cast<size_t>(J)]); L >= 0)
        Out[static_cast<size_t>(Kept++)] = L;
    return Kept;
  };
  for (size_t I = 0; I < N; ++I) {
    const int nl = Match[0].Match(I, ML.data());
    if (!nl) continue;
    const int nr = Match[1].Match(I, MR.data());
    if (!nr) continue;
    const int nc = Match[2].Match(I, MC.data());
    if (!nc) continue;
    const double Wi = W[I];
    for (int L = 0; L < nl; ++L)
      for (int R = 0; R < nr; ++R) {
        TAcc* Line = Sums.Acc.Line(static_cast<size_t>(ML[static_cast<size_t>(L)]),
                                   static_cast<size_t>(MR[static_cast<size_t>(R)]));
        for (int C = 0; C < nc; ++C) {
          TAcc& X = Line[MC[static_cast<size_t>(C)]];
          ++X.A;
          X.W += Wi;
        }
      }
    for (int G : K.GroupsUsed) {
      const double X = Groups[static_cast<size_t>(G)]->Value(I);
      if (X == GimValueNoData) continue;
      const auto Gs = static_cast<size_t>(G);
      const int vl = Keep(0, Gs, ML, nl, VL), vr = Keep(1, Gs, MR, nr, VR),
                vc = Keep(2, Gs, MC, nc, VC);
      for (int L = 0; L < vl; ++L)
        for (int R = 0; R < vr; ++R) {
          TValueAcc* Line = Sums.VAcc[Gs].Line(static_cast<size_t>(VL[static_cast<size_t>(L)]),
                                               static_cast<size_t>(VR[static_cast<size_t>(R)]));
          for (int C = 0; C < vc; ++C) {
            TValueAcc& V = Line[VC[static_cast<size_t>(C)]];
            ++V.A;
            V.W += Wi;
            V.S += X * Wi;
            V.Q += X * X * Wi;
          }
        }
    }
  }
}

void TTableCalc::ReadOffCells(size_t First, size_t Last, const TPassKeys& K,
                              const TPassSums& Sums) {
  auto At = [&](const TTrip& T) -> const TAcc& {
    return Sums.Acc.At(static_cast<size_t>(K.Local[0][static_cast<size_t>(T.K[0])]),
                       static_cast<size_t>(K.Local[1][static_cast<size_t>(T.K[1])]),
                       static_cast<size_t>(K.Local[2][static_cast<size_t>(T.K[2])]));
  };
  auto VAt = [&](size_t G, const TTrip& T) -> const TValueAcc& {
    return Sums.VAcc[G].At(static_cast<size_t>(K.GLocal[0][G][static_cast<size_t>(T.K[0])]),
                           static_cast<size_t>(K.GLocal[1][G][static_cast<size_t>(T.K[1])]),
                           static_cast<size_t>(K.GLocal[2][G][static_cast<size_t>(T.K[2])]));
  };
  const double LCount = M.LayerCount[static_cast<size_t>(M.R)];
  const double LSum = M.LayerSum[static_cast<size_t>(M.R)];
  for (size_t I = First; I < Last; ++I) {
    const TPlan& P = Plans[I];
    TPelCellSums S;
    S.RowBaseAllA = At(P.RowAll).A;
    S.RowBaseA = At(P.Row).A;
    S.RowBaseW = At(P.Row).W;
    S.ColBaseAllA = At(P.ColAll).A;
    S.ColBaseA = At(P.Col).A;
    S.ColBaseW = At(P.Col).W;
    S.CellA = At(P.Cases).A;
    S.CellW = At(P.Cases).W;
    S.LayerKeptA = At(P.Kept).A;
    S.LayerKeptW = At(P.Kept).W;
    S.LayerMissA = static_cast<int64_t>(LCount) - S.LayerKeptA;
    S.LayerMissW = S.LayerMissA > 0 ? LSum - S.LayerKeptW : 0;
    if (P.HasEst) {
      S.EstA = At(P.Est).A;
      S.EstW = At(P.Est).W;
    }
    if (P.Group >= 0) {
      const auto G = static_cast<size_t>(P.Group);
      const TValueAcc& Own = VAt(G, P.RowKind ? P.Row : P.Col);
      S.PresentA = Own.A;
      S.PresentW = Own.W;
      S.S = Own.S;
      S.Q = Own.Q;
      S.T = VAt(G, P.RowKind ? P.Col : P.Row).S;
    }
    TPelRes& C = *P.Cell;
    C.ComputeFromSums(S, 0, 0, P.Group >= 0, C.NotDefinedIfNoValue());
    C.FinalValue();
  }
}

void TTableCalc::Pass(size_t First, size_t Last) {
  TPassKeys K;
  NumberKeys(First, Last, K);
  const TPelKeyMatcher Match[3] = {TPelKeyMatcher(Keys[0], Luts, K.Global[0]),
                                   TPelKeyMatcher(Keys[1], Luts, K.Global[1]),
                                   TPelKeyMatcher(Keys[2], Luts, K.Global[2])};
  TPassSums Sums;
  Sums.Acc.Size(K.Count(0), K.Count(1), K.Count(2));
  Sums.VAcc.resize(Groups.size());
  for (int G : K.GroupsUsed) {
    const auto Gs = static_cast<size_t>(G);
    Sums.VAcc[Gs].Size(static_cast<size_t>(K.GCount[0][Gs]), static_cast<size_t>(K.GCount[1][Gs]),
                       static_cast<size_t>(K.GCount[2][Gs]));
  }
  // The parts of every axis whose bytes decide the keys a record meets.
  std::vector<TPelKeyMatcher::TPart> Parts;
  std::vector<int> AxisOf;
  double Bins = 1;
  for (int A = 0; A < 3; ++A) {
    const size_t Before = Parts.size();
    Match[A].ByByte(Parts);
    AxisOf.resize(Parts.size(), A);
    for (size_t P = Before; P < Parts.size(); ++P)
      Bins *= static_cast<double>(Parts[P].Sets.size());
  }
  // Counting into bins pays for clearing and scanning every bin: it is taken only when they
  // are not many more than the records (a small survey with wide axes matches its records key
  // by key instead).
  const auto N = static_cast<double>(M.Buf().N);
  const double BinsWorthIt = std::max(65536.0, 2.0 * N);
  if (Bins <= static_cast<double>(M.MaxCombinations) && Bins <= BinsWorthIt) {
    std::vector<size_t> Stride(Parts.size());
    size_t S = 1;
    for (size_t P = Parts.size(); P-- > 0;) {
      Stride[P] = S;
      S *= Parts[P].Sets.size();
    }
    // The value groups of columns of codes whose codes the bins can take in too.
    std::vector<TValuePart> Values;
    size_t ValueBins = 1;
    for (int G : K.GroupsUsed) {
      const TValueGroup& Gr = *Groups[static_cast<size_t>(G)];
      if (!Gr.Bytes) continue;
      TValuePart V;
      V.Group = G;
      V.Arr = Gr.Bytes;
      for (size_t B = 0; B < 256; ++B)
        if (Gr.ByteValue[B] != GimValueNoData) {
          V.ClassOf[B] = static_cast<uint32_t>(V.Value.size());
          V.Value.push_back(Gr.ByteValue[B]);
        }
      const double All = Bins * static_cast<double>(ValueBins * V.Classes());
      if (All > static_cast<double>(M.MaxCombinations) || All > BinsWorthIt) continue;
      V.Stride = S * ValueBins;
      ValueBins *= V.Classes();
      Values.push_back(V);
    }
    std::vector<TAcc> H(static_cast<size_t>(Bins));
    std::vector<std::vector<TValueAcc>> VH(Groups.size());
    CountIntoBins(K, Parts, Stride, Values, ValueBins, H, VH);
    SpreadBins(K, Match, Parts, AxisOf, Stride, H, VH, Sums);
  } else {
    MatchRecords(K, Match, Sums);
  }
  ReadOffCells(First, Last, K, Sums);
}

}  // namespace

void TPelResManager::CalculateTable(std::span<TPelRes* const> Cells) {
  TTableCalc Calc(*this);
  Calc.Run(Cells);
}

}  // namespace quin
