// Writes the seed corpus of the column fuzz target: column blocks of every layout and
// compression, and small data files with their directories, each behind the target's mode byte
// and record count. The second argument names the fuzzer's working corpus, emptied here so
// that every run starts from the seeds alone.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/orvstreams.h"
#include "fuzz/corpus_folders.h"
#include "tools/surveywriter/pelcolwriter.h"

using namespace quin;

namespace {

void Put(const std::filesystem::path& Dir, int& Count, int Mode, int N, const std::string& Body) {
  std::string Data;
  Data += static_cast<char>(Mode);
  Data += static_cast<char>(N & 0xFF);
  Data += static_cast<char>(N >> 8);
  Data += Body;
  std::ofstream(Dir / ("seed" + std::to_string(Count++)), std::ios::binary) << Data;
}

std::vector<double> Column(int Layout, int N, int Distinct) {
  std::vector<double> V;
  for (int I = 0; I < N; ++I) {
    int K = (I / 5) % Distinct;
    if (K == Distinct - 1 && Distinct > 1)
      V.push_back(kPelMissingDouble);
    else
      V.push_back(Layout == cdlfFlt8 ? K * 1.5 : K);
  }
  return V;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path Seeds, Work;
  if (!PrepareCorpusFolders(argc, argv, 2,
                            "quin_column_seeds <seed folder> <working corpus folder>", Seeds, Work))
    return 2;
  int Count = 0;
  const int N = 40;
  for (int L = 0; L < kPelColDataLayoutCount; ++L) {
    for (int C = 0; C < kPelColDataCompressionCount; ++C) {
      int Distinct = std::min(3, PelCompressionMaxDictionary(C));
      if (C == cdcfNoCompression) Distinct = 3;
      Put(Seeds, Count, 0, N,
          EncodeColumnBlock(static_cast<TPelColDataLayout>(L),
                            static_cast<TPelColDataCompression>(C), Column(L, N, Distinct)));
    }
  }
  TSwDataFile File{"wave 1",
                   N,
                   {{"age", EncodeColumnBlock(cdlfUInt1, cdcfRLE_1_8, Column(cdlfUInt1, N, 3))},
                    {"agegroup", EncodeColumnBlock(cdlfBit4, cdcfIDX_4, Column(cdlfBit4, N, 3))},
                    {"b", EncodeColumnBlock(cdlfFlt8, cdcfNoCompression, Column(cdlfFlt8, N, 3))},
                    {"weight", EncodeColumnBlock(cdlfFlt8, cdcfZLib, Column(cdlfFlt8, N, 3))}}};
  TMemoryStream S;
  TGimFileHeader H;
  WriteDataFile(S, File, -1, H);
  Put(Seeds, Count, 1, 0, S.DataString());
  return 0;
}
