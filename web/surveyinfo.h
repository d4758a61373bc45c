// The survey-information page: a summary of the survey's data, then the information pages the
// survey's definition holds (texts, addresses and files), one at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "web/pelwebform.h"

namespace quin {

class THobSessionModule;
class TMerInfoPage;
class TPelWebSurvey;

// A survey of the user's folder read for its information page only (apart from the session's
// open survey), in the session's language. Raises with the reason when it cannot be read.
std::unique_ptr<TPelWebSurvey> LoadInfoSurvey(THobSessionModule& Session,
                                              const std::string& FileName);

class TPelWebSurveyInfoForm : public TPelWebIWForm {
  QUIN_CLASS(TPelWebSurveyInfoForm, TPelWebIWForm)
 public:
  // The page shows Owned (which it frees with itself) or, without one, Shared (the session's
  // open survey, which the page only points to).
  TPelWebSurveyInfoForm(std::unique_ptr<TPelWebSurvey> Owned, TPelWebSurvey* Shared);
  ~TPelWebSurveyInfoForm() override;

  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "PelWebSurveyInfo"; }
  std::string GetSubtitle() const override;
  // The entries in the new language; the chosen one is shown again.
  void RefreshTexts() override;

  TWebButton* CancelButton = nullptr;
  TWebComboBox* SubItemComboBox = nullptr;
  TWebButton* SubItemSelPrevButton = nullptr;
  TWebButton* SubItemSelNextButton = nullptr;
  TWebRegion* ContentRegion = nullptr;
  TWebText* ContentText = nullptr;

  TPelWebSurvey* Survey;
  bool OwnsSurvey;

  // Shows the chosen entry. With Act an address opens in a new window and a file is sent;
  // without, only the page's text changes.
  void ShowPage(bool Act = true);
  // The survey shown is still there (a page over the session's survey outlives it when the
  // survey closes under it).
  bool IsCurrent() const;

 protected:
  void CreateControls() override;
  void IWAppFormRender() override;

 private:
  void AddInfoPages(TMerInfoPage& Page);
  std::unique_ptr<TPelWebSurvey> FOwned;
  std::weak_ptr<const bool> FSurveyLife;
  std::vector<TMerInfoPage*> FEntries;  // per entry of the combo box; null for the data summary
};

// True for an address the page may open in a new window: http or https only.
bool IsWebAddress(const std::string& Address);

}  // namespace quin
