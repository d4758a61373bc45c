// Decoding of survey-file column blocks of 200,000 records in every compression, as bytes and
// as doubles, in MB/s of decoded data. Beside each compression, zlib's own inflation of the
// same decoded bytes (compressed with zlib) gives the yardstick; for the zlib compression it
// inflates exactly the block's codes.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "surveykit/pelcolblocks.h"
#include "tools/surveywriter/pelcolwriter.h"

namespace quin {
namespace {

constexpr int kRecords = 200000;

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
      V.push_back(static_cast<double>(G() % (Layout == cdlfBit4 ? 15 : 200)));
    } else {
      V.push_back(static_cast<double>(G() % std::min(Dict, 255)));
    }
  }
  V.resize(kRecords);
  return V;
}

struct TCase {
  std::string Block;
  std::string Zlib;   // the yardstick's compressed bytes
  int64_t Plain = 0;  // their inflated size
};

const TCase& CaseFor(int Compression, int Layout) {
  static std::vector<TCase> Cases(kPelColDataCompressionCount * kPelColDataLayoutCount);
  TCase& C = Cases[Compression * kPelColDataLayoutCount + Layout];
  if (C.Block.empty()) {
    std::vector<double> V = ColumnFor(Compression, Layout);
    C.Block = EncodeColumnBlock(static_cast<TPelColDataLayout>(Layout),
                                static_cast<TPelColDataCompression>(Compression), V);
    std::vector<uint8_t> Bytes(kRecords);
    TMemoryStream S(C.Block);
    ReadColumnBytes(S, Bytes.data(), kRecords);
    if (Compression == cdcfZLib) {
      // The codes themselves: the varint CodeSize ends the block header.
      TMemoryStream H(C.Block);
      TPelColBlock B;
      ReadColumnBlock(H, B, kRecords);
      C.Zlib.assign(reinterpret_cast<const char*>(B.Codes.data()), B.CodeSize);
    } else {
      C.Zlib = ZlibCompress(std::string(Bytes.begin(), Bytes.end()));
    }
    C.Plain = kRecords;
  }
  return C;
}

void BM_DecodeBytes(benchmark::State& State) {
  const TCase& C = CaseFor(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
  std::vector<uint8_t> Out(kRecords);
  TPelColBlock Block;
  for (auto _ : State) {
    TMemoryStream S(C.Block);
    ReadColumnBytes(S, Out.data(), kRecords, Block);
    benchmark::DoNotOptimize(Out.data());
  }
  State.SetBytesProcessed(State.iterations() * kRecords);
  State.SetLabel(PelColDataCompressionNames[State.range(0)]);
}

void BM_DecodeDoubles(benchmark::State& State) {
  const TCase& C = CaseFor(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
  std::vector<double> Out(kRecords);
  TPelColBlock Block;
  for (auto _ : State) {
    TMemoryStream S(C.Block);
    ReadColumnDoubles(S, Out.data(), kRecords, Block);
    benchmark::DoNotOptimize(Out.data());
  }
  State.SetBytesProcessed(State.iterations() * kRecords * 8);
  State.SetLabel(PelColDataCompressionNames[State.range(0)]);
}

void BM_DecodeRuns(benchmark::State& State) {
  const TCase& C = CaseFor(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
  std::vector<TPelColRun> Out(kRecords);
  TPelColBlock Block;
  for (auto _ : State) {
    TMemoryStream S(C.Block);
    benchmark::DoNotOptimize(ReadColumnRuns(S, Out.data(), kRecords, Block));
  }
  State.SetBytesProcessed(State.iterations() * kRecords);
  State.SetLabel(PelColDataCompressionNames[State.range(0)]);
}

// zlib's inflation of the same decoded bytes, one byte per record.
void BM_ZlibYardstick(benchmark::State& State) {
  const TCase& C = CaseFor(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
  std::vector<uint8_t> Out(kRecords);
  for (auto _ : State) {
    uLongf Len = kRecords;
    int R = uncompress(Out.data(), &Len, reinterpret_cast<const Bytef*>(C.Zlib.data()),
                       static_cast<uLong>(C.Zlib.size()));
    if (R != Z_OK || Len != kRecords) State.SkipWithError("inflation failed");
    benchmark::DoNotOptimize(Out.data());
  }
  State.SetBytesProcessed(State.iterations() * kRecords);
  State.SetLabel(PelColDataCompressionNames[State.range(0)]);
}

void CompressedArgs(benchmark::internal::Benchmark* B) {
  for (int C = cdcfRLE_1_2; C <= cdcfZLib; ++C) B->Args({C, cdlfUInt1});
}

void PlainArgs(benchmark::internal::Benchmark* B) {
  for (int L : {cdlfBit4, cdlfUInt1, cdlfUInt2, cdlfSInt4, cdlfFlt8})
    B->Args({cdcfNoCompression, L});
}

BENCHMARK(BM_DecodeBytes)->Apply(CompressedArgs)->Apply(PlainArgs);
BENCHMARK(BM_DecodeDoubles)->Apply(CompressedArgs)->Apply(PlainArgs);
BENCHMARK(BM_DecodeRuns)->Apply(CompressedArgs);
BENCHMARK(BM_ZlibYardstick)->Apply(CompressedArgs);

}  // namespace
}  // namespace quin
