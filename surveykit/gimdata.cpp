#include "surveykit/gimdata.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimData, TOrvObject)

TGimData::TGimData(TMerSurvey* ASurvey)
    : Root(NewInSurvey<TGimModule>(ASurvey, nullptr)), Survey(ASurvey) {}

}  // namespace quin
