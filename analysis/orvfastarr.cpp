#include "analysis/orvfastarr.h"

#include <algorithm>
#include <limits>

#include "base/exception.h"
#include "base/random.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TOrvFastArrLongint, TOrvObject)

TOrvFastArrLongint::TOrvFastArrLongint(const TOrvFastArrLongint& Source)
    : TOrvObject(Source), FCount(Source.FCount), FCapacity(Source.FCapacity) {
  if (FCapacity > 0) {
    FItems = std::make_unique<int32_t[]>(static_cast<size_t>(FCapacity));
    std::copy_n(Source.FItems.get(), FCount, FItems.get());
  }
}

void TOrvFastArrLongint::Add(int32_t Value) {
  if (FCount == FCapacity) {
    if (FCapacity > std::numeric_limits<int>::max() / 2) throw EListError("Array too large");
    const int NewCapacity = FCapacity == 0 ? 16 : FCapacity * 2;
    auto NewItems = std::make_unique<int32_t[]>(static_cast<size_t>(NewCapacity));
    std::copy_n(FItems.get(), FCount, NewItems.get());
    FItems = std::move(NewItems);
    FCapacity = NewCapacity;
  }
  FItems[FCount++] = Value;
}

void TOrvFastArrLongint::Sort() { SortIntegers(FItems.get(), FCount); }

}  // namespace quin
