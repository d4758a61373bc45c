#include "reports/register.h"

#include "analysis/register.h"

namespace quin {

void RegisterReportsClasses() {
  RegisterAnalysisClasses();
  // The report elements created by name register here as they come.
}

}  // namespace quin
