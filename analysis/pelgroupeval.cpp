// Evaluating a target group per record: three-valued (selected, missing) flags, one byte per
// record, combined child by child in linear passes over reused buffers; nothing is allocated per
// record.
#include <algorithm>
#include <cmath>
#include <set>

#include "analysis/pelgroup.h"
#include "analysis/pelsurvey.h"
#include "surveykit/gimquestions.h"

namespace quin {

void TPelGroup::TWork::Level(size_t L, size_t N) {
  if (S.size() <= L) {
    S.resize(L + 1);
    M.resize(L + 1);
  }
  if (S[L].size() != N) {
    S[L].assign(N, 0);
    M[L].assign(N, 0);
  }
}

namespace {

// Combines the accumulated (S, M) with a further child's (s, m) record by record: Rule maps
// (S, M, s, m) to the new (S, M), all flags 0 or 1.
template <class TRule>
void CombineChild(TPelFlags& S, TPelFlags& M, const TPelFlags& s, const TPelFlags& m, TRule Rule) {
  const size_t N = S.size();
  uint8_t* SP = S.data();
  uint8_t* MP = M.data();
  const uint8_t* sp = s.data();
  const uint8_t* mp = m.data();
  for (size_t I = 0; I < N; ++I) Rule(SP[I], MP[I], sp[I], mp[I]);
}

// "and": False and unknown is False.
void AndRule(uint8_t& A, uint8_t& AM, uint8_t B, uint8_t BM) {
  const uint8_t ValidFalse = ((AM ^ 1) & (A ^ 1)) | ((BM ^ 1) & (B ^ 1));
  A = A & B & (AM ^ 1) & (BM ^ 1);
  AM = (AM | BM) & (ValidFalse ^ 1);
}

// "or": True or unknown is True.
void OrRule(uint8_t& A, uint8_t& AM, uint8_t B, uint8_t BM) {
  A = (A & (AM ^ 1)) | (B & (BM ^ 1));
  AM = (AM | BM) & (A ^ 1);
}

// A first child (or any child of "not"): a condition keeps its result only where it is
// defined; "not" inverts a condition where it is defined, and a node everywhere.
void TakeFirst(TPelFlags& S, const TPelFlags& M, bool IsVar, bool Not) {
  const size_t N = S.size();
  uint8_t* SP = S.data();
  const uint8_t* MP = M.data();
  if (IsVar && Not) {
    for (size_t I = 0; I < N; ++I) SP[I] = (SP[I] ^ 1) & (MP[I] ^ 1);
  } else if (IsVar) {
    for (size_t I = 0; I < N; ++I) SP[I] &= MP[I] ^ 1;
  } else if (Not) {
    for (size_t I = 0; I < N; ++I) SP[I] ^= 1;
  }
}

// The records of Wave in Recset: its data file's range; False for a wave without a data file
// in that record set.
bool WaveRange(const TGimWave* Wave, const TMerRecset* Recset, int N, int& First, int& Last) {
  const auto* R = As<TPelRecset>(Recset);
  if (!R || !Wave) return false;
  const int F = Wave->Number - 1;
  if (F < 0 || F >= R->FileCount() || static_cast<size_t>(F) >= R->FileRanges.size()) return false;
  First = std::max(R->FileRanges[F].First, 0);
  Last = std::min(R->FileRanges[F].Last, N - 1);
  return First <= Last;
}

// The waves of List, each once, in order.
std::vector<const TGimWave*> DistinctWaves(const TGimWaveList* List) {
  std::vector<const TGimWave*> R;
  std::set<const TGimWave*> Seen;
  for (int I = 0; List && I < List->Count(); ++I)
    if (const TGimWave* W = List->GetItem(I); W && Seen.insert(W).second) R.push_back(W);
  return R;
}

}  // namespace

void TPelGroup::EvalObject(const TPelGroupObject& Obj, size_t Level, TPelFlags& S, TPelFlags& M,
                           TMerRecset* Recset) {
  const size_t N = S.size();
  if (const auto* V = As<TPelGroupVar>(&Obj)) {
    if (!V->Question) {
      std::fill(S.begin(), S.end(), 0);
      std::fill(M.begin(), M.end(), 1);
      return;
    }
    std::unique_ptr<TMerResponseList> List = V->Values.CreateResponseList();
    std::vector<TGimResponse*> Responses;
    for (int I = 0; I < List->Count(); ++I)
      if (TGimResponse* R = List->GetItem(I)) Responses.push_back(R);
    V->Question->EvaluateResponses(Responses, S, M, Recset);
    // The question answers for its record set; a size that differs cannot be combined.
    if (S.size() != N || M.size() != N) {
      S.assign(N, 0);
      M.assign(N, 1);
    }
    return;
  }
  const auto& Node = static_cast<const TPelGroupNode&>(Obj);
  if (Node.ChildCount() == 0) {
    std::fill(S.begin(), S.end(), 0);
    std::fill(M.begin(), M.end(), 0);
    return;
  }
  for (int I = 0; I < Node.ChildCount(); ++I) {
    const TPelGroupObject& C = *Node.Child(I);
    if (I == 0 || Node.IsNot()) {
      // A first child, and every child of "not", replaces what was accumulated.
      EvalObject(C, Level + 1, S, M, Recset);
      TakeFirst(S, M, C.IsVar(), Node.IsNot());
      continue;
    }
    FWork->Level(Level, N);
    TPelFlags& s = FWork->S[Level];
    TPelFlags& m = FWork->M[Level];
    EvalObject(C, Level + 1, s, m, Recset);
    if (Node.IsOr())
      CombineChild(S, M, s, m, OrRule);
    else
      CombineChild(S, M, s, m, AndRule);
  }
}

int TPelGroup::Evaluate(const TGimWaveList* WaveList, const TGimWeight* Weight,
                        TMerRecset* Recset) {
  const int N = Recset ? std::max(Recset->RecCount(), 0) : 0;
  SetSize(N);
  if (!FWork) FWork = std::make_unique<TWork>();
  std::vector<double>& W = FWork->Weights;
  if (Survey && Survey->Weights) {
    Survey->Weights->PrepareWeights(Weight, Recset);
    const std::vector<double>& Prepared = Survey->Weights->WeightValues();
    W.assign(Prepared.begin(), Prepared.end());
  }
  W.resize(static_cast<size_t>(N), Survey && Survey->Weights ? 0.0 : 1.0);
  const std::vector<const TGimWave*> Waves = DistinctWaves(WaveList);
  if (Root) {
    EvalObject(*Root, 0, Selected, Missing, Recset);
  } else {
    std::fill(Selected.begin(), Selected.end(), 0);
    std::fill(Missing.begin(), Missing.end(), 0);
    int First = 0, Last = -1;
    for (const TGimWave* Wave : Waves)
      if (WaveRange(Wave, Recset, N, First, Last))
        std::fill(Selected.begin() + First, Selected.begin() + Last + 1, 1);
  }
  CaseCount = SelectedCount = MissingCount = 0;
  WeightedCases = WeightedSelected = WeightedMissing = 0;
  uint8_t* SP = Selected.data();
  const uint8_t* MP = Missing.data();
  const double* WP = W.data();
  for (const TGimWave* Wave : Waves) {
    int First = 0, Last = -1;
    if (!WaveRange(Wave, Recset, N, First, Last)) continue;
    // Branch-free: a missing record is deselected and weighs in the missing counts only.
    long long Sel = 0, Mis = 0;
    double WC = 0, WS = 0, WMis = 0;
    for (int I = First; I <= Last; ++I) {
      const uint8_t Mi = MP[I];
      const uint8_t Se = SP[I] & static_cast<uint8_t>(Mi ^ 1);
      SP[I] = Se;
      Mis += Mi;
      Sel += Se;
      WC += WP[I];
      WMis += Mi * WP[I];
      WS += Se * WP[I];
    }
    const long long Cases = Last - First + 1;
    CaseCount += static_cast<double>(Cases);
    SelectedCount += static_cast<double>(Sel);
    MissingCount += static_cast<double>(Mis);
    WeightedCases += WC;
    WeightedSelected += WS;
    WeightedMissing += WMis;
  }
  Calculated = true;
  return static_cast<int>(std::lround(SelectedCount));
}

void TPelGroup::SetSize(int N) {
  const size_t Size = static_cast<size_t>(std::max(N, 0));
  if (Selected.size() != Size) Selected.assign(Size, 0);
  if (Missing.size() != Size) Missing.assign(Size, 0);
  FlagCount = static_cast<int>(Size);
}

void TPelGroup::TakeFlags(TPelFlags& ASelected, TPelFlags& AMissing) {
  ASelected = std::move(Selected);
  AMissing = std::move(Missing);
  Selected = TPelFlags();
  Missing = TPelFlags();
  FlagCount = 0;
}

void TPelGroup::ReleaseFlags() {
  Selected = TPelFlags();
  Missing = TPelFlags();
  FlagCount = 0;
  FWork.reset();
}

}  // namespace quin
