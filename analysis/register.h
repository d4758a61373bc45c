// Registers the analysis engine's classes (the survey kit's and those below it first).
#pragma once

namespace quin {

void RegisterAnalysisClasses();

}  // namespace quin
