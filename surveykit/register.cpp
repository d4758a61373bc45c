#include "surveykit/register.h"

#include "base/metaclass.h"
#include "deflang/register.h"

namespace quin {

void RegisterSurveykitClasses() {
  RegisterDeflangClasses();
}

}  // namespace quin
