// Explicit class registration: each subsystem has one register function, which first calls the
// register function of the subsystem below it, so one call from the program entry (or a test
// program's main) registers everything in a fixed order. Registering twice is harmless.
#pragma once

namespace quin {

void RegisterBaseClasses();

}  // namespace quin
