// A small weighted survey for the cell computation, and a plain grid of cells over it.
//
//   rec wave edu reg age w    m1 m2 m3   edu: 1 low, 2 mid, 3 high (and "lowMid" 1:2, which
//   0   1    1   1   20  1    1  0  1         overlaps both); reg: 1 north, 2 south; age:
//   1   1    2   1   30  2    1  1  -         numeric; media: a, b, c on m1, m2, m3 (code 1,
//   2   1    3   2   -   1    0  1  0         several at once); g: a grid of the items x, y
//   3   1    -   2   40  0.5  1  -  1         (columns g_x, g_y) rated 1 or 2.
//   4   1    1   -   50  1.5  0  0  0
//   5   1    2   2   25  1    1  1  1
//   6   2    3   1   35  2    -  1  0
//   7   2    1   1   45  1    1  0  1
//   8   2    2   2   55  0.5  0  1  1
//   9   2    -   1   60  1    1  1  0
//   10  2    3   2   22  1.5  0  0  1
//   11  2    1   2   33  1    1  1  1
//
// Beside them, codes that are no small whole numbers: sc, a scale from -2 to 2 in halves
// (responses neg -2:-1, zero 0, pos 0.5:2, and the mean of the scale, scm); big, codes 300,
// 1000 and 2.5 (and 7, which no response takes); inc, an amount with many distinct values
// (means); and anym, answers over several columns: ab (m1 or m2 is 1) and bc (m2 or m3).
#pragma once

#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/pelgroup.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelresgroup.h"
#include "analysis/pelresmanager.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "deflang/rixscanner.h"
#include "group_fixture.h"
#include "survey_files.h"
#include "surveykit/gimaxes.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimresponses.h"
#include "surveykit/gimstat.h"
#include "surveykit/gimwaves.h"
#include "surveykit/gimweights.h"

namespace quin::test {

inline std::string CalcDefinition() {
  return WeightedSurveyHead(" nick = \"Resp\";") +
         "def data\r\n"
         "  def question id = sc; name = \"Scale\";\r\n"
         "    def responseList column = sc;\r\n"
         "      def response id = neg; name = \"Negative\"; range = -2:-1; end;\r\n"
         "      def response id = zero; name = \"Zero\"; code = 0; end;\r\n"
         "      def response id = pos; name = \"Positive\"; range = 0.5:2; end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "  def question id = scm; name = \"Scale mean\";\r\n"
         "    def response id = v; name = \"Value\"; column = sc; numeric = -2:2;\r\n"
         "      attr = substStats; end;\r\n"
         "  end;\r\n"
         "  def question id = big; name = \"Big codes\";\r\n"
         "    def responseList column = big;\r\n"
         "      def response id = b300; name = \"300\"; code = 300; end;\r\n"
         "      def response id = b1000; name = \"1000\"; code = 1000; end;\r\n"
         "      def response id = half; name = \"2.5\"; code = 2.5; end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "  def question id = inc; name = \"Amount\";\r\n"
         "    def response id = v; name = \"Value\"; column = inc; numeric = 0:100000;\r\n"
         "      attr = substStats; end;\r\n"
         "  end;\r\n"
         "  def question id = anym; name = \"Any medium\";\r\n"
         "    def response id = ab; name = \"A or B\"; columnList = m1, m2; code = 1; end;\r\n"
         "    def response id = bc; name = \"B or C\"; columnList = m2, m3; code = 1; end;\r\n"
         "  end;\r\n"
         "  def question id = edu; name = \"Education\";\r\n"
         "    def responseList column = edu;\r\n"
         "      def response id = low; name = \"Low\"; code = 1; end;\r\n"
         "      def response id = mid; name = \"Middle\"; code = 2; end;\r\n"
         "      def response id = high; name = \"High\"; code = 3; end;\r\n"
         "      def response id = lowMid; name = \"Low or middle\"; range = 1:2; end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "  def question id = reg; name = \"Region\";\r\n"
         "    def responseList column = reg;\r\n"
         "      def response id = north; name = \"North\"; code = 1; end;\r\n"
         "      def response id = south; name = \"South\"; code = 2; end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "  def question id = age; name = \"Age\";\r\n"
         "    def response id = years; name = \"Years\"; column = age; numeric = 15:99;\r\n"
         "      attr = substStats; end;\r\n"
         "  end;\r\n"
         "  def question id = media; name = \"Media\";\r\n"
         "    def response id = a; name = \"A\"; column = m1; code = 1; end;\r\n"
         "    def response id = b; name = \"B\"; column = m2; code = 1; end;\r\n"
         "    def response id = c; name = \"C\"; column = m3; code = 1; end;\r\n"
         "  end;\r\n"
         "  def question id = g; name = \"Grid\";\r\n"
         "    def responseGrid columnMask = \"g_*\";\r\n"
         "      def responseAxis id = item; name = \"Item\";\r\n"
         "        def response id = x; name = \"X\"; columnText = \"x\"; end;\r\n"
         "        def response id = y; name = \"Y\"; columnText = \"y\"; end;\r\n"
         "      end;\r\n"
         "      def responseAxis id = rate; name = \"Rate\";\r\n"
         "        def response id = r1; name = \"1\"; code = 1; end;\r\n"
         "        def response id = r2; name = \"2\"; code = 2; end;\r\n"
         "      end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "end;\r\n";
}

constexpr double M = kPelMissingDouble;

// The fixture's columns, by record.
struct TCalcData {
  std::vector<double> Wave{1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2};
  std::vector<double> Edu{1, 2, 3, M, 1, 2, 3, 1, 2, M, 3, 1};
  std::vector<double> Reg{1, 1, 2, 2, M, 2, 1, 1, 2, 1, 2, 2};
  std::vector<double> Age{20, 30, M, 40, 50, 25, 35, 45, 55, 60, 22, 33};
  std::vector<double> W{1, 2, 1, 0.5, 1.5, 1, 2, 1, 0.5, 1, 1.5, 1};
  std::vector<double> M1{1, 1, 0, 1, 0, 1, M, 1, 0, 1, 0, 1};
  std::vector<double> M2{0, 1, 1, M, 0, 1, 1, 0, 1, 1, 0, 1};
  std::vector<double> M3{1, M, 0, 1, 0, 1, 0, 1, 1, 0, 1, 1};
  std::vector<double> GX{1, 2, 1, M, 2, 1, 1, 2, 2, 1, M, 1};
  std::vector<double> GY{2, 2, 1, 1, M, 1, 2, 1, 2, 2, 1, M};
  std::vector<double> Sc{-2, -1.5, 0, 0.5, M, 2, -1, 1.5, 0, 1, -0.5, 2};
  std::vector<double> Big{300, 1000, 2.5, 7, 300, M, 1000, 300, 2.5, 1000, M, 7};
  std::vector<double> Inc{120.5, 99.25, M, 3000, 0, 45.75, 810, 12.5, M, 77, 640.125, 5};
  int N() const { return static_cast<int>(W.size()); }
};

// Random data of N records (missing answers, several media, weights from 0.2 to 3).
inline TCalcData RandomCalcData(int N, unsigned Seed) {
  std::mt19937 G(Seed);
  auto Pick = [&](int Lo, int Hi, int MissingPct) {
    std::uniform_int_distribution<int> P(0, 99), V(Lo, Hi);
    return P(G) < MissingPct ? M : static_cast<double>(V(G));
  };
  TCalcData D;
  for (auto* C : {&D.Wave, &D.Edu, &D.Reg, &D.Age, &D.W, &D.M1, &D.M2, &D.M3, &D.GX, &D.GY, &D.Sc,
                  &D.Big, &D.Inc})
    C->clear();
  std::uniform_real_distribution<double> Amount(0, 5000);
  std::uniform_real_distribution<double> Wt(0.2, 3.0);
  for (int I = 0; I < N; ++I) {
    D.Wave.push_back(I < N / 2 ? 1 : 2);
    D.Edu.push_back(Pick(1, 4, 8));
    D.Reg.push_back(Pick(1, 2, 5));
    D.Age.push_back(Pick(15, 80, 10));
    D.W.push_back(Wt(G));
    D.M1.push_back(Pick(0, 1, 3));
    D.M2.push_back(Pick(0, 1, 3));
    D.M3.push_back(Pick(0, 1, 3));
    D.GX.push_back(Pick(1, 2, 5));
    D.GY.push_back(Pick(1, 2, 5));
    const double S = Pick(-4, 4, 6);
    D.Sc.push_back(S == M ? M : S / 2);
    const double B = Pick(0, 3, 6);
    D.Big.push_back(B == M ? M : std::array<double, 4>{300, 1000, 2.5, 7}[static_cast<size_t>(B)]);
    D.Inc.push_back(Pick(0, 9, 10) == M ? M : Amount(G));
  }
  return D;
}

inline std::string CalcSurveyBytes(const TCalcData& D = TCalcData()) {
  std::string Csv = "wave,edu,reg,age,w,m1,m2,m3,g_x,g_y,sc,big,inc\n";
  auto Cell = [](double V) {
    return V == M ? std::string() : Format("%.17g", {V}, TFormatSettings());
  };
  for (int I = 0; I < D.N(); ++I)
    Csv += Cell(D.Wave[I]) + "," + Cell(D.Edu[I]) + "," + Cell(D.Reg[I]) + "," + Cell(D.Age[I]) +
           "," + Cell(D.W[I]) + "," + Cell(D.M1[I]) + "," + Cell(D.M2[I]) + "," + Cell(D.M3[I]) +
           "," + Cell(D.GX[I]) + "," + Cell(D.GY[I]) + "," + Cell(D.Sc[I]) + "," + Cell(D.Big[I]) +
           "," + Cell(D.Inc[I]) + "\n";
  return SurveyFileBytes(CalcDefinition(), {ParseSurveyCsv("resp", Csv)});
}

// A grid of cells: one cell per row tuple and column tuple of header elements, with the
// layer elements and a statistic element in each.
struct TCalcTable {
  TPelSurvey& S;
  std::unique_ptr<TPelParDefQuestions> QPar = New<TPelParDefQuestions>(&S);
  std::unique_ptr<TPelParStats> SPar = std::make_unique<TPelParStats>(&S);
  TPelResElemList Headers{true};
  std::vector<std::vector<TPelResElem*>> Rows, Cols;
  std::vector<TPelResElem*> Layer;
  std::vector<std::unique_ptr<TPelRes>> Cells;  // row-major
  const TGimWeight* Weight = nullptr;

  explicit TCalcTable(TPelSurvey& AS) : S(AS) { Weight = S.Weights->FindByID("wgt"); }

  TPelResElem* Own(std::unique_ptr<TPelResElem> E) { return Headers.Add(std::move(E)); }
  TPelResElem* Resp(const char* Q, const char* R) {
    TGimQuestion* Qu = S.Data->FindQuestion(Q, false);
    return Own(std::make_unique<TPelResVarVal>(&S, Qu->Responses->FindByID(R), nullptr, Qu, 0,
                                               QPar.get()));
  }
  TPelResElem* Grid(int Axis, const char* R) {
    TGimQuestion* Qu = S.Data->FindQuestion("g", false);
    TGimResponseAxis* A = Qu->Axes->GetItem(Axis);
    return Own(
        std::make_unique<TPelResVarVal>(&S, A->Responses->FindByID(R), A, Qu, 0, QPar.get()));
  }
  TPelResElem* Stat(const char* ID) {
    TGimStat* K = S.Info->StatCatalogue.FindByID(ID);
    SPar->Stats.Add(K);
    return Own(std::make_unique<TPelResStat>(&S, K, SPar->Stats.Count() - 1, SPar.get()));
  }
  TPelResElem* Margins() { return Own(std::make_unique<TPelResMargins>(&S)); }
  TPelResElem* Base(int Kind) {
    return Own(std::make_unique<TPelResBase>(&S, Kind, Kind, nullptr));
  }

  // The cells of every row and column tuple, each with the layer elements and Stat (a layer
  // element of every cell, when given).
  void Build(TPelResElem* StatElem) {
    Cells.clear();
    TPelDataBasedOn* On = S.DataBasedOnList->GetItem(0);
    for (const auto& R : Rows)
      for (const auto& C : Cols) {
        auto Cell = std::make_unique<TPelRes>(&S, Weight, On);
        for (TPelResElem* E : Layer) Cell->AddLayerElem(std::make_unique<TPelResElemRef>(E));
        if (StatElem) Cell->AddLayerElem(std::make_unique<TPelResElemRef>(StatElem));
        for (TPelResElem* E : R) Cell->AddRowElem(std::make_unique<TPelResElemRef>(E));
        for (TPelResElem* E : C) Cell->AddColElem(std::make_unique<TPelResElemRef>(E));
        Cells.push_back(std::move(Cell));
      }
  }
  int RowCount() const { return static_cast<int>(Rows.size()); }
  int ColCount() const { return static_cast<int>(Cols.size()); }
  TPelRes& At(int Row, int Col) { return *Cells[static_cast<size_t>(Row * ColCount() + Col)]; }
  std::vector<TPelRes*> CellPtrs() {
    std::vector<TPelRes*> P;
    for (auto& C : Cells) P.push_back(C.get());
    return P;
  }
  // Every cell one by one with one manager.
  void CalculateEach() {
    TPelResManager Mgr(&S, S.DataBasedOnList->GetItem(0));
    for (auto& C : Cells) C->Calculate(&Mgr);
  }
  // A target group of Expr, as an element.
  std::vector<std::unique_ptr<TPelGroup>> Groups;
  TPelResElem* Group(const std::string& Expr) {
    TOrvMsgList Msgs(0, 0);
    auto Sc = New<TRixScanner>(Expr, &Msgs);
    Sc->NextToken();
    Groups.push_back(New<TPelGroup>(&S, nullptr));
    Groups.back()->ParseExpr(*Sc, &S);
    return Own(std::make_unique<TPelResGroup>(&S, Groups.back().get(), 0, QPar.get()));
  }
  TPelResElem* Waves(int Wave) {
    return Own(std::make_unique<TPelResWaves>(&S, std::vector<TGimWave*>{S.Waves->GetItem(Wave)}, 0,
                                              QPar.get()));
  }

  // The whole table at once (with at most MaxCombinations accumulators a pass); the number of
  // cells computed one by one.
  int64_t CalculateTable(size_t MaxCombinations = size_t(1) << 21) {
    TPelResManager Mgr(&S, S.DataBasedOnList->GetItem(0));
    Mgr.MaxCombinations = MaxCombinations;
    std::vector<TPelRes*> P = CellPtrs();
    Mgr.CalculateTable(P);
    return Mgr.CellsOneByOne;
  }
  // The neighbour finder of the grid: A the column, B the row.
  TPelNeighbourFinder Neighbours() {
    return [this](int A, int B, int StepRow, int StepCol) {
      const int A2 = A + StepCol, B2 = B + StepRow;
      if (A2 < 0 || B2 < 0 || A2 >= ColCount() || B2 >= RowCount()) return TPelNeighbour{};
      return TPelNeighbour{&At(B2, A2), A2, B2};
    };
  }
  void TestSignificance() {
    for (int B = 0; B < RowCount(); ++B)
      for (int A = 0; A < ColCount(); ++A) At(B, A).TestSignificance(A, B, Neighbours());
  }
};

}  // namespace quin::test
