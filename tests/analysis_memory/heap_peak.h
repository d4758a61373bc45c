// The largest amount of heap memory held at once while an object of THeapPeak lives, counted
// through the test program's own operator new and delete (heap_peak.cpp).
#pragma once

#include <cstdint>

namespace quin::test {

class THeapPeak {
 public:
  THeapPeak();
  ~THeapPeak() = default;
  THeapPeak(const THeapPeak&) = delete;
  THeapPeak& operator=(const THeapPeak&) = delete;
  // The most bytes allocated beyond what was held when the object was made.
  int64_t Bytes() const;
};

}  // namespace quin::test
