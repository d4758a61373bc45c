// The desktop windows on Qt, drawn offscreen: the main window with its menus, toolbar and
// status bar, the splash and about windows, the viewer's content and the hand-over from a
// second start of the viewer program. Each window is saved as a PNG in the build folder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QToolBar>
#include <filesystem>

#include "base/orvfiles.h"
#include "base/process.h"
#include "base/settingsstore.h"
#include "base/text.h"
#include "desktop/orvinstance.h"
#include "desktop/viewer/viewerwindow.h"
#include "tests/desktop/desktop_fixtures.h"

namespace quin {
namespace {

namespace fs = std::filesystem;
using qt::FromQ;
using qt::ToQ;

// The application of the windows, for the whole test program (made when the tests start, so
// that listing them needs no display), on Qt's offscreen platform.
class TQtEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    // Drawn offscreen, whatever display the machine has.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    FApp = std::make_unique<QApplication>(FArgc, FArgv);
  }
  void TearDown() override { FApp.reset(); }

 private:
  int FArgc = 1;
  char FName[16] = "test_desktop_qt";
  char* FArgv[2] = {FName, nullptr};
  std::unique_ptr<QApplication> FApp;
};
const testing::Environment* const QtEnvironment =
    testing::AddGlobalTestEnvironment(new TQtEnvironment);

void Save(QWidget& W, const std::string& Name) {
  QApplication::processEvents();  // the layouts of what changed last
  fs::create_directories(QUIN_SCREENSHOTS);
  EXPECT_TRUE(W.grab().save(QString::fromStdString(std::string(QUIN_SCREENSHOTS) + "/" + Name)));
}

// Runs the event loop until Done holds, at most ten seconds.
template <class F>
bool ProcessUntil(F Done) {
  QElapsedTimer T;
  T.start();
  while (!Done() && T.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  return Done();
}

QMenu* TopMenu(QMainWindow& W, const char* Name) {
  for (QAction* A : W.menuBar()->actions())
    if (A->menu() && A->menu()->objectName() == Name) return A->menu();
  return nullptr;
}

QStringList Texts(const QMenu& M) {
  QStringList T;
  for (QAction* A : M.actions())
    if (A->isVisible()) T << (A->isSeparator() ? "-" : A->text().trimmed());
  return T;
}

class QtWindows : public test::TDesktopFixture {
 protected:
  void SetUp() override {
    test::TDesktopFixture::SetUp();
    // The viewer's own application object instead of the recording one.
    TDesktopFixture::App.reset();
    Viewer = New<TViewerApp>("enu");
    SetDesktopApp(Viewer.get());
    // The demonstration survey with a saved report in its reports folder.
    Survey = Temp.File("data/media2024.zos");
    fs::create_directories(Temp.File("data/media2024.reports"));
    fs::copy_file(std::string(QUIN_DEMO_SURVEYS) + "/Guest/media2024.zos", Survey);
    Report = Temp.File("data/media2024.reports/cross.zor");
    fs::copy_file(QUIN_DEMO_REPORT, Report);
  }
  void TearDown() override {
    SetDesktopApp(nullptr);
    Viewer.reset();
    test::TDesktopFixture::TearDown();
  }
  std::unique_ptr<TViewerForm> NewForm() {
    auto F = New<TViewerForm>(Time.Clock());
    Viewer->MainForm = F.get();
    return F;
  }
  std::unique_ptr<TViewerApp> Viewer;
  test::TFakeClock Time;
  std::string Survey, Report;
};

TEST_F(QtWindows, MainWindowShowsTheFormsMenusBarsAndHints) {
  auto Form = NewForm();
  qt::TViewerWindow W(*Form);
  W.resize(900, 600);
  W.show();
  EXPECT_EQ(W.windowTitle(), "Quinview Viewer 1.0");
  QMenu* File = TopMenu(W, "FileMenu");
  QMenu* Help = TopMenu(W, "HelpMenu");
  ASSERT_TRUE(File && Help && TopMenu(W, "ViewMenu"));
  EXPECT_EQ(Texts(*File),
            (QStringList{"&Open survey...", "Open &report...", "&Reopen", "&Close", "-", "E&xit"}));
  EXPECT_EQ(Texts(*Help), (QStringList{"Orvsoft on the internet...", "Mail product support...", "-",
                                       "&About..."}));
  EXPECT_FALSE(File->actions()[1]->isEnabled());  // no survey: no report to open
  // The toolbar shows the actions without their ellipses.
  QStringList Tools;
  for (QAction* A : W.Toolbar()->actions())
    if (!A->isSeparator()) Tools << A->text();
  EXPECT_EQ(Tools, (QStringList{"&Open survey", "Open &report", "&Close", "&About"}));
  // The hint under the mouse, then "Ready".
  QStatusTipEvent Tip(File->actions()[0]->statusTip());
  QApplication::sendEvent(&W, &Tip);
  EXPECT_EQ(Form->StatusBar->GetStatusText(), "Opens a survey file");
  QStatusTipEvent NoTip("");
  QApplication::sendEvent(&W, &NoTip);
  EXPECT_EQ(Form->StatusBar->GetStatusText(), "Ready");
  Save(W, "main_window.png");
  File->popup(W.mapToGlobal(QPoint(10, 10)));
  Save(*File, "main_window_file_menu.png");
  File->hide();
  // The status bar can be hidden.
  QMenu* View = TopMenu(W, "ViewMenu");
  View->actions()[1]->trigger();
  EXPECT_FALSE(Form->StatusBar->Visible);
  EXPECT_FALSE(W.Statusbar()->isVisible());
  View = TopMenu(W, "ViewMenu");  // the menus were built again
  EXPECT_FALSE(View->actions()[1]->isChecked());
  View->actions()[1]->trigger();
  EXPECT_TRUE(W.Statusbar()->isVisible());
  W.close();
  EXPECT_EQ(Form->Recents, nullptr);  // the form's end ran
}

TEST_F(QtWindows, StatusBarShortensALongTextToItsPanel) {
  auto Form = NewForm();
  qt::TViewerWindow W(*Form);
  W.resize(640, 400);
  W.show();
  ProcessUntil([&] { return W.Statusbar()->width() > 600; });
  const std::string Long =
      "Survey opened: /home/anna/Badania/Czytelnictwo prasy 2024/fala wiosenna/media2024.zos "
      "with 5000 respondents in two waves, two weightings and the demonstration warning";
  ShowStatus(Long, clNavy, false, true);
  const TOrvLabel& L = *Form->StatusBar->StatusLabel;
  EXPECT_EQ(L.Text.substr(L.Text.size() - 3), "...");
  EXPECT_LT(L.Text.size(), Long.size());
  EXPECT_EQ(L.Hint, Long + "|");
  QLabel* Status = nullptr;
  for (QLabel* Q : W.Statusbar()->findChildren<QLabel*>())
    if (Q->text().endsWith("...")) Status = Q;
  ASSERT_NE(Status, nullptr);
  EXPECT_EQ(Status->toolTip(), ToQ(Long));
  EXPECT_LE(Status->fontMetrics().horizontalAdvance(Status->text()), Status->width());
  Form->StatusBar->SetProgressText("Reading media2024.zos");
  Save(*W.Statusbar(), "status_bar_long_text.png");
  Save(W, "main_window_long_status.png");
}

TEST_F(QtWindows, SplashClosesItselfAndAboutWaitsForExit) {
  auto Form = NewForm();
  qt::TViewerWindow W(*Form);
  W.resize(800, 500);
  W.ShowStarted();
  ASSERT_TRUE(ProcessUntil([&] { return W.Splash() != nullptr; }));
  qt::TQtLogoWindow* Splash = W.Splash();
  EXPECT_TRUE(Splash->isVisible());
  EXPECT_TRUE(Splash->Timer().isActive());
  EXPECT_EQ(Splash->findChild<QPushButton*>("FinishButton")->isVisibleTo(Splash), false);
  Save(*Splash, "splash.png");
  Time.Now += 2100;
  Form->LogoWindow->TimerTick();
  ASSERT_TRUE(ProcessUntil([&] { return !W.Splash() && !Form->LogoWindow; }));

  // The about box is modal: it is looked at and closed from inside its own loop.
  bool Seen = false;
  QTimer::singleShot(0, [&] {
    auto* About = dynamic_cast<qt::TQtLogoWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(About, nullptr);
    Seen = true;
    auto* Exit = About->findChild<QPushButton*>("FinishButton");
    EXPECT_TRUE(Exit->isVisible());
    EXPECT_EQ(Exit->text(), "E&xit");
    EXPECT_EQ(About->findChild<QLabel*>("ProductVersionAndDateLabel")->text(),
              "Version 1.0 released 2024-06-03");
    Save(*About, "about.png");
    Time.Now += 60000;
    About->Form()->TimerTick();  // no timer in an about box: nothing happens
    EXPECT_TRUE(About->isVisible());
    Exit->click();
  });
  Form->HelpAboutAction.Execute();
  EXPECT_TRUE(Seen);
  EXPECT_EQ(Form->LogoWindow, nullptr);
}

TEST_F(QtWindows, ViewerOpensASurveyAndItsReportAndOffersThemAgain) {
  auto Form = NewForm();
  qt::TViewerWindow W(*Form);
  W.resize(1000, 700);
  W.show();
  EXPECT_EQ(W.RecentList()->count(), 1);  // "[no files]"
  EXPECT_EQ(W.RecentList()->item(0)->text(), "[no files]");
  ASSERT_TRUE(Form->OpenSurvey(Survey));
  EXPECT_EQ(Form->Shows, TViewerForm::TShows::Survey);
  EXPECT_TRUE(W.Browser()->toPlainText().contains("media2024"));
  ASSERT_TRUE(Form->OpenReport(Report));
  EXPECT_EQ(Form->Shows, TViewerForm::TShows::Report);
  EXPECT_FALSE(Form->ContentHtml.empty());
  EXPECT_NE(Form->ContentHtml.find("<table"), std::string::npos);
  EXPECT_EQ(Form->StatusBar->GetStatusText(), "Report cross.zor opened");
  Save(W, "viewer_report.png");
  // Another survey file that is damaged: an error box, the open one is closed.
  const std::string Bad = Temp.Write("data/bad.zos", "not a survey");
  EXPECT_FALSE(Form->OpenSurvey(Bad));
  ASSERT_EQ(DialogsGuard.Dialogs->Boxes.size(), 1u);
  EXPECT_NE(DialogsGuard.Dialogs->Boxes[0].Text.find("This survey cannot be opened:"),
            std::string::npos);
  // The recent surveys, and the reports of the last one, offered again.
  ASSERT_TRUE(ProcessUntil([&] {
    QMenu* File = TopMenu(W, "FileMenu");
    return File && File->actions()[2]->menu()->actions().size() > 3;
  }));
  QMenu* Reopen = TopMenu(W, "FileMenu")->actions()[2]->menu();
  const QStringList Items = Texts(*Reopen);
  ASSERT_GE(Items.size(), 6);
  // The damaged file was never opened: only the survey, and the report it had open.
  EXPECT_TRUE(Items[0].startsWith("&A    ") && Items[0].endsWith("media2024.zos"));
  EXPECT_EQ(Items[1], "-");
  EXPECT_TRUE(Items[2].startsWith("&K    ") && Items[2].endsWith("cross.zor"));
  EXPECT_EQ(Items.back(), "Remove all...");
  TopMenu(W, "FileMenu")->popup(W.mapToGlobal(QPoint(10, 10)));
  Reopen->popup(W.mapToGlobal(QPoint(200, 60)));
  Save(*Reopen, "recent_files_menu.png");
  Reopen->hide();
  TopMenu(W, "FileMenu")->hide();
  // The recent list of the content area opens the survey again; its report comes back too.
  ASSERT_EQ(Form->Shows, TViewerForm::TShows::Recents);
  Save(W, "viewer_recent_surveys.png");
  QListWidgetItem* Media = nullptr;
  for (int I = 0; I < W.RecentList()->count(); ++I)
    if (W.RecentList()->item(I)->text().endsWith("media2024.zos")) Media = W.RecentList()->item(I);
  ASSERT_NE(Media, nullptr);
  emit W.RecentList()->itemActivated(Media);
  EXPECT_EQ(Form->SurveyPath(), Survey);
  ASSERT_TRUE(ProcessUntil([&] {
    return Texts(*TopMenu(W, "FileMenu")->actions()[2]->menu())
        .contains("&K    " + ToQ(MakeRelativeToCurrentDir(Report)));
  }));
  // Polish.
  Form->LanguagePolishAction.Execute();
  ProcessUntil(
      [&] { return TopMenu(W, "FileMenu") && TopMenu(W, "FileMenu")->title() == "&Plik"; });
  EXPECT_EQ(TopMenu(W, "FileMenu")->title(), "&Plik");
  Save(W, "viewer_polish.png");
  W.close();
}

TEST_F(QtWindows, ASecondStartOfTheViewerHandsItsFilesOver) {
  const std::string Runtime = Temp.File("run");
  fs::create_directories(Runtime);
  TOrvSingleInstance First("quin-viewer", Runtime);
  ASSERT_EQ(First.Start({}), TOrvSingleInstance::TStart::First);
  auto Form = NewForm();
  qt::TViewerWindow W(*Form);
  W.ListenTo(First);
  W.show();
  // The program's second start: it ends at once, with 0, and the survey opens here.
  const std::string Cmd = "env XDG_RUNTIME_DIR=" + Runtime + " QT_QPA_PLATFORM=offscreen " +
                          QUIN_VIEWER_EXE + " " + Survey;
  EXPECT_EQ(RunProcessAndWait("", Cmd, 0), 0);
  ASSERT_TRUE(ProcessUntil([&] { return !Form->SurveyPath().empty(); }));
  EXPECT_EQ(Form->SurveyPath(), Survey);
  W.close();
}

}  // namespace
}  // namespace quin
