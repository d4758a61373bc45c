#include "surveykit/pelcolcodes.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quin::pelcodes {

void CodesEnded() { throw EPelDamagedData("column codes end before the records"); }
void IndexPastDictionary() { throw EPelDamagedData("column code past the dictionary"); }

namespace {

// Columns shorter than this are decoded code by code: a table would cost more than it saves.
constexpr int64_t kTableMinRecords = 2048;

// What one RLE code stands for: a dictionary index and its copies.
struct TMeaning {
  int Idx;
  int Copies;
};

// A 2- or 4-bit unit of cdcfRLE_1_2, cdcfRLE_1_4 or cdcfRLE_3_4.
TMeaning UnitMeaning(int Compression, int C) {
  switch (Compression) {
    case cdcfRLE_1_2:
      return C & 2 ? TMeaning{1 + (C & 1), 1} : TMeaning{0, (C & 1) + 1};
    case cdcfRLE_1_4:
      return C & 8 ? TMeaning{1 + (C & 7), 1} : TMeaning{0, (C & 7) + 1};
    default:  // cdcfRLE_3_4
      return (C & 12) == 12 ? TMeaning{3 + (C & 3), 1} : TMeaning{(C >> 2) & 3, (C & 3) + 1};
  }
}

// A code byte of cdcfRLE_1_8 or cdcfRLE_3_8 (the single codes of cdcfRLE_1_16 read as
// cdcfRLE_1_8's).
TMeaning ByteMeaning(int Compression, int B) {
  if (Compression == cdcfRLE_3_8)
    return B > 191 ? TMeaning{3 + (B & 63), 1} : TMeaning{B >> 6, (B & 63) + 1};
  return B & 128 ? TMeaning{1 + (B & 127), 1} : TMeaning{0, B + 1};
}

int UnitBits(int Compression) { return Compression == cdcfRLE_1_2 ? 2 : 4; }

// The shape of a packed RLE form: units per code byte and the most copies of one unit.
template <int Compression>
struct TPacked {
  static constexpr int Bits = Compression == cdcfRLE_1_2 ? 2 : 4;
  static constexpr int Units = 8 / Bits;
  static constexpr int MaxCopies = Compression == cdcfRLE_1_2   ? 2
                                   : Compression == cdcfRLE_1_4 ? 8
                                                                : 4;
  static constexpr int Width = Units * MaxCopies;  // the most records one code byte gives
};

// Writes values into Out, cutting the last run at the last record.
template <class T>
struct TValueWriter {
  const TDictionary<T>& Dict;
  T* Out;
  int64_t N;
  int64_t Pos = 0;
  bool Bad = false;
  bool Done() const { return Pos >= N; }
  void Put(int Idx, int64_t Copies) {
    Bad |= Idx >= Dict.Count;
    const int64_t C = std::min(Copies, N - Pos);
    std::fill_n(Out + Pos, C, Dict.Values[Idx]);
    Pos += C;
  }
};

// Writes one pair per code, cutting the last run at the last record.
struct TRunWriter {
  const TDictionary<uint8_t>& Dict;
  TPelColRun* Out;
  int64_t N;
  int64_t Pos = 0;
  int64_t Pairs = 0;
  bool Bad = false;
  bool Done() const { return Pos >= N; }
  void Put(int Idx, int64_t Copies) {
    Bad |= Idx >= Dict.Count;
    const int64_t C = std::min(Copies, N - Pos);
    Out[Pairs++] = TPelColRun{Dict.Values[Idx], static_cast<int32_t>(C)};
    Pos += C;
  }
};

// The packed units from unit U on, one at a time, until the records are complete.
template <class TWriter>
void PackedUnits(int Compression, std::span<const uint8_t> Codes, int64_t U, TWriter& W) {
  const int Bits = UnitBits(Compression);
  const int Units = 8 / Bits;
  const int Mask = (1 << Bits) - 1;
  const auto Size = static_cast<int64_t>(Codes.size());
  for (; !W.Done(); ++U) {
    const int64_t K = U / Units;
    if (K >= Size) CodesEnded();
    const TMeaning M = UnitMeaning(Compression, (Codes[K] >> ((U % Units) * Bits)) & Mask);
    W.Put(M.Idx, M.Copies);
  }
}

// The byte codes from byte K on, one code at a time, until the records are complete.
template <class TWriter>
void ByteCodes(int Compression, std::span<const uint8_t> Codes, int64_t K, TWriter& W) {
  const auto Size = static_cast<int64_t>(Codes.size());
  while (!W.Done()) {
    if (K >= Size) CodesEnded();
    const int B = Codes[K++];
    if (Compression == cdcfRLE_1_16 && !(B & 128)) {
      if (K >= Size) CodesEnded();
      W.Put(0, B * 256 + Codes[K++] + 1);  // a 15-bit big-endian run of dict[0]
    } else {
      const TMeaning M = ByteMeaning(Compression, B);
      W.Put(M.Idx, M.Copies);
    }
  }
}

// Fn (B, U, Meaning) for each unit U of each code byte B of a packed RLE form.
template <int Compression, class F>
void ForEachUnit(F&& Fn) {
  using P = TPacked<Compression>;
  for (int B = 0; B < 256; ++B)
    for (int U = 0; U < P::Units; ++U)
      Fn(B, U, UnitMeaning(Compression, (B >> (U * P::Bits)) & ((1 << P::Bits) - 1)));
}

// For each code byte of a packed form, the values of its units (Width of them, the valid
// ones first), how many are valid, and whether an index lies past the dictionary.
template <class T, int Compression>
struct TValueTable {
  using P = TPacked<Compression>;
  T V[256][P::Width] = {};
  uint8_t Len[256] = {};
  uint8_t Bad[256] = {};
  explicit TValueTable(const TDictionary<T>& D) {
    ForEachUnit<Compression>([&](int B, int, TMeaning M) {
      Bad[B] |= M.Idx >= D.Count;
      for (int K = 0; K < M.Copies; ++K) V[B][Len[B]++] = D.Values[M.Idx];
    });
  }
};

// Whole code bytes through the table while a byte's values surely fit; returns the code
// bytes used.
template <class T, int Compression>
int64_t PackedRleTable(std::span<const uint8_t> Codes, TValueWriter<T>& W) {
  using P = TPacked<Compression>;
  const auto Tab = std::make_unique<TValueTable<T, Compression>>(W.Dict);
  const uint8_t* C = Codes.data();
  const auto Size = static_cast<int64_t>(Codes.size());
  T* const Out = W.Out;
  const int64_t Stop = W.N - P::Width;
  int64_t K = 0;
  int64_t Pos = W.Pos;
  uint8_t Bad = 0;
  while (K < Size && Pos <= Stop) {
    const uint8_t B = C[K++];
    std::memcpy(Out + Pos, Tab->V[B], sizeof Tab->V[B]);
    Pos += Tab->Len[B];
    Bad |= Tab->Bad[B];
  }
  W.Pos = Pos;
  W.Bad |= Bad != 0;
  return K;
}

// Byte codes with the run value stored ahead in one wide write; returns the code bytes used.
template <class T, int Compression>
int64_t ByteRleFast(std::span<const uint8_t> Codes, TValueWriter<T>& W) {
  // Values stored before the run is known: the runs of most columns end within them, so that
  // only the longer runs take a second step.
  constexpr int64_t kAhead = 64 / sizeof(T);
  T Val[256];
  uint8_t Copies[256];
  uint8_t Bad[256];
  for (int B = 0; B < 256; ++B) {
    const TMeaning M = ByteMeaning(Compression, B);
    Val[B] = W.Dict.Values[M.Idx];
    Copies[B] = static_cast<uint8_t>(M.Copies);  // at most 128
    Bad[B] = M.Idx >= W.Dict.Count;
  }
  const uint8_t* C = Codes.data();
  const auto Size = static_cast<int64_t>(Codes.size());
  T* const Out = W.Out;
  const int64_t N = W.N;
  int64_t K = 0;
  int64_t Pos = W.Pos;
  uint8_t AnyBad = 0;
  while (K < Size && Pos + kAhead <= N) {
    const uint8_t B = C[K];
    int64_t Run;
    T V;
    if (Compression == cdcfRLE_1_16 && !(B & 128)) {
      if (K + 1 >= Size) break;
      Run = B * 256 + C[K + 1] + 1;
      V = W.Dict.Values[0];
      AnyBad |= W.Dict.Count == 0;
      K += 2;
    } else {
      Run = Copies[B];
      V = Val[B];
      AnyBad |= Bad[B];
      ++K;
    }
    T* const P = Out + Pos;
    for (int64_t I = 0; I < kAhead; ++I) P[I] = V;
    Run = std::min(Run, N - Pos);
    if (Run > kAhead) std::fill(P + kAhead, P + Run, V);
    Pos += Run;
  }
  W.Pos = Pos;
  W.Bad |= AnyBad != 0;
  return K;
}

template <class T, int Compression>
void RleValues(std::span<const uint8_t> Codes, TValueWriter<T>& W) {
  const bool Long = W.N >= kTableMinRecords;
  if constexpr (Compression == cdcfRLE_1_2 || Compression == cdcfRLE_1_4 ||
                Compression == cdcfRLE_3_4) {
    const int64_t K = Long ? PackedRleTable<T, Compression>(Codes, W) : 0;
    PackedUnits(Compression, Codes, K * TPacked<Compression>::Units, W);
  } else {
    const int64_t K = Long ? ByteRleFast<T, Compression>(Codes, W) : 0;
    ByteCodes(Compression, Codes, K, W);
  }
}

// The pairs of each code byte of a packed form (one per unit), the records they cover and
// whether an index lies past the dictionary.
template <int Compression>
struct TRunTable {
  using P = TPacked<Compression>;
  TPelColRun Pairs[256][P::Units];
  uint8_t Len[256] = {};
  uint8_t Bad[256] = {};
  explicit TRunTable(const TDictionary<uint8_t>& D) {
    ForEachUnit<Compression>([&](int B, int U, TMeaning M) {
      Bad[B] |= M.Idx >= D.Count;
      Pairs[B][U] = TPelColRun{D.Values[M.Idx], M.Copies};
      Len[B] += M.Copies;
    });
  }
};

template <int Compression>
int64_t PackedRunTable(std::span<const uint8_t> Codes, TRunWriter& W) {
  using P = TPacked<Compression>;
  const auto Tab = std::make_unique<TRunTable<Compression>>(W.Dict);
  const uint8_t* C = Codes.data();
  const auto Size = static_cast<int64_t>(Codes.size());
  // A byte covers at most Width records with Units pairs, and every pair covers a record:
  // while Width more records fit, so do the pairs.
  const int64_t Stop = W.N - P::Width;
  int64_t K = 0;
  int64_t Pos = W.Pos;
  int64_t Pairs = W.Pairs;
  uint8_t Bad = 0;
  while (K < Size && Pos <= Stop) {
    const uint8_t B = C[K++];
    std::memcpy(W.Out + Pairs, Tab->Pairs[B], sizeof Tab->Pairs[B]);
    Pairs += P::Units;
    Pos += Tab->Len[B];
    Bad |= Tab->Bad[B];
  }
  W.Pos = Pos;
  W.Pairs = Pairs;
  W.Bad |= Bad != 0;
  return K;
}

template <int Compression>
void RleRuns(std::span<const uint8_t> Codes, TRunWriter& W) {
  if constexpr (Compression == cdcfRLE_1_2 || Compression == cdcfRLE_1_4 ||
                Compression == cdcfRLE_3_4) {
    const int64_t K = W.N >= kTableMinRecords ? PackedRunTable<Compression>(Codes, W) : 0;
    PackedUnits(Compression, Codes, K * TPacked<Compression>::Units, W);
  } else {
    ByteCodes(Compression, Codes, 0, W);
  }
}

// Calls F with the compression as a constant.
template <class F>
void WithRle(int Compression, F&& Fn) {
  switch (Compression) {
    case cdcfRLE_1_2:
      return Fn(std::integral_constant<int, cdcfRLE_1_2>());
    case cdcfRLE_1_4:
      return Fn(std::integral_constant<int, cdcfRLE_1_4>());
    case cdcfRLE_1_8:
      return Fn(std::integral_constant<int, cdcfRLE_1_8>());
    case cdcfRLE_1_16:
      return Fn(std::integral_constant<int, cdcfRLE_1_16>());
    case cdcfRLE_3_4:
      return Fn(std::integral_constant<int, cdcfRLE_3_4>());
    case cdcfRLE_3_8:
      return Fn(std::integral_constant<int, cdcfRLE_3_8>());
    default:
      throw EVERErr();
  }
}

// The packed codes that N records need, else the codes end too early.
void CheckPackedSize(int Bits, std::span<const uint8_t> Codes, int64_t N) {
  if (static_cast<int64_t>(Codes.size()) < (N * Bits + 7) / 8) CodesEnded();
}

// Byte codes: every code checked against the dictionary before anything is written.
void CheckByteCodes(std::span<const uint8_t> Codes, int64_t N, int Count) {
  if (static_cast<int64_t>(Codes.size()) < N) CodesEnded();
  if (N == 0 || Count >= kPelMaxDictionary) return;
  uint8_t Max = 0;
  for (int64_t I = 0; I < N; ++I) Max = std::max(Max, Codes[I]);
  if (Max >= Count) IndexPastDictionary();
}

// What a decoder writes for a dictionary value: the value, or a pair of one record.
template <class E, class T>
inline E AsElement(T V) {
  if constexpr (std::is_same_v<E, TPelColRun>)
    return TPelColRun{V, 1};
  else
    return V;
}

// For each code byte of packed indexes, the elements of its codes and whether one lies past
// the dictionary.
template <class E, class T, int Bits>
struct TIndexTable {
  static constexpr int Units = 8 / Bits;
  E V[256][Units];
  uint8_t Bad[256] = {};
  explicit TIndexTable(const TDictionary<T>& D) {
    for (int B = 0; B < 256; ++B)
      for (int U = 0; U < Units; ++U) {
        const int Code = (B >> (U * Bits)) & ((1 << Bits) - 1);
        V[B][U] = AsElement<E>(D.Values[Code]);
        Bad[B] |= Code >= D.Count;
      }
  }
};

// Code I of a packed index area (lowest bits first).
inline int PackedCode(const uint8_t* C, int Bits, int64_t I) {
  const int Units = 8 / Bits;
  return (C[I / Units] >> ((I % Units) * Bits)) & ((1 << Bits) - 1);
}

// Packed indexes into N elements: long columns a code byte at a time through the table (bytes
// eight at a time, the rows of several code bytes put together for one store), the rest code
// by code.
template <class E, class T, int Bits>
void PackedIndex(std::span<const uint8_t> Codes, const TDictionary<T>& D, E* Out, int64_t N) {
  constexpr int Units = 8 / Bits;
  int64_t Done = 0;
  bool Bad = false;
  if (N >= kTableMinRecords) {
    const auto Tab = std::make_unique<TIndexTable<E, T, Bits>>(D);
    const int64_t Full = N / Units;
    const uint8_t* C = Codes.data();
    uint8_t AnyBad = 0;
    int64_t K = 0;
    if constexpr (sizeof(E) == 1 && Units < 8) {
      constexpr int PerWord = 8 / Units;
      for (; K + PerWord <= Full; K += PerWord) {
        uint64_t Word = 0;
        for (int J = 0; J < PerWord; ++J) {
          uint64_t Row = 0;
          std::memcpy(&Row, Tab->V[C[K + J]], Units);
          Word |= Row << (8 * Units * J);
          AnyBad |= Tab->Bad[C[K + J]];
        }
        std::memcpy(Out + K * Units, &Word, 8);
      }
    }
    for (; K < Full; ++K) {
      const uint8_t B = C[K];
      std::memcpy(Out + K * Units, Tab->V[B], sizeof Tab->V[B]);
      AnyBad |= Tab->Bad[B];
    }
    Bad = AnyBad != 0;
    Done = Full * Units;
  }
  for (int64_t I = Done; I < N; ++I) {
    const int Code = PackedCode(Codes.data(), Bits, I);
    Bad |= Code >= D.Count;
    Out[I] = AsElement<E>(D.Values[Code]);
  }
  if (Bad) IndexPastDictionary();
}

// Packed indexes of 1, 2 or 4 bits into the elements of Out.
template <class E, class T>
void PackedIndexOf(int Bits, std::span<const uint8_t> Codes, const TDictionary<T>& D,
                   std::span<E> Out) {
  const auto N = static_cast<int64_t>(Out.size());
  CheckPackedSize(Bits, Codes, N);
  switch (Bits) {
    case 1:
      return PackedIndex<E, T, 1>(Codes, D, Out.data(), N);
    case 2:
      return PackedIndex<E, T, 2>(Codes, D, Out.data(), N);
    default:
      return PackedIndex<E, T, 4>(Codes, D, Out.data(), N);
  }
}

#if defined(__x86_64__)
// Byte codes looked up 64 at a time in the 256 dictionary bytes held in four registers (the
// byte permutes of AVX-512 VBMI); returns the records done.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int64_t ByteIndexBytesVbmi(
    const uint8_t* C, const uint8_t* Dict, uint8_t* Out, int64_t N) {
  const __m512i T0 = _mm512_loadu_si512(Dict);
  const __m512i T1 = _mm512_loadu_si512(Dict + 64);
  const __m512i T2 = _mm512_loadu_si512(Dict + 128);
  const __m512i T3 = _mm512_loadu_si512(Dict + 192);
  int64_t I = 0;
  for (; I + 64 <= N; I += 64) {
    const __m512i X = _mm512_loadu_si512(C + I);
    const __m512i Low = _mm512_permutex2var_epi8(T0, X, T1);   // codes 0..127
    const __m512i High = _mm512_permutex2var_epi8(T2, X, T3);  // codes 128..255
    _mm512_storeu_si512(Out + I, _mm512_mask_blend_epi8(_mm512_movepi8_mask(X), Low, High));
  }
  return I;
}

bool HasVbmi() {
  static const bool Has =
      __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
  return Has;
}
#endif

// Byte codes already checked: a plain lookup, eight records per step for bytes.
template <class T>
void ByteIndexValues(const uint8_t* C, const T* Dict, T* Out, int64_t N) {
  int64_t I = 0;
  if constexpr (sizeof(T) == 1) {
#if defined(__x86_64__)
    if (HasVbmi()) I = ByteIndexBytesVbmi(C, Dict, Out, N);
#endif
    for (; I + 8 <= N; I += 8) {
      uint64_t W = 0;
      for (int K = 0; K < 8; ++K) W |= static_cast<uint64_t>(Dict[C[I + K]]) << (8 * K);
      std::memcpy(Out + I, &W, 8);
    }
  }
  for (; I < N; ++I) Out[I] = Dict[C[I]];
}

}  // namespace

template <class T>
void DecodeRleValues(int Compression, std::span<const uint8_t> Codes, const TDictionary<T>& Dict,
                     std::span<T> Out) {
  TValueWriter<T> W{Dict, Out.data(), static_cast<int64_t>(Out.size())};
  WithRle(Compression, [&](auto C) { RleValues<T, decltype(C)::value>(Codes, W); });
  if (W.Bad) IndexPastDictionary();
}

template <class T>
void DecodeIndexValues(int Bits, std::span<const uint8_t> Codes, const TDictionary<T>& Dict,
                       std::span<T> Out) {
  if (Bits != 8) return PackedIndexOf<T>(Bits, Codes, Dict, Out);
  const auto N = static_cast<int64_t>(Out.size());
  CheckByteCodes(Codes, N, Dict.Count);
  ByteIndexValues(Codes.data(), Dict.Values, Out.data(), N);
}

int64_t DecodeRleRuns(int Compression, std::span<const uint8_t> Codes,
                      const TDictionary<uint8_t>& Dict, std::span<TPelColRun> Out) {
  TRunWriter W{Dict, Out.data(), static_cast<int64_t>(Out.size())};
  WithRle(Compression, [&](auto C) { RleRuns<decltype(C)::value>(Codes, W); });
  if (W.Bad) IndexPastDictionary();
  return W.Pairs;
}

void DecodeIndexRuns(int Bits, std::span<const uint8_t> Codes, const TDictionary<uint8_t>& Dict,
                     std::span<TPelColRun> Out) {
  if (Bits != 8) return PackedIndexOf<TPelColRun>(Bits, Codes, Dict, Out);
  const auto N = static_cast<int64_t>(Out.size());
  CheckByteCodes(Codes, N, Dict.Count);
  for (int64_t I = 0; I < N; ++I) Out[I] = TPelColRun{Dict.Values[Codes[I]], 1};
}

template void DecodeRleValues<uint8_t>(int, std::span<const uint8_t>, const TDictionary<uint8_t>&,
                                       std::span<uint8_t>);
template void DecodeRleValues<double>(int, std::span<const uint8_t>, const TDictionary<double>&,
                                      std::span<double>);
template void DecodeIndexValues<uint8_t>(int, std::span<const uint8_t>, const TDictionary<uint8_t>&,
                                         std::span<uint8_t>);
template void DecodeIndexValues<double>(int, std::span<const uint8_t>, const TDictionary<double>&,
                                        std::span<double>);

}  // namespace quin::pelcodes
