// Opening a survey file and reading its columns through the analysis record set. The survey
// (300 columns over 4 waves, 200,000 respondents, and a tenth of that for comparison) is
// written once per run into a temporary folder. Opening reads the header, the definition and
// the column directories only, so its time does not grow with the respondents. Column reads
// report MB/s of decoded doubles; zlib's inflation of the same columns' bytes, compressed
// with zlib, is the yardstick in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "analysis/pelsurvey.h"
#include "analysis/register.h"
#include "tools/surveywriter/zoswriter.h"

namespace quin {
namespace {

constexpr int kColumns = 300;
constexpr int kWaves = 4;
const TPelColDataCompression kCompressions[] = {cdcfNoCompression, cdcfRLE_1_8, cdcfIDX_4,
                                                cdcfZLib,          cdcfRLE_3_8, cdcfIDX_8};

std::string BenchDefinition() {
  std::string S =
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = bench; name = \"Bench\"; wizards = table1d; end;\r\n"
      "def recordset id = resp; name = \"Respondents\";\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\nend;\r\ndef waves\r\n";
  for (int W = 1; W <= kWaves; ++W)
    S += "  def wave id = w" + std::to_string(W) + "; name = \"W\"; end;\r\n";
  return S + "end;\r\ndef data end;\r\n";
}

struct TBenchFile {
  std::string Path;
  int Respondents = 0;
  std::vector<std::string> Zlib;  // per column and wave: its decoded bytes, zlib-compressed
  int64_t ZlibPlain = 0;
};

// Categorical columns with runs, in the layout each compression suits.
std::vector<double> BenchColumn(int C, int Records, std::mt19937& G) {
  const TPelColDataCompression K = kCompressions[C % std::size(kCompressions)];
  const int Dict = K == cdcfNoCompression ? 200 : std::min(PelCompressionMaxDictionary(K), 12);
  std::vector<double> V;
  V.reserve(Records);
  while (static_cast<int>(V.size()) < Records) {
    const int Run = K == cdcfRLE_1_8 || K == cdcfRLE_3_8 ? 1 + static_cast<int>(G() % 20) : 1;
    const double X = static_cast<double>(G() % Dict);
    for (int I = 0; I < Run && static_cast<int>(V.size()) < Records; ++I) V.push_back(X);
  }
  return V;
}

const TBenchFile& BenchFile(int Respondents) {
  static std::map<int, TBenchFile> Files;
  TBenchFile& F = Files[Respondents];
  if (!F.Path.empty()) return F;
  // The folder is removed when the run ends.
  static const struct TDir {
    std::filesystem::path Path =
        std::filesystem::temp_directory_path() / ("quin_survey_bench_" + std::to_string(getpid()));
    TDir() { std::filesystem::create_directories(Path); }
    ~TDir() {
      std::error_code E;
      std::filesystem::remove_all(Path, E);
    }
  } Dir;
  F.Respondents = Respondents;
  F.Path = (Dir.Path / ("survey" + std::to_string(Respondents) + ".zos")).string();
  std::mt19937 G(7);
  TSwSurveyRecset R{"resp", {}};
  for (int W = 0; W < kWaves; ++W) {
    TSwSurveyWave Wave;
    Wave.Records = Respondents / kWaves;
    for (int C = 0; C < kColumns; ++C) {
      TSwSurveyColumn Col{"q" + std::to_string(C),
                          BenchColumn(C, Wave.Records, G),
                          {kSwSmallestLayout, kCompressions[C % std::size(kCompressions)]}};
      std::string Bytes(Col.Values.begin(), Col.Values.end());
      F.Zlib.push_back(ZlibCompress(Bytes));
      F.ZlibPlain += static_cast<int64_t>(Bytes.size());
      Wave.Columns.push_back(std::move(Col));
    }
    R.Waves.push_back(std::move(Wave));
  }
  std::ofstream(F.Path, std::ios::binary) << SurveyFileBytes(BenchDefinition(), {R});
  return F;
}

std::unique_ptr<TPelSurvey> Open(const TBenchFile& F) {
  RegisterAnalysisClasses();
  auto S = New<TPelSurvey>(F.Path, 1);
  S->LoadFromFile(F.Path);
  return S;
}

void BM_SurveyOpen(benchmark::State& State) {
  const TBenchFile& F = BenchFile(static_cast<int>(State.range(0)));
  for (auto _ : State) benchmark::DoNotOptimize(Open(F).get());
  State.SetLabel(std::to_string(F.Respondents) + " respondents");
}
BENCHMARK(BM_SurveyOpen)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_SurveyReadEveryColumn(benchmark::State& State) {
  const TBenchFile& F = BenchFile(200000);
  auto S = Open(F);
  TPelRecset& R = *S->PelRecset(0);
  std::vector<double> V;
  for (auto _ : State)
    for (int C = 0; C < kColumns; ++C) {
      R.LoadColumn("q" + std::to_string(C), V);
      benchmark::DoNotOptimize(V.data());
    }
  State.SetBytesProcessed(State.iterations() * int64_t{kColumns} * R.RecCount() * 8);
}
BENCHMARK(BM_SurveyReadEveryColumn)->Unit(benchmark::kMillisecond);

// One column per compression read twice: the second read comes from the cache.
void BM_SurveyReadOneColumnTwice(benchmark::State& State) {
  const TBenchFile& F = BenchFile(200000);
  auto S = Open(F);
  TPelRecset& R = *S->PelRecset(0);
  const std::string Name = "q" + std::to_string(State.range(0));
  std::vector<double> V;
  for (auto _ : State) {
    R.CacheCol = nullptr;
    R.LoadColumn(Name, V);
    R.LoadColumn(Name, V);
    benchmark::DoNotOptimize(V.data());
  }
  State.SetBytesProcessed(State.iterations() * 2 * int64_t{R.RecCount()} * 8);
  State.SetLabel(PelColDataCompressionNames[kCompressions[State.range(0)]]);
}
BENCHMARK(BM_SurveyReadOneColumnTwice)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

// zlib's inflation of every column's bytes (one per record), as doubles would be 8 times as
// many bytes: the figure to compare is bytes per second of records.
void BM_SurveyZlibYardstick(benchmark::State& State) {
  const TBenchFile& F = BenchFile(200000);
  std::vector<uint8_t> Out(F.Respondents / kWaves);
  for (auto _ : State)
    for (const std::string& Z : F.Zlib) {
      uLongf N = Out.size();
      uncompress(Out.data(), &N, reinterpret_cast<const Bytef*>(Z.data()), Z.size());
      benchmark::DoNotOptimize(Out.data());
    }
  State.SetBytesProcessed(State.iterations() * F.ZlibPlain * 8);
  State.SetLabel("records x 8 bytes, as the column reads count them");
}
BENCHMARK(BM_SurveyZlibYardstick)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quin
