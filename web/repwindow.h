// The report window: the page on which an analyst reads a report, one element (a table or a
// chart) at a time, with a list to move between the elements, layer selectors for the current
// table, and menus to open, print, export and close reports and surveys and to edit the
// analysis parameters. It shows a saved report (with the parameter file saved beside it, when
// there is one) or a new analysis built from a template at the end of the parameter steps.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "web/pelwebform.h"

namespace quin {

class THobSessionModule;
class TPelPar;
class TPelRep;
class TPelRepElem;
class TPelRepElemAnalysis;
class TPelRepElemTable;
class TPelRWObjectFile;
class TPelWebRepElemList;
class TPelWebRepPaneFrame;
class TPelWebRepWindowForm;

// What the window needs of the template, choice and export work; their owners fill these.
// A menu item whose hook is missing tells the user that the function is not available.
struct TPelWebRepWindowHooks {
  // Fills a new analysis (already below the report's root) from the session's chosen template
  // and appends its tables (the template list of the session's survey, at start-up).
  std::function<void(THobSessionModule& Session, TPelRepElemAnalysis& Analysis)> FillFromWizard;
  // The template page and the open-report page (shown over the window or in its place).
  std::function<const ClassInfo*()> TemplatePageClass;
  std::function<const ClassInfo*()> OpenReportPageClass;
  // Shows the survey-information page for the session's survey over the active page.
  std::function<void(THobSessionModule& Session)> ShowSurveyInfo;
  // Shows the export page for Report with Preselected chosen first.
  std::function<void(TPelWebRepWindowForm& Window, TPelRep& Report, TPelRepElem* Preselected)>
      ShowExportPage;
};
TPelWebRepWindowHooks& PelWebRepWindowHooks();

// Marks every analysis of the report for recalculation.
void MarkAllForRecalc(TPelRep& Report);

// The window of the saved report FileName of the session's reports folder (a name from the
// session's list), not shown yet: the report the session has just read (its Report), or else
// the file read now. Null after an error (alerted).
TPelWebRepWindowForm* CreateSavedReportWindow(THobSessionModule& Session,
                                              const std::string& FileName);
// The same, shown in place of the active page (the open-report page); false when none.
bool ShowSavedReportWindow(THobSessionModule& Session, const std::string& FileName);
// Creates the window of a new analysis from the chosen template and shows it in place of the
// active page; false when it could not be built (alerted).
bool OpenNewAnalysisWindow(THobSessionModule& Session);

// Connects the parameter steps to the report window and reads reports for the session when
// nothing else does. Start-up only.
void RegisterReportWindow();

// A layer selector: the items of a layer parameter of the current table, with its label.
class TPelWebParComboBox : public TWebComboBox {
  QUIN_CLASS(TPelWebParComboBox, TWebComboBox)
 public:
  explicit TPelWebParComboBox(TPelPar* APar = nullptr) : Par(APar) {}
  TPelPar* Par;                // not owned
  TWebLabel* Label = nullptr;  // owned by the page
  // The label's text and the items anew, the item index kept.
  void RefreshCombo(TPelRepElemTable* Table);
};

// A button standing for a saved parameter.
class TPelWebParButton : public TWebButton {
  QUIN_CLASS(TPelWebParButton, TWebButton)
 public:
  explicit TPelWebParButton(TPelPar* APar = nullptr) : Par(APar) {}
  TPelPar* Par;  // not owned
};

class TPelWebRepWindowForm : public TPelWebIWForm {
  QUIN_CLASS(TPelWebRepWindowForm, TPelWebIWForm)
 public:
  // A saved report (owned from here on) read from FileName.
  TPelWebRepWindowForm(std::string AFileName, std::unique_ptr<TPelRep> AReport);
  // A new analysis from the session's chosen template.
  TPelWebRepWindowForm();
  ~TPelWebRepWindowForm() override;  // NOLINT(bugprone-exception-escape): frees only

  TWebRegion* SubItemRegion = nullptr;
  TWebRegion* RepBodyRegion = nullptr;
  TWebComboBox* SubItemComboBox = nullptr;
  TWebLabel* InfoLabel = nullptr;
  TWebButton* SubItemSelPrevButton = nullptr;
  TWebButton* SubItemSelNextButton = nullptr;
  TWebRegion* RepElemRegion = nullptr;
  TWebRegion* LayersRegion = nullptr;
  TWebLabel* LayersText = nullptr;
  TWebMenuItem* SurveyMenu = nullptr;
  TWebMenuItem* SurveyOpenMenu = nullptr;
  TWebMenuItem* SurveyInfoMenu = nullptr;
  TWebMenuItem* SurveyCloseMenu = nullptr;
  TWebMenuItem* RepMenu = nullptr;
  TWebMenuItem* RepNewMenu = nullptr;
  TWebMenuItem* RepOpenMenu = nullptr;
  TWebMenuItem* RepPrintMenu = nullptr;
  TWebMenuItem* RepExportMenu = nullptr;
  TWebMenuItem* RepCloseMenu = nullptr;
  TWebMenuItem* ParMenu = nullptr;
  TWebMenuItem* ParAllMenu = nullptr;
  TWebMenuItem* EditMenuItem = nullptr;  // owned by ParMenu; null when none
  TWebButton* ParamButton = nullptr;     // owned by LayersRegion; null when none
  std::vector<TPelWebParComboBox*> LayerCombos;
  std::vector<TPelWebParButton*> ParButtons;

  std::string FileName;
  bool FromWizard;
  std::unique_ptr<TPelRep> Report;
  std::unique_ptr<TPelRWObjectFile> ParFile;
  std::unique_ptr<TPelWebRepElemList> ElemPanes;
  TPelRepElem* CurrentElem = nullptr;
  TPelRepElemAnalysis* Analysis = nullptr;
  TPelRepElemTable* Table = nullptr;

  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "PelWebRepWindow"; }
  std::string GetSubtitle() const override;
  void RefreshTexts() override;

  // Elements.
  void FillElementList();
  // The element's caption with those of its ancestors down to the analysis, outermost first.
  static std::string ElementCaption(TPelRepElem* Elem);
  void SelectFirstTable();
  void SubItemComboBoxChange();
  void SubItemSelNextButtonClick();
  void SubItemSelPrevButtonClick();
  void ShowElement(TPelRepElem* Elem);
  void RefreshCurrent();
  void RecalcCurrent();
  void RefreshAfterEdit();
  // Whether the analysis parameter takes the saved parameter's values when recalculated.
  static bool SavedParMatchesAnalysisPar(TPelPar* Saved, TPelPar* Par);
  // The pane of the element shown; null when none.
  TPelWebRepPaneFrame* CurrentPane() const;

  // Layers and parameters.
  void BuildLayerControls();
  void LayerChanged(TPelWebParComboBox& Combo);
  void BuildParMenu();
  void ParMenuItemClick(TPelPar* Par);
  void ParAllMenuClick();

  // Writes the printable page of the element shown and opens it in a new window.
  void PrintCurrent();

  // The menu's other items.
  void SurveyOpenMenuClick();
  void SurveyInfoMenuClick();
  void SurveyCloseMenuClick();
  void RepNewMenuClick();
  void RepOpenMenuClick();
  void RepExportMenuClick();
  void RepCloseMenuClick();

 protected:
  void CreateControls() override;
  void IWAppFormCreate() override;
  void IWAppFormRender() override;

 private:
  void AddElementEntries(TPelRepElem* Elem);
  void AddParMenuItem(TWebMenuItem& Parent, TPelPar* Par, std::vector<const ClassInfo*>* Classes);
  void ApplySavedPars();
  void FreeLayerControls();
  // The report, its file and the panes go (before the survey they point into).
  void FreeReport();
  THobSessionModule& Module() const;
};

}  // namespace quin
