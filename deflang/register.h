// Registers the definition language's classes (the base library's first).
#pragma once

namespace quin {

void RegisterDeflangClasses();

}  // namespace quin
