// Registers the report classes (the analysis engine's and those below it first).
#pragma once

namespace quin {

void RegisterReportsClasses();

}  // namespace quin
