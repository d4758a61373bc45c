// Quinview Viewer: a desktop program that opens survey files and their saved reports and shows
// the survey's data summary or the report's tables, with the framework's main window: recent
// surveys and the reports of the open survey to reopen, toolbar, status bar, splash and about
// windows, help, two languages and one running instance.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "desktop/orvappform.h"
#include "desktop/orvdeskapp.h"

namespace quin {

class TPelRep;
class TPelSurvey;

class TViewerApp : public TOrvDesktopApp {
  QUIN_CLASS(TViewerApp, TOrvDesktopApp)
 public:
  using TOrvDesktopApp::TOrvDesktopApp;
  std::string GetProductInfo(int Kind) const override;
};

class TViewerForm : public TOrvAppGUIForm {
  QUIN_CLASS(TViewerForm, TOrvAppGUIForm)
 public:
  explicit TViewerForm(TOrvTickClock AClock = SteadyTickCount);
  ~TViewerForm() override;

  // What the content area shows: the recent surveys, a survey's summary or a report.
  enum class TShows { Recents, Survey, Report };
  TShows Shows = TShows::Recents;
  std::string ContentTitle;
  std::string ContentHtml;
  // The content changed.
  std::function<void()> OnContentChanged;

  TOrvAction FileOpenSurveyAction;
  TOrvAction FileOpenReportAction;
  TOrvAction FileCloseAction;
  TOrvAction LanguagePolishAction;
  TOrvAction LanguageEnglishAction;
  TWebMenuItem* ReopenMenu = nullptr;

  const std::string& SurveyPath() const { return FSurveyPath; }
  const std::string& ReportPath() const { return FReportPath; }
  // The folder of the open survey's reports ("demo.zos" keeps them in "demo.reports/").
  std::string ReportsFolder() const;

  // Open a survey (its report closed), or a report (its survey opened first when another is
  // open); an error box tells why a file cannot be opened. Whether it opened.
  bool OpenSurvey(const std::string& Path);
  bool OpenReport(const std::string& Path);
  void CloseSurvey();
  void CloseReport();

  bool AcceptsDroppedFiles() const override { return true; }
  bool ShowsSplash() const override { return true; }
  // The viewer comes without a help file.
  bool HasHelp() const override { return false; }
  void OpenFileHook(const std::string& FileName, bool& Handled) override;
  void CreateRecents() override;
  void ApplyTexts() override;
  void SetupToolbar() override;
  // The survey's summary and the report's tables in the new language.
  void LanguageChanged() override;

 protected:
  void CreateControls() override;
  void RebuildMenus() override;

 private:
  void ContentChanged();
  void ShowRecents();
  void ShowSurvey();
  // The report's tables as HTML, calculated first when Calculate is set.
  std::string ReportHtml(bool Calculate) const;
  std::unique_ptr<TPelSurvey> FSurvey;
  std::unique_ptr<TPelRep> FReport;
  std::string FSurveyPath;
  std::string FReportPath;
};

}  // namespace quin
