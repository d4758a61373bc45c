// quin-viewer: opens survey files (.zos) and their saved reports (.zor) and shows the survey's
// data summary or the report's tables. Files named on the command line open at start; a second
// start hands its files to the running viewer and ends.
//
//   quin-viewer [-lang:enu|-lang:plk] [SURVEY.zos|REPORT.zor ...]
//
// Exit codes: 0 done (also when the files went to the running viewer), 6 no languages.
#include <QApplication>
#include <string>
#include <vector>

#include "base/orvdialogs.h"
#include "desktop/orvinstance.h"
#include "desktop/qt/qtforms.h"
#include "desktop/viewer/register.h"
#include "desktop/viewer/viewerwindow.h"

int main(int argc, char** argv) {
  using namespace quin;
  std::vector<std::string> Args(argv + 1, argv + argc);
  SetProgramArguments(Args);
  std::vector<std::string> Files;
  for (const std::string& A : Args)
    if (!A.empty() && A[0] != '-') Files.push_back(ExpandFileName(A));
  TOrvSingleInstance Instance("quin-viewer");
  if (Instance.Start(Files) == TOrvSingleInstance::TStart::Forwarded) return 0;

  QApplication QtApp(argc, argv);
  RegisterViewerClasses();
  auto App = New<TViewerApp>();
  SetDesktopApp(App.get());
  App->ExeName = qt::PathFromQ(QCoreApplication::applicationFilePath());
  SetDialogHandler(std::make_shared<qt::TQtDialogHandler>());
  int Code = 0;
  {
    auto Form = New<TViewerForm>();
    if (App->Terminated()) return App->ExitCode();
    App->MainForm = Form.get();
    {
      qt::TViewerWindow Window(*Form);
      Window.ListenTo(Instance);
      Window.ShowStarted();
      Code = QtApp.exec();
    }
    App->MainForm = nullptr;
  }
  SetDialogHandler(nullptr);
  SetDesktopApp(nullptr);
  return App->Terminated() ? App->ExitCode() : Code;
}
