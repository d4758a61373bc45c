#include "desktop/viewer/viewerform.h"

#include <filesystem>

#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvdialogs.h"
#include "base/orvfiles.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "reports/pelrep.h"
#include "reports/peltable.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TViewerApp, TOrvDesktopApp)
QUIN_IMPLEMENT_CLASS(TViewerForm, TOrvAppGUIForm)

namespace fs = std::filesystem;

std::string TViewerApp::GetProductInfo(int Kind) const {
  switch (Kind) {
    case piSystemName:
      return "Fennix";
    case piProductName:
      return "Quinview Viewer";
    case piVersionText:
      return "1.0";
    case piReleaseDate:
      return "2024-06-03";
    case piProductVersion:
      return "1.0";
    case piCompanyName:
      return "Orvsoft";
    case piLegalNotice:
      return "Copyright (C) 2024 Orvsoft";
    case piCompanyHttp:
      return "orvsoft.example";
    case piSupportMail:
      return "support@orvsoft.example";
    default:
      return {};
  }
}

namespace {

bool HasExt(const std::string& Path, const char* Ext) {
  return SameText(fs::path(Path).extension().string(), Ext);
}

// The reason of a failure in the program's language; a failure without a text of its own
// still gives one.
std::string Reason(const std::exception& E) {
  std::string R = CurrentLangManager().TranslateText(E.what());
  if (TrimChar(R, ' ').empty())
    R = TranslateLiteral("<PLK>Plik jest uszkodzony.<ENU>The file is damaged.");
  return R;
}

void Fail(const char* WhatUtf8, const std::string& Path, const std::string& Why) {
  ErrorBox(Cp1250(WhatUtf8) + FileNameText(Path) + "\r\n" + Why);
}

}  // namespace

TViewerForm::TViewerForm(TOrvTickClock AClock) : TOrvAppGUIForm(std::move(AClock)) {}

TViewerForm::~TViewerForm() {
  FReport.reset();
  FSurvey.reset();
}

void TViewerForm::CreateRecents() {
  // Surveys on the first level, the reports of each survey on the second.
  Recents = std::make_unique<TOrvRecents_Handler>(2, std::vector<int>{10, 10},
                                                  std::vector<char>{'A', 'K'});
  Recents->OnChange = [this] { MenusChanged(); };
}

void TViewerForm::CreateControls() {
  FileOpenSurveyAction.OnExecute = [this](TOrvAction&) {
    std::string Name;
    if (ExecuteFileDialog(
            FileDialogOpen, TranslateLiteral("<PLK>Otwórz badanie<ENU>Open survey"),
            MakeDialogFilter({TranslateLiteral("<PLK>Badania<ENU>Surveys")}, {"*.zos"}, true), "",
            Name))
      OpenSurvey(Name);
  };
  FileOpenReportAction.OnExecute = [this](TOrvAction&) {
    std::error_code E;
    if (fs::is_directory(ReportsFolder(), E)) SetLastDialogDir(ReportsFolder());
    std::string Name;
    if (ExecuteFileDialog(
            FileDialogOpen, TranslateLiteral("<PLK>Otwórz raport<ENU>Open report"),
            MakeDialogFilter({TranslateLiteral("<PLK>Raporty<ENU>Reports")}, {"*.zor"}, true), "",
            Name))
      OpenReport(Name);
  };
  FileCloseAction.OnExecute = [this](TOrvAction&) {
    if (FReport)
      CloseReport();
    else
      CloseSurvey();
  };
  LanguagePolishAction.OnExecute = [this](TOrvAction&) { SwitchLanguage("plk"); };
  LanguageEnglishAction.OnExecute = [this](TOrvAction&) { SwitchLanguage("enu"); };
  for (TOrvAction* A : {&LanguagePolishAction, &LanguageEnglishAction}) A->Checkable = true;

  TWebMenuItem& Bar = MainMenu->Items;
  TWebMenuItem* File = CreateMenuItem(Bar, "", nullptr, nullptr, {}, {}, {});
  File->Name = "FileMenu";
  AddActionMenuItem(*File, &FileOpenSurveyAction);
  AddActionMenuItem(*File, &FileOpenReportAction);
  ReopenMenu = CreateMenuItem(*File, "", nullptr, nullptr, {}, {}, {});
  ReopenMenu->Name = "ReopenMenu";
  AddActionMenuItem(*File, &FileCloseAction);
  AddSeparatorMenuItem(*File);
  AddActionMenuItem(*File, &ProgramExitAction);
  TWebMenuItem* View = CreateMenuItem(Bar, "", nullptr, nullptr, {}, {}, {});
  View->Name = "ViewMenu";
  AddActionMenuItem(*View, &ToolbarToggleAction);
  AddActionMenuItem(*View, &StatusbarToggleAction);
  AddSeparatorMenuItem(*View);
  AddActionMenuItem(*View, &LanguagePolishAction);
  AddActionMenuItem(*View, &LanguageEnglishAction);
  RebuildMenus();
  ShowRecents();
}

void TViewerForm::SetupToolbar() {
  TOrvAppGUIForm::SetupToolbar();
  Toolbar->Buttons = {&FileOpenSurveyAction, &FileOpenReportAction, &FileCloseAction, nullptr,
                      &HelpAboutAction};
}

void TViewerForm::ApplyTexts() {
  TOrvAppGUIForm::ApplyTexts();
  auto Set = [](TOrvAction& A, const char* Caption, const char* Hint) {
    A.Caption = TranslateLiteral(Caption);
    A.Hint = TranslateLiteral(Hint);
  };
  Set(FileOpenSurveyAction, "<PLK>&Otwórz badanie...<ENU>&Open survey...",
      "<PLK>Otwiera plik badania<ENU>Opens a survey file");
  Set(FileOpenReportAction, "<PLK>Otwórz &raport...<ENU>Open &report...",
      "<PLK>Otwiera zapisany raport badania<ENU>Opens a saved report of the survey");
  Set(FileCloseAction, "<PLK>&Zamknij<ENU>&Close",
      "<PLK>Zamyka raport, a bez raportu badanie<ENU>Closes the report, or the survey when no "
      "report is open");
  Set(LanguagePolishAction, "Polski", "<PLK>Program po polsku<ENU>The program in Polish");
  Set(LanguageEnglishAction, "English", "<PLK>Program po angielsku<ENU>The program in English");
  LanguagePolishAction.Checked = CurrentLangManager().Current() == "plk";
  LanguageEnglishAction.Checked = !LanguagePolishAction.Checked;
  FileOpenReportAction.Enabled = FSurvey != nullptr;
  FileCloseAction.Enabled = FSurvey != nullptr;
  if (!MainMenu) return;
  for (const auto& Top : MainMenu->Items.Items()) {
    if (Top->Name == "FileMenu") Top->Caption = TranslateLiteral("<PLK>&Plik<ENU>&File");
    if (Top->Name == "ViewMenu") Top->Caption = TranslateLiteral("<PLK>&Widok<ENU>&View");
  }
  if (ReopenMenu) ReopenMenu->Caption = TranslateLiteral("<PLK>Otwórz &ponownie<ENU>&Reopen");
  if (Shows == TShows::Recents) ShowRecents();
}

void TViewerForm::RebuildMenus() {
  if (!ReopenMenu || !Recents) return;
  Recents->BuildMenu(*ReopenMenu, -1, [this](TWebMenuItem& I) { OpenRecent(I); });
  if (Shows == TShows::Recents) ContentChanged();
}

void TViewerForm::ContentChanged() {
  FileOpenReportAction.Enabled = FSurvey != nullptr;
  FileCloseAction.Enabled = FSurvey != nullptr;
  if (OnContentChanged) OnContentChanged();
  ViewsChanged();
}

void TViewerForm::ShowRecents() {
  Shows = TShows::Recents;
  ContentTitle = TranslateLiteral("<PLK>Ostatnio otwierane badania<ENU>Recently opened surveys");
  ContentHtml.clear();
  ContentChanged();
}

std::string TViewerForm::ReportsFolder() const {
  if (FSurveyPath.empty()) return {};
  fs::path P(FSurveyPath);
  return (P.parent_path() / (P.stem().string() + ".reports")).string();
}

void TViewerForm::OpenFileHook(const std::string& FileName, bool& Handled) {
  if (HasExt(FileName, ".zos"))
    Handled = OpenSurvey(FileName);
  else if (HasExt(FileName, ".zor"))
    Handled = OpenReport(FileName);
}

bool TViewerForm::OpenSurvey(const std::string& Path) {
  CloseSurvey();
  ShowStatus(Format(TranslateLiteral("<PLK>Otwieranie %s...<ENU>Opening %s..."),
                    {FileNameText(Path)}, CurrentLangManager().FormatSettings),
             clWindowText, false, false);
  try {
    auto S = New<TPelSurvey>(Path, 1);
    S->LoadFromFile(Path);
    if (!S->AfterOpen()) throw Exception("");
    FSurvey = std::move(S);
  } catch (const std::exception& E) {
    Fail("<PLK>Nie można otworzyć tego badania:\\n<ENU>This survey cannot be opened:\\n", Path,
         Reason(E));
    ShowRecents();
    return false;
  }
  FSurveyPath = ExpandFileName(Path);
  FileOpened(FSurveyPath);
  ShowSurvey();
  ShowStatus(Format(TranslateLiteral("<PLK>Otwarto badanie %s<ENU>Survey %s opened"),
                    {ContentTitle}, CurrentLangManager().FormatSettings),
             clWindowText, false, true);
  return true;
}

bool TViewerForm::OpenReport(const std::string& Path) {
  const std::string Full = ExpandFileName(Path);
  // A report belongs to the survey whose reports folder holds it.
  const fs::path Folder = fs::path(Full).parent_path();
  const std::string Owner = (Folder.parent_path() / Folder.stem()).string() + ".zos";
  if (!FSurvey || !SameText(Folder.string(), ReportsFolder())) {
    if (!FileExists(Owner)) {
      Fail("<PLK>Nie można otworzyć tego raportu:\\n<ENU>This report cannot be opened:\\n", Full,
           Format(TranslateLiteral("<PLK>Nie ma jego badania %s.<ENU>Its survey %s is missing."),
                  {FileNameText(Owner)}, CurrentLangManager().FormatSettings));
      return false;
    }
    if (!OpenSurvey(Owner)) return false;
  }
  CloseReport();
  FReport = std::make_unique<TPelRep>(FSurvey.get());
  std::string Html;
  try {
    TFileStream Stream(Full, fmOpenRead | fmShareDenyWrite);
    TOrvMsgList Msgs(100, 20);
    FReport->LoadFromStream(Stream, &Msgs);
    for (int I = 0; I < Msgs.Count(); ++I)
      if (Msgs.GetItem(I)->IsError()) throw Exception(Msgs.GetItem(I)->MessageText());
    Html = ReportHtml(true);
  } catch (const std::exception& E) {
    FReport.reset();
    Fail("<PLK>Nie można otworzyć tego raportu:\\n<ENU>This report cannot be opened:\\n", Full,
         Reason(E));
    return false;
  }
  FReportPath = Full;
  Recents->FileOpened(1, Full);
  Shows = TShows::Report;
  ContentTitle = FileNameText(fs::path(Full).filename().string());
  ContentHtml = std::move(Html);
  ContentChanged();
  ShowStatus(Format(TranslateLiteral("<PLK>Otwarto raport %s<ENU>Report %s opened"), {ContentTitle},
                    CurrentLangManager().FormatSettings),
             clWindowText, false, true);
  return true;
}

void TViewerForm::CloseReport() {
  if (!FReport) return;
  FReport.reset();
  if (Recents) Recents->FileClosed(1, FReportPath);
  FReportPath.clear();
  ShowSurvey();
}

void TViewerForm::ShowSurvey() {
  Shows = TShows::Survey;
  ContentTitle = FileNameText(fs::path(FSurveyPath).filename().string());
  ContentHtml.clear();
  FSurvey->GetDataSummaryText(0, ContentHtml);
  ContentChanged();
}

std::string TViewerForm::ReportHtml(bool Calculate) const {
  std::string Html;
  const auto Elems = FReport->Tree->CreateElemList();
  for (int I = 0; I < Elems->Count(); ++I) {
    auto* Table = As<TPelRepElemTable>(Elems->GetItem(I));
    if (!Table) continue;
    Html += "<h3>" + HtmlEscape(Table->GetFullCaption()) + "</h3>\r\n";
    if (Calculate) Table->Calculate();
    Table->FillCoordinates();
    Html += Table->RenderHtmlText();
  }
  return Html;
}

void TViewerForm::LanguageChanged() {
  TOrvAppGUIForm::LanguageChanged();
  if (Shows == TShows::Survey && FSurvey) ShowSurvey();
  if (Shows == TShows::Report && FReport) {
    ContentHtml = ReportHtml(false);
    ContentChanged();
  }
}

void TViewerForm::CloseSurvey() {
  if (FReport) {
    FReport.reset();
    if (Recents) Recents->FileClosed(1, FReportPath);
    FReportPath.clear();
  }
  if (!FSurvey) return;
  FSurvey.reset();
  FileClosed(FSurveyPath);
  FSurveyPath.clear();
  ShowRecents();
}

}  // namespace quin
