// Opening survey files for analysis and reading their columns through the analysis record set.
// The files are written once per run into a temporary folder.
// - Realistic opens: the demonstration survey (its definition, 5,000 respondents, after-open
//   steps included), and the same data under a large definition made from the demonstration's
//   (its modules repeated to about 2.5 and 10 MB): the whole definition read (parse and survey
//   objects) in MB/s of definition text, which should stay the same at both sizes and be at
//   least 40 MB/s.
// - A survey of 300 columns over 4 waves and 200,000 respondents (and a tenth of that):
//   opening reads only the directories, so its time does not grow with the respondents.
//   Reading every column reports MB/s of decoded doubles; zlib's inflation of the same columns'
//   bytes takes turns with it (x_zlib, bench/interleaved.h).
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
#include "bench/definitions.h"
#include "bench/interleaved.h"
#include "tools/demosurvey/demosurvey.h"
#include "tools/surveywriter/zoswriter.h"

namespace quin {
namespace {

// The temporary folder of the run, removed when the run ends.
const std::filesystem::path& BenchFolder() {
  static const struct TDir {
    std::filesystem::path Path =
        std::filesystem::temp_directory_path() / ("quin_survey_bench_" + std::to_string(getpid()));
    TDir() { std::filesystem::create_directories(Path); }
    ~TDir() {
      std::error_code E;
      std::filesystem::remove_all(Path, E);
    }
  } Dir;
  return Dir.Path;
}

std::string WriteBenchFile(const std::string& Name, const std::string& Bytes) {
  const std::string Path = (BenchFolder() / Name).string();
  std::ofstream(Path, std::ios::binary) << Bytes;
  return Path;
}

// Loads the file and runs the after-open steps, as a session opening a survey does.
std::unique_ptr<TPelSurvey> OpenForAnalysis(const std::string& Path) {
  RegisterAnalysisClasses();
  auto S = New<TPelSurvey>(Path, 1);
  S->LoadFromFile(Path);
  if (!S->AfterOpen()) throw Exception("after-open steps failed");
  return S;
}

// ---- realistic opens

struct TDemoFile {
  std::string Path;
  int64_t DefinitionBytes = 0;
};

// Arg 0: the demonstration definition; otherwise a large one of about Arg MiB / 4.
const TDemoFile& DemoFile(int QuarterMiB) {
  static std::map<int, TDemoFile> Files;
  TDemoFile& F = Files[QuarterMiB];
  if (!F.Path.empty()) return F;
  const std::string Utf8 = QuarterMiB == 0 ? bench::DemoDefinitionUtf8()
                                           : bench::LargeDefinitionUtf8(size_t(QuarterMiB) << 18);
  F.DefinitionBytes = static_cast<int64_t>(DemoSurveyDefinition(Utf8).size());
  F.Path = WriteBenchFile("demo" + std::to_string(QuarterMiB) + ".zos",
                          DemoSurveyFileBytes(Utf8, bench::DemoParams()));
  return F;
}

// The survey is freed outside the measured time: closing is not part of opening. A first open
// before the measured ones has the process's memory at hand, as in a server that has served
// sessions before (the very first open of a large definition in a fresh process also waits
// for the system to hand the memory over).
void BM_SurveyOpenDemo(benchmark::State& State) {
  const TDemoFile& F = DemoFile(static_cast<int>(State.range(0)));
  OpenForAnalysis(F.Path).reset();
  for (auto _ : State) {
    auto S = OpenForAnalysis(F.Path);
    State.PauseTiming();
    S.reset();
    State.ResumeTiming();
  }
  State.SetBytesProcessed(State.iterations() * F.DefinitionBytes);
  State.SetLabel(std::to_string(F.DefinitionBytes) + " bytes of definition");
}
BENCHMARK(BM_SurveyOpenDemo)->Arg(0)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

// ---- column reads

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
  F.Respondents = Respondents;
  std::mt19937 G(7);
  TSwSurveyRecset R{"resp", {}};
  for (int W = 0; W < kWaves; ++W) {
    TSwSurveyWave Wave;
    Wave.Records = Respondents / kWaves;
    for (int C = 0; C < kColumns; ++C) {
      TSwSurveyColumn Col{"q" + std::to_string(C),
                          BenchColumn(C, Wave.Records, G),
                          {kSwSmallestLayout, kCompressions[C % std::size(kCompressions)]}};
      F.Zlib.push_back(ZlibCompress(std::string(Col.Values.begin(), Col.Values.end())));
      Wave.Columns.push_back(std::move(Col));
    }
    R.Waves.push_back(std::move(Wave));
  }
  F.Path = WriteBenchFile("survey" + std::to_string(Respondents) + ".zos",
                          SurveyFileBytes(BenchDefinition(), {R}));
  return F;
}

void BM_SurveyOpenDirectories(benchmark::State& State) {
  const TBenchFile& F = BenchFile(static_cast<int>(State.range(0)));
  for (auto _ : State) benchmark::DoNotOptimize(OpenForAnalysis(F.Path).get());
  State.SetLabel(std::to_string(F.Respondents) + " respondents");
}
BENCHMARK(BM_SurveyOpenDirectories)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_SurveyReadEveryColumn(benchmark::State& State) {
  const TBenchFile& F = BenchFile(200000);
  auto S = OpenForAnalysis(F.Path);
  TPelRecset& R = *S->PelRecset(0);
  std::vector<double> V;
  std::vector<uint8_t> Out(F.Respondents / kWaves);
  bench::TInterleaved T(State, {"zlib"});
  for (auto _ : State) {
    T.Subject([&] {
      for (int C = 0; C < kColumns; ++C) {
        R.LoadColumn("q" + std::to_string(C), V);
        benchmark::DoNotOptimize(V.data());
      }
    });
    T.Reference(0, [&] {
      for (const std::string& Z : F.Zlib) {
        uLongf N = Out.size();
        uncompress(Out.data(), &N, reinterpret_cast<const Bytef*>(Z.data()), Z.size());
        benchmark::DoNotOptimize(Out.data());
      }
    });
  }
  State.SetBytesProcessed(State.iterations() * int64_t{kColumns} * R.RecCount() * 8);
}
BENCHMARK(BM_SurveyReadEveryColumn)->UseManualTime()->Unit(benchmark::kMillisecond);

// One column per compression read twice: the second read comes from the cache.
void BM_SurveyReadOneColumnTwice(benchmark::State& State) {
  const TBenchFile& F = BenchFile(200000);
  auto S = OpenForAnalysis(F.Path);
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

}  // namespace
}  // namespace quin
