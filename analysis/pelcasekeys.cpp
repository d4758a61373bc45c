#include "analysis/pelcasekeys.h"

#include <algorithm>

namespace quin {

uint32_t TPelLutTable::Add(const TPelLut& Lut) {
  auto It = FIndex.find(Lut);
  if (It != FIndex.end()) return It->second;
  const auto Id = static_cast<uint32_t>(FLuts.size());
  FLuts.push_back(Lut);
  FIndex.emplace(Lut, Id);
  return Id;
}

uint32_t TPelLutTable::And(uint32_t A, uint32_t B) {
  TPelLut L;
  for (int I = 0; I < 256; ++I) L[I] = FLuts[A][I] && FLuts[B][I];
  return Add(L);
}

uint32_t TPelLutTable::MaskSet() {
  TPelLut L{};
  for (int I = 1; I < 256; ++I) L[I] = 1;
  return Add(L);
}

uint32_t TPelLutTable::MaskClear() {
  TPelLut L{};
  L[0] = 1;
  return Add(L);
}

size_t TPelKeyTable::THash::operator()(const std::vector<TPelLit>& Lits) const {
  size_t H = Lits.size();
  for (const TPelLit& L : Lits) {
    H = H * 0x9E3779B97F4A7C15ull + reinterpret_cast<uintptr_t>(L.Arr);
    H = H * 0x9E3779B97F4A7C15ull + L.Lut;
  }
  return H ^ (H >> 29);
}

TPelKeyTable::TPelKeyTable(TPelLutTable& Luts) : FLuts(Luts) {
  FKeys.emplace_back();
  FIndex.emplace(std::vector<TPelLit>(), 0);
}

int TPelKeyTable::Intern(std::vector<TPelLit>& Lits) {
  std::sort(Lits.begin(), Lits.end());
  // One literal per array: the tables of one array are joined.
  size_t Out = 0;
  for (size_t I = 0; I < Lits.size(); ++I) {
    if (Out > 0 && Lits[Out - 1].Arr == Lits[I].Arr)
      Lits[Out - 1].Lut = FLuts.And(Lits[Out - 1].Lut, Lits[I].Lut);
    else
      Lits[Out++] = Lits[I];
  }
  Lits.resize(Out);
  auto It = FIndex.find(Lits);
  if (It != FIndex.end()) return It->second;
  const int Id = static_cast<int>(FKeys.size());
  FKeys.push_back(Lits);
  FIndex.emplace(Lits, Id);
  return Id;
}

TPelKeyMatcher::TPelKeyMatcher(const TPelKeyTable& Keys, const TPelLutTable& Luts,
                               const std::vector<int>& GlobalKeys)
    : FCount(static_cast<int>(GlobalKeys.size())) {
  std::map<const uint8_t*, size_t> ArrIndex;
  for (size_t K = 0; K < GlobalKeys.size(); ++K) {
    const std::vector<TPelLit>& Lits = Keys.Lits(GlobalKeys[K]);
    FLitCount.push_back(static_cast<int>(Lits.size()));
    for (const TPelLit& L : Lits) {
      auto [It, New] = ArrIndex.emplace(L.Arr, FByArr.size());
      if (New) FByArr.push_back({L.Arr, {}});
      FByArr[It->second].second.emplace_back(static_cast<int>(K), &Luts[L.Lut]);
    }
  }
  // The array most keys share leads each key.
  std::map<const uint8_t*, int> Uses;
  for (int G : GlobalKeys)
    for (const TPelLit& L : Keys.Lits(G)) ++Uses[L.Arr];
  std::map<const uint8_t*, size_t> LeadOf;
  std::vector<std::vector<std::pair<int, TPelLit>>> ByLead;  // per lead: (local key, literal)
  std::vector<std::vector<TPelLit>> Rests(GlobalKeys.size());
  for (size_t K = 0; K < GlobalKeys.size(); ++K) {
    const std::vector<TPelLit>& Lits = Keys.Lits(GlobalKeys[K]);
    if (Lits.empty()) {
      FAlways.push_back(static_cast<int>(K));
      continue;
    }
    size_t Best = 0;
    for (size_t J = 1; J < Lits.size(); ++J)
      if (Uses[Lits[J].Arr] > Uses[Lits[Best].Arr]) Best = J;
    auto [It, New] = LeadOf.emplace(Lits[Best].Arr, ByLead.size());
    if (New) ByLead.emplace_back();
    ByLead[It->second].push_back({static_cast<int>(K), Lits[Best]});
    for (size_t J = 0; J < Lits.size(); ++J)
      if (J != Best) Rests[K].push_back(Lits[J]);
  }
  for (auto& Group : ByLead) {
    TLead L;
    L.Arr = Group.front().second.Arr;
    // Candidates by byte in two passes (count, then place): no list per byte.
    std::array<uint32_t, 257> Fill{};
    for (const auto& [K, Lit] : Group)
      for (int B = 0; B < 256; ++B)
        if (Luts[Lit.Lut][B]) ++Fill[static_cast<size_t>(B) + 1];
    for (int B = 0; B < 256; ++B) Fill[B + 1] += Fill[B];
    std::copy(Fill.begin(), Fill.end(), L.Off.begin());
    L.Cands.resize(Fill[256]);
    for (const auto& [K, Lit] : Group) {
      const TCand C{K, static_cast<uint32_t>(FRest.size()),
                    static_cast<uint32_t>(FRest.size() + Rests[K].size())};
      for (const TPelLit& R : Rests[K]) FRest.push_back({R.Arr, &Luts[R.Lut]});
      for (int B = 0; B < 256; ++B)
        if (Luts[Lit.Lut][B]) L.Cands[Fill[B]++] = C;
    }
    FLeads.push_back(std::move(L));
  }
}

void TPelKeyMatcher::ByByte(std::vector<TPart>& Parts) const {
  for (const auto& [Arr, Lits] : FByArr) {
    TPart P;
    P.Arr = Arr;
    std::map<std::vector<int>, int> Index;
    std::vector<int> Set;  // reused: a set is copied only when it is new
    Set.reserve(Lits.size());
    for (int B = 0; B < 256; ++B) {
      Set.clear();
      for (const auto& [Key, Lut] : Lits)
        if ((*Lut)[static_cast<size_t>(B)]) Set.push_back(Key);
      auto It = Index.find(Set);
      if (It == Index.end()) {
        It = Index.emplace(Set, static_cast<int>(P.Sets.size())).first;
        P.Sets.push_back(Set);
      }
      P.SetOf[static_cast<size_t>(B)] = It->second;
    }
    Parts.push_back(std::move(P));
  }
}

}  // namespace quin
