// The case filters of grid questions: a cell under responses of a grid question's axes (one
// element per axis, from the same parameter) counts the records of the question's combined
// response, and a summary cell takes its values from that response.
#pragma once

#include <vector>

#include "analysis/pelreselem.h"

namespace quin {

class TPelResVarVal;

// For each element of Elems that is a response of a grid axis, ApplyGridQuestion at its
// position; True when any of them applied.
bool ApplyQuestionFilters(TPelResCell& Cell, const TPelResElemList& Elems, TPelFlags& Cases,
                          TPelFlags& Missing, TPelFlags* BaseCases, bool RequireAll,
                          bool& BaseExcluded);

// V's question filters the cell's masks when every axis of it has an element of the same
// question and parameter among Elems, and V (at Position) is the first of them: Cases keeps the
// records of the combined responses, Missing takes their missing records when the cell
// excludes them, BaseCases is narrowed by responses that restrict the base. A cell without
// statistic, or (with RequireAll) with an axis left out, or whose responses do not combine
// into one of the question's, is not computable. True when the filter applied.
bool ApplyGridQuestion(TPelResCell& Cell, const TPelResElemList& Elems, TPelResVarVal& V,
                       TPelFlags& Cases, TPelFlags& Missing, TPelFlags* BaseCases,
                       bool& BaseExcluded, bool RequireAll, int Position);

// The values of a summary cell's numeric response V when V lies on a grid axis: the cell's
// elements pick the combined response (its base response when it has one), which fills Values
// for Recset. False when V is null or no grid response (the caller fills the values itself).
bool LoadSummaryValues(TPelResCell& Cell, std::vector<double>& Values, TMerRecset* Recset,
                       TPelResVarVal* V);

}  // namespace quin
