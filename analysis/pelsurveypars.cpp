// The analysis survey's parameter steps: the templates, the default base parameter, the
// parameters its mode does not offer, and the pane registry.
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

namespace {
TPelTemplateBuilder* GTemplateBuilder = nullptr;
}  // namespace

TPelTemplateBuilder* PelTemplateBuilder() { return GTemplateBuilder; }
void SetPelTemplateBuilder(TPelTemplateBuilder* Builder) { GTemplateBuilder = Builder; }

void TPelSurvey::PrepareTemplates() {
  if (GTemplateBuilder) GTemplateBuilder->BuildTemplates(*this);
}

void TPelSurvey::DropUnavailable() {
  if (ParList) ParList->DropUnavailable(static_cast<uint8_t>(Mode));
  if (GTemplateBuilder) GTemplateBuilder->DropUnavailable(*this);
}

}  // namespace quin
