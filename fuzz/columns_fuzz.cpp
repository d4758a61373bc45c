// Fuzz target of the column-block decoders and the column-directory reader. An input is a mode
// byte (even: a column block, odd: a data file with its directory), a 16-bit record count and
// the bytes of the stream. Every failure must be one of the program's exceptions; crashes,
// hangs, leaks and sanitizer reports are findings.
#include <cstdint>
#include <vector>

#include "base/exception.h"
#include "base/orvstreams.h"
#include "surveykit/pelcolblocks.h"
#include "surveykit/pelcolumns.h"

using namespace quin;

namespace {

void Blocks(const uint8_t* Data, size_t Size, int N) {
  std::vector<uint8_t> Bytes(N);
  std::vector<double> Doubles(N);
  std::vector<TPelColRun> Runs(N);
  TPelColBlock Block;  // reused, as a caller reading many columns does
  try {
    TMemoryStream S(std::span(Data, Size));
    ReadColumnBytes(S, Bytes, Block);
  } catch (const Exception&) {
  }
  try {
    TMemoryStream S(std::span(Data, Size));
    ReadColumnDoubles(S, Doubles, Block);
  } catch (const Exception&) {
  }
  try {
    TMemoryStream S(std::span(Data, Size));
    int Pairs = ReadColumnRuns(S, Runs, Block);
    int64_t Covered = 0;
    for (int I = 0; I < Pairs; ++I) Covered += Runs[I].Count;
    if (Pairs < 0 || Pairs > N || Covered != N) __builtin_trap();
  } catch (const Exception&) {
  }
}

void Directory(const uint8_t* Data, size_t Size) {
  try {
    TMemoryStream S(std::span(Data, Size));
    TGimFileHeader H;
    H.Create(S);
    TGimColPosArr Positions;
    ReadColumnDirectory(S, H, Positions);
    if (Positions.size() != static_cast<size_t>(H.Columns)) __builtin_trap();
    SortColumnDirectory(Positions);
    TPelColList List;
    List.MergeFilePositions(0, 2, Positions, H.Position);
    List.MergeFilePositions(1, 2, Positions, H.Position);
  } catch (const Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 3) return 0;
  const int N = Data[1] | (Data[2] << 8);
  if (Data[0] & 1)
    Directory(Data + 3, Size - 3);
  else
    Blocks(Data + 3, Size - 3, N);
  return 0;
}
