#include "analysis/pelpanes.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelParPaneReg, TOrvObject)
QUIN_IMPLEMENT_CLASS(TPelParPaneRegList, TOrvObjectList)

const ClassInfo* TPelParPaneRegList::FindPaneClass(const TPelRWClass& ParClass,
                                                   uint8_t Variant) const {
  for (int I = 0; I < Count(); ++I) {
    const TPelParPaneReg* R = GetItem(I);
    if (R->ParClass == &ParClass) return Variant == 1 ? R->AltPaneClass : R->PaneClass;
  }
  return nullptr;
}

}  // namespace quin
