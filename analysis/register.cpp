#include "analysis/register.h"

#include "analysis/pelparaxes.h"
#include "analysis/pelparbase.h"
#include "analysis/pelpargroups.h"
#include "analysis/pelparpress.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "analysis/pelparwaves.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelsurvey.h"
#include "analysis/peluserdef.h"
#include "base/metaclass.h"
#include "surveykit/register.h"

namespace quin {

void RegisterAnalysisClasses() {
  RegisterSurveykitClasses();
  // The "recordset" blocks of the analysis side create their record sets by name.
  ClassRegistry::Register(TPelSurvey::StaticClass());
  ClassRegistry::Register(TPelRecset::StaticClass());
  // The savable classes, created by keyword from report and parameter-definition files.
  RegisterRWObjectClass(RWClassOf<TPelParDefQuestions>());
  RegisterRWObjectClass(RWClassOf<TPelParDefResponseAxis>());
  RegisterRWObjectClass(RWClassOf<TPelParDefBase>());
  RegisterRWObjectClass(RWClassOf<TPelParWaves>());
  RegisterRWObjectClass(RWClassOf<TPelParStats>());
  RegisterRWObjectClass(RWClassOf<TPelParGroups>());
  RegisterRWObjectClass(RWClassOf<TPelUserDef>());
  RegisterRWObjectClass(RWClassOf<TPelParPressTitles>());
  RegisterRWObjectClass(RWClassOf<TPelParPressInds>());
  // The result elements, found by the names of their data-info blocks.
  RegisterGeneralResClasses();
}

}  // namespace quin
