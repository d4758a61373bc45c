#include "desktop/viewer/register.h"

#include "base/metaclass.h"
#include "desktop/register.h"
#include "desktop/viewer/viewerform.h"
#include "reports/register.h"

namespace quin {

void RegisterViewerClasses() {
  RegisterReportsClasses();
  RegisterDesktopClasses();
  for (const ClassInfo* C : {&TViewerApp::StaticClass(), &TViewerForm::StaticClass()})
    ClassRegistry::Register(*C);
}

}  // namespace quin
