#include "analysis/pelcolstore.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <unordered_map>

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

uint64_t BitsOf(double X) {
  uint64_t B;
  std::memcpy(&B, &X, sizeof B);
  return B;
}

// The codes of a column's values: the values themselves when they are all whole numbers from
// 0 to 254, else codes in the order the values first appear (distinguished bit for bit, so a
// code's value is exactly the record's value); false beyond 255 distinct values.
bool CodeValues(const TPelDoubleColumn& D, TPelCodedColumn& C) {
  const size_t N = D.size();
  C.Codes.resize(N);
  C.Value.fill(kPelMissingDouble);
  uint8_t* P = C.Codes.data();
  std::array<bool, 255> Seen{};
  size_t I = 0;
  for (; I < N; ++I) {
    const double X = D[I];
    if (X == kPelMissingDouble) {
      P[I] = kPelMissingByte;
    } else if (X >= 0 && X <= 254 && X == std::floor(X) && !std::signbit(X)) {
      P[I] = static_cast<uint8_t>(X);
      Seen[P[I]] = true;
    } else {
      break;
    }
  }
  if (I == N) {
    for (int B = 0; B < 255; ++B) {
      C.Value[static_cast<size_t>(B)] = B;
      C.Distinct += Seen[static_cast<size_t>(B)];
    }
    return true;
  }
  std::unordered_map<uint64_t, uint8_t> Index;
  uint64_t LastBits = 0;
  uint8_t LastCode = kPelMissingByte;
  for (I = 0; I < N; ++I) {
    const double X = D[I];
    if (X == kPelMissingDouble) {
      P[I] = kPelMissingByte;
      continue;
    }
    const uint64_t B = BitsOf(X);
    if (LastCode == kPelMissingByte || B != LastBits) {
      auto It = Index.find(B);
      if (It == Index.end()) {
        if (Index.size() == kPelMissingByte) return false;
        const auto Code = static_cast<uint8_t>(Index.size());
        It = Index.emplace(B, Code).first;
        C.Value[Code] = X;
      }
      LastBits = B;
      LastCode = It->second;
    }
    P[I] = LastCode;
  }
  C.Distinct = static_cast<int>(Index.size());
  return true;
}

}  // namespace

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

int64_t TPelColumnStore::MasksMade() const {
  std::lock_guard<std::mutex> G(FLock);
  return FMasks;
}

size_t TPelColumnStore::HeldBytes() const {
  std::lock_guard<std::mutex> G(FLock);
  return FBytes;
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
      const bool Held = E.Value && E.Value.use_count() > 1;
      if (!Held && !E.Pending && E.Size > 0 &&
          (Oldest == FEntries.end() || E.LastUse < Oldest->second.LastUse))
        Oldest = It;
    }
    if (Oldest == FEntries.end()) return;
    Account(-static_cast<std::ptrdiff_t>(Oldest->second.Size));
    FEntries.erase(Oldest);
  }
}

std::shared_ptr<const void> TPelColumnStore::Get(
    const std::string& Key, const std::function<std::shared_ptr<const void>()>& Make,
    const std::function<size_t(const void*)>& Size) {
  std::unique_lock<std::mutex> G(FLock);
  for (;;) {
    TEntry& E = FEntries[Key];
    E.LastUse = ++FClock;
    if (E.Value || E.Absent) return E.Value;
    if (!E.Pending) break;
    // Someone is making it: wait for that, then look again (a failed making is tried anew).
    const std::shared_ptr<TPending> P = E.Pending;
    P->Ready.wait(G, [&P] { return P->Done; });
  }
  auto P = std::make_shared<TPending>();
  FEntries[Key].Pending = P;
  G.unlock();
  std::shared_ptr<const void> V;
  try {
    V = Make();
  } catch (...) {
    G.lock();
    FEntries[Key].Pending.reset();
    P->Done = true;
    P->Ready.notify_all();
    throw;
  }
  G.lock();
  TEntry& E = FEntries[Key];
  E.Pending.reset();
  if (V) {
    E.Value = V;
    E.Size = Size(V.get());
    Account(static_cast<std::ptrdiff_t>(E.Size));
  } else {
    E.Absent = true;
  }
  P->Done = true;
  P->Ready.notify_all();
  Trim();
  return V;
}

std::shared_ptr<const TPelCodedColumn> TPelColumnStore::Codes(TPelRecset& Recset, int RecsetIndex,
                                                              const TPelCol* Col) {
  if (!Col) return nullptr;
  auto V = Get(
      ColumnKey('c', RecsetIndex, Col),
      [&]() -> std::shared_ptr<const void> {
        TPelDoubleColumn D(static_cast<size_t>(std::max(Recset.RecCount(), 0)));
        Recset.ReadColumnDoublesInto(Col, D.data());
        {
          std::lock_guard<std::mutex> G(FLock);
          ++FDecodes;
        }
        auto C = std::make_shared<TPelCodedColumn>();
        if (!CodeValues(D, *C)) return nullptr;
        return C;
      },
      [](const void* P) { return static_cast<const TPelCodedColumn*>(P)->Bytes(); });
  return std::static_pointer_cast<const TPelCodedColumn>(V);
}

std::shared_ptr<const TPelDoubleColumn> TPelColumnStore::Doubles(TPelRecset& Recset,
                                                                 int RecsetIndex,
                                                                 const TPelCol* Col) {
  if (!Col) return nullptr;
  auto V = Get(
      ColumnKey('d', RecsetIndex, Col),
      [&]() -> std::shared_ptr<const void> {
        auto D =
            std::make_shared<TPelDoubleColumn>(static_cast<size_t>(std::max(Recset.RecCount(), 0)));
        Recset.ReadColumnDoublesInto(Col, D->data());
        std::lock_guard<std::mutex> G(FLock);
        ++FDecodes;
        return D;
      },
      [](const void* P) {
        return static_cast<const TPelDoubleColumn*>(P)->capacity() * sizeof(double);
      });
  return std::static_pointer_cast<const TPelDoubleColumn>(V);
}

std::shared_ptr<const TPelDoubleColumn> TPelColumnStore::Distinct(TPelRecset& Recset,
                                                                  int RecsetIndex,
                                                                  const TPelCol* Col) {
  if (!Col) return nullptr;
  auto V = Get(
      ColumnKey('u', RecsetIndex, Col),
      [&]() -> std::shared_ptr<const void> {
        auto U = std::make_shared<TPelDoubleColumn>();
        if (auto C = Codes(Recset, RecsetIndex, Col)) {
          // The dictionary holds the values: only the codes some record has count.
          std::array<bool, 256> Used{};
          for (uint8_t B : C->Codes) Used[B] = true;
          for (int B = 0; B < 255; ++B)
            if (Used[static_cast<size_t>(B)]) U->push_back(C->Value[static_cast<size_t>(B)]);
        } else {
          auto D = Doubles(Recset, RecsetIndex, Col);
          for (double X : *D)
            if (X != kPelMissingDouble) U->push_back(X);
        }
        std::sort(U->begin(), U->end());
        U->erase(std::unique(U->begin(), U->end()), U->end());
        U->shrink_to_fit();
        return U;
      },
      [](const void* P) {
        return static_cast<const TPelDoubleColumn*>(P)->capacity() * sizeof(double);
      });
  return std::static_pointer_cast<const TPelDoubleColumn>(V);
}

std::shared_ptr<const TPelDoubleColumn> TPelColumnStore::Shared(
    const std::string& Key, const std::function<TPelDoubleColumn()>& Make) {
  auto V = Get(
      "s" + Key,
      [&]() -> std::shared_ptr<const void> {
        return std::make_shared<const TPelDoubleColumn>(Make());
      },
      [](const void* P) {
        return static_cast<const TPelDoubleColumn*>(P)->capacity() * sizeof(double);
      });
  return std::static_pointer_cast<const TPelDoubleColumn>(V);
}

std::shared_ptr<const TPelByteColumn> TPelColumnStore::Mask(
    const std::string& Key, const std::function<TPelByteColumn()>& Make) {
  auto V = Get(
      "m" + Key,
      [&]() -> std::shared_ptr<const void> {
        auto M = std::make_shared<const TPelByteColumn>(Make());
        std::lock_guard<std::mutex> G(FLock);
        ++FMasks;
        return M;
      },
      [](const void* P) { return static_cast<const TPelByteColumn*>(P)->capacity(); });
  return std::static_pointer_cast<const TPelByteColumn>(V);
}

}  // namespace quin
