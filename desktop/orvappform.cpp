#include "desktop/orvappform.h"

#include <filesystem>

#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvclasses.h"
#include "base/orvdialogs.h"
#include "base/orvstrings.h"
#include "base/settingsstore.h"
#include "base/text.h"
#include "desktop/orvdeskapp.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TOrvToolbarFrame, TOrvPaneForm)
QUIN_IMPLEMENT_CLASS(TOrvAppGUIForm, TOrvWindowForm)

namespace {

std::string Info(int Kind) {
  TOrvDesktopApp* App = DesktopApp();
  return App ? App->GetProductInfo(Kind) : std::string();
}

void SetAction(TOrvAction& A, const char* CaptionUtf8, const char* HintUtf8) {
  A.Caption = TranslateLiteral(CaptionUtf8);
  A.Hint = TranslateLiteral(HintUtf8);
}

// A web action: visible when both the address and the name are known.
void SetWebAction(TOrvAction& A, int AddressKind, int NameKind) {
  const std::string Address = Info(AddressKind);
  const std::string Name = Info(NameKind);
  const TFormatSettings& FS = CurrentLangManager().FormatSettings;
  A.Visible = !Address.empty() && !Name.empty();
  A.Caption =
      Format(TranslateLiteral("<PLK>%s w internecie...<ENU>%s on the internet..."), {Name}, FS);
  A.Hint = Format(TranslateLiteral("<PLK>Otwiera domyślną przeglądarkę internetową na stronach "
                                   "%s<ENU>Opens the default internet browser on %s pages"),
                  {Name}, FS);
}

TOrvHelpViewer* Viewer() {
  TOrvDesktopApp* App = DesktopApp();
  return App ? &App->HelpViewer() : nullptr;
}

void ShellOpenInfo(const char* Scheme, int Kind) {
  if (TOrvDesktopApp* App = DesktopApp()) App->ShellOpen(Scheme + Info(Kind));
}

}  // namespace

TOrvAppGUIForm::TOrvAppGUIForm(TOrvTickClock AClock) : Clock(std::move(AClock)) {
  ProgramExitAction.OnExecute = [this](TOrvAction&) {
    if (OnCloseRequest) OnCloseRequest();
  };
  StatusbarToggleAction.OnExecute = [this](TOrvAction& A) {
    if (!StatusBar) return;
    StatusBar->Visible = !StatusBar->Visible;
    A.Checked = StatusBar->Visible;
    ViewsChanged();
  };
  ToolbarToggleAction.OnExecute = [this](TOrvAction& A) {
    if (!Toolbar) return;
    Toolbar->Top = 0;
    Toolbar->Visible = !Toolbar->Visible;
    A.Checked = Toolbar->Visible;
    ViewsChanged();
  };
  HelpAboutAction.OnExecute = [this](TOrvAction&) { ShowAbout(); };
  HelpChangesAction.OnExecute = [this](TOrvAction&) { ShowChanges(); };
  HelpContentsAction.OnExecute = [this](TOrvAction&) { ShowHelpContents(); };
  HelpIndexAction.OnExecute = [this](TOrvAction&) {
    if (TOrvHelpViewer* V = Viewer()) V->ShowIndex(HelpFile);
  };
  HelpSearchAction.OnExecute = [this](TOrvAction&) {
    if (TOrvHelpViewer* V = Viewer()) V->ShowSearch(HelpFile);
  };
  auto Topic = [this](const char* Name) {
    return [this, Name](TOrvAction&) {
      if (TOrvHelpViewer* V = Viewer()) V->ShowTopic(HelpFile, Name);
    };
  };
  HelpGlossaryAction.OnExecute = Topic("Glossary");
  HelpShortcutsAction.OnExecute = Topic("Shortcuts");
  HelpToolButtonsAction.OnExecute = Topic("ToolButtons");
  HelpFavoriteAction.OnExecute = [](TOrvAction&) {};
  HelpCompanyhttpAction.OnExecute = [](TOrvAction&) { ShellOpenInfo("http://", piCompanyHttp); };
  HelpSystemhttpAction.OnExecute = [](TOrvAction&) { ShellOpenInfo("http://", piSystemHttp); };
  HelpProducthttpAction.OnExecute = [](TOrvAction&) { ShellOpenInfo("http://", piProductHttp); };
  HelpSupportmailtoAction.OnExecute = [](TOrvAction&) { ShellOpenInfo("mailto:", piSupportMail); };
  for (TOrvAction* A : {&StatusbarToggleAction, &ToolbarToggleAction}) {
    A->Checkable = true;
    A->Checked = true;
  }
}

TOrvAppGUIForm::~TOrvAppGUIForm() = default;

void TOrvAppGUIForm::AfterConstruction() {
  CreateRecents();
  CheckLanguages();
  if (TOrvDesktopApp* App = DesktopApp(); App && App->Terminated()) return;
  SetupToolbars();
  SetupStatusBar();
  LoadSettingsAtStart();
  MainMenu = AddMenu(false);
  TOrvWindowForm::AfterConstruction();
  SetHelpFile();
  BuildHelpMenu();
  if (FirstStart) FirstStartHook();
}

// ---- the window's events

void TOrvAppGUIForm::Destroying() {
  if (FDestroyed) return;
  FDestroyed = true;
  SaveSettingsAtEnd();
  FreeRecents();
  FreeLogo();
}

void TOrvAppGUIForm::MenusChanged() {
  FMenusDirty = true;
  if (OnMenusChanged) OnMenusChanged();
}

void TOrvAppGUIForm::ViewsChanged() {
  if (OnViewsChanged) OnViewsChanged();
}

bool TOrvAppGUIForm::UpdateMenus() {
  if (!FMenusDirty) return false;
  FMenusDirty = false;
  RebuildMenus();
  return true;
}

void TOrvAppGUIForm::ReceiveCommandLine(const std::vector<std::string>& Args) {
  if (OnBringToFront) OnBringToFront();
  bool Handled = false;
  for (const std::string& A : Args) {
    if (!FileExists(A)) continue;
    OpenFile(A, Handled);
    if (Handled) break;
  }
}

void TOrvAppGUIForm::DropFiles(const std::vector<std::string>& Files) {
  if (!AcceptsDroppedFiles()) return;
  bool Handled = false;
  for (const std::string& F : Files) {
    OpenFile(ExpandFileName(F), Handled);
    if (Handled) break;
  }
}

// ---- files

void TOrvAppGUIForm::OpenFile(const std::string& FileName, bool& Handled) {
  OpenFileHook(FileName, Handled);
}

void TOrvAppGUIForm::OpenRecent(TWebMenuItem& Sender) {
  auto* Item = As<TOrvMenuItem>(&Sender);
  auto* File = Item ? As<TOrvRecents_File>(Item->TagObject) : nullptr;
  if (!File) return;
  bool Handled = false;
  // The entry may go while the file opens (the list is cut): its path is copied first.
  const std::string Path = File->Path;
  OpenFile(Path, Handled);
}

void TOrvAppGUIForm::OpenCommandLineFiles() {
  if (!OpensCommandLineFiles()) return;
  bool Handled = false;
  for (const std::string& A : ProgramArguments()) {
    if (A.empty() || A[0] == '-') continue;  // switches such as "-lang:enu"
    OpenFile(ExpandFileName(A), Handled);
    if (Handled) break;
  }
}

void TOrvAppGUIForm::FileClosed(const std::string& FileName) {
  if (Recents) Recents->FileClosed(0, FileName);
}

void TOrvAppGUIForm::FileOpened(const std::string& FileName) {
  if (Recents) Recents->FileOpened(0, FileName);
}

void TOrvAppGUIForm::CreateRecents() {
  Recents = std::make_unique<TOrvRecents_Handler>();
  Recents->OnChange = [this] { MenusChanged(); };
}

void TOrvAppGUIForm::FreeRecents() { Recents.reset(); }

// ---- help

void TOrvAppGUIForm::SetHelpFile() {
  if (!HasHelp()) return;
  TOrvDesktopApp* App = DesktopApp();
  if (!App || App->ExeName.empty()) return;
  std::filesystem::path Plain(App->ExeName);
  Plain.replace_extension(".chm");
  std::filesystem::path Lang(App->ExeName);
  Lang.replace_extension();
  Lang += "_" + CurrentLangManager().Current() + ".chm";
  HelpFile = FileExists(Lang.string()) ? Lang.string() : Plain.string();
}

void TOrvAppGUIForm::CloseHelp() {
  if (TOrvHelpViewer* V = Viewer()) V->Close();
}

void TOrvAppGUIForm::ShowHelpContents() {
  TOrvHelpViewer* V = Viewer();
  if (!V) return;
  if (!HelpKeyword.empty())
    V->ShowTopic(HelpFile, HelpKeyword);
  else
    V->ShowContents(HelpFile);
}

void TOrvAppGUIForm::ShowChanges() {
  if (TOrvHelpViewer* V = Viewer()) V->ShowTopic(HelpFile, "Changes");
}

void TOrvAppGUIForm::OfferChanges() {
  if (FirstStart || !HasHelp() || !HasChangesTopic() || HelpVersion.empty()) return;
  if (CompareVersions(HelpVersion, Info(piProductVersion)) <= 0) return;
  if (ConfirmYesNo(Cp1250(
          "<PLK>Otworzyłeś(aś) tę wersję aplikacji po raz pierwszy.\\nCzy chcesz teraz przejść do "
          "tematu \"Zmiany\" w pliku pomocy\\naby zobaczyć co zostało dodane lub zmienione w "
          "programie?<ENU>You have opened this version of the application for the first "
          "time.\\nWould you like to go now to the \"Changes\" topic in the help file\\nto see "
          "what has been added or changed in the program?")) == IDYES)
    ShowChanges();
}

void TOrvAppGUIForm::ApplyHelpMenuTexts() {
  if (!HelpMenu) return;
  HelpMenu->Caption = TranslateLiteral("<PLK>Pomo&c<ENU>&Help");
  if (auto* M = As<TOrvMenuItem>(HelpMenu))
    M->Hint = TranslateLiteral(
        "<PLK>Jeżeli masz problemy z programem lub chcesz się dowiedzieć czegoś więcej..."
        "<ENU>If you have problems with this program or you would like to know a bit more...");
  if (HelpWebSeparator)
    HelpWebSeparator->Visible = HelpCompanyhttpAction.Visible || HelpSystemhttpAction.Visible ||
                                HelpProducthttpAction.Visible || HelpSupportmailtoAction.Visible;
}

void TOrvAppGUIForm::BuildHelpMenu() {
  if (!MainMenu) return;
  HelpMenu = CreateMenuItem(MainMenu->Items, "", nullptr, nullptr, {}, {}, {});
  HelpMenu->Name = "HelpMenu";
  if (HasHelp()) {
    for (TOrvAction* A :
         {&HelpContentsAction, &HelpIndexAction, &HelpSearchAction, &HelpFavoriteAction})
      AddActionMenuItem(*HelpMenu, A);
    AddSeparatorMenuItem(*HelpMenu);
    for (TOrvAction* A :
         {&HelpGlossaryAction, &HelpShortcutsAction, &HelpToolButtonsAction, &HelpChangesAction})
      AddActionMenuItem(*HelpMenu, A);
    AddSeparatorMenuItem(*HelpMenu);
  }
  for (TOrvAction* A : {&HelpCompanyhttpAction, &HelpSystemhttpAction, &HelpProducthttpAction,
                        &HelpSupportmailtoAction})
    AddActionMenuItem(*HelpMenu, A);
  HelpWebSeparator = AddSeparatorMenuItem(*HelpMenu);
  AddActionMenuItem(*HelpMenu, &HelpAboutAction);
  ApplyHelpMenuTexts();
  PadMenuCaptions();
}

// ---- texts and languages

void TOrvAppGUIForm::ApplyTexts() {
  const std::string Product = ReplaceText(ReplaceText(Info(piProductName), "\r\n", " "), "\n", " ");
  Caption = Product + " " + Info(piVersionText);
  if (TOrvDesktopApp* App = DesktopApp()) App->Title = Info(piProductName);
  SetAction(ProgramExitAction, "<PLK>Konie&c<ENU>E&xit",
            "<PLK>Zakończ pracę z programem<ENU>Exit program");
  SetAction(HelpAboutAction, "<PLK>&O programie...<ENU>&About...",
            "<PLK>Garść informacji o tym fantastycznym programie<ENU>Some information about "
            "this fantastic program");
  SetAction(HelpChangesAction, "<PLK>Z&miany...<ENU>C&hanges...",
            "<PLK>Lista zmian względem poprzednich wersji<ENU>A list of changes from the "
            "previous versions");
  SetAction(HelpContentsAction, "<PLK>Z&awartość...<ENU>&Contents...",
            "<PLK>Spis treści systemu pomocy<ENU>Contents of this help system");
  SetAction(HelpFavoriteAction, "<PLK>&Ulubione...<ENU>&Favorite...",
            "<PLK>Wyświetla ulubione tematy pomocy<ENU>Displays favorite help topics");
  SetAction(HelpGlossaryAction, "<PLK>&Glosariusz...<ENU>&Glossary...",
            "<PLK>Lista terminów wraz z definicjami z zakresu badań rynku<ENU>A list of "
            "research and survey specific terms with definitions");
  SetAction(HelpIndexAction, "<PLK>&Indeks...<ENU>&Index...",
            "<PLK>Indeks systemu pomocy<ENU>Index of this help system");
  SetAction(HelpSearchAction, "<PLK>Z&najdź...<ENU>S&earch...",
            "<PLK>Znajdź dany temat lub zestaw słów w systemie pomocy<ENU>Find the given topic "
            "or a combination of words in this help system");
  SetAction(HelpShortcutsAction, "<PLK>&Skróty klawiszowe...<ENU>&Shortcuts...",
            "<PLK>Opisuje skróty klawiszowe uruchamiające często wykonywane operacje<ENU>"
            "Describes available shortcuts of frequent operations");
  SetAction(HelpToolButtonsAction, "<PLK>&Przyciski narzędziowe...<ENU>&Tool buttons...",
            "<PLK>Opisuje funkcjonalność przycisków paska narzędziowego aplikacji<ENU>Describes "
            "the functionality of the application's tool buttons");
  SetAction(HelpSupportmailtoAction,
            "<PLK>Wyślij e-mail do pomocy technicznej...<ENU>Mail product support...",
            "<PLK>Otwiera domyślny program pocztowy aby wysłać list do pomocy technicznej<ENU>"
            "Opens the default mailing program to send a message to product support");
  SetAction(StatusbarToggleAction, "<PLK>Pasek &stanu<ENU>&Status bar",
            "<PLK>Pokazuje i chowa pasek stanu<ENU>Shows and hides the status bar");
  SetAction(ToolbarToggleAction, "<PLK>Pasek &narzędzi<ENU>&Toolbar",
            "<PLK>Pokazuje i chowa pasek narzędzi<ENU>Shows and hides the toolbar");
  SetWebAction(HelpCompanyhttpAction, piCompanyHttp, piCompanyName);
  SetWebAction(HelpSystemhttpAction, piSystemHttp, piSystemName);
  SetWebAction(HelpProducthttpAction, piProductHttp, piProductName);
  HelpSupportmailtoAction.Visible = !Info(piSupportMail).empty();
  HelpChangesAction.Visible = HasChangesTopic();
  ApplyHelpMenuTexts();
  ViewsChanged();
}

void TOrvAppGUIForm::LanguageChanged() {
  TOrvWindowForm::LanguageChanged();
  CloseHelp();
  SetHelpFile();
  if (StatusBar) StatusBar->LanguageChanged();
  if (Toolbar) Toolbar->LanguageChanged();
  MenusChanged();
}

void TOrvAppGUIForm::CheckLanguages() {
  if (!CurrentLangManager().Languages().empty()) return;
  ErrorBox(
      Cp1250("<PLK>Błąd aplikacji w obsłudze języków (brak plików językowych).<ENU>Error "
             "in application language support (no language files found)."));
  if (TOrvDesktopApp* App = DesktopApp()) App->Terminate(6);
}

void TOrvAppGUIForm::SwitchLanguageCode(std::string_view Code) {
  if (TOrvDesktopApp* App = DesktopApp())
    App->LangManager().SetLanguage(App->LangManager().ResolveLanguage(Code));
}

bool TOrvAppGUIForm::IsLanguageAvailable(std::string_view Code) const {
  return CurrentLangManager().IsRegistered(Code);
}

void TOrvAppGUIForm::SwitchLanguage(std::string_view Code) {
  if (SameText(Code, CurrentLangManager().Current()) || !IsLanguageAvailable(Code)) return;
  SwitchLanguageCode(Code);
  LanguageChanged();
}

// ---- logo windows

void TOrvAppGUIForm::CreateLogo(bool AutoClose) {
  FreeLogo();
  LogoWindow = New<TOrvLogoBlueForm>(AutoClose, nullptr, Clock);
}

void TOrvAppGUIForm::FreeLogo() { LogoWindow.reset(); }

void TOrvAppGUIForm::HideLogo() {
  if (LogoWindow && LogoWindow->AutoClose) LogoWindow->Close();
}

void TOrvAppGUIForm::ShowSplash() {
  if (!ShowsSplash()) return;
  CreateLogo(true);
  if (OnShowLogo) OnShowLogo(*LogoWindow, false);
}

void TOrvAppGUIForm::ShowAbout() {
  CreateLogo(false);
  if (OnShowLogo) OnShowLogo(*LogoWindow, true);
  FreeLogo();
}

void TOrvAppGUIForm::FirstIdle() {
  ShowSplash();
  OfferChanges();
  OpenCommandLineFiles();
}

// ---- bars

std::unique_ptr<TOrvStatusbarPane> TOrvAppGUIForm::CreateStatusBar() {
  auto S = New<TOrvStatusbarPane>();
  S->Clock = Clock;
  return S;
}

std::string TOrvAppGUIForm::ReadyText() const { return TranslateLiteral("<PLK>Gotów<ENU>Ready"); }

void TOrvAppGUIForm::SetupStatusBar() {
  StatusBar = CreateStatusBar();
  StatusBar->Visible = true;
}

std::unique_ptr<TOrvToolbarFrame> TOrvAppGUIForm::CreateToolbar() {
  return New<TOrvToolbarFrame>();
}

void TOrvAppGUIForm::SetupToolbar() {
  Toolbar->Top = 0;
  Toolbar->Visible = true;
}

void TOrvAppGUIForm::SetupToolbars() {
  Toolbar = CreateToolbar();
  SetupToolbar();
}

void TOrvAppGUIForm::UpdateStatusHint() {
  if (!StatusBar) return;
  TOrvDesktopApp* App = DesktopApp();
  const std::string Hint = App ? App->Hint : std::string();
  if (!Hint.empty())
    StatusBar->ShowStatus(Hint, clWindowText, false, false);
  else
    StatusBar->ShowStatus(ReadyText(), clWindowText, true, false);
}

// ---- settings

std::shared_ptr<ISettingsStore> TOrvAppGUIForm::CreateSettingsStore() { return NewSettingsStore(); }

std::string TOrvAppGUIForm::GetSettingsKey() const {
  return "Software\\" + Info(piCompanyName) + "\\" + Info(piProductName) + "\\";
}

std::string TOrvAppGUIForm::GetOldSettingsKey() const {
  return "Software\\Hexwood\\" + Info(piProductName) + "\\";
}

void TOrvAppGUIForm::LoadSettingsAtStart() {
  if (!UsesSettings()) return;
  std::shared_ptr<ISettingsStore> Store = CreateSettingsStore();
  const std::string Old = GetOldSettingsKey();
  if (Store->KeyExists(Old) && Store->MoveKey(Old, GetSettingsKey(), true) &&
      Store->KeyIsEmpty("Software\\Hexwood\\"))
    Store->DeleteKey("Software\\Hexwood\\");
  LoadSettings(*Store);
}

void TOrvAppGUIForm::SaveSettingsAtEnd() {
  if (!UsesSettings()) return;
  std::shared_ptr<ISettingsStore> Store = CreateSettingsStore();
  SaveSettings(*Store);
}

void TOrvAppGUIForm::LoadSettings(ISettingsStore& Store) {
  const std::string Key = GetSettingsKey();
  if (!Store.OpenKey(Key, "Language", false)) {
    FirstStart = true;
    Store.OpenKey(Key, "Language", true);
  }
  const std::string Lang = Store.ReadString("Current", CurrentLangManager().Current());
  Store.CloseKey();
  if (IsLanguageAvailable(Lang)) SwitchLanguageCode(Lang);

  if (Store.OpenKey(Key, "MainWindow", false)) {
    // Placements from a damaged store are left out; the window keeps itself on the screen.
    auto Coordinate = [&](const char* Name, int Current) {
      const int V = Store.ReadInteger(Name, Current);
      return V > -100000 && V < 100000 ? V : Current;
    };
    auto Size = [&](const char* Name, int Current) {
      const int V = Store.ReadInteger(Name, Current);
      return V > 0 && V < 100000 ? V : Current;
    };
    WindowLeft = Coordinate("Left", WindowLeft);
    WindowTop = Coordinate("Top", WindowTop);
    if (Sizeable) {
      WindowWidth = Size("Width", WindowWidth);
      WindowHeight = Size("Height", WindowHeight);
      StartState =
          Store.ReadBool("Maximized", true) ? TOrvWindowState::Maximized : TOrvWindowState::Normal;
    }
    Store.CloseKey();
  } else if (Sizeable) {
    StartState = TOrvWindowState::Maximized;
  }

  if (Store.OpenKey(Key, "Help", false)) {
    HelpVersion = Store.ReadString("Version", "");
    Store.CloseKey();
  }
  if (Store.OpenKey(Key, "Views", false)) {
    StatusBar->Visible = Store.ReadBool("Statusbar", true);
    Toolbar->Visible = Store.ReadBool("Toolbar", true);
    Store.CloseKey();
  }
  StatusbarToggleAction.Checked = StatusBar->Visible;
  ToolbarToggleAction.Checked = Toolbar->Visible;
  if (Recents) Recents->LoadFromSettings(Store, Key);
  LoadLastDirSetting(Store, Key);
}

void TOrvAppGUIForm::SaveSettings(ISettingsStore& Store) {
  const std::string Key = GetSettingsKey();
  if (Store.OpenKey(Key, "Language", true)) {
    Store.WriteString("Current", CurrentLangManager().Current());
    Store.CloseKey();
  }
  if (Store.OpenKey(Key, "MainWindow", true)) {
    Store.WriteInteger("Left", WindowLeft);
    Store.WriteInteger("Top", WindowTop);
    if (Sizeable) {
      Store.WriteInteger("Width", WindowWidth);
      Store.WriteInteger("Height", WindowHeight);
      Store.WriteBool("Maximized", Maximized);
    }
    Store.CloseKey();
  }
  const std::string Version = Info(piProductVersion);
  if (!Version.empty() && CompareVersions(HelpVersion, Version) > 0 &&
      Store.OpenKey(Key, "Help", true)) {
    Store.WriteString("Version", Version);
    Store.CloseKey();
  }
  if (Store.OpenKey(Key, "Views", true)) {
    if (StatusBar) Store.WriteBool("Statusbar", StatusBar->Visible);
    if (Toolbar) Store.WriteBool("Toolbar", Toolbar->Visible);
    Store.CloseKey();
  }
  if (Recents) Recents->SaveToSettings(Store, Key);
  SaveLastDirSetting(Store, Key);
}

// ---- the status-bar helper

void ShowStatus(std::string_view Text, TColor Color, bool Soft, bool Hold) {
  TOrvDesktopApp* App = DesktopApp();
  auto* Form = App ? As<TOrvAppGUIForm>(App->MainForm) : nullptr;
  if (Form && Form->StatusBar) Form->StatusBar->ShowStatus(Text, Color, Soft, Hold);
}

}  // namespace quin
