#include "surveykit/register.h"

#include "base/metaclass.h"
#include "deflang/register.h"
#include "surveykit/mersurvey.h"

namespace quin {

void RegisterSurveykitClasses() {
  RegisterDeflangClasses();
  // The classes that the survey definition's header creates by name.
  ClassRegistry::Register(TMerSurvey::StaticClass());
  ClassRegistry::Register(TMerEnviron::StaticClass());
  ClassRegistry::Register(TMerInfo::StaticClass());
  ClassRegistry::Register(TMerInfoPage::StaticClass());
  ClassRegistry::Register(TMerRecset::StaticClass());
}

}  // namespace quin
