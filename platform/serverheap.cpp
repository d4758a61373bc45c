#include "platform/serverheap.h"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

namespace quin {

namespace {

constexpr const char* kTunables = "GLIBC_TUNABLES";
constexpr const char* kCacheSize = "glibc.malloc.tcache_count=250";
// Set in the restarted program: "-" when the caller had no GLIBC_TUNABLES, else "+" and its
// value.
constexpr const char* kRestarted = "QUIN_HEAP_RESTARTED";

void RestoreTunables(const std::string& Saved) {
  if (Saved.empty() || Saved[0] != '+')
    unsetenv(kTunables);
  else
    setenv(kTunables, Saved.c_str() + 1, 1);
  unsetenv(kRestarted);
}

}  // namespace

void StartWithThreadCaches(char** Argv) {
  if (const char* Saved = std::getenv(kRestarted)) {
    RestoreTunables(Saved);
    return;
  }
  const char* Old = std::getenv(kTunables);
  const std::string Given = Old ? Old : "";
  if (Given.find("glibc.malloc.tcache_count") != std::string::npos || !Argv || !Argv[0]) return;
  const std::string Saved = Old ? "+" + Given : "-";
  setenv(kRestarted, Saved.c_str(), 1);
  setenv(kTunables, (Given.empty() ? std::string(kCacheSize) : Given + ":" + kCacheSize).c_str(),
         1);
  execv("/proc/self/exe", Argv);
  RestoreTunables(Saved);
}

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
