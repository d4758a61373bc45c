#include "web/register.h"

#include "base/metaclass.h"
#include "desktop/register.h"
#include "reports/register.h"
#include "web/choicepages.h"
#include "web/controller.h"
#include "web/exportform.h"
#include "web/grouppane.h"
#include "web/logon.h"
#include "web/parpanequestions.h"
#include "web/parpanestats.h"
#include "web/parstepform.h"
#include "web/pelwebsurvey.h"
#include "web/prefshelp.h"
#include "web/rangedialog.h"
#include "web/repwindow.h"
#include "web/session.h"
#include "web/surveyinfo.h"
#include "web/zepform.h"

namespace quin {

void RegisterWebClasses() {
  RegisterReportsClasses();
  RegisterDesktopClasses();
  for (const ClassInfo* C : {&TZepApp::StaticClass(),
                             &TZepServerController::StaticClass(),
                             &THobServerController::StaticClass(),
                             &TZepSessionModule::StaticClass(),
                             &THobSessionModule::StaticClass(),
                             &TZepForm::StaticClass(),
                             &TOrvFrameFrame::StaticClass(),
                             &TZepFrame::StaticClass(),
                             &TZepLogonForm::StaticClass(),
                             &THobLogonForm::StaticClass(),
                             &TZepPrefsForm::StaticClass(),
                             &THobPrefsForm::StaticClass(),
                             &TZepHelpForm::StaticClass(),
                             &THobHelpForm::StaticClass(),
                             &TPelWebSurvey::StaticClass(),
                             &TPelWebIWForm::StaticClass(),
                             &TPelWebExportForm::StaticClass(),
                             &TPelWebOpenSurveyForm::StaticClass(),
                             &TPelWebSurveyInfoForm::StaticClass(),
                             &TPelWebOpenReportForm::StaticClass(),
                             &TPelWebWizForm::StaticClass(),
                             &TIWWizText::StaticClass(),
                             &TIWWizNameText::StaticClass(),
                             &TIWWizHintText::StaticClass(),
                             &TPelWebRWObjectForm_Form::StaticClass(),
                             &TPelWebRWObjectPaneFrame::StaticClass(),
                             &TPelWebParPaneFrame::StaticClass(),
                             &TPelWebParPaneWithTabsFrame::StaticClass(),
                             &TPelWebParPaneWithTreesFrame::StaticClass(),
                             &TPelWebParPaneQuestionsFrame::StaticClass(),
                             &TPelWebParPaneStatsFrame::StaticClass()})
    ClassRegistry::Register(*C);
  InstallChoicePageHooks();
  RegisterReportWindow();
}

}  // namespace quin
