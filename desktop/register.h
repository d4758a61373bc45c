// Registers the desktop framework's classes (the base library's first).
#pragma once

namespace quin {

void RegisterDesktopClasses();

}  // namespace quin
