// The server program's fixed parts: the application object that drives the process, the server
// controller with the settings of the web-form layer, the folder and URL layout of the web
// files, the product information, the recoding of translated texts for the pages, and the
// clean-up of a closed session's folders.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "base/exception.h"
#include "base/metaclass.h"
#include "platform/webserver.h"
#include "web/throttle.h"

namespace quin {

// --- application objects ---

class TOrvApp : public TObject {
  QUIN_CLASS(TOrvApp, TObject)
 public:
  virtual void HandleException(const Exception& E);
  virtual void Run() = 0;
  virtual void Done() {}
  virtual void Initialize() {}
  virtual std::string GetProductInfo(int Kind) const = 0;
};

class TOrvAppGUI : public TOrvApp {
  QUIN_CLASS(TOrvAppGUI, TOrvApp)
 public:
  // Waits until the process is asked to stop (SIGINT or SIGTERM).
  void Run() override;
  // Catches the stop signals, then makes the forms.
  void Initialize() override;
  virtual void CreateForms() {}
  // Extensions to register for the program; the server has none.
  virtual std::vector<std::string> GetFileExtensions() const { return {}; }
  void RegisterFileAssociations();
};

// What the command line may change: the port, the address listened on, the application
// folder, the proxies trusted to name the client, and (for tests) the session timeout.
struct TServerOptions {
  int Port = 8888;
  std::string AppDir;  // with trailing '/'; empty: the executable's folder
  std::string Host = "0.0.0.0";
  std::vector<std::string> TrustedProxies;
  std::chrono::milliseconds SessionTimeout{60000};
};
TServerOptions& ServerOptions();

class TZepServerController;

class TZepApp : public TOrvAppGUI {
  QUIN_CLASS(TZepApp, TOrvAppGUI)
 public:
  TZepApp();
  ~TZepApp() override;
  std::string Title;
  // Creates the server and its controller and starts listening.
  void CreateForms() override;
  void Done() override;
  std::string GetProductInfo(int Kind) const override;
  TWebServer* Server() const { return FServer.get(); }

 private:
  std::unique_ptr<TZepServerController> FController;
  std::unique_ptr<TWebServer> FServer;
};

// Creates the application object of AppClass, then Initialize, Run and Done; an Exception is
// handed to the object's HandleException.
void RunApplication(const ClassInfo& AppClass);
TOrvApp* GetApp();

// --- server controller ---

class TZepServerController : public TObject {
  QUIN_CLASS(TZepServerController, TObject)
 public:
  TZepServerController();
  ~TZepServerController() override;
  void AfterConstruction() override { IWServerControllerBaseCreate(); }

  // Settings of the web-form layer.
  int Port = 8888;
  int SessionTimeout = 1;  // minutes
  int ThreadPoolSize = 255;
  std::string CharSet = "iso-8859-2";
  std::string AppName = "Quin";
  std::string Description = "Quinview";
  bool AllowSubFolders = true;
  // The application folder, with trailing '/'.
  std::string AppPath;
  // Address listened on, the proxies trusted to name the client, and the timeout in force
  // (tests shorten it).
  std::string Host = "0.0.0.0";
  std::vector<std::string> TrustedProxies;
  std::chrono::milliseconds SessionTimeoutSpan{60000};
  // Wrong passwords slow down per login and per client address.
  TLogonThrottle LogonThrottle;

  // Milliseconds between the pages' heartbeats: 20 s, or a third of a shorter timeout.
  int HeartbeatInterval() const;

  virtual std::string GetHelpFolderName() const { return "Help"; }
  virtual void PostProcessText(const std::string& LangCode, std::string& Text) const;
  virtual std::string GetFilesUrl() const { return "/Files/"; }
  virtual std::string GetFilesFolder() const { return AppPath + "Files/"; }
  virtual std::string GetNoCacheFolder() const { return AppPath + "FilesNC/"; }
  // The layer's own files folder, which holds the sessions' exported workbooks below
  // "TMPReports/" (not served as web files).
  std::string GetExportFolder() const { return AppPath + "Files/"; }
  virtual std::string GetStyleSheetName() const { return ""; }
  virtual std::string GetHelpFileName(std::string_view Topic) const;
  virtual const ClassInfo* GetHelpFormClass() const;
  virtual const ClassInfo* GetLogonFormClass() const;
  virtual const ClassInfo* GetPrefsFormClass() const;
  virtual std::string GetProductInfo(int Kind) const;

  virtual void IWServerControllerBaseCreate();
  virtual void IWServerControllerBaseNewSession(TWebSession& Session);
  virtual void IWServerControllerBaseCloseSession(TWebSession& Session);
  // An invalid command gets no special answer.
  virtual void IWServerControllerBaseInvalidCommand() {}

  // Where a start request goes instead of opening a session (empty: it opens one).
  virtual std::string StartRedirect(const TWebRequest& Request) const;

  // The server with these settings, its callbacks leading here.
  std::unique_ptr<TWebServer> CreateServer();
};

class THobServerController : public TZepServerController {
  QUIN_CLASS(THobServerController, TZepServerController)
 public:
  THobServerController() = default;
  std::string GetFilesUrl() const override { return "/Files/Quin/"; }
  std::string GetFilesFolder() const override { return AppPath + "Files/Quin/"; }
  std::string GetStyleSheetName() const override { return "Quin.css"; }
  const ClassInfo* GetHelpFormClass() const override;
  const ClassInfo* GetLogonFormClass() const override;
  const ClassInfo* GetPrefsFormClass() const override;
  std::string GetProductInfo(int Kind) const override;
  void IWServerControllerBaseNewSession(TWebSession& Session) override;
  void IWServerControllerBaseCloseSession(TWebSession& Session) override;
  // A start address naming a survey the guest does not have leads to the logon page, which
  // tells so; no session is made (and nobody logged on) for it.
  std::string StartRedirect(const TWebRequest& Request) const override;
};

// The controller of the running server (the last one created); null when none.
TZepServerController* GetZepServerController();
THobServerController* GetServerController();

// The product family's shared texts; only the low seven bits of Kind count.
std::string GetProductInfoText(int Kind);

// The session language manager's hook: for "plk" the Polish letters are recoded from
// Windows-1250 to ISO-8859-2, then the accelerator marks "&" are removed ("\&" gives "&",
// "& " stays, a final "&" stays).
void PostProcessText(const std::string& LangCode, std::string& Text);
void RecodeCp1250ToIso88592(const std::string& LangCode, std::string& Text);

// Deletes the files directly in FilesFolder + Name + "/" + session id + "/", then the folder;
// every failure is ignored.
void DeleteSessionFolder(const std::string& FilesFolder, const std::string& Name,
                         const std::string& SessionId);

// Raises Exception naming what is missing when AppPath is no complete application folder
// (the files folder with the users file, the style sheet and the surveys folder).
void CheckAppFolder(const std::string& AppPath);

// The server programs' start: the heap set for serving, a controller set from Options (kept in
// Controller, which must outlive the server), the application folder checked (the executable's
// folder when Options names none), the server made and listening. Raises Exception with a clear
// text (a folder that is not complete, a port in use).
std::unique_ptr<TWebServer> StartServer(const TServerOptions& Options,
                                        std::unique_ptr<TZepServerController>& Controller);

// The folder of the running executable, with trailing '/'.
std::string ExecutableFolder();

// Formats a template holding only "%s" placeholders ("%%" gives "%"); any other placeholder,
// or more placeholders than Args, raises EConvertError. Surplus arguments are ignored.
std::string FormatTextTemplate(std::string_view Template, const std::vector<std::string>& Args);

}  // namespace quin
