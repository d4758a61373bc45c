// The C library's heap, set for a server whose many request threads build and free the same
// kinds of objects over and over.
#pragma once

namespace quin {

// Call once at start, before the request threads run.
void TuneHeapForServing();

}  // namespace quin
