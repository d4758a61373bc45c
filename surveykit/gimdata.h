// The survey's data tree: the root module of modules and questions.
#pragma once

#include <memory>

#include "surveykit/gimdataobj.h"

namespace quin {

class TGimData : public TOrvObject {
  QUIN_CLASS(TGimData, TOrvObject)
 public:
  explicit TGimData(TMerSurvey* ASurvey = nullptr);
  std::unique_ptr<TGimModule> Root;  // owned, without parent
  TMerSurvey* Survey;                // not owned
};

}  // namespace quin
