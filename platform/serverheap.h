// The C library's heap, set for a server whose many request threads build and free the same
// kinds of objects over and over.
#pragma once

namespace quin {

// glibc keeps a small cache of freed blocks per thread (seven of each size); beyond it every
// allocation and free takes a lock of one of the few heaps the threads share, and with many
// requests at once the threads queue on those locks (a recalculation makes a few thousand
// blocks). The cache's size is read only when a program starts, from GLIBC_TUNABLES: this
// starts the program again (the same process, through exec) with a cache of 250 blocks per
// size, unless the caller's environment chose a size already. Call first thing in main, with
// main's arguments. In the restarted program the environment is as the caller gave it, so the
// programs the server starts get it unchanged. When the restart cannot be made the program
// runs on as it is.
void StartWithThreadCaches(char** Argv);

// Call once at start, before the request threads run.
void TuneHeapForServing();

}  // namespace quin
