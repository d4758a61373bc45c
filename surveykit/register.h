// Registers the survey kit's classes (the definition language's and the base library's first).
#pragma once

namespace quin {

void RegisterSurveykitClasses();

}  // namespace quin
