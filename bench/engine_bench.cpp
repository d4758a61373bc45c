// The table shapes that once left the byte path, each against a plain yardstick written here:
// a single-pass bincount over the same byte columns giving the same cells (weighted counts, or
// weighted sums of values and their squares). Each benchmark prints the whole calculation's
// time (a new manager per table, as the report window computes it), the yardstick's and their
// ratio (processor time, the best of seven runs), at 100,000 and 1,000,000 respondents:
//   - means of a scale coded -2..2 by 12 rows x 6 columns;
//   - rows of answers over several columns (three responses, two columns each) x 6 columns;
//   - a 12 x 6 column-percent table under a target-group layer of five conditions.
// The survey is written once per size and read from memory; its columns are decoded, and the
// layer's mask made, by the first table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <random>

#include "analysis/pelgroup.h"
#include "analysis/pelresgroup.h"
#include "analysis/register.h"
#include "base/langmanager.h"
#include "deflang/rixscanner.h"
#include "table_data.h"

namespace quin::bench {
namespace {

constexpr int kERows = 12;
constexpr int kECols = 6;
constexpr int kMulti = 6;  // columns m1..m6 of the answers over several columns

std::string EngineDefinition() {
  std::string S = BenchSurveyHead() + "def data\r\n";
  for (auto [ID, N] : {std::pair{"rq", kERows}, std::pair{"cq", kECols}}) {
    S += std::string("def question id = ") + ID + "; name = \"" + ID +
         "\"; def responseList column = " + ID + ";\r\n";
    for (int R = 1; R <= N; ++R)
      S += "  def response id = r" + std::to_string(R) +
           "; name = \"R\"; code = " + std::to_string(R) + "; end;\r\n";
    S += "end; end;\r\n";
  }
  S += "def question id = sc; name = \"Scale\"; def responseList column = sc;\r\n"
       "  def response id = neg; name = \"N\"; range = -2:-1; end;\r\n"
       "  def response id = pos; name = \"P\"; range = 1:2; end;\r\nend; end;\r\n"
       "def question id = scm; name = \"Scale\"; def response id = v; name = \"V\"; "
       "column = sc; numeric = -2:2; attr = substStats; end; end;\r\n"
       "def question id = mr; name = \"Media\";\r\n";
  for (int R = 0; R < kMulti / 2; ++R)
    S += "  def response id = a" + std::to_string(R + 1) + "; name = \"A\"; columnList = m" +
         std::to_string(2 * R + 1) + ", m" + std::to_string(2 * R + 2) + "; code = 1; end;\r\n";
  return S + "end;\r\nend;\r\n";
}

// The columns, as codes.
struct TEngineColumns {
  std::vector<double> Rq, Cq, Sc, W;
  std::vector<std::vector<double>> M{kMulti};
};

TEngineColumns EngineColumns(int N) {
  std::mt19937 G(11);
  TEngineColumns C;
  for (int I = 0; I < N; ++I) {
    C.Rq.push_back(G() % 20 == 0 ? kPelMissingDouble : 1.0 + G() % kERows);
    C.Cq.push_back(1.0 + G() % kECols);
    C.Sc.push_back(G() % 10 == 0 ? kPelMissingDouble : -2.0 + G() % 5);
    C.W.push_back(0.25 + (G() % 16) * 0.125);
    for (auto& M : C.M) M.push_back(G() % 3 == 0 ? 1.0 : 0.0);
  }
  return C;
}

std::string EngineSurveyBytes(const TEngineColumns& C) {
  const int N = static_cast<int>(C.W.size());
  TSwSurveyRecset R{"resp", {}};
  for (int Wv = 0; Wv < 2; ++Wv) {
    const int First = Wv == 0 ? 0 : N / 2, Last = Wv == 0 ? N / 2 : N;
    TSwSurveyWave Wave;
    Wave.Records = Last - First;
    auto Col = [&](const std::string& Name, const std::vector<double>& V) {
      Wave.Columns.push_back(
          TSwSurveyColumn{Name, std::vector<double>(V.begin() + First, V.begin() + Last), {}});
    };
    Col("rq", C.Rq);
    Col("cq", C.Cq);
    Col("sc", C.Sc);
    Col("w", C.W);
    for (int M = 0; M < kMulti; ++M) Col("m" + std::to_string(M + 1), C.M[M]);
    R.Waves.push_back(std::move(Wave));
  }
  return SurveyFileBytes(EngineDefinition(), {R});
}

// The byte columns the yardsticks read (255 missing; the scale shifted to 0..4).
struct TBytes {
  std::vector<uint8_t> Rq, Cq, Sc;
  std::vector<std::vector<uint8_t>> M{kMulti};
  std::vector<double> W;
};

struct TEngineSurvey {
  std::string Bytes;
  std::unique_ptr<TMemoryStream> Stream;
  std::unique_ptr<TPelSurvey> Survey;
  TBytes B;
};

TEngineSurvey& EngineSurvey(int N) {
  static std::map<int, TEngineSurvey> Surveys;
  auto It = Surveys.find(N);
  if (It != Surveys.end()) return It->second;
  RegisterAnalysisClasses();
  const TEngineColumns C = EngineColumns(N);
  TEngineSurvey& S = Surveys[N];
  auto Byte = [](double X, double Shift) {
    return X == kPelMissingDouble ? uint8_t{255} : static_cast<uint8_t>(X + Shift);
  };
  for (int I = 0; I < N; ++I) {
    S.B.Rq.push_back(Byte(C.Rq[I], 0));
    S.B.Cq.push_back(Byte(C.Cq[I], 0));
    S.B.Sc.push_back(Byte(C.Sc[I], 2));
    for (int M = 0; M < kMulti; ++M) S.B.M[M].push_back(Byte(C.M[M][I], 0));
  }
  S.B.W = C.W;
  S.Bytes = EngineSurveyBytes(C);
  S.Stream = std::make_unique<TMemoryStream>(std::string_view(S.Bytes));
  S.Survey = New<TPelSurvey>("engine.zos", 1);
  S.Survey->ReadSurveyFile(*S.Stream);
  return S;
}

// A table of cells: every row tuple by every column tuple, a layer and a statistic.
struct TEngineTable {
  TPelSurvey& S;
  std::unique_ptr<TPelParDefQuestions> QPar = New<TPelParDefQuestions>(&S);
  std::unique_ptr<TPelParStats> SPar = std::make_unique<TPelParStats>(&S);
  std::unique_ptr<TPelGroup> Group;
  TPelResElemList Headers{true};
  std::vector<std::unique_ptr<TPelRes>> Cells;

  explicit TEngineTable(TPelSurvey& AS) : S(AS) {}
  TPelResElem* Resp(const char* Q, int R) {
    TGimQuestion* Qu = S.Data->FindQuestion(Q, false);
    return Headers.Add(
        std::make_unique<TPelResVarVal>(&S, Qu->Responses->GetItem(R), nullptr, Qu, R, QPar.get()));
  }
  TPelResElem* GroupElem(const std::string& Expr) {
    TOrvMsgList Msgs(0, 0);
    auto Sc = New<TRixScanner>(Expr, &Msgs);
    Sc->NextToken();
    Group = New<TPelGroup>(&S, nullptr);
    Group->ParseExpr(*Sc, &S);
    return Headers.Add(std::make_unique<TPelResGroup>(&S, Group.get(), 0, QPar.get()));
  }
  void Build(const char* StatID, const std::vector<std::vector<TPelResElem*>>& Rows,
             const std::vector<TPelResElem*>& Cols, TPelResElem* Layer) {
    TGimStat* K = S.Info->StatCatalogue.FindByID(StatID);
    SPar->Stats.Add(K);
    TPelResElem* Stat = Headers.Add(std::make_unique<TPelResStat>(&S, K, 0, SPar.get()));
    const TGimWeight* W = S.Weights->FindByID("wgt");
    TPelDataBasedOn* On = S.DataBasedOnList->GetItem(0);
    for (const auto& Row : Rows)
      for (TPelResElem* Col : Cols) {
        auto Cell = std::make_unique<TPelRes>(&S, W, On);
        if (Layer) Cell->AddLayerElem(std::make_unique<TPelResElemRef>(Layer));
        Cell->AddLayerElem(std::make_unique<TPelResElemRef>(Stat));
        for (TPelResElem* E : Row) Cell->AddRowElem(std::make_unique<TPelResElemRef>(E));
        Cell->AddColElem(std::make_unique<TPelResElemRef>(Col));
        Cells.push_back(std::move(Cell));
      }
  }
  int64_t Calculate() {
    // The report window makes its table's elements anew for each calculation: none keeps an
    // evaluated condition from the last one.
    for (int I = 0; I < Headers.Count(); ++I) Headers.GetElem(I)->SetCalculated(false);
    TPelResManager Mgr(&S, S.DataBasedOnList->GetItem(0));
    std::vector<TPelRes*> P;
    for (auto& C : Cells) P.push_back(C.get());
    Mgr.CalculateTable(P);
    return Mgr.CellsOneByOne;
  }
};

// The thread's processor time in milliseconds (both sides run on one thread; a busy machine
// stretches wall time, not this).
double CpuMs() {
  timespec T{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
  return static_cast<double>(T.tv_sec) * 1e3 + static_cast<double>(T.tv_nsec) / 1e6;
}

// The shortest of a few runs of Fn, in milliseconds of processor time.
template <class TFn>
double BestMs(TFn Fn) {
  double Best = 1e300;
  for (int K = 0; K < 7; ++K) {
    const double T0 = CpuMs();
    Fn();
    Best = std::min(Best, CpuMs() - T0);
  }
  return Best;
}

void Report(benchmark::State& State, TEngineTable& T, double YardstickMs, int64_t Apart) {
  const double EngineMs = BestMs([&] { T.Calculate(); });
  State.counters["engine_ms"] = EngineMs;
  State.counters["bincount_ms"] = YardstickMs;
  State.counters["ratio_to_bincount"] = EngineMs / YardstickMs;
  State.counters["cells_one_by_one"] = static_cast<double>(Apart);
}

// Means of the scale coded -2..2: counts, sums and squares of the values by row x column.
void BM_EngineNegativeCodedMeans(benchmark::State& State) {
  static std::unique_ptr<TOrvLangManager> Lang = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding(Lang.get());
  TEngineSurvey& E = EngineSurvey(static_cast<int>(State.range(0)));
  TEngineTable T(*E.Survey);
  std::vector<std::vector<TPelResElem*>> Rows;
  TPelResElem* Mean = T.Resp("scm", 0);
  for (int R = 0; R < kERows; ++R) Rows.push_back({T.Resp("rq", R), Mean});
  std::vector<TPelResElem*> Cols;
  for (int C = 0; C < kECols; ++C) Cols.push_back(T.Resp("cq", C));
  T.Build("meanCol", Rows, Cols, nullptr);
  T.Calculate();
  int64_t Apart = 0;
  for (auto _ : State) Apart += T.Calculate();
  const TBytes& B = E.B;
  const size_t N = B.W.size();
  std::vector<double> Acc(256 * 16 * 4);
  const double Value[5] = {-2, -1, 0, 1, 2};
  const double Yard = BestMs([&] {
    std::fill(Acc.begin(), Acc.end(), 0.0);
    for (size_t I = 0; I < N; ++I) {
      if (B.Sc[I] == 255) continue;
      const double X = Value[B.Sc[I]], W = B.W[I];
      double* A = &Acc[(static_cast<size_t>(B.Rq[I]) * 16 + B.Cq[I]) * 4];
      A[0] += 1;
      A[1] += W;
      A[2] += X * W;
      A[3] += X * X * W;
    }
    benchmark::DoNotOptimize(Acc.data());
  });
  Report(State, T, Yard, Apart);
}
BENCHMARK(BM_EngineNegativeCodedMeans)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Rows of answers over two columns each: the weighted counts of "either column is 1" by
// column code, and of every column code.
void BM_EngineMultiColumnRows(benchmark::State& State) {
  static std::unique_ptr<TOrvLangManager> Lang = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding(Lang.get());
  TEngineSurvey& E = EngineSurvey(static_cast<int>(State.range(0)));
  TEngineTable T(*E.Survey);
  std::vector<std::vector<TPelResElem*>> Rows;
  for (int R = 0; R < kMulti / 2; ++R) Rows.push_back({T.Resp("mr", R)});
  std::vector<TPelResElem*> Cols;
  for (int C = 0; C < kECols; ++C) Cols.push_back(T.Resp("cq", C));
  T.Build("pctCol", Rows, Cols, nullptr);
  T.Calculate();
  int64_t Apart = 0;
  for (auto _ : State) Apart += T.Calculate();
  const TBytes& B = E.B;
  const size_t N = B.W.size();
  std::vector<double> Acc(256 * (kMulti / 2 + 1));
  const double Yard = BestMs([&] {
    std::fill(Acc.begin(), Acc.end(), 0.0);
    for (size_t I = 0; I < N; ++I) Acc[B.Cq[I]] += B.W[I];
    for (int R = 0; R < kMulti / 2; ++R) {
      const uint8_t* A = B.M[static_cast<size_t>(2 * R)].data();
      const uint8_t* C = B.M[static_cast<size_t>(2 * R + 1)].data();
      double* Out = &Acc[256 * static_cast<size_t>(R + 1)];
      for (size_t I = 0; I < N; ++I)
        Out[B.Cq[I]] += static_cast<double>((A[I] | C[I]) & 1) * B.W[I];
    }
    benchmark::DoNotOptimize(Acc.data());
  });
  Report(State, T, Yard, Apart);
}
BENCHMARK(BM_EngineMultiColumnRows)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A column-percent table under a layer of five conditions: the layer's mask is computed in
// the yardstick's pass (from the five byte columns), then the cells' counts.
void BM_EngineFiveConditionLayer(benchmark::State& State) {
  static std::unique_ptr<TOrvLangManager> Lang = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding(Lang.get());
  TEngineSurvey& E = EngineSurvey(static_cast<int>(State.range(0)));
  TEngineTable T(*E.Survey);
  TPelResElem* Layer = T.GroupElem(
      "rq in [r1, r2, r3, r4, r5, r6, r7, r8] and not cq = r6 and sc = pos or "
      "mr = a1 and mr = a2");
  std::vector<std::vector<TPelResElem*>> Rows;
  for (int R = 0; R < kERows; ++R) Rows.push_back({T.Resp("rq", R)});
  std::vector<TPelResElem*> Cols;
  for (int C = 0; C < kECols; ++C) Cols.push_back(T.Resp("cq", C));
  T.Build("pctCol", Rows, Cols, Layer);
  T.Calculate();
  int64_t Apart = 0;
  for (auto _ : State) Apart += T.Calculate();
  const TBytes& B = E.B;
  const size_t N = B.W.size();
  std::vector<double> Acc(256 * 16);
  const double Yard = BestMs([&] {
    std::fill(Acc.begin(), Acc.end(), 0.0);
    for (size_t I = 0; I < N; ++I) {
      const bool L =
          (B.Rq[I] >= 1 && B.Rq[I] <= 8 && B.Cq[I] != 6 && B.Sc[I] >= 3 && B.Sc[I] != 255) ||
          ((B.M[0][I] == 1 || B.M[1][I] == 1) && (B.M[2][I] == 1 || B.M[3][I] == 1));
      Acc[static_cast<size_t>(B.Rq[I]) * 16 + B.Cq[I]] += static_cast<double>(L) * B.W[I];
    }
    benchmark::DoNotOptimize(Acc.data());
  });
  Report(State, T, Yard, Apart);
}
BENCHMARK(BM_EngineFiveConditionLayer)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quin::bench
