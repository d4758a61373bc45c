// The main window of the desktop programs: the main menu with the standard Help menu, the
// toolbar at the top and the status bar at the bottom, the recent-file lists, the splash and
// about windows, the chosen language and the window's placement, restored from and saved to
// the settings store. The server never creates it.
//
// The form is the model of its window: the window tells it when it is shown, activated, idle
// or closed and what the hint under the mouse is, and the form tells the window (through the
// On... callbacks) when to rebuild its menus, show its bars, show a logo window or close.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/colors.h"
#include "desktop/orvform.h"
#include "desktop/orvlogo.h"
#include "desktop/orvpanes.h"
#include "desktop/orvrecents.h"

namespace quin {

class ISettingsStore;

// The toolbar: buttons for actions, a null action standing for a separator.
class TOrvToolbarFrame : public TOrvPaneForm {
  QUIN_CLASS(TOrvToolbarFrame, TOrvPaneForm)
 public:
  TOrvToolbarFrame() = default;
  std::vector<TOrvAction*> Buttons;  // not owned
};

enum class TOrvWindowState { Normal, Maximized };

class TOrvAppGUIForm : public TOrvWindowForm {
  QUIN_CLASS(TOrvAppGUIForm, TOrvWindowForm)
 public:
  explicit TOrvAppGUIForm(TOrvTickClock AClock = SteadyTickCount);
  ~TOrvAppGUIForm() override;
  // The creation steps: recent files, languages, bars, settings, the form base's steps
  // (controls, texts, menu captions), the help file and the Help menu, the first-start hook.
  void AfterConstruction() override;

  // ---- state
  bool FirstStart = false;  // the settings held no language
  TOrvWindowState StartState = TOrvWindowState::Normal;
  std::string HelpVersion;  // the version whose help the user saw last
  std::string HelpFile;
  std::string HelpKeyword;  // the window's help topic; empty: the help finder
  std::string Caption;      // the window's title
  bool Sizeable = true;
  // The restored (normal) placement and whether the window is maximised; the window keeps
  // them up to date.
  int WindowLeft = 80;
  int WindowTop = 60;
  int WindowWidth = 1024;
  int WindowHeight = 720;
  bool Maximized = false;

  std::unique_ptr<TOrvLogoForm> LogoWindow;
  std::unique_ptr<TOrvRecents_Handler> Recents;
  std::unique_ptr<TOrvStatusbarPane> StatusBar;
  std::unique_ptr<TOrvToolbarFrame> Toolbar;
  TOrvMenu* MainMenu = nullptr;
  TWebMenuItem* HelpMenu = nullptr;
  TWebMenuItem* HelpWebSeparator = nullptr;

  TOrvAction ProgramExitAction;
  TOrvAction StatusbarToggleAction;
  TOrvAction ToolbarToggleAction;
  TOrvAction HelpAboutAction;
  TOrvAction HelpChangesAction;
  TOrvAction HelpContentsAction;
  TOrvAction HelpFavoriteAction;
  TOrvAction HelpGlossaryAction;
  TOrvAction HelpIndexAction;
  TOrvAction HelpSearchAction;
  TOrvAction HelpShortcutsAction;
  TOrvAction HelpToolButtonsAction;
  TOrvAction HelpCompanyhttpAction;
  TOrvAction HelpSystemhttpAction;
  TOrvAction HelpProducthttpAction;
  TOrvAction HelpSupportmailtoAction;

  // ---- what the window does for the form
  // The menus changed (recent files, language): the window calls UpdateMenus later, outside
  // the menu click that may have caused it, then shows the menus again.
  std::function<void()> OnMenusChanged;
  // The bars were shown or hidden, or the caption changed.
  std::function<void()> OnViewsChanged;
  // Show a logo window: modally (returning when it has closed) or not.
  std::function<void(TOrvLogoForm& Logo, bool Modal)> OnShowLogo;
  // Close the window (the program's exit).
  std::function<void()> OnCloseRequest;
  // Bring the window to the front (a second start handed its command line over).
  std::function<void()> OnBringToFront;

  // ---- the window's events
  // Shown: the state to take.
  TOrvWindowState Shown() const { return StartState; }
  void Activated() { HideLogo(); }
  // Before the window goes: settings saved, recent files and logo freed (once).
  void Destroying();
  // Rebuilds the menus when they changed; whether they did.
  bool UpdateMenus();
  // The command line of a second start: each argument naming an existing file goes to
  // OpenFile until one is handled.
  void ReceiveCommandLine(const std::vector<std::string>& Args);
  // Dropped files (when the form accepts them): to OpenFile until one is handled.
  void DropFiles(const std::vector<std::string>& Files);

  // ---- operations
  virtual bool AcceptsDroppedFiles() const { return false; }
  virtual void OpenFileHook(const std::string& FileName, bool& Handled) {}
  virtual void OpenFile(const std::string& FileName, bool& Handled);
  // The entry of a recent-files menu item.
  virtual void OpenRecent(TWebMenuItem& Sender);
  virtual void ShowAbout();
  virtual void OfferChanges();
  virtual void ShowChanges();
  virtual bool HasChangesTopic() const { return true; }
  virtual void ShowHelpContents();
  virtual void SetHelpFile();
  virtual void CloseHelp();
  virtual bool HasHelp() const { return true; }
  virtual void BuildHelpMenu();
  // The application hint at once, or "Ready" as a soft message.
  virtual void UpdateStatusHint();
  virtual void SwitchLanguageCode(std::string_view Code);
  virtual void CheckLanguages();
  virtual void CreateLogo(bool AutoClose);
  virtual void FreeLogo();
  virtual void HideLogo();
  virtual void ShowSplash();
  virtual bool ShowsSplash() const { return false; }
  virtual void FirstStartHook() {}
  virtual bool OpensCommandLineFiles() const { return true; }
  virtual void OpenCommandLineFiles();
  virtual void FreeRecents();
  virtual void CreateRecents();
  virtual void LoadSettings(ISettingsStore& Store);
  virtual void SaveSettings(ISettingsStore& Store);
  virtual std::shared_ptr<ISettingsStore> CreateSettingsStore();
  virtual std::string GetSettingsKey() const;
  virtual std::string GetOldSettingsKey() const;
  virtual void LoadSettingsAtStart();
  virtual bool UsesSettings() const { return true; }
  virtual void SaveSettingsAtEnd();
  virtual std::unique_ptr<TOrvStatusbarPane> CreateStatusBar();
  virtual std::string ReadyText() const;
  virtual void SetupStatusBar();
  virtual std::unique_ptr<TOrvToolbarFrame> CreateToolbar();
  virtual void SetupToolbar();
  virtual void SetupToolbars();
  virtual void SwitchLanguage(std::string_view Code);
  virtual bool IsLanguageAvailable(std::string_view Code) const;
  virtual void FileClosed(const std::string& FileName);
  virtual void FileOpened(const std::string& FileName);

  void ApplyTexts() override;
  void FirstIdle() override;
  void LanguageChanged() override;

 protected:
  // Rebuilds the menus that show changing lists (the recent files); the form's own menus
  // are already there.
  virtual void RebuildMenus() {}
  void MenusChanged();
  void ViewsChanged();
  TOrvTickClock Clock;

 private:
  void ApplyHelpMenuTexts();
  bool FDestroyed = false;
  bool FMenusDirty = false;
};

// Shows a message in the status bar of the desktop program's main window; nothing when the
// program has no such window (the server).
void ShowStatus(std::string_view Text, TColor Color, bool Soft, bool Hold);

}  // namespace quin
