#include "web/parstepform.h"

#include <utility>

#include "analysis/pelpar.h"
#include "analysis/pelsurvey.h"
#include "base/exception.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "platform/websession.h"
#include "web/parpanes.h"
#include "web/pelwebsurvey.h"
#include "web/rangedialog.h"
#include "web/session.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebRWObjectForm_Form, TPelWebIWForm)

TPelWebStepHooks& PelWebStepHooks() {
  static TPelWebStepHooks Hooks;
  return Hooks;
}

namespace {

TPelParList& WizardPars(THobSessionModule& M) {
  TPelParList* L = Need(PelWebStepHooks().WizardParList, "The analysis template list")(M);
  if (!L) throw Exception("No analysis template is chosen.");
  return *L;
}

bool IsSkipped(const TPelParList& L, int Index) { return L.GetItem(Index)->NotAsked; }

}  // namespace

void StartWizardSteps(THobSessionModule& M) {
  TPelParList& L = WizardPars(M);
  const int Count = L.Count();
  if (Count == 0) {
    // Nothing to ask: the analysis opens at once.
    Need(PelWebStepHooks().OpenReportWindow, "The report window")(M);
    return;
  }
  M.FirstStep = Count - 1;
  M.LastStep = 0;
  for (int I = 0; I < Count; ++I) {
    if (IsSkipped(L, I)) continue;
    M.FirstStep = std::min(M.FirstStep, I);
    M.LastStep = std::max(M.LastStep, I);
  }
  M.CurrentStep = M.FirstStep;
  ShowStep(M);
}

TPelPar* GetStepPar(THobSessionModule& M) {
  TPelParList& L = WizardPars(M);
  return L.GetItem(M.CurrentStep);
}

void ShowStep(THobSessionModule& M) { ShowParForm(M, GetStepPar(M), false); }

void ShowParForm(THobSessionModule& M, TPelRWObject* Obj, bool SingleEdit) {
  if (!Obj) throw Exception("There is nothing to edit.");
  TWebSession* S = M.Session();
  if (!S) throw Exception("No session is bound to this request.");
  std::string Title;
  if (!SingleEdit) Title = Need(PelWebStepHooks().WizardName, "The analysis template list")(M);
  // One step at a time: pages of an earlier step still lying in the session go.
  for (TWebForm* F : S->Forms())
    if (!F->IsReleased() && (F->Is<TPelWebRWObjectForm_Form>() || F->Is<TPelWebSelRangeForm>()))
      S->Release(F);
  M.EditedObject = Obj;
  M.WorkingCopy = Obj->CreateCopy();
  auto* Copy = static_cast<TPelRWObject*>(M.WorkingCopy.get());
  S->CreateForm<TPelWebRWObjectForm_Form>(std::move(Title), SingleEdit, Copy, Obj)->Show();
}

void RemoveParFromAnalysis(THobSessionModule& M, TPelPar* Par) {
  const auto& FromTables = Need(PelWebStepHooks().RemoveParFromTables, "The report window");
  TPelParList* L = Par ? Par->Owner : nullptr;
  if (!L || L->IndexOf(Par) < 0) throw Exception("The parameter belongs to no analysis.");
  // Derived parameters stand after the one they come from; the last goes first.
  for (int I = L->Count() - 1; I >= 0; --I)
    if (I < L->Count() && L->GetItem(I)->Parent == Par) RemoveParFromAnalysis(M, L->GetItem(I));
  FromTables(M, *Par);
  L->Delete(L->IndexOf(Par));
}

// --- the step page ---

TPelWebRWObjectForm_Form::TPelWebRWObjectForm_Form(std::string ATitle, bool ASingleEdit,
                                                   TPelRWObject* AObj, TPelRWObject* AEdited)
    : Obj(AObj), Edited(AEdited), SingleEdit(ASingleEdit), Title(std::move(ATitle)) {}

namespace {
THobSessionModule* ModuleOf(const TWebForm& F) {
  return F.Session() ? As<THobSessionModule>(F.Session()->Data()) : nullptr;
}
}  // namespace

void TPelWebRWObjectForm_Form::CreateControls() {
  TPelWebIWForm::CreateControls();
  ParRegion = Add<TWebRegion>("ParRegion");
  ParRegion->Css = "parregion";
  ButtonRegion = Add<TWebRegion>("ButtonRegion");
  ButtonRegion->Css = "stepbuttons";
  PrevButton = ButtonRegion->Add<TWebButton>("PrevButton");
  PrevButton->OnClick = [this](TWebControl&) { PrevButtonClick(); };
  NextButton = ButtonRegion->Add<TWebButton>("NextButton");
  NextButton->OnClick = [this](TWebControl&) { NextButtonClick(); };
  CancelButton = ButtonRegion->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { CancelButtonClick(); };

  THobSessionModule* M = ModuleOf(*this);
  auto* Survey = M ? As<TPelSurvey>(M->Survey.get()) : nullptr;
  if (auto* Web = As<TPelWebSurvey>(Survey)) SurveyLife = Web->LifeToken();
  auto* Par = As<TPelPar>(Obj);
  if (Survey && Par && Survey->ParPaneRegs) {
    const ClassInfo* PaneClass =
        Survey->ParPaneRegs->FindPaneClass(Par->RWClass(), Par->GetPaneVariant());
    if (PaneClass) {
      Pane = TPelWebParPaneFrame::Create(*PaneClass, *ParRegion,
                                         "PelWebFrame" + IntToStr(M->CurrentStep), Par);
      Pane->SetSize(kParPaneWidth, kParPaneHeight);
    }
  }
  PrevButton->Enabled = !SingleEdit && M && !M->IsFirstStep();
}

void TPelWebRWObjectForm_Form::ApplyTexts() {
  TPelWebIWForm::ApplyTexts();
  THobSessionModule* M = ModuleOf(*this);
  if (SingleEdit)
    NextButton->Caption = Tr("OK");
  else if (M && M->IsLastStep())
    NextButton->Caption = Tr("<PLK>&Zakończ<ENU>&Finish");
  else
    NextButton->Caption = Tr("<PLK>&Dalej<ENU>Ne&xt");
  PrevButton->Caption = Tr("<PLK>&Powrót<ENU>&Back");
  CancelButton->Caption = Tr("<PLK>Anuluj<ENU>Cancel");
  CancelButton->Confirmation =
      SingleEdit ? std::string()
                 : Tr("<PLK>Anulować tworzenie analizy?<ENU>Cancel analysis definition?");
}

std::string TPelWebRWObjectForm_Form::GetHelpTopic() const {
  return Pane ? Pane->GetHelpTopic() : std::string();
}

std::string TPelWebRWObjectForm_Form::GetSubtitle() const {
  // The edited object stands in its list and so carries its number there; the copy does not.
  const TPelRWObject* Named = Edited ? Edited : Obj;
  std::string Name = Named ? Named->GetDisplayName() : std::string();
  if (Title.empty()) return HtmlEscape(Name);
  const TOrvLangManager& LM = CurrentLangManager();
  return HtmlEscape(Format("%s: %s", {LM.TranslateText(Title), Name}, LM.FormatSettings));
}

bool TPelWebRWObjectForm_Form::IsCurrent() const {
  THobSessionModule* M = ModuleOf(*this);
  return !IsReleased() && Obj && M && M->WorkingCopy.get() == Obj && !SurveyLife.expired();
}

void TPelWebRWObjectForm_Form::RefreshTexts() {
  // A page left over keeps its texts: what they name may be gone.
  if (!IsCurrent()) return;
  TPelWebIWForm::RefreshTexts();
  if (Pane) Pane->LanguageChanged();
}

void TPelWebRWObjectForm_Form::IWAppFormRender() {
  TPelWebIWForm::IWAppFormRender();
  if (Pane) Pane->FrameRegionRender();
}

void TPelWebRWObjectForm_Form::ApplyChoice(THobSessionModule&) {
  if (Pane) Pane->ApplyToObject();
  if (Edited && Obj) Edited->Assign(*Obj);
}

void TPelWebRWObjectForm_Form::DropWorkingCopy(THobSessionModule& M) {
  if (Pane) Pane->Obj = nullptr;
  Obj = nullptr;
  M.FreeWorkingCopy();
}

void TPelWebRWObjectForm_Form::Leave(THobSessionModule& M) {
  DropWorkingCopy(M);
  Release();
}

void TPelWebRWObjectForm_Form::NextButtonClick() {
  THobSessionModule* M = ModuleOf(*this);
  if (!M || !IsCurrent()) return Release();
  std::string Message;
  if (Pane && !Pane->Validate(Message)) {
    Session()->Alert(Message);
    return;
  }
  const TPelWebStepHooks& H = PelWebStepHooks();
  if (SingleEdit) {
    const auto& Refresh = Need(H.RefreshAfterEdit, "The report window");
    ApplyChoice(*M);
    auto* Par = As<TPelPar>(Edited);
    if (Par && Par->IsEmpty()) {
      RemoveParFromAnalysis(*M, Par);
      Edited = nullptr;
      M->EditedObject = nullptr;
    }
    Refresh(*M);
    Leave(*M);
    return;
  }
  ApplyChoice(*M);
  if (M->CurrentStep < M->LastStep) {
    TPelParList& L = WizardPars(*M);
    do ++M->CurrentStep;
    while (M->CurrentStep < M->LastStep && IsSkipped(L, M->CurrentStep));
    Leave(*M);
    ShowStep(*M);
    return;
  }
  // The working copy stays until the report window is there: without one the step stays
  // usable.
  if (Need(H.OpenReportWindow, "The report window")(*M)) Leave(*M);
}

void TPelWebRWObjectForm_Form::PrevButtonClick() {
  THobSessionModule* M = ModuleOf(*this);
  if (!M || !IsCurrent()) return Release();
  if (M->FirstStep < M->CurrentStep) {
    TPelParList& L = WizardPars(*M);
    do --M->CurrentStep;
    while (M->CurrentStep > M->FirstStep && IsSkipped(L, M->CurrentStep));
    ApplyChoice(*M);
    Leave(*M);
    ShowStep(*M);
    return;
  }
  Need(PelWebStepHooks().ShowTemplatePage, "The template page")(*M);
  DropWorkingCopy(*M);
}

void TPelWebRWObjectForm_Form::CancelButtonClick() {
  THobSessionModule* M = ModuleOf(*this);
  if (!M || !IsCurrent()) return Release();
  if (SingleEdit || M->ReportWindow) {
    Leave(*M);
    return;
  }
  Need(PelWebStepHooks().ShowTemplatePage, "The template page")(*M);
  DropWorkingCopy(*M);
}

}  // namespace quin
