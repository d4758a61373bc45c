#include "desktop/orvdeskapp.h"

#include "base/format.h"
#include "base/orvdialogs.h"
#include "base/process.h"
#include "base/text.h"
#include "desktop/orvrecents.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvDesktopApp, TObject)

namespace {
TOrvDesktopApp* TheApp = nullptr;
// The show mode of a maximised window.
constexpr int SW_SHOWMAXIMIZED = 3;
}  // namespace

TOrvDesktopApp* DesktopApp() { return TheApp; }
void SetDesktopApp(TOrvDesktopApp* App) { TheApp = App; }

void TOrvShellHelpViewer::Open(const std::string& HelpFile) {
  if (!FileExists(HelpFile)) {
    ErrorBox(Format(Cp1250("<PLK>Nie znaleziono pliku pomocy %s<ENU>Help file %s not found"),
                    {FileNameText(HelpFile)}, CurrentLangManager().FormatSettings));
    return;
  }
  if (TOrvDesktopApp* App = DesktopApp())
    App->ShellOpen(HelpFile);
  else
    quin::ShellOpen(nullptr, HelpFile, "", SW_SHOWMAXIMIZED);
}

void TOrvDesktopApp::AfterConstruction() {
  FLangManager = CreateLangManager(FLang);
  FBinding = std::make_unique<TLangManagerBinding>(FLangManager.get());
}

TOrvDesktopApp::~TOrvDesktopApp() {
  FBinding.reset();
  if (TheApp == this) TheApp = nullptr;
}

int TOrvDesktopApp::ShellOpen(std::string_view Target) {
  return quin::ShellOpen(nullptr, Target, "", SW_SHOWMAXIMIZED);
}

void TOrvDesktopApp::Terminate(int Code) {
  FTerminated = true;
  FExitCode = Code;
}

}  // namespace quin
