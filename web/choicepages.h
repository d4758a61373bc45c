// The pages between the logon and an analysis: the open-survey page (the user's survey files,
// with an information page per survey), the open-report page (the saved reports of the open
// survey, and a new analysis), and the template page (the analysis templates the survey offers,
// as icons to click).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "web/pelwebform.h"

namespace quin {

class THobSessionModule;
class TPelWiz;

// What the choice pages need of the report window. The report window fills it.
struct TPelWebChoiceHooks {
  // Creates the report window for the saved report FileName, which the session has just read
  // (its Report), and shows it. False when none was created.
  std::function<bool(THobSessionModule& Session, const std::string& FileName)>
      OpenSavedReportWindow;
};
TPelWebChoiceHooks& PelWebChoiceHooks();

// Shows the template page of the open survey in place of the active page.
void ShowTemplatePage(THobSessionModule& Session);
// The parameter steps reach the chosen template through the template page (start-up).
void InstallChoicePageHooks();

class TPelWebOpenSurveyForm : public TPelWebIWForm {
  QUIN_CLASS(TPelWebOpenSurveyForm, TPelWebIWForm)
 public:
  TPelWebOpenSurveyForm() = default;
  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "PelWebOpenSurvey"; }
  std::string GetSubtitle() const override;

  TWebRegion* AvailableSurveysRegion = nullptr;
  TWebLabel* AvailableSurveysLabel = nullptr;
  TWebListBox* AvailableSurveysList = nullptr;
  TWebRegion* ButtonRegion = nullptr;
  TWebButton* OpenButton = nullptr;
  TWebButton* InfoButton = nullptr;
  TWebButton* CancelButton = nullptr;

  void OpenButtonClick();
  void CancelButtonClick();
  void InfoButtonClick();

 protected:
  void CreateControls() override;
};

class TPelWebOpenReportForm : public TPelWebIWForm {
  QUIN_CLASS(TPelWebOpenReportForm, TPelWebIWForm)
 public:
  TPelWebOpenReportForm() = default;
  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "PelWebOpenReport"; }
  std::string GetSubtitle() const override;

  TWebRegion* AvailableReportsRegion = nullptr;
  TWebLabel* AvailableReportsLabel = nullptr;
  TWebListBox* AvailableReportsList = nullptr;
  TWebButton* OpenButton = nullptr;
  TWebRegion* NewAnalysisRegion = nullptr;
  TWebLabel* NewAnalysisLabel = nullptr;
  TWebButton* NewAnalysisButton = nullptr;
  TWebRegion* ButtonRegion = nullptr;
  TWebButton* CancelButton = nullptr;

  void OpenButtonClick();
  void NewAnalysisButtonClick();
  void CancelButtonClick();

 protected:
  void CreateControls() override;
};

// A text of a template, written anew whenever the language changes.
class TIWWizText : public TWebText {
  QUIN_CLASS(TIWWizText, TWebText)
 public:
  TIWWizText() = default;
  TPelWiz* Wiz = nullptr;  // not owned
  // Fills the text from the template, in the current language.
  virtual void RefreshText() {}

 protected:
  // Text := Lines as text of the page (escaped, line breaks kept).
  void SetLines(const std::string& Lines);
};

// The template's short name.
class TIWWizNameText : public TIWWizText {
  QUIN_CLASS(TIWWizNameText, TIWWizText)
 public:
  TIWWizNameText() = default;
  void RefreshText() override;
};

// The template's description.
class TIWWizHintText : public TIWWizText {
  QUIN_CLASS(TIWWizHintText, TIWWizText)
 public:
  TIWWizHintText() = default;
  void RefreshText() override;
};

class TPelWebWizForm : public TPelWebIWForm {
  QUIN_CLASS(TPelWebWizForm, TPelWebIWForm)
 public:
  TPelWebWizForm() = default;
  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "PelWebWiz"; }
  std::string GetSubtitle() const override;
  void RefreshTexts() override;

  TWebRegion* TableRegion = nullptr;
  TWebRegion* HeaderRegion = nullptr;
  TWebText* HeaderText = nullptr;
  TWebRegion* AnalysisRegion = nullptr;
  TWebRegion* ButtonRegion = nullptr;
  TWebButton* CancelButton = nullptr;

  // One icon, name and description per template of the open survey.
  void BuildTemplateList();
  // The template whose icon was clicked (the image's tag) starts its parameter steps.
  void ChooseTemplate(TWebControl& Image);
  void CancelButtonClick();
  // The page still shows the templates of the session's open survey.
  bool IsCurrent() const;

 protected:
  void CreateControls() override;

 private:
  std::weak_ptr<const bool> FSurveyLife;  // the life token of the survey listed
};

}  // namespace quin
