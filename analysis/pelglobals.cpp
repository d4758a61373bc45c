#include "analysis/pelglobals.h"

namespace quin {

const TPelGlobalSettings& PelGlobalSettings() {
  static const TPelGlobalSettings Settings;
  return Settings;
}

}  // namespace quin
