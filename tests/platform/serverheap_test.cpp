// The restart with larger heap caches: the restarted program gives its environment back as
// the caller had it, and a caller that chose a cache size is not restarted.
#include "platform/serverheap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace quin {
namespace {

std::string Env(const char* Name) {
  const char* V = std::getenv(Name);
  return V ? V : "<unset>";
}

TEST(ServerHeap, TheRestartedProgramRestoresTheCallersEnvironment) {
  char Name[] = "test";
  char* Argv[] = {Name, nullptr};
  // Restarted from a caller without GLIBC_TUNABLES, then from one with its own setting.
  setenv("GLIBC_TUNABLES", "glibc.malloc.tcache_count=250", 1);
  setenv("QUIN_HEAP_RESTARTED", "-", 1);
  StartWithThreadCaches(Argv);
  EXPECT_EQ(Env("GLIBC_TUNABLES"), "<unset>");
  EXPECT_EQ(Env("QUIN_HEAP_RESTARTED"), "<unset>");
  setenv("GLIBC_TUNABLES", "glibc.mem.tagging=0:glibc.malloc.tcache_count=250", 1);
  setenv("QUIN_HEAP_RESTARTED", "+glibc.mem.tagging=0", 1);
  StartWithThreadCaches(Argv);
  EXPECT_EQ(Env("GLIBC_TUNABLES"), "glibc.mem.tagging=0");
  EXPECT_EQ(Env("QUIN_HEAP_RESTARTED"), "<unset>");
  // A cache size the caller chose is kept: the call returns without restarting.
  setenv("GLIBC_TUNABLES", "glibc.malloc.tcache_count=7", 1);
  StartWithThreadCaches(Argv);
  EXPECT_EQ(Env("GLIBC_TUNABLES"), "glibc.malloc.tcache_count=7");
  EXPECT_EQ(Env("QUIN_HEAP_RESTARTED"), "<unset>");
  unsetenv("GLIBC_TUNABLES");
}

}  // namespace
}  // namespace quin
