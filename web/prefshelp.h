// The preferences page (program and survey language) and the help page with its topics.
#pragma once

#include <string>
#include <vector>

#include "web/zepform.h"

namespace quin {

class TZepPrefsForm : public TZepForm {
  QUIN_CLASS(TZepPrefsForm, TZepForm)
 public:
  TZepPrefsForm() = default;
  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "ZepPrefs"; }
  std::string GetSubtitle() const override;
  virtual void ApplyChoice();
  void FillAppLanguages();

  TWebRegion* LangRegion = nullptr;
  TWebLabel* AppLangLabel = nullptr;
  TWebListBox* AppLangsListBox = nullptr;
  TWebLabel* AppLangHintLabel = nullptr;
  TWebButton* OKButton = nullptr;
  TWebButton* CancelButton = nullptr;

 protected:
  void CreateControls() override;
  void IWAppFormCreate() override;
  // Subclasses add their controls between the language list and the buttons.
  virtual void CreateExtraControls() {}
  void OKButtonClick();
  void CancelButtonClick() { Release(); }
  TWebRegion* ButtonRegion = nullptr;
};

class THobPrefsForm : public TZepPrefsForm {
  QUIN_CLASS(THobPrefsForm, TZepPrefsForm)
 public:
  THobPrefsForm() = default;
  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "HobPrefs"; }
  void ApplyChoice() override;
  void FillSurveyLanguages();

  TWebLabel* SurveyLangLabel = nullptr;
  TWebListBox* SurveyLangsListBox = nullptr;
  TWebLabel* SurveyLangHintLabel = nullptr;

 protected:
  void CreateExtraControls() override;
  void IWAppFormCreate() override;
};

struct TZepHelpElem {
  std::string Caption;  // bilingual, UTF-8 in the source, Windows-1250 here
  std::string Topic;
};

class TZepHelpForm : public TZepForm {
  QUIN_CLASS(TZepHelpForm, TZepForm)
 public:
  TZepHelpForm() = default;
  void AfterConstruction() override;
  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return {}; }
  std::string GetSubtitle() const override;
  void RefreshTexts() override;
  virtual void DefineTopics() {}

  void SetTopic(const std::string& Topic);
  void FillTopicList(const std::string& Topic);
  void ShowTopic();

  std::vector<TZepHelpElem> Topics;
  std::string CurrentTopic;
  TWebButton* CancelButton = nullptr;
  TWebComboBox* SubItemComboBox = nullptr;
  TWebButton* SubItemSelPrevButton = nullptr;
  TWebButton* SubItemSelNextButton = nullptr;
  TWebRegion* ContentRegion = nullptr;
  TWebText* ContentText = nullptr;

 protected:
  void CreateControls() override;
  void IWAppFormRender() override;
  void SubItemComboBoxChange();
  void SubItemSelNextButtonClick();
  void SubItemSelPrevButtonClick();
};

class THobHelpForm : public TZepHelpForm {
  QUIN_CLASS(THobHelpForm, TZepHelpForm)
 public:
  THobHelpForm() = default;
  void DefineTopics() override;
};

}  // namespace quin
