// Inflation of a whole zlib block: DecompressBuffer against zlib's own uncompress of the same
// ~4 MB block, with the right size estimate and with one 8 times too small.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <string>

#include "base/orvbinary.h"

namespace {

constexpr size_t kPlainSize = 4 << 20;

// Survey-like column data: small codes with some repetition, compressing about 3:1.
const std::string& PackedBlock() {
  static const std::string Packed = [] {
    std::string Plain;
    Plain.reserve(kPlainSize);
    uint32_t X = 2024;
    while (Plain.size() < kPlainSize) {
      X = X * 1103515245 + 12345;
      Plain += 'r';
      Plain += std::to_string((X >> 16) % 5000);
      Plain += ';';
    }
    Plain.resize(kPlainSize);
    uLongf Len = compressBound(Plain.size());
    std::string Out(Len, '\0');
    compress(reinterpret_cast<Bytef*>(Out.data()), &Len,
             reinterpret_cast<const Bytef*>(Plain.data()), Plain.size());
    Out.resize(Len);
    return Out;
  }();
  return Packed;
}

void BM_ZlibUncompress(benchmark::State& State) {
  const std::string& Packed = PackedBlock();
  for (auto _ : State) {
    std::string Out(kPlainSize, '\0');
    uLongf Len = Out.size();
    if (uncompress(reinterpret_cast<Bytef*>(Out.data()), &Len,
                   reinterpret_cast<const Bytef*>(Packed.data()), Packed.size()) != Z_OK)
      State.SkipWithError("uncompress failed");
    benchmark::DoNotOptimize(Out.data());
  }
  State.SetBytesProcessed(State.iterations() * int64_t{kPlainSize});
}
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond);

// Arg: the divisor of the true size that gives the estimate (1: right, 8: too small).
void BM_DecompressBuffer(benchmark::State& State) {
  const std::string& Packed = PackedBlock();
  const int64_t Estimate = int64_t{kPlainSize} / State.range(0);
  for (auto _ : State) {
    quin::TDynByteArr Out;
    int64_t OutSize = 0;
    quin::DecompressBuffer(Packed.data(), static_cast<int64_t>(Packed.size()), Estimate, Out,
                           OutSize);
    if (OutSize != int64_t{kPlainSize}) State.SkipWithError("wrong size");
    benchmark::DoNotOptimize(Out.data());
  }
  State.SetBytesProcessed(State.iterations() * int64_t{kPlainSize});
}
BENCHMARK(BM_DecompressBuffer)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
