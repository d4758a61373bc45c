#include "desktop/register.h"

#include "base/metaclass.h"
#include "base/register.h"
#include "desktop/orvappform.h"
#include "desktop/orvdeskapp.h"
#include "desktop/orvform.h"
#include "desktop/orvlogo.h"
#include "desktop/orvpanes.h"
#include "desktop/orvrecents.h"
#include "desktop/orvwebpage.h"

namespace quin {

void RegisterDesktopClasses() {
  RegisterBaseClasses();
  for (const ClassInfo* C : {&TOrvWebPage::StaticClass(),         &TOrvControl::StaticClass(),
                             &TOrvFormForm::StaticClass(),        &TOrvWindowForm::StaticClass(),
                             &TOrvMenuItem::StaticClass(),        &TOrvAction::StaticClass(),
                             &TOrvRecents_File::StaticClass(),    &TOrvRecents_List::StaticClass(),
                             &TOrvRecents_Handler::StaticClass(), &TOrvPanel::StaticClass(),
                             &TOrvLabel::StaticClass(),           &TOrvProgressBar::StaticClass(),
                             &TOrvImage::StaticClass(),           &TOrvPaneForm::StaticClass(),
                             &TOrvStatusbarPane::StaticClass(),   &TOrvLogoForm::StaticClass(),
                             &TOrvLogoBlueForm::StaticClass(),    &TOrvToolbarFrame::StaticClass(),
                             &TOrvAppGUIForm::StaticClass(),      &TOrvDesktopApp::StaticClass()})
    ClassRegistry::Register(*C);
}

}  // namespace quin
