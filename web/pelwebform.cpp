#include "web/pelwebform.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebIWForm, TZepForm)

}  // namespace quin
