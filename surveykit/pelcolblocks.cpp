#include "surveykit/pelcolblocks.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/orvbinary.h"
#include "base/text.h"
#include "surveykit/pelcolcodes.h"

namespace quin {

static_assert(std::endian::native == std::endian::little,
              "column blocks are read with little-endian loads");

const char* const PelColDataLayoutNames[kPelColDataLayoutCount] = {
    "cdlfBit2",  "cdlfBit4",  "cdlfUInt1", "cdlfUInt2", "cdlfUInt4",
    "cdlfSInt1", "cdlfSInt2", "cdlfSInt4", "cdlfFlt8"};

const char* const PelColDataCompressionNames[kPelColDataCompressionCount] = {
    "cdcfNoCompression", "cdcfRLE_1_2", "cdcfRLE_1_4", "cdcfRLE_1_8", "cdcfRLE_1_16", "cdcfRLE_3_4",
    "cdcfRLE_3_8",       "cdcfIDX_1",   "cdcfIDX_2",   "cdcfIDX_4",   "cdcfIDX_8",    "cdcfZLib"};

const std::string& EPelDamagedData::DefaultTemplate() {
  static const std::string T =
      Cp1250("<PLK>Plik badania jest uszkodzony (%s).<ENU>The survey file is damaged (%s).");
  return T;
}

const std::string& PelDamagedFileText() {
  static const std::string T =
      Cp1250("<PLK>Plik badania jest uszkodzony.<ENU>The survey file is damaged.");
  return T;
}

EPelDamagedData::EPelDamagedData(std::string Detail)
    : EOrvException(DefaultTemplate(), TDynStringArr{std::move(Detail)}) {}

uint64_t PelLayoutMissingBits(TPelColDataLayout Layout) {
  switch (Layout) {
    case cdlfBit2:
      return 3;
    case cdlfBit4:
      return 15;
    case cdlfUInt1:
      return 255;
    case cdlfUInt2:
      return 65535;
    case cdlfUInt4:
      return 4294967295u;
    case cdlfSInt1:
      return 127;
    case cdlfSInt2:
      return 32767;
    case cdlfSInt4:
      return 2147483647;
    case cdlfFlt8:
      return std::bit_cast<uint64_t>(kPelMissingDouble);
  }
  return 0;
}

int64_t PelLayoutStoredSize(int Layout, int64_t Count) {
  if (Count < 0) return -1;
  switch (Layout) {
    case cdlfBit2:
      return (Count + 3) / 4;
    case cdlfBit4:
      return (Count + 1) / 2;
    case cdlfUInt1:
    case cdlfSInt1:
      return Count;
    case cdlfUInt2:
    case cdlfSInt2:
      return 2 * Count;
    case cdlfUInt4:
    case cdlfSInt4:
      return 4 * Count;
    case cdlfFlt8:
      return 8 * Count;
    default:
      return -1;
  }
}

int PelCompressionMaxDictionary(int Compression) {
  switch (Compression) {
    case cdcfRLE_1_2:
      return 3;
    case cdcfRLE_1_4:
      return 9;
    case cdcfRLE_1_8:
    case cdcfRLE_1_16:
      return 129;
    case cdcfRLE_3_4:
      return 7;
    case cdcfRLE_3_8:
      return 67;
    case cdcfIDX_1:
      return 2;
    case cdcfIDX_2:
      return 4;
    case cdcfIDX_4:
      return 16;
    case cdcfIDX_8:
    case cdcfZLib:
      return 256;
    default:
      return 0;
  }
}

int64_t PelCompressionRecordsPerCodeByte(int Compression) {
  switch (Compression) {
    case cdcfRLE_1_2:
    case cdcfRLE_3_4:
    case cdcfIDX_1:
      return 8;
    case cdcfRLE_1_4:
      return 16;
    case cdcfRLE_1_8:
      return 128;
    case cdcfRLE_1_16:
      return 16384;  // two bytes for 32768 records
    case cdcfRLE_3_8:
      return 64;
    case cdcfIDX_2:
      return 4;
    case cdcfIDX_4:
      return 2;
    case cdcfIDX_8:
      return 1;
    case cdcfZLib:
      return kMaxInflateRatio;
    default:
      return 0;
  }
}

std::span<const uint8_t> TPelColBlock::Values() const {
  const int64_t N = ValueBytes();
  if (N < 0 || static_cast<uint64_t>(N) > Data.size()) return {};
  return std::span(Data).first(static_cast<size_t>(N));
}

std::span<const uint8_t> TPelColBlock::Codes() const {
  const int64_t V = ValueBytes();
  if (V < 0 || CodeSize < 0 || static_cast<uint64_t>(V) + CodeSize > Data.size()) return {};
  return std::span(Data).subspan(static_cast<size_t>(V), static_cast<size_t>(CodeSize));
}

uint8_t PelDoubleToByte(double X) {
  // Also false for NaN and for the missing marker.
  if (!(std::fabs(X) < 9223372036854775808.0)) return kPelMissingByte;
  // The truncation is exact; the tie goes to the even neighbour without regard to the
  // floating-point rounding mode.
  auto I = static_cast<int64_t>(X);
  double Diff = X - static_cast<double>(I);
  if (Diff > 0.5 || (Diff == 0.5 && (I & 1) != 0))
    ++I;
  else if (Diff < -0.5 || (Diff == -0.5 && (I & 1) != 0))
    --I;
  return static_cast<uint8_t>(static_cast<uint64_t>(I) & 0xFF);
}

// ---- varints ---------------------------------------------------------------------------

int32_t ReadBlockVarint(TStream& Stream) {
  uint8_t N = ReadStreamByte(Stream);
  if (N != 255) return N;
  uint8_t B[4];
  Stream.ReadBuffer(std::span(B, 2));
  uint32_t M = B[0] | (uint32_t(B[1]) << 8);
  if (M != 65535) return static_cast<int32_t>(M);
  Stream.ReadBuffer(B);
  return static_cast<int32_t>(B[0] | (uint32_t(B[1]) << 8) | (uint32_t(B[2]) << 16) |
                              (uint32_t(B[3]) << 24));
}

int32_t ReadBufferVarint(std::span<const uint8_t> Data, int64_t& Pos) {
  const auto Size = static_cast<int64_t>(Data.size());
  if (Pos < 0 || Pos >= Size) throw EPelDamagedData("varint beyond its buffer");
  uint8_t N = Data[Pos++];
  if (N != 255) return N;
  if (Size - Pos < 2) throw EPelDamagedData("varint beyond its buffer");
  uint32_t M = Data[Pos] | (uint32_t(Data[Pos + 1]) << 8);
  Pos += 2;
  if (M != 65535) return static_cast<int32_t>(M);
  if (Size - Pos < 4) throw EPelDamagedData("varint beyond its buffer");
  uint32_t V = Data[Pos] | (uint32_t(Data[Pos + 1]) << 8) | (uint32_t(Data[Pos + 2]) << 16) |
               (uint32_t(Data[Pos + 3]) << 24);
  Pos += 4;
  return static_cast<int32_t>(V);
}

// ---- reading a block -------------------------------------------------------------------

namespace {

// The fewest code bytes that can stand for RecordCount records (the zlib form allows for its
// stream's few bytes of framing).
bool CodesCanHold(int Compression, int64_t CodeSize, int64_t RecordCount) {
  const int64_t PerByte = PelCompressionRecordsPerCodeByte(Compression);
  const int64_t Allowance = Compression == cdcfZLib ? 64 : 0;
  return CodeSize * PerByte + Allowance >= RecordCount;
}

}  // namespace

void ReadColumnBlockHeader(TStream& Stream, TPelColBlock& Block, int RecordCount) {
  Block.Kind = Block.Layout = Block.Compression = 0;
  Block.Count = Block.CodeSize = 0;
  if (RecordCount < 0) throw EPelDamagedData("negative record count");
  if (ReadStreamByte(Stream) != kPelColBlockVersion) throw EVERErr();
  uint8_t KL[2];
  Stream.ReadBuffer(KL);
  if (KL[0] != kPelColBlockPlain && KL[0] != kPelColBlockDictionary) throw EVERErr();
  if (KL[1] >= kPelColDataLayoutCount) throw EVERErr();
  const int32_t Count = ReadBlockVarint(Stream);
  if (Count < 0) throw EPelDamagedData("negative value count in a column block");
  int32_t CodeSize = 0;
  uint8_t Compression = 0;
  if (KL[0] == kPelColBlockPlain) {
    if (Count != RecordCount)
      throw EPelDamagedData("a plain column block does not hold one value per record");
  } else {
    Compression = ReadStreamByte(Stream);
    if (Compression == cdcfNoCompression || Compression >= kPelColDataCompressionCount)
      throw EVERErr();
    if (Count > kPelMaxDictionary) throw EPelDamagedData("column dictionary above 256 values");
    CodeSize = ReadBlockVarint(Stream);
    if (CodeSize < 0) throw EPelDamagedData("negative code size in a column block");
    if (!CodesCanHold(Compression, CodeSize, RecordCount))
      throw EPelDamagedData("column codes too short for the records");
  }
  const int64_t Stored = PelLayoutStoredSize(KL[1], Count);
  const int64_t Left = Stream.Remaining();
  if (Stored > Left || CodeSize > Left - Stored)
    throw EPelDamagedData("column block beyond the end of the file");
  Block.Kind = KL[0];
  Block.Layout = KL[1];
  Block.Compression = Compression;
  Block.Count = Count;
  Block.CodeSize = CodeSize;
}

void ReadColumnBlock(TStream& Stream, TPelColBlock& Block, int RecordCount) {
  ReadColumnBlockHeader(Stream, Block, RecordCount);
  const auto Size = static_cast<size_t>(Block.ValueBytes() + Block.CodeSize);
  if (Block.Data.size() < Size) Block.Data.resize(Size);
  Stream.ReadBuffer(std::span(Block.Data).first(Size));
}

// ---- values ----------------------------------------------------------------------------

namespace {

inline uint16_t Load16(const uint8_t* P) {
  uint16_t V;
  std::memcpy(&V, P, 2);
  return V;
}
inline uint32_t Load32(const uint8_t* P) {
  uint32_t V;
  std::memcpy(&V, P, 4);
  return V;
}
inline double LoadF64(const uint8_t* P) {
  double V;
  std::memcpy(&V, P, 8);
  return V;
}

// The target value of one stored value (Missing tells the layout's marker was found).
template <class T>
T Target(bool Missing, int64_t V);
template <>
inline uint8_t Target<uint8_t>(bool Missing, int64_t V) {
  return Missing ? kPelMissingByte : static_cast<uint8_t>(V & 0xFF);
}
template <>
inline double Target<double>(bool Missing, int64_t V) {
  return Missing ? kPelMissingDouble : static_cast<double>(V);
}

// The targets of every stored value of a layout of at most 8 bits.
template <class T>
void SmallTable(int Layout, T (&Tab)[256]) {
  for (int V = 0; V < 256; ++V) {
    switch (Layout) {
      case cdlfBit2:
        Tab[V] = Target<T>((V & 3) == 3, V & 3);
        break;
      case cdlfBit4:
        Tab[V] = Target<T>((V & 15) == 15, V & 15);
        break;
      case cdlfUInt1:
        Tab[V] = Target<T>(V == 255, V);
        break;
      default:
        Tab[V] = Target<T>(V == 127, static_cast<int8_t>(V));
        break;  // cdlfSInt1
    }
  }
}

#if defined(__SSE2__)
// Packed 2- or 4-bit values as bytes, 16 stored bytes at a time: each value as it is, the
// layout's missing marker as 255. Returns the values done (a multiple of 16 * 8 / Bits).
template <int Bits>
int64_t PackedBytesSse2(const uint8_t* Src, int64_t Count, uint8_t* Dst) {
  constexpr int Units = 8 / Bits;
  const __m128i Marker = _mm_set1_epi8((1 << Bits) - 1);
  // Unit U of every stored byte; the shift of 16-bit lanes is made good by the mask.
  auto Unit = [&](__m128i X, int U) { return _mm_and_si128(_mm_srli_epi16(X, U * Bits), Marker); };
  auto Store = [&](uint8_t* P, __m128i V) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(P), _mm_or_si128(V, _mm_cmpeq_epi8(V, Marker)));
  };
  int64_t K = 0;
  for (; (K + 1) * 16 * Units <= Count; ++K) {
    const __m128i X = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + 16 * K));
    uint8_t* const D = Dst + 16 * Units * K;
    if constexpr (Bits == 4) {
      const __m128i Low = Unit(X, 0), High = Unit(X, 1);
      Store(D, _mm_unpacklo_epi8(Low, High));
      Store(D + 16, _mm_unpackhi_epi8(Low, High));
    } else {
      const __m128i C0 = Unit(X, 0), C1 = Unit(X, 1), C2 = Unit(X, 2), C3 = Unit(X, 3);
      const __m128i L01 = _mm_unpacklo_epi8(C0, C1), H01 = _mm_unpackhi_epi8(C0, C1);
      const __m128i L23 = _mm_unpacklo_epi8(C2, C3), H23 = _mm_unpackhi_epi8(C2, C3);
      Store(D, _mm_unpacklo_epi16(L01, L23));
      Store(D + 16, _mm_unpackhi_epi16(L01, L23));
      Store(D + 32, _mm_unpacklo_epi16(H01, H23));
      Store(D + 48, _mm_unpackhi_epi16(H01, H23));
    }
  }
  return K * 16 * Units;
}
#endif

#if defined(__x86_64__)
// The same 32 stored bytes at a time with AVX2. The unpacks work within each 128-bit half, so
// the halves of their results are put back in order before they are stored.
template <int Bits>
__attribute__((target("avx2"))) inline __m256i UnitAvx2(__m256i X, int U) {
  return _mm256_and_si256(_mm256_srli_epi16(X, U * Bits), _mm256_set1_epi8((1 << Bits) - 1));
}

template <int Bits>
__attribute__((target("avx2"))) inline void StoreAvx2(uint8_t* P, __m256i V) {
  const __m256i Marker = _mm256_set1_epi8((1 << Bits) - 1);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(P),
                      _mm256_or_si256(V, _mm256_cmpeq_epi8(V, Marker)));
}

template <int Bits>
__attribute__((target("avx2"))) int64_t PackedBytesAvx2(const uint8_t* Src, int64_t Count,
                                                        uint8_t* Dst) {
  constexpr int Units = 8 / Bits;
  int64_t K = 0;
  for (; (K + 1) * 32 * Units <= Count; ++K) {
    const __m256i X = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + 32 * K));
    uint8_t* const D = Dst + 32 * Units * K;
    if constexpr (Bits == 4) {
      const __m256i Low = UnitAvx2<Bits>(X, 0), High = UnitAvx2<Bits>(X, 1);
      const __m256i A = _mm256_unpacklo_epi8(Low, High), B = _mm256_unpackhi_epi8(Low, High);
      StoreAvx2<Bits>(D, _mm256_permute2x128_si256(A, B, 0x20));
      StoreAvx2<Bits>(D + 32, _mm256_permute2x128_si256(A, B, 0x31));
    } else {
      const __m256i C0 = UnitAvx2<Bits>(X, 0), C1 = UnitAvx2<Bits>(X, 1);
      const __m256i C2 = UnitAvx2<Bits>(X, 2), C3 = UnitAvx2<Bits>(X, 3);
      const __m256i L01 = _mm256_unpacklo_epi8(C0, C1), H01 = _mm256_unpackhi_epi8(C0, C1);
      const __m256i L23 = _mm256_unpacklo_epi8(C2, C3), H23 = _mm256_unpackhi_epi8(C2, C3);
      const __m256i O0 = _mm256_unpacklo_epi16(L01, L23), O1 = _mm256_unpackhi_epi16(L01, L23);
      const __m256i O2 = _mm256_unpacklo_epi16(H01, H23), O3 = _mm256_unpackhi_epi16(H01, H23);
      StoreAvx2<Bits>(D, _mm256_permute2x128_si256(O0, O1, 0x20));
      StoreAvx2<Bits>(D + 32, _mm256_permute2x128_si256(O2, O3, 0x20));
      StoreAvx2<Bits>(D + 64, _mm256_permute2x128_si256(O0, O1, 0x31));
      StoreAvx2<Bits>(D + 96, _mm256_permute2x128_si256(O2, O3, 0x31));
    }
  }
  return K * 32 * Units;
}

bool HasAvx2() {
  static const bool Has = __builtin_cpu_supports("avx2");
  return Has;
}
#endif

// Packed 2- and 4-bit values a byte at a time: each byte's values from a table.
template <class T, int Bits>
void PackedValues(const uint8_t* Src, int64_t Count, const T (&Tab)[256], T* Dst) {
  constexpr int Units = 8 / Bits;
  constexpr int Mask = (1 << Bits) - 1;
  int64_t Full = 0;
  if constexpr (sizeof(T) == 1) {
    int64_t Done = 0;
#if defined(__x86_64__)
    if (HasAvx2()) Done = PackedBytesAvx2<Bits>(Src, Count, Dst);
#endif
#if defined(__SSE2__)
    Done += PackedBytesSse2<Bits>(Src + Done / Units, Count - Done, Dst + Done);
#endif
    Src += Done / Units;
    Dst += Done;
    Count -= Done;
  }
  if (Count >= 1024) {  // dictionaries and short columns go value by value
    T Byte[256][Units];
    for (int B = 0; B < 256; ++B)
      for (int U = 0; U < Units; ++U) Byte[B][U] = Tab[(B >> (U * Bits)) & Mask];
    Full = Count / Units;
    for (int64_t K = 0; K < Full; ++K) std::memcpy(Dst + K * Units, Byte[Src[K]], sizeof Byte[0]);
  }
  for (int64_t I = Full * Units; I < Count; ++I)
    Dst[I] = Tab[(Src[I / Units] >> ((I % Units) * Bits)) & Mask];
}

// Flt8 values as bytes: rounded to the nearest integer, ties to even, low 8 bits kept.
void Flt8Bytes(const uint8_t* Src, int64_t Count, uint8_t* Dst) {
  if (std::fegetround() != FE_TONEAREST) {
    for (int64_t I = 0; I < Count; ++I) Dst[I] = PelDoubleToByte(LoadF64(Src + 8 * I));
    return;
  }
  // In the default mode adding and taking away 2^52 rounds ties to even in hardware.
  constexpr double kRound = 4503599627370496.0;
  for (int64_t I = 0; I < Count; ++I) {
    const double X = LoadF64(Src + 8 * I);
    const double A = std::fabs(X);
    if (A < kRound) {
      const auto R = static_cast<int64_t>((A + kRound) - kRound);
      Dst[I] = static_cast<uint8_t>(static_cast<uint64_t>(X < 0 ? -R : R) & 0xFF);
    } else {
      Dst[I] = PelDoubleToByte(X);
    }
  }
}

// Count stored values of Layout at Src into Dst. Src holds PelLayoutStoredSize(Count) bytes.
template <class T>
void DecodeValues(const uint8_t* Src, int Layout, int64_t Count, T* Dst) {
  switch (Layout) {
    case cdlfBit2:
    case cdlfBit4:
    case cdlfUInt1:
    case cdlfSInt1: {
      T Tab[256];
      SmallTable<T>(Layout, Tab);
      if (Layout == cdlfBit2) {
        PackedValues<T, 2>(Src, Count, Tab, Dst);
      } else if (Layout == cdlfBit4) {
        PackedValues<T, 4>(Src, Count, Tab, Dst);
      } else if (std::is_same_v<T, uint8_t> && Layout == cdlfUInt1) {
        if (Count > 0) std::memcpy(Dst, Src, static_cast<size_t>(Count));
      } else {
        for (int64_t I = 0; I < Count; ++I) Dst[I] = Tab[Src[I]];
      }
      break;
    }
    case cdlfUInt2:
      for (int64_t I = 0; I < Count; ++I) {
        uint16_t V = Load16(Src + 2 * I);
        Dst[I] = Target<T>(V == 65535, V);
      }
      break;
    case cdlfSInt2:
      for (int64_t I = 0; I < Count; ++I) {
        auto V = static_cast<int16_t>(Load16(Src + 2 * I));
        Dst[I] = Target<T>(V == 32767, V);
      }
      break;
    case cdlfUInt4:
      for (int64_t I = 0; I < Count; ++I) {
        uint32_t V = Load32(Src + 4 * I);
        Dst[I] = Target<T>(V == 4294967295u, V);
      }
      break;
    case cdlfSInt4:
      for (int64_t I = 0; I < Count; ++I) {
        auto V = static_cast<int32_t>(Load32(Src + 4 * I));
        Dst[I] = Target<T>(V == 2147483647, V);
      }
      break;
    case cdlfFlt8:
      if constexpr (std::is_same_v<T, double>) {
        if (Count > 0) std::memcpy(Dst, Src, static_cast<size_t>(Count) * 8);
      } else {
        Flt8Bytes(Src, Count, Dst);
      }
      break;
    default:
      throw EVERErr();
  }
}

// A block handed to a decoder holds what its header says (ReadColumnBlock makes it so; a block
// filled by other means is checked here as well).
int CheckBlock(const TPelColBlock& B, size_t Records) {
  if (Records > static_cast<size_t>(INT32_MAX)) throw EPelDamagedData("record count");
  const auto RecordCount = static_cast<int>(Records);
  if (B.Kind != kPelColBlockPlain && B.Kind != kPelColBlockDictionary) throw EVERErr();
  if (B.Layout >= kPelColDataLayoutCount) throw EVERErr();
  const int64_t Stored = B.ValueBytes();
  if (Stored < 0 || B.CodeSize < 0 ||
      B.Data.size() < static_cast<uint64_t>(Stored) + static_cast<uint64_t>(B.CodeSize))
    throw EPelDamagedData("column block buffers shorter than their sizes");
  if (B.Kind == kPelColBlockPlain) {
    if (B.Count != RecordCount)
      throw EPelDamagedData("a plain column block does not hold one value per record");
  } else {
    if (B.Count > kPelMaxDictionary) throw EPelDamagedData("column dictionary above 256 values");
    if (B.Compression == cdcfNoCompression || B.Compression >= kPelColDataCompressionCount)
      throw EVERErr();
  }
  return RecordCount;
}

bool IsRLE(int Compression) { return Compression >= cdcfRLE_1_2 && Compression <= cdcfRLE_3_8; }

// The index width of an IDX or zlib compression.
int IndexBits(int Compression) {
  switch (Compression) {
    case cdcfIDX_1:
      return 1;
    case cdcfIDX_2:
      return 2;
    case cdcfIDX_4:
      return 4;
    default:
      return 8;
  }
}

// The codes of an IDX block as they are; zlib codes inflated into the block's scratch buffer
// (exactly N bytes, one per record).
std::span<const uint8_t> IndexCodes(TPelColBlock& B, int64_t N) {
  if (B.Compression != cdcfZLib) return B.Codes();
  // A deflate stream cannot expand beyond kMaxInflateRatio: a record count far above that is
  // refused before the scratch buffer is sized for it.
  if (!CodesCanHold(cdcfZLib, B.CodeSize, N))
    throw EPelDamagedData("zlib column codes too short for the records");
  if (B.Scratch.size() < static_cast<size_t>(N) + 1) B.Scratch.resize(N + 1);
  z_stream Z{};
  if (inflateInit(&Z) != Z_OK) throw EDecompressionError();
  const std::span<const uint8_t> In = B.Codes();
  Z.next_in = const_cast<Bytef*>(In.data());
  Z.avail_in = static_cast<uInt>(In.size());
  // One byte more than needed: a stream that fills it produces too much.
  Z.next_out = B.Scratch.data();
  Z.avail_out = static_cast<uInt>(N + 1);
  int R = inflate(&Z, Z_FINISH);
  int64_t Produced = static_cast<int64_t>(Z.total_out);
  uInt OutLeft = Z.avail_out;
  inflateEnd(&Z);
  if (R == Z_STREAM_END) {
    if (Produced != N) throw EPelDamagedData("zlib column codes do not hold one per record");
    return std::span(B.Scratch).first(static_cast<size_t>(N));
  }
  if ((R == Z_OK || R == Z_BUF_ERROR) && OutLeft == 0)
    throw EPelDamagedData("zlib column codes hold more than one per record");
  throw EDecompressionError();
}

// The dictionary of a kind-2 block in the target type.
template <class T>
void DecodeDictionary(const TPelColBlock& B, pelcodes::TDictionary<T>& D) {
  DecodeValues<T>(B.Values().data(), B.Layout, B.Count, D.Values);
  std::fill(D.Values + B.Count, D.Values + kPelMaxDictionary, T{});
  D.Count = B.Count;
}

template <class T>
void DecodeToArray(TPelColBlock& B, std::span<T> Out) {
  const int64_t N = CheckBlock(B, Out.size());
  if (B.Kind == kPelColBlockPlain) {
    DecodeValues<T>(B.Values().data(), B.Layout, B.Count, Out.data());
    return;
  }
  pelcodes::TDictionary<T> Dict;
  DecodeDictionary(B, Dict);
  if (IsRLE(B.Compression))
    pelcodes::DecodeRleValues<T>(B.Compression, B.Codes(), Dict, Out);
  else
    pelcodes::DecodeIndexValues<T>(IndexBits(B.Compression), IndexCodes(B, N), Dict, Out);
}

}  // namespace

void DecodeColumnBytes(TPelColBlock& Block, std::span<uint8_t> Buffer) {
  DecodeToArray<uint8_t>(Block, Buffer);
}

void DecodeColumnDoubles(TPelColBlock& Block, std::span<double> Values) {
  DecodeToArray<double>(Block, Values);
}

int DecodeColumnRuns(TPelColBlock& B, std::span<TPelColRun> Runs) {
  const int N = CheckBlock(B, Runs.size());
  if (B.Kind == kPelColBlockPlain) {
    // The values go to the pairs' value fields through a small window.
    uint8_t Window[1024];
    for (int64_t Done = 0; Done < N;) {
      int64_t Part = std::min<int64_t>(N - Done, 1024);
      // Windows start at multiples of 4 values, so packed layouts start at a byte.
      int64_t Offset = PelLayoutStoredSize(B.Layout, Done);
      DecodeValues<uint8_t>(B.Values().data() + Offset, B.Layout, Part, Window);
      for (int64_t I = 0; I < Part; ++I) Runs[Done + I] = TPelColRun{Window[I], 1};
      Done += Part;
    }
    return N;
  }
  pelcodes::TDictionary<uint8_t> Dict;
  DecodeDictionary(B, Dict);
  if (IsRLE(B.Compression))
    return static_cast<int>(pelcodes::DecodeRleRuns(B.Compression, B.Codes(), Dict, Runs));
  pelcodes::DecodeIndexRuns(IndexBits(B.Compression), IndexCodes(B, N), Dict, Runs);
  return N;
}

namespace {
// The record count of a buffer, which a block header is checked against.
int RecordsOf(size_t Size) {
  if (Size > static_cast<size_t>(INT32_MAX)) throw EPelDamagedData("record count");
  return static_cast<int>(Size);
}
}  // namespace

void ReadColumnBytes(TStream& Stream, std::span<uint8_t> Buffer, TPelColBlock& Block) {
  ReadColumnBlock(Stream, Block, RecordsOf(Buffer.size()));
  DecodeColumnBytes(Block, Buffer);
}

void ReadColumnDoubles(TStream& Stream, std::span<double> Values, TPelColBlock& Block) {
  ReadColumnBlock(Stream, Block, RecordsOf(Values.size()));
  DecodeColumnDoubles(Block, Values);
}

int ReadColumnRuns(TStream& Stream, std::span<TPelColRun> Runs, TPelColBlock& Block) {
  ReadColumnBlock(Stream, Block, RecordsOf(Runs.size()));
  return DecodeColumnRuns(Block, Runs);
}

void ReadColumnBytes(TStream& Stream, std::span<uint8_t> Buffer) {
  TPelColBlock Block;
  ReadColumnBytes(Stream, Buffer, Block);
}

void ReadColumnDoubles(TStream& Stream, std::span<double> Values) {
  TPelColBlock Block;
  ReadColumnDoubles(Stream, Values, Block);
}

int ReadColumnRuns(TStream& Stream, std::span<TPelColRun> Runs) {
  TPelColBlock Block;
  return ReadColumnRuns(Stream, Runs, Block);
}

}  // namespace quin
