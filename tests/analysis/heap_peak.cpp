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

}  // namespace

void* operator new(std::size_t N) {
  void* P = std::malloc(N ? N : 1);
  if (!P) throw std::bad_alloc();
  Count(P, 1);
  return P;
}

void operator delete(void* P) noexcept {
  if (!P) return;
  Count(P, -1);
  std::free(P);
}

void operator delete(void* P, std::size_t) noexcept { operator delete(P); }

namespace quin::testing {

THeapPeak::THeapPeak() {
  GBase = GLive.load();
  GPeak = GBase.load();
}

THeapPeak::~THeapPeak() = default;

int64_t THeapPeak::Bytes() const { return GPeak.load() - GBase.load(); }

}  // namespace quin::testing
