#include "surveykit/merkeys.h"

#include "base/text.h"

namespace quin {

const std::array<TMerWizKindInfo, WizKindCount> MerWizKinds = {{
    {"table1d", 0},
    {"cmpGroups2", 0},
    {"cmpGroups", 0},
    {"table2d", 0},
    {"cmpWaves", 0},
    {"genComplex", 0},
    {"genCrossBann", 0},
    {"radioAudience", 1},
    {"radioRanking", 1},
    {"radioCmpWaves", 1},
    {"radioCmpGroups2", 1},
    {"radioCmpGroups", 1},
    {"radioColistening", 1},
    {"radioStructure", 1},
    {"radioStructureRow", 1},
    {"radioDays", 1},
    {"radioQs", 1},
    {"radioPlaces", 1},
    {"radioSources", 1},
    {"radioMediaPlan", 1},
    {"pressReadership", 2},
    {"pressRanking", 2},
    {"pressCmpGroups2", 2},
    {"pressCmpGroups", 2},
    {"pressCmpWaves", 2},
    {"pressCoreadership", 2},
    {"pressStructure", 2},
    {"pressStructureRow", 2},
    {"pressPrices", 2},
    {"pressMediaPlan", 2},
    {"pressMediaPlanOpt", 2},
    {"tvAudience", 3},
    {"tvRanking", 3},
    {"tvCmpWaves", 3},
    {"tvCmpGroups2", 3},
    {"tvCmpGroups", 3},
    {"tvCoviewing", 3},
    {"tvStructureCol", 3},
    {"tvStructureRow", 3},
    {"tvDays", 3},
    {"tvQs", 3},
    {"tvDaysQs", 3},
}};

const std::array<TMerWizKindArrInfo, WizGroupCount> MerWizGroups = {{
    {"general", 0, 6},
    {"radio", 7, 19},
    {"press", 20, 30},
    {"tv", 31, 41},
}};

const std::array<const char*, StatKeyCount> MerStatKeys = {
    "cntA",    "cntW",     "pctLayer", "pctRow",   "pctCol",    "index",     "est",
    "meanRow", "meanCol",  "varRow",   "varCol",   "stdDevRow", "stdDevCol", "sumRow",
    "sumCol",  "shareRow", "shareCol", "indLayer", "indRow",    "indCol",    "cnt",
    "pct",     "mean",     "var",      "stdDev",   "sum",       "share",     "ind",
};

const std::array<const char*, StatKindCount> MerStatPrefixes = {
    "cnt", "cnt",    "pct",    "pct", "pct", "index", "est",   "mean", "mean", "var",
    "var", "stdDev", "stdDev", "sum", "sum", "share", "share", "ind",  "ind",  "ind",
};

std::vector<int> SelectStatKinds(std::string_view Key) {
  std::vector<int> R;
  for (int I = 0; I < StatKindCount; ++I)
    if (SameText(MerStatPrefixes[I], Key) || SameText(MerStatKeys[I], Key)) R.push_back(I);
  return R;
}

int FindWizKind(std::string_view ID) {
  for (int I = 0; I < WizKindCount; ++I)
    if (SameText(MerWizKinds[I].ID, ID)) return I;
  return -1;
}

int FindWizGroup(std::string_view ID) {
  for (int I = 0; I < WizGroupCount; ++I)
    if (SameText(MerWizGroups[I].ID, ID)) return I;
  return -1;
}

}  // namespace quin
