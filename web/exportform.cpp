#include "web/exportform.h"

#include <chrono>
#include <filesystem>
#include <vector>

#include "analysis/pelsurvey.h"
#include "base/exception.h"
#include "base/langmanager.h"
#include "base/log.h"
#include "base/text.h"
#include "platform/websession.h"
#include "reports/pelrep.h"
#include "reports/pelrepelem.h"
#include "reports/pelrepexport.h"
#include "reports/peltable.h"
#include "surveykit/mersurvey.h"
#include "web/controller.h"
#include "web/session.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebExportForm, TPelWebIWForm)

namespace {

// The archiver may take this long before the export gives up on packing.
constexpr std::chrono::seconds kPackTimeLimit{120};

TOrvLangManager* OpenSurveyLangManager() {
  THobSessionModule* M = GetSessionModule();
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  if (!M || !M->Survey || !H.SurveyLangManager) return nullptr;
  return H.SurveyLangManager(*M->Survey);
}

// Switches the post-processing of the session's and the open survey's language managers off
// for its lifetime, so that texts reach the workbook in Windows-1250 with their "&".
class TLangHooksOff {
 public:
  TLangHooksOff() {
    THobSessionModule* M = GetSessionModule();
    for (TOrvLangManager* LM : {M ? M->GetLangManager() : nullptr, OpenSurveyLangManager()})
      if (LM) {
        FSaved.emplace_back(LM, LM->Hook);
        LM->Hook = nullptr;
      }
  }
  ~TLangHooksOff() {
    for (auto& [LM, Hook] : FSaved) LM->Hook = std::move(Hook);
  }
  TLangHooksOff(const TLangHooksOff&) = delete;
  TLangHooksOff& operator=(const TLangHooksOff&) = delete;

 private:
  std::vector<std::pair<TOrvLangManager*, TOrvLangHook>> FSaved;
};

int LevelOf(const TPelRepElem& Elem) {
  int Level = 0;
  for (const TPelRepElem* E = &Elem; E->ParentElem(); E = E->ParentElem()) ++Level;
  return Level;
}

}  // namespace

void ShowExportPage(TPelRepElem* Preselected, TPelRep& Report) {
  TWebSession* S = CurrentWebSession();
  if (!S) return;
  S->Show(S->CreateForm<TPelWebExportForm>(Preselected, &Report));
}

void TPelWebExportForm::CreateControls() {
  TPelWebIWForm::CreateControls();
  OptionsRegion = Add<TWebRegion>("OptionsRegion");
  OptionsRegion->Css = "optionsregion";
  TOCLabel = OptionsRegion->Add<TWebLabel>("TOCLabel");
  TOCLabel->Css = "header";
  TOCListBox = OptionsRegion->Add<TWebListBox>("TOCListBox");
  TOCListBox->Css = "main";
  TOCListBox->MultiSelect = true;
  TOCListBox->Rows = 12;
  TOCCheckBox = OptionsRegion->Add<TWebCheckBox>("TOCCheckBox");
  TOCCheckBox->Css = "main";
  SigCheckBox = OptionsRegion->Add<TWebCheckBox>("SigCheckBox");
  SigCheckBox->Css = "main";
  ButtonsRegion = Add<TWebRegion>("ButtonsRegion");
  ButtonsRegion->Css = "buttonrow";
  ExportButton = ButtonsRegion->Add<TWebButton>("ExportButton");
  ExportButton->OnClick = [this](TWebControl&) { ExportButtonClick(); };
  CancelButton = ButtonsRegion->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { CancelButtonClick(); };
}

void TPelWebExportForm::ApplyTexts() {
  TPelWebIWForm::ApplyTexts();
  TOCCheckBox->Caption = Tr("<PLK>Twórz spis treści<ENU>Create table of contents");
  SigCheckBox->Caption =
      Tr("<PLK>Eksportuj znaczniki istotności (jako formaty)<ENU>Export significance markers (as "
         "formats)");
  TOCLabel->Caption = Tr("<PLK>Wybierz elementy do wyeksportowania<ENU>Select elements to export");
  ExportButton->Caption = Tr("<PLK>Eksportuj<ENU>Export");
  CancelButton->Caption = Tr("<PLK>Zamknij<ENU>Close");
}

std::string TPelWebExportForm::GetSubtitle() const {
  return Tr("<PLK>Eksport do Excela<ENU>Export to Excel");
}

std::string TPelWebExportForm::ExportCaption(TPelRepElem& Elem) {
  const TOrvLangManager* LM = SurveyLangManager(Elem.Survey);
  const std::string Caption = LM ? LM->TranslateText(Elem.GetCaption()) : Elem.GetCaption();
  std::string Prefix;
  for (int L = LevelOf(Elem); L > 1; --L) Prefix += " - ";
  return Prefix + Caption;
}

void TPelWebExportForm::AddExportEntries(TPelRepElem& Elem) {
  const int I = TOCListBox->AddItem(ExportCaption(Elem), &Elem);
  if (&Elem == Preselected) TOCListBox->Items[std::size_t(I)].Selected = true;
  for (int C = 0; C < Elem.ChildCount(); ++C) AddExportEntries(*Elem.Child(C));
}

void TPelWebExportForm::IWAppFormCreate() {
  TPelWebIWForm::IWAppFormCreate();
  TOCCheckBox->Checked = true;
  SigCheckBox->Checked = true;
  TOCListBox->Clear();
  if (Report)
    for (int C = 0; C < Report->Root()->ChildCount(); ++C)
      AddExportEntries(*Report->Root()->Child(C));
  if (TOCListBox->ItemIndex() < 0 && TOCListBox->Count() > 0)
    TOCListBox->Items.front().Selected = true;
}

void TPelWebExportForm::RefreshTexts() {
  TPelWebIWForm::RefreshTexts();
  for (TWebListItem& Item : TOCListBox->Items)
    if (auto* E = static_cast<TPelRepElem*>(Item.Object)) Item.Text = ExportCaption(*E);
}

std::string TPelWebExportForm::ExportFolder() const {
  TWebSession* S = Session();
  return S->AppPath() + "Files/TMPReports/" + S->Id() + "/";
}

bool TPelWebExportForm::WriteWorkbook() {
  std::vector<TPelRepElem*> Elements;
  for (int I : TOCListBox->SelectedIndices())
    Elements.push_back(static_cast<TPelRepElem*>(TOCListBox->Items[std::size_t(I)].Object));
  if (Elements.empty() || !Report) {
    Session()->Alert(
        Tr("<PLK>Aby wyeksportować plik do Excela, należy zaznaczyć co najmniej jeden "
           "element.<ENU>To export a report to Excel, you must select at least one element."));
    return false;
  }
  TPelExportProduct Product;
  if (TZepServerController* C = GetZepServerController()) {
    Product.NameAndVersion = C->GetProductInfo(1) + " " + C->GetProductInfo(2);
    Product.Company = C->GetProductInfo(5);
  }
  std::string Failure;
  {
    TLangHooksOff Off;
    try {
      ExportReportToExcel(TargetFile, *Report, Elements, {}, SigCheckBox->Checked,
                          TOCCheckBox->Checked, Product);
    } catch (const Exception& E) {
      LogCaught(TLogLevel::Warning, "the workbook cannot be exported");
      Failure = E.Message;
    } catch (const std::exception& E) {
      LogCaught(TLogLevel::Warning, "the workbook cannot be exported");
      Failure = E.what();
    }
  }
  // The exported tables made their texts in the program's letters: the pages (the chart pane
  // draws from them) take them in the page's letters again.
  for (TPelRepElem* E : Elements)
    if (TPelRepElemTable* T = ExportedTable(*E)) T->RefreshTexts();
  if (Failure.empty()) return true;
  // A text made while the hooks were off is finished for the page as every page text is.
  CurrentLangManager().PostProcessText(Failure);
  Session()->Alert(Failure);
  return false;
}

void TPelWebExportForm::PackWorkbook() {
  const std::string Program = FindZipProgram();
  if (Program.empty()) return;
  const std::string Archive = quin::PackWorkbook(TargetFile, Program, kPackTimeLimit);
  if (!Archive.empty()) TargetFile = Archive;
}

void TPelWebExportForm::SendWorkbook() {
  std::error_code Ec;
  if (fs::is_regular_file(TargetFile, Ec)) Session()->SendFile(TargetFile);
}

void TPelWebExportForm::ExportButtonClick() {
  const std::string Folder = ExportFolder();
  std::error_code Ec;
  fs::create_directories(Folder, Ec);
  TargetFile = Folder + "Report.xlsx";
  // Only what this click wrote goes out: no workbook or archive of an earlier export.
  fs::remove(Folder + "Report.zip", Ec);
  if (!WriteWorkbook()) return;
  PackWorkbook();
  SendWorkbook();
}

}  // namespace quin
