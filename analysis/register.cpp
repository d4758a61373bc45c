#include "analysis/register.h"

#include "analysis/pelsurvey.h"
#include "base/metaclass.h"
#include "surveykit/register.h"

namespace quin {

void RegisterAnalysisClasses() {
  RegisterSurveykitClasses();
  // The "recordset" blocks of the analysis side create their record sets by name.
  ClassRegistry::Register(TPelSurvey::StaticClass());
  ClassRegistry::Register(TPelRecset::StaticClass());
}

}  // namespace quin
