#include "reports/register.h"

#include "analysis/register.h"
#include "reports/pelchart.h"
#include "reports/peltable.h"

namespace quin {

void RegisterReportsClasses() {
  RegisterAnalysisClasses();
  // The element kinds read from blocks nested in elements.
  RegisterTableElemKind();
  RegisterChartElemKind();
}

}  // namespace quin
