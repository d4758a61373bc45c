#include "web/controller.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <iostream>

#include "base/format.h"
#include "base/langmanager.h"
#include "base/log.h"
#include "base/orvstrings.h"
#include "base/process.h"
#include "base/text.h"
#include "base/urlprobe.h"
#include "platform/charset.h"
#include "platform/html.h"
#include "platform/serverheap.h"
#include "web/logon.h"
#include "web/prefshelp.h"
#include "web/session.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvApp, TObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvAppGUI, TOrvApp)
QUIN_IMPLEMENT_CLASS(TZepApp, TOrvAppGUI)
QUIN_IMPLEMENT_CLASS(TZepServerController, TObject)
QUIN_IMPLEMENT_CLASS(THobServerController, TZepServerController)

// --- application objects ---

void TOrvApp::HandleException(const Exception& E) {
  Log(TLogLevel::Error, ApplicationTitle() + ": " + E.Message);
  std::exit(1);
}

namespace {

std::atomic<bool> StopRequested{false};
extern "C" void OnStopSignal(int) { StopRequested = true; }

std::unique_ptr<TOrvApp>& AppObject() {
  static std::unique_ptr<TOrvApp> App;
  return App;
}

std::atomic<TZepServerController*> TheController{nullptr};

}  // namespace

void TOrvAppGUI::Run() {
  while (!StopRequested) usleep(100 * 1000);
}

void TOrvAppGUI::Initialize() {
  // A stop request is caught from before the forms are made: a supervisor that stops the
  // program as soon as it announces itself gets the orderly end too.
  struct sigaction Action {};
  Action.sa_handler = OnStopSignal;
  sigemptyset(&Action.sa_mask);
  sigaction(SIGINT, &Action, nullptr);
  sigaction(SIGTERM, &Action, nullptr);
  CreateForms();
  RegisterFileAssociations();
}

void TOrvAppGUI::RegisterFileAssociations() {
  for (const std::string& Ext : GetFileExtensions())
    if (GetOpenCommand(Ext).empty())
      RegisterFileType(Ext, "Orv" + Ext, ApplicationTitle(), ExecutableFolder(),
                       ExecutableFolder());
}

TServerOptions& ServerOptions() {
  static TServerOptions Options;
  return Options;
}

TZepApp::TZepApp() : Title(ApplicationTitle()) {}

TZepApp::~TZepApp() {
  if (FServer) FServer->Stop();
  FServer.reset();
  if (TheController == FController.get()) TheController = nullptr;
}

void TZepApp::CreateForms() {
  SetApplicationTitle(Title);
  FServer = StartServer(ServerOptions(), FController);
  std::string Address = FServer->Address();
  bool Any = Address == "0.0.0.0" || Address == "::";
  if (Address.find(':') != std::string::npos) Address = "[" + Address + "]";
  std::cout << Title << " listening on http://" << Address << ":" << FServer->Port() << "/"
            << (Any ? " (every address of this machine; --host 127.0.0.1 for this machine only)"
                    : "")
            << std::endl;
}

std::unique_ptr<TWebServer> StartServer(const TServerOptions& Options,
                                        std::unique_ptr<TZepServerController>& Controller) {
  TuneHeapForServing();
  Controller = New<THobServerController>();
  Controller->AppPath = Options.AppDir.empty() ? ExecutableFolder() : Options.AppDir;
  if (Controller->AppPath.back() != '/') Controller->AppPath += '/';
  Controller->Port = Options.Port;
  Controller->Host = Options.Host;
  Controller->TrustedProxies = Options.TrustedProxies;
  Controller->SessionTimeoutSpan = Options.SessionTimeout;
  CheckAppFolder(Controller->AppPath);
  std::unique_ptr<TWebServer> Server = Controller->CreateServer();
  Server->Start();
  return Server;
}

void TZepApp::Done() {
  if (FServer && !FServer->Stop()) {
    // A page handler still runs; the process ends without waiting for it.
    std::cerr << Title << ": stopped while a request was still being served" << std::endl;
    std::_Exit(0);
  }
}

std::string TZepApp::GetProductInfo(int Kind) const {
  if (TZepServerController* C = GetZepServerController()) return C->GetProductInfo(Kind);
  return GetProductInfoText(Kind);
}

void RunApplication(const ClassInfo& AppClass) {
  AppObject().reset();
  AppObject() = OwnedAs<TOrvApp>(AppClass.Create());
  TOrvApp* App = AppObject().get();
  if (!App) throw Exception(std::string(AppClass.Name) + " is no application class");
  try {
    App->Initialize();
    App->Run();
    App->Done();
  } catch (const Exception& E) {
    App->HandleException(E);
  }
}

TOrvApp* GetApp() { return AppObject().get(); }

// --- controller ---

TZepServerController::TZepServerController() { TheController = this; }

TZepServerController::~TZepServerController() {
  TZepServerController* Self = this;
  TheController.compare_exchange_strong(Self, nullptr);
}

TZepServerController* GetZepServerController() { return TheController; }
THobServerController* GetServerController() {
  return As<THobServerController>(GetZepServerController());
}

int TZepServerController::HeartbeatInterval() const {
  long long Third = SessionTimeoutSpan.count() / 3;
  return int(std::clamp<long long>(Third, 100, 20000));
}

void TZepServerController::PostProcessText(const std::string& LangCode, std::string& Text) const {
  quin::PostProcessText(LangCode, Text);
}

std::string TZepServerController::GetHelpFileName(std::string_view Topic) const {
  return GetFilesFolder() + GetHelpFolderName() + "/" + std::string(Topic) + "_" +
         CurrentLangManager().Current() + ".hlp";
}

const ClassInfo* TZepServerController::GetHelpFormClass() const {
  return &TZepHelpForm::StaticClass();
}
const ClassInfo* TZepServerController::GetLogonFormClass() const {
  return &TZepLogonForm::StaticClass();
}
const ClassInfo* TZepServerController::GetPrefsFormClass() const {
  return &TZepPrefsForm::StaticClass();
}
std::string TZepServerController::GetProductInfo(int Kind) const {
  return GetProductInfoText(Kind);
}

void TZepServerController::IWServerControllerBaseCreate() { Description = GetProductInfo(1); }

void TZepServerController::IWServerControllerBaseNewSession(TWebSession& Session) {
  auto* M = new TZepSessionModule(&Session);
  Session.SetData(std::unique_ptr<TObject>(M));
  M->AfterConstruction();
  if (!Session.StartForm() && !Session.ActiveForm()) M->SetStartForm();
}

void TZepServerController::IWServerControllerBaseCloseSession(TWebSession& Session) {
  if (auto* M = As<TZepSessionModule>(Session.Data())) {
    M->BeforeClose();
    Session.SetData(nullptr);
  }
}

std::unique_ptr<TWebServer> TZepServerController::CreateServer() {
  // A survey's web addresses are probed off the requests, once each: no page waits for
  // another web server.
  SetURLProbeInBackground(true);
  TWebServerSettings S;
  S.Host = Host;
  S.Port = Port;
  S.SessionTimeout = SessionTimeoutSpan;
  S.ThreadPoolSize = ThreadPoolSize;
  S.AppPath = AppPath;
  S.FilesFolder = GetFilesFolder();
  S.FilesUrl = GetFilesUrl();
  S.HiddenFiles = {UsersFileLeafName};
  S.TrustedProxies = TrustedProxies;
  auto Server = std::make_unique<TWebServer>(S);
  Server->OnNewSession = [this](TWebSession& Session) {
    IWServerControllerBaseNewSession(Session);
  };
  Server->OnCloseSession = [this](TWebSession& Session) {
    IWServerControllerBaseCloseSession(Session);
  };
  // The identifier a session had before its logon has ended: its folders go.
  Server->OnRenewSession = [this](TWebSession&, const std::string& OldId) {
    DeleteSessionFolder(GetFilesFolder(), "TMPReports", OldId);
    DeleteSessionFolder(GetFilesFolder(), "TMPCharts", OldId);
    DeleteSessionFolder(GetExportFolder(), "TMPReports", OldId);
  };
  // The start-up reads the language, the survey to open and the survey not found.
  Server->KeepStartParam = [](std::string_view Name) {
    return Name == "survey" || Name == "notfound" || Name.find("lang") != std::string_view::npos;
  };
  Server->OnStartRequest = [this](const TWebRequest& Request) { return StartRedirect(Request); };
  Server->SessionLangManager = [](TWebSession& Session) -> TOrvLangManager* {
    auto* M = As<TZepSessionModule>(Session.Data());
    return M ? M->GetLangManager() : nullptr;
  };
  return Server;
}

std::string TZepServerController::StartRedirect(const TWebRequest&) const { return {}; }

std::string THobServerController::StartRedirect(const TWebRequest& Request) const {
  const std::string* Survey = nullptr;
  const std::string* Lang = nullptr;
  for (const auto& [N, V] : Request.Values.Items) {
    if (N == "survey") Survey = &V;
    if (!Lang && N.find("lang") != std::string::npos) Lang = &V;
  }
  if (!Survey || Survey->empty()) return {};
  // The guest's folder is looked at before anybody logs on. When the guest cannot log on, the
  // session's own logon attempt tells why.
  std::string Name, Path;
  if (!CheckUserLogon(GuestLogin, GuestPassword, Name, Path)) return {};
  const std::string Folder =
      AppPath + "Files/Quin/Surveys/" + TrimRightChar(ReplaceChar(Path, '\\', '/'), '/') + "/";
  const std::string Wanted = Iso88592ToCp1250(*Survey) + ".zos";
  for (const std::string& F : ListFiles(Folder, ".zos"))
    if (SameText(F, Wanted)) return {};
  constexpr std::size_t MaxShown = 200;
  std::string To = "/?notfound=" + UrlEncode(Survey->substr(0, MaxShown));
  if (Lang) To += "&lang=" + UrlEncode(Lang->substr(0, 16));
  return To;
}

const ClassInfo* THobServerController::GetHelpFormClass() const {
  return &THobHelpForm::StaticClass();
}
const ClassInfo* THobServerController::GetLogonFormClass() const {
  return &THobLogonForm::StaticClass();
}
const ClassInfo* THobServerController::GetPrefsFormClass() const {
  return &THobPrefsForm::StaticClass();
}

std::string THobServerController::GetProductInfo(int Kind) const {
  switch (Kind & 0xFF) {
    case 1:
      return "Quinview";
    case 12:
      return "Quinview Analyzer";
    case 10:
      return CurrentLangManager().TranslateText(
          "<PLK>http://www.quinview.example/<ENU>http://www.quinview.example/en/");
    default:
      return GetProductInfoText(Kind);
  }
}

void THobServerController::IWServerControllerBaseNewSession(TWebSession& Session) {
  auto* M = new THobSessionModule(&Session);
  Session.SetData(std::unique_ptr<TObject>(M));
  M->AfterConstruction();
  if (!Session.StartForm() && !Session.ActiveForm()) M->SetStartForm();
}

void THobServerController::IWServerControllerBaseCloseSession(TWebSession& Session) {
  DeleteSessionFolder(GetFilesFolder(), "TMPReports", Session.Id());
  DeleteSessionFolder(GetFilesFolder(), "TMPCharts", Session.Id());
  DeleteSessionFolder(GetExportFolder(), "TMPReports", Session.Id());
  TZepServerController::IWServerControllerBaseCloseSession(Session);
}

// --- product information ---

std::string GetProductInfoText(int Kind) {
  const TOrvLangManager& LM = CurrentLangManager();
  switch (Kind & 0x7F) {
    case 0:
      return "Fennix";
    case 2:
      return "1.0a";
    case 3:
      return "2024-06-03";
    case 4:
      return "1.0";
    case 5:
      return "Orvsoft";
    case 6:
      return "Copyright (C) 2024 Orvsoft";
    case 7:
      return LM.TranslateText(Cp1250(
          "<PLK>Program: zespół Orvsoft\\nDokumentacja i współpraca: zespół badawczy Quinview"
          "<ENU>Program: the Orvsoft team\\nDocumentation and cooperation: the Quinview "
          "research team"));
    case 8:
      return "orvsoft.example";
    case 9:
      return LM.TranslateText(
          "<PLK>http://www.orvsoft.example/quinview/<ENU>http://www.orvsoft.example/en/quinview/");
    case 11:
      return "support@orvsoft.example";
    default:
      return {};
  }
}

// --- texts ---

namespace {
// The Polish letters ą ć ę ł ń ó ś ź ż Ą Ć Ę Ł Ń Ó Ś Ź Ż.
const unsigned char PolishCp1250[18] = {0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF,
                                        0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF};
const unsigned char PolishIso88592[18] = {0xB1, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0xB6, 0xBC, 0xBF,
                                          0xA1, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0xA6, 0xAC, 0xAF};
}  // namespace

void RecodeCp1250ToIso88592(const std::string& LangCode, std::string& Text) {
  if (LangCode == "plk") RecodePolishLetters(Text, PolishCp1250, PolishIso88592);
}

void PostProcessText(const std::string& LangCode, std::string& Text) {
  RecodeCp1250ToIso88592(LangCode, Text);
  // From the next to last character down to the first; the last one is never examined.
  for (long I = long(Text.size()) - 2; I >= 0; --I) {
    if (Text[I] != '&') continue;
    if (I > 0 && Text[I - 1] == '\\') {
      Text.erase(I - 1, 1);
      --I;
    } else if (Text[I + 1] != ' ') {
      Text.erase(I, 1);
    }
  }
}

void DeleteSessionFolder(const std::string& FilesFolder, const std::string& Name,
                         const std::string& SessionId) {
  // An identifier that could lead elsewhere is never used as a folder name.
  if (SessionId.empty() || SessionId.find_first_of("/\\.") != std::string::npos) return;
  fs::path Folder = fs::path(FilesFolder) / Name / SessionId;
  std::error_code Ec;
  if (!fs::is_directory(fs::symlink_status(Folder, Ec))) return;
  for (fs::directory_iterator It(Folder, Ec), End; !Ec && It != End; It.increment(Ec)) {
    std::error_code E2;
    if (!It->is_directory(E2)) fs::remove(It->path(), E2);
  }
  fs::remove(Folder, Ec);
}

void CheckAppFolder(const std::string& AppPath) {
  const std::string Files = AppPath + "Files/Quin/";
  std::error_code Ec;
  auto Missing = [&](const std::string& Path, bool Folder) {
    return Folder ? !fs::is_directory(Path, Ec) : !fs::is_regular_file(Path, Ec);
  };
  std::vector<std::string> Lacks;
  if (Missing(AppPath, true))
    throw Exception("The application folder " + AppPath +
                    " does not exist; give the folder that holds Files/Quin/ with --app-dir.");
  if (Missing(Files, true)) {
    Lacks.emplace_back("Files/Quin/ (the web files)");
  } else {
    if (Missing(Files + UsersFileLeafName, false))
      Lacks.push_back("Files/Quin/" + std::string(UsersFileLeafName) +
                      " (the users file; write it with quin-passwd)");
    if (Missing(Files + "Quin.css", false))
      Lacks.emplace_back("Files/Quin/Quin.css (the style sheet)");
    if (Missing(Files + "Surveys", true))
      Lacks.emplace_back("Files/Quin/Surveys/ (the users' survey folders)");
  }
  if (Lacks.empty()) return;
  std::string Text = "The application folder " + AppPath + " is incomplete; it lacks ";
  for (std::size_t I = 0; I < Lacks.size(); ++I) Text += (I ? ", " : "") + Lacks[I];
  throw Exception(Text + ".");
}

std::string ExecutableFolder() {
  std::error_code Ec;
  fs::path Exe = fs::read_symlink("/proc/self/exe", Ec);
  if (Ec) return "./";
  std::string F = Exe.parent_path().string();
  if (F.empty() || F.back() != '/') F += '/';
  return F;
}

std::string FormatTextTemplate(std::string_view Template, const std::vector<std::string>& Args) {
  std::string R;
  R.reserve(Template.size() + 64);
  std::size_t Next = 0;
  for (std::size_t I = 0; I < Template.size(); ++I) {
    char C = Template[I];
    if (C != '%') {
      R += C;
      continue;
    }
    if (I + 1 >= Template.size()) throw EConvertError("Format '%' ends the text.");
    char K = Template[++I];
    if (K == '%') {
      R += '%';
    } else if (K == 's') {
      if (Next >= Args.size()) throw EConvertError("Format has more '%s' than arguments.");
      R += Args[Next++];
    } else {
      throw EConvertError(std::string("Format '%") + K + "' is not allowed here.");
    }
  }
  return R;
}

}  // namespace quin
