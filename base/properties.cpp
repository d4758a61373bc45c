#include "base/properties.h"

#include "base/text.h"

namespace quin {

const TPropInfo* TPropTable::FindOwn(std::string_view Name) const {
  for (const TPropInfo& P : FProps)
    if (SameText(P.Name, Name)) return &P;
  return nullptr;
}

const TPropInfo* FindProperty(const ClassInfo& C, std::string_view Name) {
  for (const ClassInfo* K = &C; K; K = K->Parent)
    if (K->Props)
      if (const TPropInfo* P = K->Props()->FindOwn(Name)) return P;
  return nullptr;
}

std::vector<const TPropInfo*> AllProperties(const ClassInfo& C) {
  std::vector<const ClassInfo*> Chain;
  for (const ClassInfo* K = &C; K; K = K->Parent) Chain.push_back(K);
  std::vector<const TPropInfo*> R;
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It)
    if ((*It)->Props)
      for (const TPropInfo& P : (*It)->Props()->Props()) R.push_back(&P);
  return R;
}

int FindEnumName(const std::vector<std::string>& Names, std::string_view Name) {
  for (size_t I = 0; I < Names.size(); ++I)
    if (SameText(Names[I], Name)) return static_cast<int>(I);
  return -1;
}

std::string PropSetToText(uint64_t Bits, const std::vector<std::string>& Names) {
  std::string R;
  for (size_t I = 0; I < Names.size() && I < 64; ++I)
    if ((Bits >> I) & 1u) {
      if (!R.empty()) R += ',';
      R += Names[I];
    }
  return R;
}

bool PropTextToSet(std::string_view Text, const std::vector<std::string>& Names, uint64_t& Bits) {
  uint64_t R = 0;
  size_t I = 0;
  while (I <= Text.size()) {
    size_t J = Text.find(',', I);
    if (J == std::string_view::npos) J = Text.size();
    std::string_view Item = Text.substr(I, J - I);
    while (!Item.empty() && (Item.front() == ' ' || Item.front() == '[')) Item.remove_prefix(1);
    while (!Item.empty() && (Item.back() == ' ' || Item.back() == ']')) Item.remove_suffix(1);
    if (!Item.empty()) {
      const int K = FindEnumName(Names, Item);
      if (K < 0 || K >= 64) return false;
      R |= uint64_t(1) << K;
    }
    I = J + 1;
  }
  Bits = R;
  return true;
}

}  // namespace quin
