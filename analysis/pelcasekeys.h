// Conjunctions of per-record conditions, found for many conditions at once. A literal holds
// for record i when its table gives a non-zero byte for the record's byte in its array (a
// column of codes, or a mask of 0 and 1); a key is a set of literals. The key set of a table
// axis finds every key a record meets by looking up one byte per group of keys that share
// their leading array, then checking the keys' other literals.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

namespace quin {

using TPelLut = std::array<uint8_t, 256>;

// The distinct byte tables, by number.
class TPelLutTable {
 public:
  uint32_t Add(const TPelLut& Lut);
  // The table of both A and B.
  uint32_t And(uint32_t A, uint32_t B);
  const TPelLut& operator[](uint32_t Id) const { return FLuts[Id]; }
  // The tables of a 0/1 mask and of its negation.
  uint32_t MaskSet();
  uint32_t MaskClear();

 private:
  std::vector<TPelLut> FLuts;
  std::map<TPelLut, uint32_t> FIndex;
};

struct TPelLit {
  const uint8_t* Arr;
  uint32_t Lut;
  bool operator<(const TPelLit& O) const { return Arr != O.Arr ? Arr < O.Arr : Lut < O.Lut; }
  bool operator==(const TPelLit& O) const = default;
};

// Interned keys of one axis; key 0 is the empty key (every record meets it).
class TPelKeyTable {
 public:
  explicit TPelKeyTable(TPelLutTable& Luts);
  // The key of Lits (literals over one array are merged into one); Lits is sorted in place.
  int Intern(std::vector<TPelLit>& Lits);
  int Count() const { return static_cast<int>(FKeys.size()); }
  const std::vector<TPelLit>& Lits(int Key) const { return FKeys[static_cast<size_t>(Key)]; }

 private:
  struct THash {
    size_t operator()(const std::vector<TPelLit>& Lits) const;
  };
  TPelLutTable& FLuts;
  std::vector<std::vector<TPelLit>> FKeys;
  // A table calculation interns a few keys per cell, most of them known already.
  std::unordered_map<std::vector<TPelLit>, int, THash> FIndex;
};

// A subset of an axis's keys (local numbers 0..n-1), ready to be matched record by record.
class TPelKeyMatcher {
 public:
  TPelKeyMatcher(const TPelKeyTable& Keys, const TPelLutTable& Luts,
                 const std::vector<int>& GlobalKeys);
  int Count() const { return FCount; }
  // One array's share of the keys a record meets: the set of keys of each byte value (SetOf)
  // among the distinct sets (Sets); a part without array has one set.
  struct TPart {
    const uint8_t* Arr = nullptr;
    std::array<int, 256> SetOf{};
    std::vector<std::vector<int>> Sets;
  };
  // The keys a record meets, by the bytes of the arrays the keys read: one part per array,
  // whose sets hold the keys with a literal on that array that the byte passes, appended to
  // Parts. A key is met when every one of its literals passes (Literals(Key) of them); the
  // keys without literals are met always.
  void ByByte(std::vector<TPart>& Parts) const;
  const std::vector<int>& Always() const { return FAlways; }
  int Literals(int Key) const { return FLitCount[static_cast<size_t>(Key)]; }
  // The local numbers of the keys record I meets, into Out (room for Count()); their number.
  int Match(size_t I, int* Out) const {
    int N = 0;
    for (int K : FAlways) Out[N++] = K;
    for (const TLead& L : FLeads) {
      const uint8_t B = L.Arr[I];
      for (uint32_t J = L.Off[B]; J < L.Off[B + 1u]; ++J) {
        const TCand& C = L.Cands[J];
        bool Ok = true;
        for (uint32_t R = C.RestFirst; R < C.RestLast && Ok; ++R)
          Ok = (*FRest[R].Lut)[FRest[R].Arr[I]] != 0;
        if (Ok) Out[N++] = C.Key;
      }
    }
    return N;
  }

 private:
  struct TRest {
    const uint8_t* Arr;
    const TPelLut* Lut;
  };
  struct TCand {
    int Key;
    uint32_t RestFirst, RestLast;
  };
  struct TLead {
    const uint8_t* Arr;
    std::array<uint32_t, 257> Off;
    std::vector<TCand> Cands;
  };
  int FCount = 0;
  std::vector<int> FAlways;
  std::vector<int> FLitCount;
  // Per array, the literals on it: (local key, table).
  std::vector<std::pair<const uint8_t*, std::vector<std::pair<int, const TPelLut*>>>> FByArr;
  std::vector<TLead> FLeads;
  std::vector<TRest> FRest;
};

}  // namespace quin
