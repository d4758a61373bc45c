#include "surveykit/pelcolblocks.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cfenv>
#include <cmath>
#include <cstring>

#include "base/orvbinary.h"
#include "base/text.h"

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
  Stream.ReadBuffer(B, 2);
  uint32_t M = B[0] | (uint32_t(B[1]) << 8);
  if (M != 65535) return static_cast<int32_t>(M);
  Stream.ReadBuffer(B, 4);
  return static_cast<int32_t>(B[0] | (uint32_t(B[1]) << 8) | (uint32_t(B[2]) << 16) |
                              (uint32_t(B[3]) << 24));
}

int32_t ReadBufferVarint(const uint8_t* Data, int64_t Size, int64_t& Pos) {
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

void ReadColumnBlock(TStream& Stream, TPelColBlock& Block, int RecordCount) {
  Block.Kind = Block.Layout = Block.Compression = 0;
  Block.Count = Block.CodeSize = 0;
  if (RecordCount < 0) throw EPelDamagedData("negative record count");
  if (ReadStreamByte(Stream) != kPelColBlockVersion) throw EVERErr();
  uint8_t KL[2];
  Stream.ReadBuffer(KL, 2);
  if (KL[0] != kPelColBlockPlain && KL[0] != kPelColBlockDictionary) throw EVERErr();
  if (KL[1] >= kPelColDataLayoutCount) throw EVERErr();
  Block.Kind = KL[0];
  Block.Layout = KL[1];
  int32_t Count = ReadBlockVarint(Stream);
  if (Count < 0) throw EPelDamagedData("negative value count in a column block");
  int32_t CodeSize = 0;
  if (Block.Kind == kPelColBlockPlain) {
    if (Count != RecordCount)
      throw EPelDamagedData("a plain column block does not hold one value per record");
  } else {
    Block.Compression = ReadStreamByte(Stream);
    if (Block.Compression == cdcfNoCompression || Block.Compression >= kPelColDataCompressionCount)
      throw EVERErr();
    if (Count > kPelMaxDictionary) throw EPelDamagedData("column dictionary above 256 values");
    CodeSize = ReadBlockVarint(Stream);
    if (CodeSize < 0) throw EPelDamagedData("negative code size in a column block");
  }
  int64_t Stored = PelLayoutStoredSize(Block.Layout, Count);
  int64_t Left = Stream.Remaining();
  if (Stored > Left || CodeSize > Left - Stored)
    throw EPelDamagedData("column block beyond the end of the file");
  Block.Count = Count;
  Block.CodeSize = CodeSize;
  if (Block.Values.size() < static_cast<size_t>(Stored)) Block.Values.resize(Stored);
  if (Block.Codes.size() < static_cast<size_t>(CodeSize)) Block.Codes.resize(CodeSize);
  Stream.ReadBuffer(Block.Values.data(), Stored);
  Stream.ReadBuffer(Block.Codes.data(), CodeSize);
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
        int64_t Full = Count / 4;
        for (int64_t K = 0; K < Full; ++K) {
          uint8_t B = Src[K];
          T* D = Dst + 4 * K;
          D[0] = Tab[B & 3];
          D[1] = Tab[(B >> 2) & 3];
          D[2] = Tab[(B >> 4) & 3];
          D[3] = Tab[B >> 6];
        }
        for (int64_t I = Full * 4; I < Count; ++I) Dst[I] = Tab[(Src[I >> 2] >> ((I & 3) * 2)) & 3];
      } else if (Layout == cdlfBit4) {
        int64_t Full = Count / 2;
        for (int64_t K = 0; K < Full; ++K) {
          uint8_t B = Src[K];
          Dst[2 * K] = Tab[B & 15];
          Dst[2 * K + 1] = Tab[B >> 4];
        }
        if (Count & 1) Dst[Count - 1] = Tab[Src[Full] & 15];
      } else if constexpr (std::is_same_v<T, uint8_t>) {
        if (Layout == cdlfUInt1) {
          if (Count > 0) std::memcpy(Dst, Src, static_cast<size_t>(Count));
        } else {
          for (int64_t I = 0; I < Count; ++I) Dst[I] = Tab[Src[I]];
        }
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
        if (std::fegetround() == FE_TONEAREST) {
          // In the default mode adding and taking away 2^52 rounds ties to even in hardware.
          for (int64_t I = 0; I < Count; ++I) {
            double X = LoadF64(Src + 8 * I);
            double A = std::fabs(X);
            if (A < 4503599627370496.0) {
              auto R = static_cast<int64_t>((A + 4503599627370496.0) - 4503599627370496.0);
              Dst[I] = static_cast<uint8_t>(static_cast<uint64_t>(X < 0 ? -R : R) & 0xFF);
            } else {
              Dst[I] = PelDoubleToByte(X);
            }
          }
        } else {
          for (int64_t I = 0; I < Count; ++I) Dst[I] = PelDoubleToByte(LoadF64(Src + 8 * I));
        }
      }
      break;
    default:
      throw EVERErr();
  }
}

[[noreturn]] void CodesEnded() { throw EPelDamagedData("column codes end before the records"); }
[[noreturn]] void BadIndex() { throw EPelDamagedData("column code past the dictionary"); }

// Writes decoded values into an array of RecordCount values. The dictionary array has all 256
// entries (those past the dictionary filled), so an index is checked once at the end through
// the largest index used: a damaged block still raises, and nothing is read out of bounds.
template <class T>
struct TArraySink {
  const T* Dict;
  T* Out;
  int64_t Pos = 0;
  int64_t N;
  int MaxIdx = 0;
  void Single(int Idx) {
    MaxIdx = std::max(MaxIdx, Idx);
    Out[Pos++] = Dict[Idx];
  }
  void Run(int Idx, int64_t Copies) {
    MaxIdx = std::max(MaxIdx, Idx);
    Copies = std::min(Copies, N - Pos);
    const T V = Dict[Idx];
    T* P = Out + Pos;
    if (Copies <= 4) {
      for (int64_t K = 0; K < Copies; ++K) P[K] = V;
    } else {
      std::fill_n(P, Copies, V);
    }
    Pos += Copies;
  }
};

// Writes one pair per code.
struct TRunSink {
  const uint8_t* Dict;
  TPelColRun* Out;
  int64_t Pairs = 0;
  int64_t Pos = 0;
  int64_t N;
  int MaxIdx = 0;
  void Single(int Idx) {
    MaxIdx = std::max(MaxIdx, Idx);
    Out[Pairs++] = TPelColRun{Dict[Idx], 1};
    ++Pos;
  }
  void Run(int Idx, int64_t Copies) {
    MaxIdx = std::max(MaxIdx, Idx);
    Copies = std::min(Copies, N - Pos);
    Out[Pairs++] = TPelColRun{Dict[Idx], static_cast<int32_t>(Copies)};
    Pos += Copies;
  }
};

// The RLE families; stops as soon as RecordCount records are produced (so padding codes in the
// last byte are never read), a code that would be read beyond CodeSize raises.
template <class Sink>
void DecodeRLE(const TPelColBlock& B, Sink& S, int64_t StartByte = 0) {
  const uint8_t* C = B.Codes.data();
  const int64_t Size = B.CodeSize;
  switch (B.Compression) {
    case cdcfRLE_1_2: {
      for (int64_t U = StartByte * 4; S.Pos < S.N; ++U) {
        if ((U >> 2) >= Size) CodesEnded();
        int V = (C[U >> 2] >> ((U & 3) * 2)) & 3;
        if (V & 2)
          S.Single(1 + (V & 1));
        else
          S.Run(0, (V & 1) + 1);
      }
      break;
    }
    case cdcfRLE_1_4: {
      for (int64_t U = 0; S.Pos < S.N; ++U) {
        if ((U >> 1) >= Size) CodesEnded();
        int V = (C[U >> 1] >> ((U & 1) * 4)) & 15;
        if (V & 8)
          S.Single(1 + (V & 7));
        else
          S.Run(0, (V & 7) + 1);
      }
      break;
    }
    case cdcfRLE_1_8: {
      for (int64_t K = 0; S.Pos < S.N; ++K) {
        if (K >= Size) CodesEnded();
        int V = C[K];
        if (V & 128)
          S.Single(1 + (V & 127));
        else
          S.Run(0, V + 1);
      }
      break;
    }
    case cdcfRLE_1_16: {
      for (int64_t K = 0; S.Pos < S.N;) {
        if (K >= Size) CodesEnded();
        int V = C[K++];
        if (V & 128) {
          S.Single(1 + (V & 127));
        } else {
          if (K >= Size) CodesEnded();
          int Run = V * 256 + C[K++];
          S.Run(0, Run + 1);
        }
      }
      break;
    }
    case cdcfRLE_3_4: {
      for (int64_t U = 0; S.Pos < S.N; ++U) {
        if ((U >> 1) >= Size) CodesEnded();
        int V = (C[U >> 1] >> ((U & 1) * 4)) & 15;
        if ((V & 12) == 12)
          S.Single(3 + (V & 3));
        else
          S.Run((V >> 2) & 3, (V & 3) + 1);
      }
      break;
    }
    case cdcfRLE_3_8: {
      for (int64_t K = 0; S.Pos < S.N; ++K) {
        if (K >= Size) CodesEnded();
        int V = C[K];
        if (V > 191)
          S.Single(3 + (V & 63));
        else
          S.Run(V >> 6, (V & 63) + 1);
      }
      break;
    }
    default:
      throw EVERErr();
  }
}

// RLE_1_2 a code byte at a time: each of the 256 code bytes stands for up to 8 values, kept
// in a table built for the block's dictionary. Stops 8 values before the end; returns the code
// bytes used (the rest goes through DecodeRLE).
template <class T>
int64_t FastRle12(const TPelColBlock& B, const T* Dict, TArraySink<T>& S) {
  struct TEntry {
    T V[8];
    uint8_t Len;
    uint8_t Max;
  };
  TEntry Tab[256];
  for (int Byte = 0; Byte < 256; ++Byte) {
    TEntry& E = Tab[Byte];
    E.Len = 0;
    E.Max = 0;
    for (int U = 0; U < 4; ++U) {
      int V = (Byte >> (U * 2)) & 3;
      int Idx = V & 2 ? 1 + (V & 1) : 0;
      int Copies = V & 2 ? 1 : (V & 1) + 1;
      E.Max = static_cast<uint8_t>(std::max<int>(E.Max, Idx));
      for (int K = 0; K < Copies; ++K) E.V[E.Len++] = Dict[Idx];
    }
  }
  const uint8_t* C = B.Codes.data();
  const int64_t Size = B.CodeSize;
  int64_t K = 0;
  int64_t Pos = S.Pos;
  int Max = S.MaxIdx;
  T* Out = S.Out;
  while (K < Size && Pos + 8 <= S.N) {
    const TEntry& E = Tab[C[K++]];
    std::memcpy(Out + Pos, E.V, sizeof(E.V));
    Pos += E.Len;
    Max = std::max<int>(Max, E.Max);
  }
  S.Pos = Pos;
  S.MaxIdx = Max;
  return K;
}

// The codes of an IDX or zlib block as one code per record: packed codes are checked for
// their size, zlib codes inflated into the block's scratch buffer (exactly N bytes).
// Returns a pointer to N byte codes, or null for the packed 1/2/4-bit forms.
const uint8_t* ByteCodes(TPelColBlock& B, int64_t N) {
  if (B.Compression == cdcfIDX_8) {
    if (B.CodeSize < N) CodesEnded();
    return B.Codes.data();
  }
  if (B.Compression != cdcfZLib) {
    int Bits = B.Compression == cdcfIDX_1 ? 1 : B.Compression == cdcfIDX_2 ? 2 : 4;
    if (B.CodeSize < (N * Bits + 7) / 8) CodesEnded();
    return nullptr;
  }
  // A deflate stream cannot expand beyond kMaxInflateRatio: a record count far above that is
  // refused before the scratch buffer is sized for it.
  if (N > static_cast<int64_t>(B.CodeSize) * kMaxInflateRatio + 64)
    throw EPelDamagedData("zlib column codes too short for the records");
  if (B.Scratch.size() < static_cast<size_t>(N) + 1) B.Scratch.resize(N + 1);
  z_stream Z{};
  if (inflateInit(&Z) != Z_OK) throw EDecompressionError();
  Z.next_in = const_cast<Bytef*>(B.Codes.data());
  Z.avail_in = static_cast<uInt>(B.CodeSize);
  // One byte more than needed: a stream that fills it produces too much.
  Z.next_out = B.Scratch.data();
  Z.avail_out = static_cast<uInt>(N + 1);
  int R = inflate(&Z, Z_FINISH);
  int64_t Produced = static_cast<int64_t>(Z.total_out);
  uInt OutLeft = Z.avail_out;
  inflateEnd(&Z);
  if (R == Z_STREAM_END) {
    if (Produced != N) throw EPelDamagedData("zlib column codes do not hold one per record");
    return B.Scratch.data();
  }
  if ((R == Z_OK || R == Z_BUF_ERROR) && OutLeft == 0)
    throw EPelDamagedData("zlib column codes hold more than one per record");
  throw EDecompressionError();
}

void CheckByteCodes(const uint8_t* Codes, int64_t N, int Count) {
  uint8_t Max = 0;
  for (int64_t I = 0; I < N; ++I) Max = std::max(Max, Codes[I]);
  if (N > 0 && Max >= Count) BadIndex();
}

// Code I of a packed 1/2/4-bit code area (lowest bits first).
inline int PackedCode(const uint8_t* C, int Bits, int64_t I) {
  if (Bits == 1) return (C[I >> 3] >> (I & 7)) & 1;
  if (Bits == 2) return (C[I >> 2] >> ((I & 3) * 2)) & 3;
  return (C[I >> 1] >> ((I & 1) * 4)) & 15;
}

inline int PackedBits(int Compression) {
  return Compression == cdcfIDX_1 ? 1 : Compression == cdcfIDX_2 ? 2 : 4;
}

// A block handed to a decoder holds what its header says (ReadColumnBlock makes it so; a block
// filled by other means is checked here as well).
void CheckBlock(const TPelColBlock& B, int RecordCount) {
  if (RecordCount < 0) throw EPelDamagedData("negative record count");
  if (B.Kind != kPelColBlockPlain && B.Kind != kPelColBlockDictionary) throw EVERErr();
  if (B.Layout >= kPelColDataLayoutCount) throw EVERErr();
  int64_t Stored = PelLayoutStoredSize(B.Layout, B.Count);
  if (Stored < 0 || B.CodeSize < 0 || B.Values.size() < static_cast<size_t>(Stored) ||
      B.Codes.size() < static_cast<size_t>(B.CodeSize))
    throw EPelDamagedData("column block buffers shorter than their sizes");
  if (B.Kind == kPelColBlockPlain) {
    if (B.Count != RecordCount)
      throw EPelDamagedData("a plain column block does not hold one value per record");
  } else {
    if (B.Count > kPelMaxDictionary) throw EPelDamagedData("column dictionary above 256 values");
    if (B.Compression == cdcfNoCompression || B.Compression >= kPelColDataCompressionCount)
      throw EVERErr();
  }
}

bool IsRLE(int Compression) { return Compression >= cdcfRLE_1_2 && Compression <= cdcfRLE_3_8; }

template <class T>
void DecodeToArray(TPelColBlock& B, T* Out, int RecordCount) {
  CheckBlock(B, RecordCount);
  if (B.Kind == kPelColBlockPlain) {
    DecodeValues<T>(B.Values.data(), B.Layout, B.Count, Out);
    return;
  }
  T Dict[kPelMaxDictionary];
  DecodeValues<T>(B.Values.data(), B.Layout, B.Count, Dict);
  std::fill(Dict + B.Count, Dict + kPelMaxDictionary, T{});
  const int64_t N = RecordCount;
  if (IsRLE(B.Compression)) {
    TArraySink<T> S{Dict, Out, 0, N};
    int64_t Start = 0;
    if (B.Compression == cdcfRLE_1_2 && N >= 8192) Start = FastRle12(B, Dict, S);
    DecodeRLE(B, S, Start);
    if (N > 0 && S.MaxIdx >= B.Count) BadIndex();
    return;
  }
  if (B.Compression < cdcfIDX_1 || B.Compression > cdcfZLib) throw EVERErr();
  const uint8_t* Codes = ByteCodes(B, N);
  if (Codes) {
    CheckByteCodes(Codes, N, B.Count);
    for (int64_t I = 0; I < N; ++I) Out[I] = Dict[Codes[I]];
    return;
  }
  const int Bits = PackedBits(B.Compression);
  const uint8_t* C = B.Codes.data();
  int Max = 0;
  if (Bits == 1) {
    for (int64_t I = 0; I < N; ++I) {
      int Code = (C[I >> 3] >> (I & 7)) & 1;
      Max |= Code;
      Out[I] = Dict[Code];
    }
  } else if (Bits == 2) {
    for (int64_t I = 0; I < N; ++I) {
      int Code = (C[I >> 2] >> ((I & 3) * 2)) & 3;
      Max = std::max(Max, Code);
      Out[I] = Dict[Code];
    }
  } else {
    for (int64_t I = 0; I < N; ++I) {
      int Code = (C[I >> 1] >> ((I & 1) * 4)) & 15;
      Max = std::max(Max, Code);
      Out[I] = Dict[Code];
    }
  }
  if (N > 0 && Max >= B.Count) BadIndex();
}

}  // namespace

void DecodeColumnBytes(TPelColBlock& Block, uint8_t* Buffer, int RecordCount) {
  DecodeToArray<uint8_t>(Block, Buffer, RecordCount);
}

void DecodeColumnDoubles(TPelColBlock& Block, double* Values, int RecordCount) {
  DecodeToArray<double>(Block, Values, RecordCount);
}

int DecodeColumnRuns(TPelColBlock& B, TPelColRun* Runs, int RecordCount) {
  CheckBlock(B, RecordCount);
  const int64_t N = RecordCount;
  if (B.Kind == kPelColBlockPlain) {
    // The values go to the pairs' value fields through a small window.
    uint8_t Window[1024];
    for (int64_t Done = 0; Done < N;) {
      int64_t Part = std::min<int64_t>(N - Done, 1024);
      // Windows start at multiples of 4 values, so packed layouts start at a byte.
      int64_t Offset = PelLayoutStoredSize(B.Layout, Done);
      DecodeValues<uint8_t>(B.Values.data() + Offset, B.Layout, Part, Window);
      for (int64_t I = 0; I < Part; ++I) Runs[Done + I] = TPelColRun{Window[I], 1};
      Done += Part;
    }
    return RecordCount;
  }
  uint8_t Dict[kPelMaxDictionary];
  DecodeValues<uint8_t>(B.Values.data(), B.Layout, B.Count, Dict);
  std::fill(Dict + B.Count, Dict + kPelMaxDictionary, uint8_t{0});
  if (IsRLE(B.Compression)) {
    TRunSink S{Dict, Runs, 0, 0, N};
    DecodeRLE(B, S);
    if (N > 0 && S.MaxIdx >= B.Count) BadIndex();
    return static_cast<int>(S.Pairs);
  }
  if (B.Compression < cdcfIDX_1 || B.Compression > cdcfZLib) throw EVERErr();
  const uint8_t* Codes = ByteCodes(B, N);
  if (Codes) {
    CheckByteCodes(Codes, N, B.Count);
    for (int64_t I = 0; I < N; ++I) Runs[I] = TPelColRun{Dict[Codes[I]], 1};
    return RecordCount;
  }
  const int Bits = PackedBits(B.Compression);
  for (int64_t I = 0; I < N; ++I) {
    int Code = PackedCode(B.Codes.data(), Bits, I);
    if (Code >= B.Count) BadIndex();
    Runs[I] = TPelColRun{Dict[Code], 1};
  }
  return RecordCount;
}

void ReadColumnBytes(TStream& Stream, uint8_t* Buffer, int RecordCount, TPelColBlock& Block) {
  ReadColumnBlock(Stream, Block, RecordCount);
  DecodeColumnBytes(Block, Buffer, RecordCount);
}

void ReadColumnDoubles(TStream& Stream, double* Values, int RecordCount, TPelColBlock& Block) {
  ReadColumnBlock(Stream, Block, RecordCount);
  DecodeColumnDoubles(Block, Values, RecordCount);
}

int ReadColumnRuns(TStream& Stream, TPelColRun* Runs, int RecordCount, TPelColBlock& Block) {
  ReadColumnBlock(Stream, Block, RecordCount);
  return DecodeColumnRuns(Block, Runs, RecordCount);
}

void ReadColumnBytes(TStream& Stream, uint8_t* Buffer, int RecordCount) {
  TPelColBlock Block;
  ReadColumnBytes(Stream, Buffer, RecordCount, Block);
}

void ReadColumnDoubles(TStream& Stream, double* Values, int RecordCount) {
  TPelColBlock Block;
  ReadColumnDoubles(Stream, Values, RecordCount, Block);
}

int ReadColumnRuns(TStream& Stream, TPelColRun* Runs, int RecordCount) {
  TPelColBlock Block;
  return ReadColumnRuns(Stream, Runs, RecordCount, Block);
}

}  // namespace quin
