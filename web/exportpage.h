// How the report window opens the export page (the page itself: web/exportform.h).
#pragma once

namespace quin {

class TPelRep;
class TPelRepElem;

// Shows the export page over the calling request's current page, listing Report's elements
// with Preselected (may be null) chosen first.
void ShowExportPage(TPelRepElem* Preselected, TPelRep& Report);

}  // namespace quin
