#include "analysis/pelcolstore.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "analysis/pelsurvey.h"

namespace quin {

namespace {

std::atomic<size_t> GBudget{size_t(512) << 20};
std::atomic<size_t> GTotal{0};

// The open stores by file identity; an entry whose store went is replaced.
std::mutex GRegistryLock;
std::map<std::string, std::weak_ptr<TPelColumnStore>>& Registry() {
  static std::map<std::string, std::weak_ptr<TPelColumnStore>> R;
  return R;
}

std::string ColumnKey(char Kind, int RecsetIndex, const TPelCol* Col) {
  return std::string(1, Kind) + std::to_string(RecsetIndex) + ":" + (Col ? Col->Name() : "");
}

}  // namespace

size_t TPelColumnStore::TEntry::Size() const {
  return (B ? B->capacity() : 0) + (D ? D->capacity() * sizeof(double) : 0);
}

std::shared_ptr<TPelColumnStore> TPelColumnStore::ForFile(const std::string& FileName) {
  struct stat St {};
  if (FileName.empty() || ::stat(FileName.c_str(), &St) != 0 || !S_ISREG(St.st_mode))
    return Private();
  const std::string Key = std::to_string(St.st_dev) + "/" + std::to_string(St.st_ino) + "/" +
                          std::to_string(St.st_size) + "/" + std::to_string(St.st_mtim.tv_sec) +
                          "." + std::to_string(St.st_mtim.tv_nsec);
  std::lock_guard<std::mutex> G(GRegistryLock);
  auto& R = Registry();
  for (auto It = R.begin(); It != R.end();) It = It->second.expired() ? R.erase(It) : ++It;
  if (auto S = R[Key].lock()) return S;
  auto S = std::make_shared<TPelColumnStore>();
  R[Key] = S;
  return S;
}

std::shared_ptr<TPelColumnStore> TPelColumnStore::Private() {
  return std::make_shared<TPelColumnStore>();
}

void TPelColumnStore::SetBudget(size_t Bytes) { GBudget = Bytes; }
size_t TPelColumnStore::Budget() { return GBudget; }
size_t TPelColumnStore::TotalBytes() { return GTotal; }

TPelColumnStore::~TPelColumnStore() { GTotal -= FBytes; }

int64_t TPelColumnStore::Decodes() const {
  std::lock_guard<std::mutex> G(FLock);
  return FDecodes;
}

size_t TPelColumnStore::HeldBytes() const {
  std::lock_guard<std::mutex> G(FLock);
  return FBytes;
}

TPelColumnStore::TEntry& TPelColumnStore::Touch(const std::string& Key) {
  TEntry& E = FEntries[Key];
  E.LastUse = ++FClock;
  return E;
}

void TPelColumnStore::Account(std::ptrdiff_t Delta) {
  FBytes = static_cast<size_t>(static_cast<std::ptrdiff_t>(FBytes) + Delta);
  GTotal += static_cast<size_t>(Delta);
}

void TPelColumnStore::Trim() {
  // Entries that only the store holds go, the least recently used first, until all stores
  // together fit the budget (the budget is common; a store trims its own entries).
  while (GTotal > GBudget) {
    auto Oldest = FEntries.end();
    for (auto It = FEntries.begin(); It != FEntries.end(); ++It) {
      const TEntry& E = It->second;
      const bool Held = (E.B && E.B.use_count() > 1) || (E.D && E.D.use_count() > 1);
      if (!Held && E.Size() > 0 && (Oldest == FEntries.end() || E.LastUse < Oldest->second.LastUse))
        Oldest = It;
    }
    if (Oldest == FEntries.end()) return;
    Account(-static_cast<std::ptrdiff_t>(Oldest->second.Size()));
    FEntries.erase(Oldest);
  }
}

std::shared_ptr<const TPelByteColumn> TPelColumnStore::Bytes(TPelRecset& Recset, int RecsetIndex,
                                                             const TPelCol* Col) {
  if (!Col) return nullptr;
  std::lock_guard<std::mutex> G(FLock);
  TEntry& E = Touch(ColumnKey('c', RecsetIndex, Col));
  if (E.B || E.NotBytes) return E.B;
  TPelDoubleColumn D(static_cast<size_t>(Recset.RecCount()));
  Recset.ReadColumnDoublesInto(Col, D.data());
  ++FDecodes;
  auto B = std::make_shared<TPelByteColumn>(D.size());
  uint8_t* P = B->data();
  for (size_t I = 0; I < D.size(); ++I) {
    const double X = D[I];
    if (X == kPelMissingDouble) {
      P[I] = kPelMissingByte;
    } else if (X >= 0 && X <= 254 && X == std::floor(X)) {
      P[I] = static_cast<uint8_t>(X);
    } else {
      E.NotBytes = true;
      return nullptr;
    }
  }
  E.B = std::move(B);
  Account(static_cast<std::ptrdiff_t>(E.B->capacity()));
  auto R = E.B;
  Trim();
  return R;
}

std::shared_ptr<const TPelDoubleColumn> TPelColumnStore::Doubles(TPelRecset& Recset,
                                                                 int RecsetIndex,
                                                                 const TPelCol* Col) {
  if (!Col) return nullptr;
  std::lock_guard<std::mutex> G(FLock);
  TEntry& E = Touch(ColumnKey('d', RecsetIndex, Col));
  if (E.D) return E.D;
  auto D = std::make_shared<TPelDoubleColumn>(static_cast<size_t>(Recset.RecCount()));
  Recset.ReadColumnDoublesInto(Col, D->data());
  ++FDecodes;
  E.D = std::move(D);
  Account(static_cast<std::ptrdiff_t>(E.D->capacity() * sizeof(double)));
  auto R = E.D;
  Trim();
  return R;
}

std::shared_ptr<const TPelDoubleColumn> TPelColumnStore::Shared(
    const std::string& Key, const std::function<TPelDoubleColumn()>& Make) {
  std::lock_guard<std::mutex> G(FLock);
  TEntry& E = Touch("s" + Key);
  if (E.D) return E.D;
  E.D = std::make_shared<const TPelDoubleColumn>(Make());
  Account(static_cast<std::ptrdiff_t>(E.D->capacity() * sizeof(double)));
  auto R = E.D;
  Trim();
  return R;
}

}  // namespace quin
