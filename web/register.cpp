#include "web/register.h"

#include "base/metaclass.h"
#include "desktop/register.h"
#include "reports/register.h"
#include "web/controller.h"
#include "web/logon.h"
#include "web/prefshelp.h"
#include "web/session.h"
#include "web/zepform.h"

namespace quin {

void RegisterWebClasses() {
  RegisterReportsClasses();
  RegisterDesktopClasses();
  for (const ClassInfo* C :
       {&TZepApp::StaticClass(), &TZepServerController::StaticClass(),
        &THobServerController::StaticClass(), &TZepSessionModule::StaticClass(),
        &THobSessionModule::StaticClass(), &TZepForm::StaticClass(), &TOrvFrameFrame::StaticClass(),
        &TZepFrame::StaticClass(), &TZepLogonForm::StaticClass(), &THobLogonForm::StaticClass(),
        &TZepPrefsForm::StaticClass(), &THobPrefsForm::StaticClass(), &TZepHelpForm::StaticClass(),
        &THobHelpForm::StaticClass()})
    ClassRegistry::Register(*C);
}

}  // namespace quin
