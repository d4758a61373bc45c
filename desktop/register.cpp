#include "desktop/register.h"

#include "base/metaclass.h"
#include "base/register.h"
#include "desktop/orvform.h"
#include "desktop/orvwebpage.h"

namespace quin {

void RegisterDesktopClasses() {
  RegisterBaseClasses();
  for (const ClassInfo* C :
       {&TOrvWebPage::StaticClass(), &TOrvControl::StaticClass(), &TOrvFormForm::StaticClass(),
        &TOrvWindowForm::StaticClass(), &TOrvMenuItem::StaticClass(), &TOrvAction::StaticClass()})
    ClassRegistry::Register(*C);
}

}  // namespace quin
