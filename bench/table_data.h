// The survey of the table benchmarks: N respondents in two waves with a 40-code question
// (rows, a twentieth missing), a 12-code question (columns), a numeric answer (ages, a tenth
// missing) and weights; and a 40 x 12 table of cells over it, laid out as the pivot table lays
// out its cells (rows and columns of header elements, a statistic element in every cell).
#pragma once

#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelresmanager.h"
#include "analysis/pelsurvey.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimresponses.h"
#include "surveykit/gimstat.h"
#include "surveykit/gimweights.h"
#include "tools/surveywriter/zoswriter.h"

namespace quin::bench {

constexpr int kRows = 40;
constexpr int kCols = 12;

// The survey of two waves of weighted respondents, up to its data section.
inline std::string BenchSurveyHead() {
  return "def environ languages = plk, enu; end;\r\n"
         "def survey namespace = ns; id = bench; name = \"Bench\"; wizards = table1d; end;\r\n"
         "def recordset id = resp; name = \"Respondents\";\r\n"
         "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\nend;\r\n"
         "def weights def weight id = wgt; name = \"W\"; population = 1000; column = w; end; "
         "end;\r\n"
         "def waves def wave id = w1; name = \"W1\"; end; def wave id = w2; name = \"W2\"; end; "
         "end;\r\n";
}

inline std::string TableDefinition() {
  std::string S = BenchSurveyHead() + "def data\r\n";
  for (auto [ID, N] : {std::pair{"rq", kRows}, std::pair{"cq", kCols}}) {
    S += std::string("def question id = ") + ID + "; name = \"" + ID +
         "\"; def responseList column = " + ID + ";\r\n";
    for (int R = 1; R <= N; ++R)
      S += "  def response id = r" + std::to_string(R) +
           "; name = \"R\"; code = " + std::to_string(R) + "; end;\r\n";
    S += "end; end;\r\n";
  }
  S += "def question id = age; name = \"Age\"; def response id = years; name = \"Years\"; "
       "column = age; numeric = 15:99; attr = substStats; end; end;\r\n";
  return S + "end;\r\n";
}

// The columns of the benchmark survey.
struct TTableColumns {
  std::vector<double> Row, Col, Age, W;
};

inline TTableColumns TableColumns(int N) {
  std::mt19937 G(7);
  TTableColumns C;
  for (int I = 0; I < N; ++I) {
    C.Row.push_back(G() % 20 == 0 ? kPelMissingDouble : 1.0 + G() % kRows);
    C.Col.push_back(1.0 + G() % kCols);
    C.Age.push_back(G() % 10 == 0 ? kPelMissingDouble : 15.0 + G() % 66);
    C.W.push_back(0.25 + (G() % 16) * 0.125);
  }
  return C;
}

inline std::string TableSurveyBytes(const TTableColumns& C) {
  const int N = static_cast<int>(C.W.size());
  TSwSurveyRecset R{"resp", {}};
  for (int Wv = 0; Wv < 2; ++Wv) {
    const int First = Wv == 0 ? 0 : N / 2, Last = Wv == 0 ? N / 2 : N;
    TSwSurveyWave Wave;
    Wave.Records = Last - First;
    auto Col = [&](const char* Name, const std::vector<double>& V) {
      Wave.Columns.push_back(
          TSwSurveyColumn{Name, std::vector<double>(V.begin() + First, V.begin() + Last), {}});
    };
    Col("rq", C.Row);
    Col("cq", C.Col);
    Col("age", C.Age);
    Col("w", C.W);
    R.Waves.push_back(std::move(Wave));
  }
  return SurveyFileBytes(TableDefinition(), {R});
}

// A 40 x 12 table: rows of the 40 responses (with the age for means), columns of the 12.
struct TBenchTable {
  TPelSurvey& S;
  std::unique_ptr<TPelParDefQuestions> QPar = New<TPelParDefQuestions>(&S);
  std::unique_ptr<TPelParStats> SPar = std::make_unique<TPelParStats>(&S);
  TPelResElemList Headers{true};
  std::vector<std::unique_ptr<TPelRes>> Cells;

  TBenchTable(TPelSurvey& AS, const char* StatID, bool Means) : S(AS) {
    auto Resp = [&](const char* Q, int R) {
      TGimQuestion* Qu = S.Data->FindQuestion(Q, false);
      return Headers.Add(std::make_unique<TPelResVarVal>(&S, Qu->Responses->GetItem(R), nullptr, Qu,
                                                         R, QPar.get()));
    };
    TGimStat* K = S.Info->StatCatalogue.FindByID(StatID);
    SPar->Stats.Add(K);
    SPar->SigMeans = SPar->SigPct = true;
    TPelResElem* Stat = Headers.Add(std::make_unique<TPelResStat>(&S, K, 0, SPar.get()));
    TPelResElem* Age = Means ? Resp("age", 0) : nullptr;
    const TGimWeight* W = S.Weights->FindByID("wgt");
    TPelDataBasedOn* On = S.DataBasedOnList->GetItem(0);
    std::vector<TPelResElem*> Cols;
    for (int C = 0; C < kCols; ++C) Cols.push_back(Resp("cq", C));
    for (int R = 0; R < kRows; ++R) {
      TPelResElem* Row = Resp("rq", R);
      for (TPelResElem* Col : Cols) {
        auto Cell = std::make_unique<TPelRes>(&S, W, On);
        Cell->AddLayerElem(std::make_unique<TPelResElemRef>(Stat));
        Cell->AddRowElem(std::make_unique<TPelResElemRef>(Row));
        if (Age) Cell->AddRowElem(std::make_unique<TPelResElemRef>(Age));
        Cell->AddColElem(std::make_unique<TPelResElemRef>(Col));
        Cells.push_back(std::move(Cell));
      }
    }
  }
  // The table computed; with Marks the significance marks along the columns.
  int64_t Calculate(bool Marks) {
    TPelResManager Mgr(&S, S.DataBasedOnList->GetItem(0));
    std::vector<TPelRes*> P;
    for (auto& C : Cells) P.push_back(C.get());
    Mgr.CalculateTable(P);
    if (Marks) {
      auto Find = [this](int A, int B, int StepRow, int StepCol) {
        const int A2 = A + StepCol, B2 = B + StepRow;
        if (A2 < 0 || B2 < 0 || A2 >= kCols || B2 >= kRows) return TPelNeighbour{};
        return TPelNeighbour{Cells[static_cast<size_t>(B2 * kCols + A2)].get(), A2, B2};
      };
      for (int B = 0; B < kRows; ++B)
        for (int A = 0; A < kCols; ++A)
          Cells[static_cast<size_t>(B * kCols + A)]->TestSignificance(A, B, Find);
    }
    return Mgr.CellsOneByOne;
  }
};

}  // namespace quin::bench
