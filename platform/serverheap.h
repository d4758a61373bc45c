// The C library's heap, set for a server whose many request threads build and free the same
// kinds of objects over and over.
#pragma once

namespace quin {

// Call once at start, before the request threads run. The threads' caches of freed blocks are
// the environment's to set (GLIBC_TUNABLES=glibc.malloc.tcache_count=250; ./run and the
// deployment notes do): glibc reads them only when a program starts.
void TuneHeapForServing();

}  // namespace quin
