#include "reports/register.h"

#include "analysis/register.h"

namespace quin {

void RegisterReportsClasses() {
  RegisterAnalysisClasses();
  // The report elements created by name register here as they come, and the element kinds
  // read from blocks nested in elements (RegisterRepElemKind: "table" in analyses, "chart" in
  // tables).
}

}  // namespace quin
