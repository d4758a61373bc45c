// Decoding of survey-file column blocks of 1,000,000 records, read from memory and decoded, in
// every compression and the plain layouts. Each benchmark takes turns with its yardsticks
// (bench/interleaved.h) and prints its time as a multiple of theirs:
// - x_memcpy: memcpy of the decoded bytes (dictionary blocks) or of the stored block (plain
//   layouts, whose reading is their floor); the goal is at most 10;
// - x_zlib: zlib's inflation of the same decoded bytes compressed with zlib (for the zlib
//   compression, of exactly the block's codes, which its decoding includes); the goal is at
//   most 1 (1.25 for the zlib compression);
// - x_bytes (runs): the same block decoded to bytes.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/interleaved.h"
#include "surveykit/pelcolblocks.h"
#include "tools/surveywriter/pelcolwriter.h"

namespace quin {
namespace {

constexpr int kRecords = 1000000;

// Values the compression suits: sparse columns for the RLE_1 family, three run values and a
// few singles for RLE_3, uniform codes for IDX, a short-run categorical column for zlib.
std::vector<double> ColumnFor(int Compression, int Layout) {
  std::mt19937 G(1000 + Compression);
  std::vector<double> V;
  V.reserve(kRecords);
  int Dict = PelCompressionMaxDictionary(Compression);
  while (static_cast<int>(V.size()) < kRecords) {
    if (Compression >= cdcfRLE_1_2 && Compression <= cdcfRLE_1_16) {
      int Run = 1 + static_cast<int>(G() % 40);
      V.insert(V.end(), Run, 0);
      V.push_back(1 + static_cast<int>(G() % (Dict - 1)));
    } else if (Compression == cdcfRLE_3_4 || Compression == cdcfRLE_3_8) {
      int Run = 1 + static_cast<int>(G() % 30);
      V.insert(V.end(), Run, static_cast<double>(G() % 3));
      if (G() % 4 == 0) V.push_back(3 + static_cast<int>(G() % (Dict - 3)));
    } else if (Compression == cdcfZLib) {
      int Run = 1 + static_cast<int>(G() % 6);
      V.insert(V.end(), Run, static_cast<double>(G() % 12));
    } else if (Compression == cdcfNoCompression) {
      V.push_back(Layout == cdlfFlt8 ? (G() % 2000) / 8.0 - 20
                                     : static_cast<double>(G() % (Layout == cdlfBit2   ? 3
                                                                  : Layout == cdlfBit4 ? 15
                                                                                       : 200)));
    } else {
      V.push_back(static_cast<double>(G() % std::min(Dict, 255)));
    }
  }
  V.resize(kRecords);
  return V;
}

struct TCase {
  std::string Block;
  std::string Zlib;    // the yardstick's compressed bytes
  int64_t Stored = 0;  // the bytes of the stored values and codes
};

const TCase& CaseFor(int Compression, int Layout) {
  static std::vector<TCase> Cases(kPelColDataCompressionCount * kPelColDataLayoutCount);
  TCase& C = Cases[Compression * kPelColDataLayoutCount + Layout];
  if (!C.Block.empty()) return C;
  std::vector<double> V = ColumnFor(Compression, Layout);
  C.Block = EncodeColumnBlock(static_cast<TPelColDataLayout>(Layout),
                              static_cast<TPelColDataCompression>(Compression), V);
  std::vector<uint8_t> Bytes(kRecords);
  TMemoryStream S(C.Block);
  TPelColBlock B;
  ReadColumnBlock(S, B, kRecords);
  C.Stored = B.ValueBytes() + B.CodeSize;
  DecodeColumnBytes(B, Bytes);
  if (Compression == cdcfZLib) {
    const std::span<const uint8_t> Codes = B.Codes();
    C.Zlib.assign(reinterpret_cast<const char*>(Codes.data()), Codes.size());
  } else {
    C.Zlib = ZlibCompress(std::string(Bytes.begin(), Bytes.end()));
  }
  return C;
}

// memcpy of Size bytes between two buffers kept for the purpose.
struct TCopy {
  explicit TCopy(size_t Size) : From(Size, 1), To(Size) {}
  void operator()() {
    std::memcpy(To.data(), From.data(), From.size());
    benchmark::ClobberMemory();
  }
  std::vector<uint8_t> From, To;
};

// zlib's inflation of a case's yardstick bytes.
struct TInflate {
  explicit TInflate(const TCase& AC) : C(AC), Out(kRecords) {}
  bool operator()() {
    uLongf Len = kRecords;
    const int R = uncompress(Out.data(), &Len, reinterpret_cast<const Bytef*>(C.Zlib.data()),
                             static_cast<uLong>(C.Zlib.size()));
    benchmark::ClobberMemory();
    return R == Z_OK && Len == kRecords;
  }
  const TCase& C;
  std::vector<uint8_t> Out;
};

void BM_DecodeBytes(benchmark::State& State) {
  const int Compression = static_cast<int>(State.range(0));
  const TCase& C = CaseFor(Compression, static_cast<int>(State.range(1)));
  std::vector<uint8_t> Out(kRecords);
  TPelColBlock Block;
  // Dictionary blocks are measured against their output, plain blocks against their input.
  TCopy Copy(Compression == cdcfNoCompression ? static_cast<size_t>(C.Stored) : kRecords);
  TInflate Inflate(C);
  bench::TInterleaved T(State, {"memcpy", "zlib"});
  for (auto _ : State) {
    T.Subject([&] {
      TMemoryStream S(C.Block);
      ReadColumnBytes(S, Out, Block);
      benchmark::DoNotOptimize(Out.data());
    });
    T.Reference(0, Copy);
    if (Compression != cdcfNoCompression)
      T.Reference(1, [&] {
        if (!Inflate()) State.SkipWithError("inflation failed");
      });
  }
  State.SetBytesProcessed(State.iterations() * kRecords);
  State.SetLabel(Compression == cdcfNoCompression ? PelColDataLayoutNames[State.range(1)]
                                                  : PelColDataCompressionNames[Compression]);
}

void BM_DecodeDoubles(benchmark::State& State) {
  const int Compression = static_cast<int>(State.range(0));
  const TCase& C = CaseFor(Compression, static_cast<int>(State.range(1)));
  std::vector<double> Out(kRecords);
  TPelColBlock Block;
  TCopy Copy(kRecords * sizeof(double));
  bench::TInterleaved T(State, {"memcpy"});
  for (auto _ : State) {
    T.Subject([&] {
      TMemoryStream S(C.Block);
      ReadColumnDoubles(S, Out, Block);
      benchmark::DoNotOptimize(Out.data());
    });
    T.Reference(0, Copy);
  }
  State.SetBytesProcessed(State.iterations() * kRecords * 8);
  State.SetLabel(Compression == cdcfNoCompression ? PelColDataLayoutNames[State.range(1)]
                                                  : PelColDataCompressionNames[Compression]);
}

void BM_DecodeRuns(benchmark::State& State) {
  const TCase& C = CaseFor(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
  std::vector<TPelColRun> Out(kRecords);
  std::vector<uint8_t> Bytes(kRecords);
  TPelColBlock Block;
  bench::TInterleaved T(State, {"bytes"});
  for (auto _ : State) {
    T.Subject([&] {
      TMemoryStream S(C.Block);
      benchmark::DoNotOptimize(ReadColumnRuns(S, Out, Block));
    });
    T.Reference(0, [&] {
      TMemoryStream S(C.Block);
      ReadColumnBytes(S, Bytes, Block);
      benchmark::DoNotOptimize(Bytes.data());
    });
  }
  State.SetBytesProcessed(State.iterations() * kRecords);
  State.SetLabel(PelColDataCompressionNames[State.range(0)]);
}

void CompressedArgs(benchmark::internal::Benchmark* B) {
  for (int C = cdcfRLE_1_2; C <= cdcfZLib; ++C) B->Args({C, cdlfUInt1});
}

void PlainArgs(benchmark::internal::Benchmark* B) {
  for (int L : {cdlfBit2, cdlfBit4, cdlfUInt1, cdlfUInt2, cdlfSInt4, cdlfFlt8})
    B->Args({cdcfNoCompression, L});
}

BENCHMARK(BM_DecodeBytes)->Apply(CompressedArgs)->Apply(PlainArgs)->UseManualTime();
BENCHMARK(BM_DecodeDoubles)->Apply(CompressedArgs)->Apply(PlainArgs)->UseManualTime();
BENCHMARK(BM_DecodeRuns)->Apply(CompressedArgs)->UseManualTime();

}  // namespace
}  // namespace quin
