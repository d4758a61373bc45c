#include "platform/serverheap.h"

#include <malloc.h>

#include <algorithm>
#include <thread>

namespace quin {

void TuneHeapForServing() {
  // Pages are served by a pool of many threads, and glibc gives each new thread its own heap,
  // up to eight per core, each keeping the memory a table calculation freed: the server's
  // memory would climb with every worker that ever ran one. As many heaps as cores.
  mallopt(M_ARENA_MAX, static_cast<int>(std::max(2u, std::thread::hardware_concurrency())));
  // A recalculation frees what the previous one of the session built and builds it again. A
  // heap that hands freed memory back to the system at once (from 128 KiB of free space on)
  // pays for it twice: the system call, and the page faults when the next calculation touches
  // the same memory again. Each heap keeps up to 16 MiB free for the next request; large blocks
  // (a calculation's per-record arrays of a large survey) come from the heaps up to 32 MiB
  // rather than being mapped and unmapped each time. The memory stays at what the busiest
  // moment needed.
  mallopt(M_TRIM_THRESHOLD, 16 << 20);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
}

}  // namespace quin
