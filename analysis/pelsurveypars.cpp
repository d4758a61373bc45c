// The analysis survey's parameter steps: the default base parameter, the parameters its mode
// does not offer, and the pane registry.
#include "analysis/pelparbase.h"
#include "analysis/pelsurvey.h"

namespace quin {

void TPelSurvey::RegisterParPane(const TPelRWClass& ParClass, const ClassInfo* PaneClass,
                                 const ClassInfo* AltPaneClass) {
  if (ParPaneRegs && ParClass.IsAvailableInMode(static_cast<uint8_t>(Mode)))
    ParPaneRegs->Add(std::make_unique<TPelParPaneReg>(&ParClass, PaneClass, AltPaneClass));
}

void TPelSurvey::AddBaseParameter() {
  if (ParList && ParList->IndexOfClass(TPelParDefBase::StaticClass()) < 0)
    ParList->AddPar(New<TPelParDefBase>(this));
}

void TPelSurvey::DropUnavailable() {
  if (ParList) ParList->DropUnavailable(static_cast<uint8_t>(Mode));
}

}  // namespace quin
