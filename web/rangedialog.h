// The numeric range dialog: a numeric response (an age, a household size) enters a target
// group only with the values and ranges the user types, such as "18:24, 65 : max". Several
// dialogs may stand on top of each other, one per numeric response of one Add.
#pragma once

#include <memory>
#include <string>

#include "base/formatsettings.h"
#include "web/pelwebform.h"

namespace quin {

class TPelGroup;
class TPelGroupVar;
class TPelSurvey;
class TPelWebParPaneGroupsFrame;
class TRixCodeList;
struct TCodeNumericResponse;

// Reads Text as a code list written with the separators of Settings (its decimal and list
// separators stand for "." and ","). False for an empty list, a list the definition language
// reads with an error (or any exception while reading), open ends without AllowMinMax and
// fractions with IntOnly. On success with Store, Codes becomes the list, normalised.
bool ParseNumericRanges(const std::string& Text, bool Store, std::unique_ptr<TRixCodeList>& Codes,
                        bool IntOnly, bool AllowMinMax, const TFormatSettings& Settings);
// "Notation example" and an example in the separators of Settings.
std::string NumericRangeNotation(bool IntOnly, bool AllowMinMax, const TFormatSettings& Settings);

class TPelWebSelRangeForm : public TPelWebIWForm {
  QUIN_CLASS(TPelWebSelRangeForm, TPelWebIWForm)
 public:
  TPelWebSelRangeForm(bool AAllowMinMax, bool AIntOnly, TPelWebParPaneGroupsFrame* APane,
                      TPelGroupVar* ACond, TPelGroup* AGroup, TCodeNumericResponse* AItem,
                      TPelSurvey* ASurvey);
  ~TPelWebSelRangeForm() override;

  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "PelWebSelRange"; }
  std::string GetSubtitle() const override;
  // The typed text follows a change of the separators with the language.
  void RefreshTexts() override;

  void OKButtonClick();
  void CancelButtonClick();
  // The step page below still shows the pane this dialog works for.
  bool IsCurrent() const;

  TWebRegion* RangeRegion = nullptr;
  TWebLabel* QuestionLabel = nullptr;
  TWebLabel* AvailableNumValsLabel = nullptr;
  TWebEdit* AvailableNumVals = nullptr;
  TWebLabel* NumValsSampleLabel = nullptr;
  TWebLabel* SelectedNumValsLabel = nullptr;
  TWebEdit* SelectedNumVals = nullptr;
  TWebLabel* MinMaxAllowedLabel = nullptr;
  TWebLabel* IntOnlyLabel = nullptr;
  TWebButton* OKButton = nullptr;
  TWebButton* CancelButton = nullptr;

  std::unique_ptr<TRixCodeList> Codes;
  TPelWebParPaneGroupsFrame* Pane;
  TPelGroupVar* Cond;
  TPelGroup* Group;
  TCodeNumericResponse* Item;
  TPelSurvey* Survey;
  bool IntOnly;
  bool AllowMinMax;

 protected:
  void CreateControls() override;

 private:
  TWebForm* FStep;  // the step page of Pane
  // Another open range dialog of the session works on Cond (or on Group).
  bool OtherDialogHolds(const void* Target) const;
  TFormatSettings FShownSettings;  // the separators SelectedNumVals is written in
};

}  // namespace quin
