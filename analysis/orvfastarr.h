// An append-only array of 32-bit integers that grows cheaply and can be sorted: the record
// indexes the radio computation collects while it walks column runs.
#pragma once

#include <cstdint>
#include <memory>

#include "base/orvclasses.h"

namespace quin {

class TOrvFastArrLongint : public TOrvObject {
  QUIN_CLASS(TOrvFastArrLongint, TOrvObject)
 public:
  TOrvFastArrLongint() = default;
  TOrvFastArrLongint(const TOrvFastArrLongint& Source);
  TOrvFastArrLongint& operator=(const TOrvFastArrLongint&) = delete;
  QUIN_COPY(TOrvFastArrLongint)

 public:
  // When the array is full its capacity becomes 16 (from 0) or twice as much; then Value is
  // appended. A capacity beyond what an int counts raises EListError.
  void Add(int32_t Value);
  // Items[0 .. Count-1] ascending, in place.
  void Sort();

  int Count() const { return FCount; }
  int Capacity() const { return FCapacity; }
  int32_t* Items() { return FItems.get(); }
  const int32_t* Items() const { return FItems.get(); }
  int32_t operator[](int Index) const { return FItems[Index]; }

 private:
  std::unique_ptr<int32_t[]> FItems;
  int FCount = 0;
  int FCapacity = 0;
};

}  // namespace quin
