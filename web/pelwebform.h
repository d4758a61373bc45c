// The base of the analysis pages (survey, report and template choice, parameter steps, value
// ranges, report window): the page frame as it stands.
#pragma once

#include "web/zepform.h"

namespace quin {

class TPelWebIWForm : public TZepForm {
  QUIN_CLASS(TPelWebIWForm, TZepForm)
 public:
  TPelWebIWForm() = default;
};

}  // namespace quin
