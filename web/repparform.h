// The report parameters page: for every saved parameter of a report's parameter file (or the
// one the user picked) a pivot-dimension frame lists its sub-parameters, and the user chooses
// which of them the tables show; "Recalc" writes the choice back and recalculates the report.
#pragma once

#include <string>
#include <vector>

#include "web/pelwebform.h"
#include "web/zepform.h"

namespace quin {

class TPelPar;
class TPelRep;
class TPelRWObjectFile;
class TPelWebRepWindowForm;

// One parameter's entries: the sub-parameters of a multi-parameter (selected when shown), or
// the element labels of any other parameter.
class TPelWebPivotDimFrame : public TZepFrame {
  QUIN_CLASS(TPelWebPivotDimFrame, TZepFrame)
 public:
  // AHeader: a bilingual caption, or empty for the parameter's own caption.
  TPelWebPivotDimFrame(std::string AHeader, TPelPar* APar)
      : Header(std::move(AHeader)), Par(APar) {}

  TWebRegion* HeaderRegion = nullptr;
  TWebLabel* HeaderText = nullptr;
  TWebRegion* ItemsRegion = nullptr;
  TWebListBox* ValuesListBox = nullptr;
  std::string Header;
  TPelPar* Par;  // not owned

  void FillValues();
  // For a multi-parameter with some entry selected: each sub-parameter's hidden flag follows
  // its entry; a parameter never ends with every sub-parameter hidden (the first is shown).
  void ApplyHidden();
  // The entries in the new language, their selection kept.
  void LanguageChanged() override;

 protected:
  void CreateControls() override;
};

class TPelWebRepParForm : public TPelWebIWForm {
  QUIN_CLASS(TPelWebRepParForm, TPelWebIWForm)
 public:
  // AOnlyPar: the one saved parameter shown, or null for every saved parameter.
  TPelWebRepParForm(TPelPar* AOnlyPar, TPelWebRepWindowForm* AWindow, TPelRWObjectFile* AParFile,
                    TPelRep* AReport)
      : OnlyPar(AOnlyPar), Window(AWindow), ParFile(AParFile), Report(AReport) {}

  TWebButton* RecalcButton = nullptr;
  TWebButton* CancelButton = nullptr;
  TWebRegion* ParPanesRegion = nullptr;
  TWebRegion* ButtonsRegion = nullptr;
  std::vector<TPelWebPivotDimFrame*> Frames;  // owned by ParPanesRegion
  TPelPar* OnlyPar;                           // not owned
  TPelWebRepWindowForm* Window;               // not owned
  TPelRWObjectFile* ParFile;                  // not owned
  TPelRep* Report;                            // not owned

  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "PelWebRepPar"; }
  std::string GetSubtitle() const override;
  void RefreshTexts() override;
  // Frames of the saved objects that are parameters, 110 px apart.
  void BuildFrames();
  void RecalcButtonClick();
  void CancelButtonClick() { Release(); }

 protected:
  void CreateControls() override;
  void IWAppFormCreate() override;
};

}  // namespace quin
