// Explicit class registration of the definition language; runs after RegisterBaseClasses.
#pragma once

namespace quin {

void RegisterDeflangClasses();

}  // namespace quin
