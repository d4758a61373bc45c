// Registers the web application's classes (the subsystems' below first).
#pragma once

namespace quin {

void RegisterWebClasses();

}  // namespace quin
