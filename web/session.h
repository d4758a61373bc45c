// The session object of the web application: the session's language manager, who is logged on
// and where that user's surveys lie, the lists of survey and report files, the open survey and
// the report window, and the operations that move a user between them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "base/langmanager.h"
#include "base/metaclass.h"
#include "platform/websession.h"

namespace quin {

class THobSessionModule;

class TZepSessionModule : public TObject {
  QUIN_CLASS(TZepSessionModule, TObject)
 public:
  // Created for Session; AfterConstruction runs the creation handler, once the object is the
  // session's data object.
  explicit TZepSessionModule(TWebSession* Session = nullptr) : FSession(Session) {}
  ~TZepSessionModule() override;
  void AfterConstruction() override { IWUserSessionBaseCreate(); }

  TWebSession* Session() const { return FSession; }
  TOrvLangManager* GetLangManager() const { return LangManager.get(); }

  virtual void SetStartForm();
  virtual void BeforeClose() {}
  virtual void ToggleLanguage();
  virtual std::string GetStatusText() const { return {}; }
  // Re-translates every page of the session.
  virtual void RefreshForms();
  // Replaces the current page by the logon page.
  void Logout();

  std::unique_ptr<TOrvLangManager> LangManager;

 protected:
  virtual void IWUserSessionBaseCreate();
  TWebSession* FSession;
};

// The session object of the calling request; null outside a session.
TZepSessionModule* GetSessionModuleBase();

// A hook of one of the web's hook tables that the caller cannot do without; raises "<What> is
// not available in this server." while the hook's owner has not filled it.
template <class F>
const F& Need(const F& Hook, const char* What) {
  if (!Hook) throw Exception(std::string(What) + " is not available in this server.");
  return Hook;
}

// How the session opens surveys and reports and which pages follow; filled with the analysis
// survey and the choice pages, and replaceable in tests.
struct TSessionSurveyHooks {
  // Reads the survey file at Path and runs its after-open step; raises on failure.
  std::function<std::unique_ptr<TObject>(THobSessionModule& Session, const std::string& Path)>
      LoadSurvey;
  // The survey's name, translated by its own language manager.
  std::function<std::string(TObject& Survey)> SurveyTitle;
  // The survey's own language manager.
  std::function<TOrvLangManager*(TObject& Survey)> SurveyLangManager;
  // Reads a report of the open survey from Path (first error ends the reading); raises.
  std::function<std::unique_ptr<TObject>(THobSessionModule& Session, const std::string& Path)>
      LoadReport;
  // The page class after a survey was opened: open-report (with reports) or template page.
  std::function<const ClassInfo*(THobSessionModule& Session)> NextPageClass;
  // The open-survey page class.
  std::function<const ClassInfo*()> OpenSurveyPageClass;
};
TSessionSurveyHooks& SessionSurveyHooks();

class THobSessionModule : public TZepSessionModule {
  QUIN_CLASS(THobSessionModule, TZepSessionModule)
 public:
  explicit THobSessionModule(TWebSession* Session = nullptr) : TZepSessionModule(Session) {}
  ~THobSessionModule() override;

  int FirstStep = 0;
  int LastStep = 0;
  int CurrentStep = 0;
  TObject* EditedObject = nullptr;  // not owned
  std::unique_ptr<TObject> WorkingCopy;
  TWebForm* ReportWindow = nullptr;  // not owned; closed by the session
  std::unique_ptr<TObject> Report;
  std::vector<std::string> ReportFiles;
  int WizardIndex = 0;
  std::unique_ptr<TObject> Survey;
  std::string SurveyPath;
  std::vector<std::string> SurveyFiles;
  std::string UserName;
  std::string UserFolder;  // with trailing '/'
  // The survey a start address named that the guest does not have; the logon page tells so.
  std::string MissingSurvey;

  void ToggleLanguage() override;
  std::string GetStatusText() const override;
  // The session ends: the report window and the report go before the survey they point into.
  void BeforeClose() override;

  bool Logon(std::string_view Login, std::string_view Password);
  // Checks the users file unless wrong passwords for Login from the client's address, or from
  // that address, make the attempt wait; the answer is held back for the wait (and a little
  // for a login that fails from many addresses).
  bool ThrottledCheck(std::string_view Login, std::string_view Password, std::string& Name,
                      std::string& Path);
  // Logs on; with one survey it is opened and shown, with several the open-survey page comes.
  void LogonAndShow(std::string_view Login, std::string_view Password);
  void ListSurveys();
  void ListReports();
  std::string GetReportsFolder() const;
  bool HasSeveralSurveys() const { return SurveyFiles.size() > 1; }
  bool HasReports() const { return !ReportFiles.empty(); }
  bool CanOpenReport() const { return HasReports(); }
  bool AllowsNewAnalyses() const { return true; }
  bool CanCloseReport() const { return ReportFiles.size() > 1 || AllowsNewAnalyses(); }

  bool OpenSurvey(const std::string& FileName);
  void OpenSurveyAndShow(const std::string& FileName, bool Replace);
  // The report read from the reports folder; null after an error (alerted).
  TObject* OpenReport(const std::string& FileName);
  void CloseSurvey();
  void SetReportWindow(TWebForm* Form) { ReportWindow = Form; }
  void CloseReportWindow();
  void LogOff();
  bool IsFirstStep() const { return CurrentStep == FirstStep; }
  bool IsLastStep() const { return CurrentStep == LastStep; }
  void FreeWorkingCopy() { WorkingCopy.reset(); }

 protected:
  void IWUserSessionBaseCreate() override;
};

THobSessionModule* GetSessionModule();

// The value of the last start parameter named exactly Name; empty when none.
std::string StartParam(const std::vector<std::string>& Params, std::string_view Name);

// The names (without folder) of the regular files in Folder whose extension is Ext (without
// regard to case), sorted; a symbolic link counts only when it leads to a file in Folder.
std::vector<std::string> ListFiles(const std::string& Folder, std::string_view Ext);

}  // namespace quin
