#include "web/session.h"

#include <algorithm>
#include <filesystem>

#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/log.h"
#include "base/orvexceptions.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "platform/html.h"
#include "reports/pelrep.h"
#include "web/choicepages.h"
#include "web/controller.h"
#include "web/logon.h"
#include "web/pelwebsurvey.h"
#include "web/zepform.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_CLASS(TZepSessionModule, TObject)
QUIN_IMPLEMENT_CLASS(THobSessionModule, TZepSessionModule)

// --- TZepSessionModule ---

TZepSessionModule::~TZepSessionModule() = default;

void TZepSessionModule::IWUserSessionBaseCreate() {
  std::string Code = "plk";
  if (FSession && !FSession->EndedLangCode().empty()) {
    // The session that ended before this one chose the language.
    if (FSession->EndedLangCode() == "enu") Code = "enu";
  } else if (FSession) {
    for (const std::string& P : FSession->StartParams()) {
      if (P.find("lang=") == std::string::npos) continue;
      if (SameText(TextAfterLast(P, "="), "en")) Code = "enu";
      break;
    }
  }
  LangManager = New<TOrvLangManager>(Code);
  LangManager->Hook = [](const std::string& LangCode, std::string& Text) {
    if (TZepServerController* C = GetZepServerController())
      C->PostProcessText(LangCode, Text);
    else
      PostProcessText(LangCode, Text);
  };
  SetUpSessionLanguage(*LangManager);
}

void TZepSessionModule::SetStartForm() {
  TZepServerController* C = GetZepServerController();
  if (FSession && C) FSession->SetStartForm(C->GetLogonFormClass());
}

void TZepSessionModule::ToggleLanguage() {
  if (!LangManager) return;
  LangManager->SetLanguage(LangManager->Current() != "enu" ? "enu" : "plk");
}

void TZepSessionModule::RefreshForms() {
  if (!FSession) return;
  for (TWebForm* F : FSession->Forms())
    if (auto* Z = As<TZepForm>(F))
      if (!Z->IsReleased()) Z->RefreshTexts();
}

void TZepSessionModule::Logout() {
  TZepServerController* C = GetZepServerController();
  if (C && C->GetLogonFormClass()) ReplaceCurrentForm(*C->GetLogonFormClass());
  // The chart images and print pages of the session go with the user.
  if (C && FSession) {
    DeleteSessionFolder(C->GetFilesFolder(), "TMPReports", FSession->Id());
    DeleteSessionFolder(C->GetFilesFolder(), "TMPCharts", FSession->Id());
  }
}

TZepSessionModule* GetSessionModuleBase() {
  TWebSession* S = CurrentWebSession();
  return S ? As<TZepSessionModule>(S->Data()) : nullptr;
}

namespace {

// The analysis survey behind a session's survey object.
TPelSurvey& PelSurveyOf(TObject& Survey) {
  TPelSurvey* S = As<TPelSurvey>(&Survey);
  if (!S) throw Exception("The session's survey is not an analysis survey.");
  return *S;
}

// Opening surveys for analysis; the choice pages fill the page hooks.
TSessionSurveyHooks AnalysisSurveyHooks() {
  TSessionSurveyHooks H;
  H.LoadSurvey = [](THobSessionModule&, const std::string& Path) -> std::unique_ptr<TObject> {
    auto Survey = New<TPelWebSurvey>(Path);
    Survey->LoadFromFile(Path);
    if (!Survey->AfterOpen()) throw EPelSurveyLoadError();
    return Survey;
  };
  H.SurveyTitle = [](TObject& Survey) {
    TPelSurvey& S = PelSurveyOf(Survey);
    return S.Info ? S.Environ->LangManager->TranslateText(S.Info->Name) : std::string();
  };
  H.SurveyLangManager = [](TObject& Survey) -> TOrvLangManager* {
    return PelSurveyOf(Survey).Environ->LangManager.get();
  };
  H.LoadReport = [](THobSessionModule& M, const std::string& Path) -> std::unique_ptr<TObject> {
    if (!M.Survey) throw Exception("No survey is open.");
    TFileStream Stream(Path, fmOpenRead | fmShareDenyWrite);
    auto Report = New<TPelRep>(&PelSurveyOf(*M.Survey));
    // The first error ends the reading; the alert names that error rather than the limit.
    TOrvMsgList Msgs(0, 1);
    try {
      Report->LoadFromStream(Stream, &Msgs);
    } catch (const EMsgList_FatalError&) {
      for (int I = 0; I < Msgs.Count(); ++I)
        if (Msgs.GetItem(I)->IsError()) throw Exception(Msgs.GetItem(I)->MessageText());
      throw;
    }
    return Report;
  };
  H.NextPageClass = [](THobSessionModule& M) -> const ClassInfo* {
    return M.HasReports() ? &TPelWebOpenReportForm::StaticClass() : &TPelWebWizForm::StaticClass();
  };
  H.OpenSurveyPageClass = []() -> const ClassInfo* {
    return &TPelWebOpenSurveyForm::StaticClass();
  };
  return H;
}

}  // namespace

TSessionSurveyHooks& SessionSurveyHooks() {
  static TSessionSurveyHooks Hooks = AnalysisSurveyHooks();
  return Hooks;
}

// --- THobSessionModule ---

THobSessionModule::~THobSessionModule() {
  // The session's pages are gone by now; what points into the survey goes before it.
  Report.reset();
  WorkingCopy.reset();
  Survey.reset();
}

void THobSessionModule::BeforeClose() {
  CloseReportWindow();
  Report.reset();
}

THobSessionModule* GetSessionModule() { return As<THobSessionModule>(GetSessionModuleBase()); }

std::string StartParam(const std::vector<std::string>& Params, std::string_view Name) {
  std::string Value;
  for (const std::string& P : Params) {
    const std::size_t Eq = P.find('=');
    if (Eq != std::string::npos && std::string_view(P).substr(0, Eq) == Name)
      Value = TextAfterLast(P, "=");
  }
  return Value;
}

void THobSessionModule::IWUserSessionBaseCreate() {
  TZepSessionModule::IWUserSessionBaseCreate();
  TLangManagerBinding Bind(LangManager.get());
  Survey.reset();
  ReportWindow = nullptr;
  Report.reset();
  UserName.clear();
  if (!FSession) return;
  MissingSurvey = StartParam(FSession->StartParams(), "notfound");
  std::string SurveyName = StartParam(FSession->StartParams(), "survey");
  if (SurveyName.empty()) return;
  SurveyName += ".zos";
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  if (!H.LoadSurvey || !H.NextPageClass || !H.OpenSurveyPageClass) return;
  if (!Logon(GuestLogin, GuestPassword)) return;
  auto It = std::find_if(SurveyFiles.begin(), SurveyFiles.end(),
                         [&](const std::string& F) { return SameText(F, SurveyName); });
  if (It != SurveyFiles.end()) {
    OpenSurveyAndShow(*It, false);
  } else if (FSession) {
    // The list of the guest's surveys, saying why it shows instead of the survey asked for.
    FSession->Alert(Format(CurrentLangManager().TranslateText(Cp1250(
                               "<PLK>Nie znaleziono badania \"%s\". Wybierz badanie z listy."
                               "<ENU>The survey \"%s\" was not found. Choose a survey from the "
                               "list.")),
                           {TextBeforeLast(SurveyName, ".")}, CurrentLangManager().FormatSettings));
    FSession->SetStartForm(H.OpenSurveyPageClass());
  }
}

void THobSessionModule::ToggleLanguage() {
  TZepSessionModule::ToggleLanguage();
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  if (Survey && H.SurveyLangManager && LangManager)
    SetUpSessionLanguage(*LangManager, H.SurveyLangManager(*Survey));
}

std::string THobSessionModule::GetStatusText() const {
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  const TOrvLangManager& LM = CurrentLangManager();
  if (Survey) {
    std::string Name = H.SurveyTitle ? H.SurveyTitle(*Survey) : TextAfterLast(SurveyPath, "/");
    // The name comes from the survey file: it is shown as text inside the line's markup.
    return Format(LM.TranslateText("<PLK>Badanie: <b>%s</b><ENU>Survey: <b>%s</b>"),
                  {HtmlEscape(Name)}, LM.FormatSettings);
  }
  return LM.TranslateText("<PLK>Badanie nie otwarte<ENU>No survey opened");
}

bool THobSessionModule::Logon(std::string_view Login, std::string_view Password) {
  UserName.clear();
  if (FSession) FSession->MarkLoggedOff();
  std::string Name, Path;
  const TOrvLangManager& LM = CurrentLangManager();
  if (!ThrottledCheck(Login, Password, Name, Path)) {
    if (FSession)
      FSession->Alert(LM.TranslateText(
          Cp1250("<PLK>Nieprawidłowy użytkownik lub hasło.<ENU>Invalid user name or password.")));
    return false;
  }
  UserName = Name;
  TZepServerController* C = GetZepServerController();
  std::string App = C ? C->AppPath : (FSession ? FSession->AppPath() : std::string());
  UserFolder = App + "Files/Quin/Surveys/" + TrimRightChar(ReplaceChar(Path, '\\', '/'), '/') + "/";
  ListSurveys();
  if (SurveyFiles.empty()) {
    if (FSession)
      FSession->Alert(LM.TranslateText(Cp1250(
          "<PLK>Nie ma żadnych badań dla tego użytkownika.<ENU>No surveys available for this "
          "user.")));
    return false;
  }
  // A new session identifier from here on: the one used before the logon has ended. The
  // guest's sessions stay among the cheap ones that go first.
  if (FSession) FSession->MarkLoggedOn(Login == GuestLogin && Password == GuestPassword);
  return true;
}

bool THobSessionModule::ThrottledCheck(std::string_view Login, std::string_view Password,
                                       std::string& Name, std::string& Path) {
  TZepServerController* C = GetZepServerController();
  // The demonstration account's password is no secret: it is never slowed down.
  if (!C || (Login == GuestLogin && Password == GuestPassword))
    return CheckUserLogon(Login, Password, Name, Path);
  std::string Address = FSession ? FSession->ClientAddress() : std::string();
  // While a wait runs the attempt is not checked; the answer is the one of a wrong password,
  // sent when the wait is over.
  TLogonThrottle::TOutcome R =
      C->LogonThrottle.Attempt(Login, Address, TLogonThrottle::TClock::now(),
                               [&] { return CheckUserLogon(Login, Password, Name, Path); });
  if (FSession) FSession->DelayReply(R.Delay);
  return R.Succeeded;
}

void THobSessionModule::LogonAndShow(std::string_view Login, std::string_view Password) {
  if (!Logon(Login, Password)) return;
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  if (!H.LoadSurvey || !H.NextPageClass || !H.OpenSurveyPageClass) return;
  if (SurveyFiles.size() == 1) {
    OpenSurveyAndShow(SurveyFiles[0], true);
  } else if (const ClassInfo* Page = H.OpenSurveyPageClass()) {
    ReplaceCurrentForm(*Page);
  }
}

std::vector<std::string> ListFiles(const std::string& Folder, std::string_view Ext) {
  std::vector<std::string> Names;
  std::error_code Ec;
  // A file reached through a symbolic link that leads out of the folder is not listed.
  fs::path Real = fs::canonical(Folder, Ec);
  if (Ec) return Names;
  for (fs::directory_iterator It(Folder, Ec), End; !Ec && It != End; It.increment(Ec)) {
    std::error_code E2;
    if (!It->is_regular_file(E2)) continue;
    fs::path Target = fs::canonical(It->path(), E2);
    if (E2 || Target.parent_path() != Real) continue;
    std::string N = It->path().filename().string();
    std::string E = It->path().extension().string();
    if (SameText(E, Ext)) Names.push_back(N);
  }
  // The file system's own order is arbitrary here; the names are shown sorted.
  std::sort(Names.begin(), Names.end(),
            [](const std::string& A, const std::string& B) { return CompareText(A, B) < 0; });
  return Names;
}

void THobSessionModule::ListSurveys() {
  SurveyFiles.clear();
  if (!UserFolder.empty()) SurveyFiles = ListFiles(UserFolder, ".zos");
}

void THobSessionModule::ListReports() {
  ReportFiles.clear();
  std::string F = GetReportsFolder();
  if (!F.empty()) ReportFiles = ListFiles(F, ".zor");
}

std::string THobSessionModule::GetReportsFolder() const {
  if (!Survey) return UserFolder;
  std::string Name = TextAfterLast(SurveyPath, "/");
  if (Name.empty()) Name = SurveyPath;
  std::size_t Dot = Name.rfind('.');
  if (Dot != std::string::npos) Name.erase(Dot);
  return UserFolder + Name + ".reports/";
}

namespace {
// A file name from a list or a request: a plain name, never a path.
bool IsPlainFileName(const std::string& Name) {
  return !Name.empty() && Name != "." && Name != ".." &&
         Name.find_first_of("/\\") == std::string::npos && Name.find('\0') == std::string::npos;
}
}  // namespace

bool THobSessionModule::OpenSurvey(const std::string& FileName) {
  CloseReportWindow();
  CloseSurvey();
  const TOrvLangManager& LM = CurrentLangManager();
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  try {
    if (!IsPlainFileName(FileName)) throw Exception("Invalid survey file name.");
    if (!H.LoadSurvey) throw Exception("Surveys cannot be opened by this server.");
    SurveyPath = UserFolder + FileName;
    Survey = H.LoadSurvey(*this, SurveyPath);
    if (H.SurveyLangManager && Survey && LangManager)
      SetUpSessionLanguage(*LangManager, H.SurveyLangManager(*Survey));
    return Survey != nullptr;
  } catch (const std::exception& E) {
    LogCaught(TLogLevel::Warning, "the survey cannot be opened: " + FileName);
    std::string Msg = LM.TranslateText(
        Cp1250("<PLK>Nie można otworzyć tego badania:\\n<ENU>This survey cannot be opened:\\n"));
    // A failure without a text of its own (a failed inflation has none) still gives a reason.
    std::string Reason = LM.TranslateText(E.what());
    if (std::all_of(Reason.begin(), Reason.end(), [](unsigned char C) { return C <= ' '; }))
      Reason = LM.TranslateText(PelDamagedFileText());
    if (FSession) FSession->Alert(Msg + Reason);
    Survey.reset();
    SurveyPath.clear();
    return false;
  }
}

void THobSessionModule::OpenSurveyAndShow(const std::string& FileName, bool Replace) {
  if (!OpenSurvey(FileName)) return;
  ListReports();
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  const ClassInfo* Next = H.NextPageClass ? H.NextPageClass(*this) : nullptr;
  if (!Next) return;
  if (Replace)
    ReplaceCurrentForm(*Next);
  else if (FSession)
    FSession->SetStartForm(Next);
}

TObject* THobSessionModule::OpenReport(const std::string& FileName) {
  CloseReportWindow();
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  if (!IsPlainFileName(FileName)) throw Exception("Invalid report file name.");
  std::string Path = GetReportsFolder() + FileName;
  std::error_code Ec;
  if (!fs::is_regular_file(Path, Ec)) throw Exception("Cannot open file \"" + FileName + "\".");
  if (!H.LoadReport) throw Exception("Reports cannot be opened by this server.");
  try {
    Report = H.LoadReport(*this, Path);
    return Report.get();
  } catch (const std::exception& E) {
    LogCaught(TLogLevel::Warning, "the report cannot be opened: " + FileName);
    const TOrvLangManager& LM = CurrentLangManager();
    std::string Msg = LM.TranslateText(
        Cp1250("<PLK>Nie można otworzyć tego raportu:\\n<ENU>This report cannot be opened:\\n"));
    if (FSession) FSession->Alert(Msg + LM.TranslateText(E.what()));
    Report.reset();
    return nullptr;
  }
}

void THobSessionModule::CloseSurvey() {
  // The report and the pages that point into the survey go first: a page released during
  // this request is freed when the request ends, and the survey after it. (A step page left
  // under another page keeps its working copy; it knows by the survey's life token that it is
  // left over.)
  Report.reset();
  if (FSession)
    FSession->FreeAfterPages(std::move(Survey));
  else
    Survey.reset();
  SurveyPath.clear();
}

void THobSessionModule::CloseReportWindow() {
  if (!ReportWindow) return;
  TWebForm* W = ReportWindow;
  ReportWindow = nullptr;
  if (FSession && !W->IsReleased()) FSession->Release(W);
}

void THobSessionModule::LogOff() {
  // The report window goes before the survey it shows (when it is the active page, the page
  // change below releases it, and the survey is freed after it).
  if (FSession && ReportWindow && FSession->ActiveForm() == ReportWindow)
    ReportWindow = nullptr;
  else
    CloseReportWindow();
  CloseSurvey();
  UserName.clear();
  if (FSession) FSession->MarkLoggedOff();
  Logout();
}

}  // namespace quin
