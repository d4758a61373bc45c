// Explicit class registration: each subsystem has one register function, called in a fixed
// order from the program entry and from the test programs' main.
#pragma once

namespace quin {

void RegisterBaseClasses();

// Runs every subsystem's register function in the fixed order (base first). Idempotent.
void RegisterAllClasses();

}  // namespace quin
