// Registers the viewer's classes (the reports' and the desktop framework's first).
#pragma once

namespace quin {

void RegisterViewerClasses();

}  // namespace quin
