// The parameter-pane registry of an analysis survey: which front-end pane edits a parameter
// class, a default pane and an alternative one chosen by the parameter's pane variant. The
// panes are classes of the front end; the analysis layer keeps only their class descriptors,
// and the page creates the pane it finds.
#pragma once

#include <cstdint>

#include "analysis/pelrwobject.h"

namespace quin {

class TPelParPaneReg : public TOrvObject {
  QUIN_CLASS(TPelParPaneReg, TOrvObject)
  QUIN_COPY(TPelParPaneReg)
 public:
  TPelParPaneReg(const TPelRWClass* AParClass = nullptr, const ClassInfo* APaneClass = nullptr,
                 const ClassInfo* AAltPaneClass = nullptr)
      : ParClass(AParClass), PaneClass(APaneClass), AltPaneClass(AAltPaneClass) {}
  TPelParPaneReg(const TPelParPaneReg&) = default;

  const TPelRWClass* ParClass;
  const ClassInfo* PaneClass;
  const ClassInfo* AltPaneClass;  // may be null
};

class TPelParPaneRegList : public TOrvTypedList<TPelParPaneReg> {
  QUIN_CLASS(TPelParPaneRegList, TOrvObjectList)
 public:
  TPelParPaneRegList() : TOrvTypedList(true) {}
  // The pane class of the first entry for exactly ParClass (no inheritance): its alternative
  // one for Variant 1, else its default one; null when no entry matches.
  const ClassInfo* FindPaneClass(const TPelRWClass& ParClass, uint8_t Variant) const;
};

}  // namespace quin
