// The desktop main window: creation, settings, help, hints, command lines; and the
// single-instance hand-over between two starts.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "base/langmanager.h"
#include "base/orvfiles.h"
#include "base/orvstrings.h"
#include "base/settingsstore.h"
#include "base/text.h"
#include "desktop/orvappform.h"
#include "desktop/orvinstance.h"
#include "tests/desktop/desktop_fixtures.h"

namespace quin {
namespace {

using test::TDesktopFixture;

// A main window that records what it was asked to open.
class TTestMainForm : public TOrvAppGUIForm {
 public:
  using TOrvAppGUIForm::TOrvAppGUIForm;
  std::vector<std::string> Opened;
  std::string Accept;  // the file it handles
  int FirstStartHooks = 0;
  void OpenFileHook(const std::string& FileName, bool& Handled) override {
    Opened.push_back(FileName);
    Handled = FileName == Accept;
  }
  void FirstStartHook() override { ++FirstStartHooks; }
};

class MainWindow : public TDesktopFixture {
 protected:
  std::unique_ptr<TTestMainForm> Create() {
    auto F = New<TTestMainForm>();
    App->MainForm = F.get();
    return F;
  }
  const std::string Key = "Software\\Orvsoft\\Quinview Viewer\\";
  std::string ReadValue(const std::string& SubKey, const std::string& Name) {
    TOrvRegistry Store;
    if (!Store.OpenKey(Key, SubKey, false)) return "<no key>";
    return Store.ReadString(Name, "<none>");
  }
};

TEST_F(MainWindow, FirstStartOpensMaximisedAndAsksNothing) {
  auto F = Create();
  EXPECT_TRUE(F->FirstStart);
  EXPECT_EQ(F->FirstStartHooks, 1);
  EXPECT_EQ(F->Shown(), TOrvWindowState::Maximized);
  EXPECT_EQ(F->Caption, "Quinview Viewer 1.2 beta");
  EXPECT_EQ(App->Title, "Quinview Viewer");
  F->ApplicationIdle();
  EXPECT_TRUE(DialogsGuard.Dialogs->Boxes.empty());
  ASSERT_TRUE(F->StatusBar && F->Toolbar && F->Recents);
  F->WindowLeft = 10;
  F->WindowWidth = 700;
  F->Maximized = false;
  F->StatusbarToggleAction.Execute();
  EXPECT_FALSE(F->StatusBar->Visible);
  EXPECT_FALSE(F->StatusbarToggleAction.Checked);
  F->Destroying();
  EXPECT_EQ(F->Recents, nullptr);
  EXPECT_EQ(ReadValue("Language", "Current"), "enu");
  EXPECT_EQ(ReadValue("Help", "Version"), "1.2");
  TOrvRegistry Store;
  ASSERT_TRUE(Store.OpenKey(Key, "MainWindow", false));
  EXPECT_EQ(Store.ReadInteger("Left", 0), 10);
  EXPECT_EQ(Store.ReadInteger("Width", 0), 700);
  EXPECT_FALSE(Store.ReadBool("Maximized", true));
  Store.OpenKey(Key, "Views", false);
  EXPECT_FALSE(Store.ReadBool("Statusbar", true));
  EXPECT_TRUE(Store.ReadBool("Toolbar", false));
  Store.CloseKey();

  // The next start takes all of it back.
  auto Again = Create();
  EXPECT_FALSE(Again->FirstStart);
  EXPECT_EQ(Again->FirstStartHooks, 0);
  EXPECT_EQ(Again->Shown(), TOrvWindowState::Normal);
  EXPECT_EQ(Again->WindowLeft, 10);
  EXPECT_EQ(Again->WindowWidth, 700);
  EXPECT_FALSE(Again->StatusBar->Visible);
  EXPECT_FALSE(Again->StatusbarToggleAction.Checked);
}

TEST_F(MainWindow, AnUpgradeOffersTheChangesOnce) {
  {
    TOrvRegistry Store;
    Store.OpenKey(Key, "Language", true);
    Store.WriteString("Current", "plk");
    Store.OpenKey(Key, "Help", true);
    Store.WriteString("Version", "1.1");
    Store.OpenKey(Key, "MainWindow", true);
    Store.WriteInteger("Width", -5);  // damaged: the window keeps its own
    Store.WriteInteger("Left", 99999999);
    Store.CloseKey();
  }
  auto F = Create();
  EXPECT_FALSE(F->FirstStart);
  EXPECT_EQ(CurrentLangManager().Current(), "plk");
  EXPECT_EQ(F->WindowWidth, 1024);
  EXPECT_EQ(F->WindowLeft, 80);
  EXPECT_EQ(F->Shown(), TOrvWindowState::Maximized);  // no "Maximized" value: true
  F->ApplicationIdle();
  ASSERT_EQ(DialogsGuard.Dialogs->Boxes.size(), 1u);
  EXPECT_NE(Cp1250ToUtf8(DialogsGuard.Dialogs->Boxes[0].Text)
                .find("Otworzyłeś(aś) tę wersję aplikacji po raz pierwszy.\r\nCzy chcesz"),
            std::string::npos);
  ASSERT_EQ(App->Help->Calls.size(), 1u);
  EXPECT_EQ(App->Help->Calls[0].substr(0, 14), "topic Changes ");
  F->ApplicationIdle();  // the first idle moment only
  EXPECT_EQ(DialogsGuard.Dialogs->Boxes.size(), 1u);
  F->Destroying();
  EXPECT_EQ(ReadValue("Help", "Version"), "1.2");
  auto Again = Create();
  Again->ApplicationIdle();
  EXPECT_EQ(DialogsGuard.Dialogs->Boxes.size(), 1u);
}

TEST_F(MainWindow, OldSettingsMoveToTheCompanysKey) {
  {
    TOrvRegistry Store;
    Store.OpenKey("Software\\Hexwood\\Quinview Viewer\\", "Language", true);
    Store.WriteString("Current", "plk");
    Store.CloseKey();
  }
  auto F = Create();
  EXPECT_FALSE(F->FirstStart);
  EXPECT_EQ(CurrentLangManager().Current(), "plk");
  TOrvRegistry Store;
  EXPECT_FALSE(Store.KeyExists("Software\\Hexwood\\"));
  EXPECT_EQ(ReadValue("Language", "Current"), "plk");
}

TEST_F(MainWindow, HelpFileOfTheLanguageIsPreferred) {
  App->ExeName = Temp.File("bin/quin-viewer");
  auto F = Create();
  EXPECT_EQ(F->HelpFile, Temp.File("bin/quin-viewer.chm"));
  Temp.Write("bin/quin-viewer_plk.chm", "help");
  F->SwitchLanguage("plk");
  EXPECT_EQ(F->HelpFile, Temp.File("bin/quin-viewer_plk.chm"));
  EXPECT_EQ(App->Help->Calls.back(), "close");
  EXPECT_EQ(Cp1250ToUtf8(F->HelpAboutAction.Caption), "&O programie...");
  F->SwitchLanguage("xyz");  // not registered: nothing happens
  EXPECT_EQ(CurrentLangManager().Current(), "plk");
  // The help actions.
  F->HelpContentsAction.Execute();
  F->HelpKeyword = "Tables";
  F->HelpContentsAction.Execute();
  F->HelpGlossaryAction.Execute();
  F->HelpSystemhttpAction.Execute();
  F->HelpSupportmailtoAction.Execute();
  const std::string Help = Temp.File("bin/quin-viewer_plk.chm");
  EXPECT_EQ(App->Help->Calls,
            (std::vector<std::string>{"close", "contents " + Help, "topic Tables " + Help,
                                      "topic Glossary " + Help}));
  EXPECT_EQ(App->Opened,
            (std::vector<std::string>{"http://fennix.example", "mailto:support@orvsoft.example"}));
}

TEST_F(MainWindow, HelpMenuShowsTheActionsThatApply) {
  App->Info.erase(8);  // no company address
  auto F = Create();
  ASSERT_NE(F->HelpMenu, nullptr);
  EXPECT_EQ(F->HelpMenu->Caption, "&Help");  // the top level is not padded
  EXPECT_EQ(F->MainMenu->Items.Items().back().get(), F->HelpMenu);
  std::vector<std::string> Shown;
  for (const auto& I : F->HelpMenu->Items())
    if (ShownVisible(*I)) Shown.push_back(TrimChar(I->Caption, ' '));
  EXPECT_EQ(Shown, (std::vector<std::string>{
                       "&Contents...", "&Index...", "S&earch...", "&Favorite...", "-",
                       "&Glossary...", "&Shortcuts...", "&Tool buttons...", "C&hanges...", "-",
                       "Fennix on the internet...", "Mail product support...", "-", "&About..."}));
  EXPECT_EQ(F->HelpMenu->Items()[0]->Caption, "&Contents..." + std::string(10, ' '));
  EXPECT_FALSE(F->HelpCompanyhttpAction.Visible);
  EXPECT_FALSE(F->HelpProducthttpAction.Visible);  // no product address either
  EXPECT_EQ(F->HelpSystemhttpAction.Hint, "Opens the default internet browser on Fennix pages");
  // Nothing on the internet: the separator before About goes too.
  App->Info.erase(9);
  App->Info.erase(10);
  App->Info.erase(11);
  F->LanguageChanged();
  EXPECT_FALSE(F->HelpWebSeparator->Visible);
}

TEST_F(MainWindow, StatusHintAndTheStatusHelper) {
  test::TFakeClock Time;
  auto F = New<TTestMainForm>(Time.Clock());
  App->MainForm = F.get();
  F->UpdateStatusHint();
  EXPECT_EQ(F->StatusBar->GetStatusText(), "Ready");
  ShowStatus("Survey opened", clGreen, false, true);
  EXPECT_EQ(F->StatusBar->GetStatusText(), "Survey opened");
  Time.Now += 1000;
  F->UpdateStatusHint();  // Ready is soft: the held message stays
  EXPECT_EQ(F->StatusBar->GetStatusText(), "Survey opened");
  App->Hint = "Opens a survey";
  F->UpdateStatusHint();  // a hint shows at once
  EXPECT_EQ(F->StatusBar->GetStatusText(), "Opens a survey");
  EXPECT_EQ(F->StatusBar->StatusLabel->FontColor, clWindowText);
  App->MainForm = nullptr;
  ShowStatus("nowhere", clRed, false, false);  // no main window: nothing happens
  EXPECT_EQ(F->StatusBar->GetStatusText(), "Opens a survey");
}

TEST_F(MainWindow, CommandLineFilesOpenUntilOneIsHandled) {
  const std::string A = Temp.Write("a.zos", "x"), B = Temp.Write("b.zos", "x");
  SetProgramArguments({"-lang:enu", A, "relative.zos", B});
  auto F = Create();
  F->Accept = ExpandFileName("relative.zos");
  F->ApplicationIdle();
  SetProgramArguments({});
  EXPECT_EQ(F->Opened, (std::vector<std::string>{A, ExpandFileName("relative.zos")}));
  // A second start's command line: existing files only; the window comes to the front.
  int Fronts = 0;
  F->OnBringToFront = [&] { ++Fronts; };
  F->Opened.clear();
  F->Accept = B;
  F->ReceiveCommandLine({Temp.File("missing.zos"), B, A});
  EXPECT_EQ(F->Opened, std::vector<std::string>{B});
  EXPECT_EQ(Fronts, 1);
  // This window takes no dropped files.
  F->DropFiles({A});
  EXPECT_EQ(F->Opened.size(), 1u);
  // Recent files and the deferred menu rebuild.
  int MenuChanges = 0;
  F->OnMenusChanged = [&] { ++MenuChanges; };
  F->FileOpened(A);
  EXPECT_EQ(MenuChanges, 1);
  EXPECT_TRUE(F->UpdateMenus());
  EXPECT_FALSE(F->UpdateMenus());
  EXPECT_TRUE(F->Recents->Files()[0]->Current);
  F->FileClosed(A);
  EXPECT_FALSE(F->Recents->Files()[0]->Current);
}

class TNoLanguages : public TOrvLangManager {
 public:
  void RegisterLanguages() override {}
};

class TNoLanguagesApp : public test::TTestDesktopApp {
 protected:
  std::unique_ptr<TOrvLangManager> CreateLangManager(std::string_view) override {
    return New<TNoLanguages>();
  }
};

TEST_F(MainWindow, NoLanguagesEndTheProgramWithCode6) {
  auto Bad = New<TNoLanguagesApp>();
  SetDesktopApp(Bad.get());
  auto F = New<TTestMainForm>();
  EXPECT_TRUE(Bad->Terminated());
  EXPECT_EQ(Bad->ExitCode(), 6);
  ASSERT_EQ(DialogsGuard.Dialogs->Boxes.size(), 1u);
  EXPECT_NE(DialogsGuard.Dialogs->Boxes[0].Text.find("no language files found"), std::string::npos);
  EXPECT_EQ(F->StatusBar, nullptr);  // creation stopped
  Bad.reset();
  SetDesktopApp(App.get());
}

// ---- one instance

TEST(SingleInstance, ASecondStartHandsItsCommandLineToTheFirst) {
  test::TTempFolder Temp;
  const std::string Dir = Temp.Path().string();
  auto First = std::make_unique<TOrvSingleInstance>("quin viewer", Dir);
  EXPECT_EQ(First->Start({"ignored"}), TOrvSingleInstance::TStart::First);
  EXPECT_GE(First->ListenFd(), 0);
  EXPECT_TRUE(First->ReceivePending().empty());
  TOrvSingleInstance Second("quin viewer", Dir);
  EXPECT_EQ(Second.Start({"/d/a.zos", "", "/d/ż.zor"}), TOrvSingleInstance::TStart::Forwarded);
  EXPECT_EQ(Second.ListenFd(), -1);
  TOrvSingleInstance Third("quin viewer", Dir);
  EXPECT_EQ(Third.Start({}), TOrvSingleInstance::TStart::Forwarded);
  const auto Lines = First->ReceivePending();
  ASSERT_EQ(Lines.size(), 2u);
  EXPECT_EQ(Lines[0], (std::vector<std::string>{"/d/a.zos", "", "/d/ż.zor"}));
  EXPECT_TRUE(Lines[1].empty());
  // Once the first has ended, the next start is the first again.
  First.reset();
  TOrvSingleInstance Next("quin viewer", Dir);
  EXPECT_EQ(Next.Start({}), TOrvSingleInstance::TStart::First);
  // Another name is another program.
  TOrvSingleInstance Other("other", Dir);
  EXPECT_EQ(Other.Start({}), TOrvSingleInstance::TStart::First);
}

TEST(SingleInstance, BadMessagesAreDropped) {
  test::TTempFolder Temp;
  TOrvSingleInstance First("viewer", Temp.Path().string());
  ASSERT_EQ(First.Start({}), TOrvSingleInstance::TStart::First);
  // A client that sends garbage and one that sends a count it does not keep.
  const std::string Good = TOrvSingleInstance::EncodeArgs({"x"});
  for (const std::string& Data :
       {std::string("hello"), Good.substr(0, 8) + std::string("\xff\xff\xff\x7f", 4),
        Good + "tail"}) {
    const int Fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un A{};
    A.sun_family = AF_UNIX;
    const std::string Path = Temp.File("viewer.sock");
    std::copy(Path.begin(), Path.end(), A.sun_path);
    ASSERT_EQ(connect(Fd, reinterpret_cast<sockaddr*>(&A), sizeof A), 0);
    ASSERT_EQ(write(Fd, Data.data(), Data.size()), static_cast<ssize_t>(Data.size()));
    close(Fd);
  }
  EXPECT_TRUE(First.ReceivePending().empty());
  std::vector<std::string> Args;
  EXPECT_TRUE(TOrvSingleInstance::DecodeArgs(Good, Args));
  EXPECT_EQ(Args, std::vector<std::string>{"x"});
  EXPECT_FALSE(TOrvSingleInstance::DecodeArgs(Good.substr(0, Good.size() - 1), Args));
  // A runtime folder whose socket path is too long: the program runs on its own.
  TOrvSingleInstance Deep("viewer", Temp.Path().string() + "/" + std::string(120, 'd'));
  EXPECT_EQ(Deep.Start({}), TOrvSingleInstance::TStart::Alone);
}

}  // namespace
}  // namespace quin
