// The parameter step page: a new analysis is defined one parameter per page, with "Back",
// "Next" (or "Finish") and "Cancel"; the same page edits a single parameter of an open analysis
// ("OK" and "Cancel"). Each step shows the pane that the open survey registers for the
// parameter's class.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "web/pelwebform.h"

namespace quin {

class THobSessionModule;
class TPelPar;
class TPelParList;
class TPelRWObject;
class TPelWebParPaneFrame;

// What the steps need of the analysis templates and of the report window. The template page
// and the report window fill these; the steps call them and keep nothing of their own.
struct TPelWebStepHooks {
  // The parameters of the chosen template (the session's WizardIndex); null when none.
  std::function<TPelParList*(THobSessionModule& Session)> WizardParList;
  // The chosen template's bilingual name.
  std::function<std::string(THobSessionModule& Session)> WizardName;
  // After the last step: creates the report window of a new analysis from the chosen template
  // and shows it. False when none was created (the last step stays).
  std::function<bool(THobSessionModule& Session)> OpenReportWindow;
  // Shows the template page in place of the active page.
  std::function<void(THobSessionModule& Session)> ShowTemplatePage;
  // After a single edit: the report window recalculates and rebuilds its menus and layer
  // controls.
  std::function<void(THobSessionModule& Session)> RefreshAfterEdit;
  // Par leaves the row, column and layer lists of every table of the open analysis.
  std::function<void(THobSessionModule& Session, TPelPar& Par)> RemoveParFromTables;
};
TPelWebStepHooks& PelWebStepHooks();

// The chosen template's steps: the first and last parameter not marked to be skipped, then
// the first step shown. A template without parameters opens the report window at once.
void StartWizardSteps(THobSessionModule& Session);
// The step page of the current step.
void ShowStep(THobSessionModule& Session);
// The parameter of the current step; raises EListError outside the template's parameters.
TPelPar* GetStepPar(THobSessionModule& Session);
// A step page over a copy of Obj (the session's working copy), shown over the active page.
// With SingleEdit it edits one parameter of the open analysis.
void ShowParForm(THobSessionModule& Session, TPelRWObject* Obj, bool SingleEdit);
// Par and, first, the parameters derived from it (recursively, last first) leave the tables
// and the analysis's parameter list, which frees them.
void RemoveParFromAnalysis(THobSessionModule& Session, TPelPar* Par);

class TPelWebRWObjectForm_Form : public TPelWebIWForm {
  QUIN_CLASS(TPelWebRWObjectForm_Form, TPelWebIWForm)
 public:
  // A step page for AObj (the working copy) of AEdited; ATitle is the template's bilingual
  // name (empty in single edit).
  TPelWebRWObjectForm_Form(std::string ATitle, bool ASingleEdit, TPelRWObject* AObj,
                           TPelRWObject* AEdited);

  void ApplyTexts() override;
  std::string GetHelpTopic() const override;
  std::string GetSubtitle() const override;
  void RefreshTexts() override;

  TWebRegion* ParRegion = nullptr;
  TWebRegion* ButtonRegion = nullptr;
  TWebButton* PrevButton = nullptr;
  TWebButton* NextButton = nullptr;
  TWebButton* CancelButton = nullptr;

  TPelRWObject* Obj;     // the working copy; owned by the session
  TPelRWObject* Edited;  // the object the copy goes back to; not owned
  TPelWebParPaneFrame* Pane = nullptr;
  bool SingleEdit;
  std::string Title;
  std::weak_ptr<const bool> SurveyLife;  // the open survey's life token

  void NextButtonClick();
  void PrevButtonClick();
  void CancelButtonClick();

  // The page still edits the session's working copy of an open survey. A page left under a
  // page that replaced it (the "Logout" menu) is not current once the survey closed or a new
  // step began; it then does nothing but go away when used.
  bool IsCurrent() const;

 protected:
  void CreateControls() override;
  void IWAppFormRender() override;

 private:
  // Writes the pane into the working copy and the copy into the edited object.
  void ApplyChoice(THobSessionModule& M);
  // Frees the working copy (the page edits nothing any more).
  void DropWorkingCopy(THobSessionModule& M);
  // Frees the working copy and releases the page.
  void Leave(THobSessionModule& M);
};

// The size of the parameter panes on the step page.
inline constexpr int kParPaneWidth = 780;
inline constexpr int kParPaneHeight = 440;

}  // namespace quin
