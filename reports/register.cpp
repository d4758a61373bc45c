#include "reports/register.h"

#include "analysis/register.h"
#include "reports/pelchart.h"
#include "reports/peltable.h"
#include "reports/pelwiz.h"
#include "reports/pelwizgen.h"

namespace quin {

void RegisterReportsClasses() {
  RegisterAnalysisClasses();
  // The element kinds read from blocks nested in elements.
  RegisterTableElemKind();
  RegisterChartElemKind();
  // The analysis templates and the builder of the surveys' template lists.
  RegisterGeneralWizClasses();
  RegisterWizBuilder();
}

}  // namespace quin
