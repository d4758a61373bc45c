// The result element of a target group: the item of one group of the target-group parameter,
// and the address of such an item in data-info blocks ("dataInfoGroup").
#pragma once

#include "analysis/pelreselem.h"

namespace quin {

class TPelResGroup : public TPelResElem {
  QUIN_CLASS(TPelResGroup, TPelResElem)
  QUIN_RES_ELEM_CLASS(TPelResGroup)
 public:
  // The parameter's group, held without owning it.
  TPelResGroup(TPelSurvey* ASurvey, TPelGroup* AGroup, int AItemIndex, TPelPar* APar);
  // A group the element created itself is copied; the parameter's group is shared.
  TPelResGroup(const TPelResGroup& Source);

  // The element created its group (read from a block, or copied from another element).
  bool OwnsGroup = false;

  static std::string StaticOutfix() { return "Group"; }

  void BuildGroup() override {}
  void FreeGroup() override {}
  // Neither group has an expression, or both expressions read the same.
  bool TableDataInfo_ComparePrivate(const TPelResElem* Other) const override;
  // "group" with the expression or "all".
  bool TableDataInfo_ReadDef(TRixScanner& Scanner) override;
  void TableDataInfo_WriteDef(TStream& Stream, int& Indent) const override;

 private:
  void OwnNewGroup();
};

}  // namespace quin
