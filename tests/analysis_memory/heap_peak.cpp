#include "heap_peak.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int64_t> GLive{0};
std::atomic<int64_t> GPeak{0};
std::atomic<int64_t> GBase{0};

void Count(void* P, int64_t Sign) {
  const int64_t Delta = Sign * static_cast<int64_t>(malloc_usable_size(P));
  const int64_t Now = GLive.fetch_add(Delta) + Delta;
  int64_t Peak = GPeak.load();
  while (Now > Peak && !GPeak.compare_exchange_weak(Peak, Now)) {
  }
}

// Every form of new and delete but the aligned ones (which keep their own pair) goes through
// these two, so that what one allocates the other frees.
void* CountedNew(std::size_t N) noexcept {
  void* P = std::malloc(N ? N : 1);
  if (P) Count(P, 1);
  return P;
}

void CountedDelete(void* P) noexcept {
  if (!P) return;
  Count(P, -1);
  std::free(P);
}

}  // namespace

void* operator new(std::size_t N) {
  void* P = CountedNew(N);
  if (!P) throw std::bad_alloc();
  return P;
}
void* operator new[](std::size_t N) { return operator new(N); }
void* operator new(std::size_t N, const std::nothrow_t&) noexcept { return CountedNew(N); }
void* operator new[](std::size_t N, const std::nothrow_t&) noexcept { return CountedNew(N); }
void operator delete(void* P) noexcept { CountedDelete(P); }
void operator delete[](void* P) noexcept { CountedDelete(P); }
void operator delete(void* P, std::size_t) noexcept { CountedDelete(P); }
void operator delete[](void* P, std::size_t) noexcept { CountedDelete(P); }
void operator delete(void* P, const std::nothrow_t&) noexcept { CountedDelete(P); }
void operator delete[](void* P, const std::nothrow_t&) noexcept { CountedDelete(P); }

namespace quin::test {

THeapPeak::THeapPeak() {
  GBase = GLive.load();
  GPeak = GBase.load();
}

int64_t THeapPeak::Bytes() const { return GPeak.load() - GBase.load(); }

}  // namespace quin::test
