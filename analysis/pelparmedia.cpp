#include "analysis/pelparmedia.h"

#include "base/langmanager.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelParDefMedia, TPelParMulti)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelParDefMediaInds, TPelParMulti)

std::string TPelParDefMedia::SubTotalLabel() {
  return CurrentLangManager().Translate(Cp1250("<PLK>Podsumowanie<ENU>Sub-total"));
}

TPelResElem* TPelParDefMedia::CreateResElemAt(TPelPos Pos, bool Selectable, bool Means,
                                              bool Detail) {
  if (!SubTotal) return TPelParMulti::CreateResElemAt(Pos, Selectable, Means, Detail);
  if (Pos.X == 0) return CreateAllItemsElem();
  --Pos.X;
  return TPelParMulti::CreateResElemAt(Pos, Selectable, Means, Detail);
}

TPelResElem* TPelParDefMedia::CreateResElem(int Index) {
  if (!SubTotal) return TPelParMulti::CreateResElem(Index);
  return Index == 0 ? CreateAllItemsElem() : TPelParMulti::CreateResElem(Index - 1);
}

TPelDims TPelParDefMedia::GetDims(bool Selectable, bool Means, bool Detail) {
  TPelDims D = TPelParMulti::GetDims(Selectable, Means, Detail);
  if (SubTotal) {
    ++D.X;
    if (D.Y == 0) D.Y = 1;
  }
  return D;
}

int TPelParDefMedia::GetItemCount() { return TPelParMulti::GetItemCount() + (SubTotal ? 1 : 0); }

std::string TPelParDefMedia::GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                        bool LabelSwitch, bool ShowCodes) {
  if (!SubTotal)
    return TPelParMulti::GetLabelAt(Pos, Selectable, Means, Detail, LabelSwitch, ShowCodes);
  if (Pos.X == 0) return SubTotalLabel();
  --Pos.X;
  return TPelParMulti::GetLabelAt(Pos, Selectable, Means, Detail, LabelSwitch, ShowCodes);
}

std::string TPelParDefMedia::GetLabel(int Index) {
  if (!SubTotal) return TPelParMulti::GetLabel(Index);
  return Index == 0 ? SubTotalLabel() : TPelParMulti::GetLabel(Index - 1);
}

}  // namespace quin
