// The application object of a desktop program: its product information, its path, its
// language manager, the application hint, the desktop shell and the help viewer it uses, and
// the exit code it ends with. The program makes one and installs it with SetDesktopApp; the
// windows of the framework ask it through DesktopApp().
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/langmanager.h"
#include "base/metaclass.h"

namespace quin {

class TOrvFormForm;

// Shows the help file of the program (a compiled help file on the original desktop).
class TOrvHelpViewer {
 public:
  virtual ~TOrvHelpViewer() = default;
  // The table of contents (the help finder).
  virtual void ShowContents(const std::string& HelpFile) = 0;
  virtual void ShowIndex(const std::string& HelpFile) = 0;
  virtual void ShowSearch(const std::string& HelpFile) = 0;
  // A topic ("Changes") or a keyword of a window.
  virtual void ShowTopic(const std::string& HelpFile, const std::string& Topic) = 0;
  virtual void Close() = 0;
};

// Opens the help file with the desktop's handler for its type; no viewer here addresses a
// topic, so every call opens the file. A missing file is an error box naming it.
class TOrvShellHelpViewer : public TOrvHelpViewer {
 public:
  void ShowContents(const std::string& HelpFile) override { Open(HelpFile); }
  void ShowIndex(const std::string& HelpFile) override { Open(HelpFile); }
  void ShowSearch(const std::string& HelpFile) override { Open(HelpFile); }
  void ShowTopic(const std::string& HelpFile, const std::string& Topic) override { Open(HelpFile); }
  void Close() override {}

 private:
  static void Open(const std::string& HelpFile);
};

// Indices of the product information.
constexpr int piSystemName = 0;
constexpr int piProductName = 1;
constexpr int piVersionText = 2;
constexpr int piReleaseDate = 3;
constexpr int piProductVersion = 4;
constexpr int piCompanyName = 5;
constexpr int piLegalNotice = 6;
constexpr int piCompanyHttp = 8;
constexpr int piSystemHttp = 9;
constexpr int piProductHttp = 10;
constexpr int piSupportMail = 11;

class TOrvDesktopApp : public TObject {
  QUIN_CLASS(TOrvDesktopApp, TObject)
 public:
  // Create with New<>: the language manager (CreateLangManager) starts in Lang (the system's
  // language when empty) and serves the calling thread.
  explicit TOrvDesktopApp(std::string_view Lang = "") : FLang(Lang) {}
  ~TOrvDesktopApp() override;
  void AfterConstruction() override;

  // The texts of the product by index (above); empty for an index it does not know.
  virtual std::string GetProductInfo(int Kind) const = 0;
  // Asks the desktop to open a document or an address (mailto:, http://) in a maximised
  // window; the shell's result (above 32 is success).
  virtual int ShellOpen(std::string_view Target);
  virtual TOrvHelpViewer& HelpViewer() { return *FHelpViewer; }

  TOrvLangManager& LangManager() { return *FLangManager; }
  // The program's path (the help files lie beside it).
  std::string ExeName;
  // The hint of the control or menu item under the mouse; empty otherwise.
  std::string Hint;
  // The application's title (the product name) and its main window (not owned).
  std::string Title;
  TOrvFormForm* MainForm = nullptr;

  // Ends the program with Code once control returns to the program's loop.
  void Terminate(int Code);
  bool Terminated() const { return FTerminated; }
  int ExitCode() const { return FExitCode; }

 protected:
  virtual std::unique_ptr<TOrvLangManager> CreateLangManager(std::string_view Lang) {
    return New<TOrvLangManager>(Lang);
  }
  std::unique_ptr<TOrvHelpViewer> FHelpViewer = std::make_unique<TOrvShellHelpViewer>();

 private:
  std::string FLang;
  std::unique_ptr<TOrvLangManager> FLangManager;
  std::unique_ptr<TLangManagerBinding> FBinding;
  bool FTerminated = false;
  int FExitCode = 0;
};

// The desktop program's application object; null in a program without one (the server).
TOrvDesktopApp* DesktopApp();
void SetDesktopApp(TOrvDesktopApp* App);

}  // namespace quin
