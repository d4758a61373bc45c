// The export page: the user chooses report elements (analyses, tables, charts), whether a
// table of contents is made and whether significance markers go along; the server writes the
// workbook into the session's own export folder, packs it into a ZIP archive when the 7-Zip
// program is installed, and sends the file. The report window opens the page through
// ShowExportPage (web/exportpage.h).
#pragma once

#include <string>

#include "web/exportpage.h"
#include "web/pelwebform.h"

namespace quin {

class TPelRep;
class TPelRepElem;

class TPelWebExportForm : public TPelWebIWForm {
  QUIN_CLASS(TPelWebExportForm, TPelWebIWForm)
 public:
  // Elem: the element chosen first (may be null); Report: the report whose elements are
  // listed (not owned).
  TPelWebExportForm(TPelRepElem* Elem, TPelRep* AReport) : Report(AReport), Preselected(Elem) {}

  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "PelWebExport"; }
  std::string GetSubtitle() const override;
  // The entries are re-captioned; their selected flags stay.
  void RefreshTexts() override;

  // The element's caption translated by the survey's language manager, after one " - " for
  // each level of the element below the first.
  static std::string ExportCaption(TPelRepElem& Elem);

  // The session's export folder (created when missing) and the workbook in it.
  std::string ExportFolder() const;
  // Writes TargetFile from the chosen elements; False (with an alert) when none is chosen or
  // the export fails, so that nothing is sent.
  bool WriteWorkbook();
  // With the 7-Zip program installed, packs TargetFile; TargetFile becomes the archive. When
  // packing fails the workbook stays the file sent.
  void PackWorkbook();
  void SendWorkbook();

  TWebRegion* OptionsRegion = nullptr;
  TWebLabel* TOCLabel = nullptr;
  TWebListBox* TOCListBox = nullptr;
  TWebCheckBox* TOCCheckBox = nullptr;
  TWebCheckBox* SigCheckBox = nullptr;
  TWebRegion* ButtonsRegion = nullptr;
  TWebButton* ExportButton = nullptr;
  TWebButton* CancelButton = nullptr;

  TPelRep* Report;
  TPelRepElem* Preselected;
  std::string TargetFile;

 protected:
  void CreateControls() override;
  void IWAppFormCreate() override;
  void ExportButtonClick();
  void CancelButtonClick() { Release(); }

 private:
  void AddExportEntries(TPelRepElem& Elem);
};

}  // namespace quin
