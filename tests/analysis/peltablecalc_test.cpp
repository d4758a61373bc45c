// The table computation against the per-cell computation, cell by cell and field by field,
// over tables of every statistic kind, with and without excluded missing answers, layers,
// total lines, several responses per record, weights and without them, on the small fixture
// and on random data.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>

#include "analysis/pelcolstore.h"
#include "calc_fixture.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

using namespace quin::test;

struct TCase {
  const char* Name;
  const char* Stat;
  bool Excl = false;
  bool Layer = false;
  bool Totals = false;
  int Shape = 0;  // 0 education x region, 1 education and age x region, 2 region x age,
                  // 3 media x region, 4 grid x region, 5 target groups and waves x region,
                  // 6 scale (negative and fractional codes) x big codes, 7 education and the
                  // scale's mean x region, 8 answers over several columns x region, 9 education
                  // and an amount of many distinct values x region, 10 the scale's mean by
                  // the scale, the scale's mean alone, and the amount's mean x region
  bool Unweighted = false;
  // A target group as the layer, in place of medium a.
  const char* LayerGroup = nullptr;
};

void Shape(TCalcTable& T, const TCase& C) {
  switch (C.Shape) {
    case 0:
      for (const char* R : {"low", "mid", "high", "lowMid"}) T.Rows.push_back({T.Resp("edu", R)});
      T.Cols = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}};
      break;
    case 1:
      for (const char* R : {"low", "mid", "high"})
        T.Rows.push_back({T.Resp("edu", R), T.Resp("age", "years")});
      T.Cols = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}};
      break;
    case 2:
      T.Rows = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}};
      for (const char* R : {"low", "mid", "high"})
        T.Cols.push_back({T.Resp("edu", R), T.Resp("age", "years")});
      break;
    case 3:
      for (const char* R : {"a", "b", "c"}) T.Rows.push_back({T.Resp("media", R)});
      T.Cols = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}};
      break;
    case 5:
      // Target groups and waves: conditions read from evaluated masks.
      T.Rows = {{T.Group("edu = low or reg = north")}, {T.Group("not media = a")}, {T.Waves(0)}};
      T.Cols = {{T.Resp("reg", "north")}, {T.Group("edu in [mid, high] and media = b")}};
      break;
    case 6:
      for (const char* R : {"neg", "zero", "pos"}) T.Rows.push_back({T.Resp("sc", R)});
      for (const char* R : {"b300", "b1000", "half"}) T.Cols.push_back({T.Resp("big", R)});
      break;
    case 7:
    case 9:
      for (const char* R : {"low", "mid", "high"})
        T.Rows.push_back({T.Resp("edu", R), T.Resp(C.Shape == 7 ? "scm" : "inc", "v")});
      T.Cols = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}};
      break;
    case 10:
      // Means of a column of codes that is also a row's condition, beside means of an amount
      // in the same table.
      T.Rows = {{T.Resp("sc", "neg"), T.Resp("scm", "v")},
                {T.Resp("sc", "pos"), T.Resp("scm", "v")},
                {T.Resp("scm", "v")},
                {T.Resp("edu", "low"), T.Resp("inc", "v")},
                {T.Resp("edu", "mid"), T.Resp("scm", "v")}};
      T.Cols = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}};
      break;
    case 8:
      T.Rows = {{T.Resp("anym", "ab")}, {T.Resp("anym", "bc")}, {T.Group("anym = bc or sc = neg")}};
      T.Cols = {{T.Resp("reg", "north")}, {T.Group("not anym = ab")}};
      break;
    default:
      T.Rows = {{T.Grid(0, "x"), T.Grid(1, "r1")}, {T.Grid(0, "y"), T.Grid(1, "r2")}};
      T.Cols = {{T.Resp("reg", "north")}, {T.Resp("reg", "south")}};
  }
  if (C.Totals) {
    T.Rows.push_back({T.Margins()});
    T.Cols.push_back({T.Margins()});
  }
  if (C.Layer) T.Layer = {T.Resp("media", "a")};
  if (C.LayerGroup) T.Layer = {T.Group(C.LayerGroup)};
  T.SPar->ExcludeSysMis = C.Excl;
  if (C.Unweighted) T.Weight = nullptr;
  T.Build(T.Stat(C.Stat));
}

void ExpectNear(double A, double B, const char* What) {
  if (A == B) return;
  EXPECT_LE(std::fabs(A - B), 1e-12 * std::max(std::fabs(A), std::fabs(B))) << What;
}

void ExpectSame(TPelRes& X, TPelRes& Y) {
  EXPECT_EQ(X.NoData, Y.NoData);
  EXPECT_EQ(X.Empty, Y.Empty);
  EXPECT_EQ(X.NotDefined, Y.NotDefined);
  EXPECT_EQ(X.BaseDiff, Y.BaseDiff);
  ExpectNear(X.Value, Y.Value, "Value");
  ExpectNear(X.Variance, Y.Variance, "Variance");
  ExpectNear(X.BaseA, Y.BaseA, "BaseA");
  ExpectNear(X.BaseW, Y.BaseW, "BaseW");
  ExpectNear(X.LayerW, Y.LayerW, "LayerW");
  ExpectNear(X.LayerA, Y.LayerA, "LayerA");
  ExpectNear(X.RowBaseA, Y.RowBaseA, "RowBaseA");
  ExpectNear(X.RowBaseW, Y.RowBaseW, "RowBaseW");
  ExpectNear(X.ColBaseA, Y.ColBaseA, "ColBaseA");
  ExpectNear(X.ColBaseW, Y.ColBaseW, "ColBaseW");
  ExpectNear(X.CellA, Y.CellA, "CellA");
  ExpectNear(X.CellW, Y.CellW, "CellW");
  EXPECT_EQ(X.SigMark, Y.SigMark);
}

const std::vector<TCase>& Cases() {
  static const std::vector<TCase> C = [] {
    std::vector<TCase> V;
    for (const char* S : {"cntW", "cntA", "pctLayer", "pctRow", "pctCol", "est", "index"})
      for (int Flags = 0; Flags < 8; ++Flags)
        V.push_back({S, S, (Flags & 1) != 0, (Flags & 2) != 0, (Flags & 4) != 0, 0});
    for (const char* S : {"meanCol", "varCol", "stdDevCol", "sumCol", "shareRow"})
      for (int Flags = 0; Flags < 4; ++Flags)
        V.push_back({S, S, (Flags & 1) != 0, (Flags & 2) != 0, false, 1});
    for (const char* S : {"meanRow", "varRow", "sumRow", "shareCol"})
      V.push_back({S, S, true, false, true, 2});
    V.push_back({"media pctCol", "pctCol", true, true, true, 3});
    V.push_back({"media est unweighted", "est", false, true, true, 3, true});
    V.push_back({"grid pctCol", "pctCol", false, false, false, 4});
    for (const char* S : {"pctCol", "index", "est"})
      V.push_back({S, S, std::string(S) != "est", true, true, 5});
    // Codes that are no whole numbers from 0 to 254, answers over several columns, values of
    // more kinds than a byte holds, and target groups as layers.
    for (const char* S : {"cntW", "pctRow", "pctCol", "index"})
      for (int Flags = 0; Flags < 4; ++Flags)
        V.push_back({S, S, (Flags & 1) != 0, (Flags & 2) != 0, true, 6});
    for (const char* S : {"meanCol", "varCol", "shareRow"})
      for (int Flags = 0; Flags < 2; ++Flags) {
        V.push_back({S, S, Flags != 0, true, false, 7});
        V.push_back({S, S, Flags != 0, false, true, 9});
      }
    for (const char* S : {"cntA", "pctCol", "pctLayer", "est"})
      V.push_back({S, S, std::string(S) != "est", false, true, 8});
    for (const char* S : {"meanCol", "varCol", "stdDevCol", "shareRow"})
      for (int Flags = 0; Flags < 2; ++Flags) V.push_back({S, S, Flags != 0, Flags != 0, true, 10});
    V.push_back({"five conditions as the layer", "pctCol", true, false, true, 0, false,
                 "edu in [low, mid] and reg = north and not media = a and sc = pos and "
                 "anym = ab"});
    V.push_back(
        {"a layer over several columns", "meanCol", false, false, false, 7, false, "anym = bc"});
    return V;
  }();
  return C;
}

class TableCalc : public testing::TestWithParam<int> {};

// Both computations of every case over the given data; the number of cells the table
// computation handed to the per-cell computation.
void Compare(const TCalcData& D, const TCase& C) {
  TEnglishSession English;
  TOpened<> Opened{CalcSurveyBytes(D)};
  TPelSurvey& S = *Opened.Survey;
  TCalcTable Each(S), Table(S);
  Shape(Each, C);
  Shape(Table, C);
  for (TCalcTable* T : {&Each, &Table}) {
    T->SPar->SigPct = true;
    T->SPar->SigMeans = true;
    T->SPar->SigLevel = 0.9;
  }
  Each.CalculateEach();
  // One cell a pass, found key by key.
  TCalcTable Narrow(S);
  Shape(Narrow, C);
  Narrow.CalculateTable(1);
  const int64_t OneByOne = Table.CalculateTable();
  Each.TestSignificance();
  Table.TestSignificance();
  // Grid questions, and estimates whose base loses excluded missing answers, are computed
  // one by one.
  const bool Apart = C.Shape == 4 || (std::string(C.Stat) == "est" && C.Excl);
  EXPECT_EQ(OneByOne, Apart ? static_cast<int64_t>(Table.Cells.size()) : 0);
  for (size_t I = 0; I < Each.Cells.size(); ++I) {
    SCOPED_TRACE(I);
    ExpectSame(*Each.Cells[I], *Table.Cells[I]);
    Narrow.Cells[I]->SigMark = Each.Cells[I]->SigMark;
    ExpectSame(*Each.Cells[I], *Narrow.Cells[I]);
  }
}

TEST_P(TableCalc, EqualsThePerCellComputationOnTheFixture) {
  const TCase& C = Cases()[static_cast<size_t>(GetParam())];
  SCOPED_TRACE(C.Name);
  Compare(TCalcData(), C);
}

TEST_P(TableCalc, EqualsThePerCellComputationOnRandomData) {
  const TCase& C = Cases()[static_cast<size_t>(GetParam())];
  SCOPED_TRACE(C.Name);
  Compare(RandomCalcData(1500, 17u + static_cast<unsigned>(GetParam())), C);
}

INSTANTIATE_TEST_SUITE_P(Cases, TableCalc, testing::Range(0, static_cast<int>(Cases().size())));

// The masks of conditions stay with the survey file's column store while some session has the
// file open: a session that closed the survey and opened it again computes its tables from the
// masks made before, with the same results as the per-cell computation.
TEST(TableCalcMasks, MasksMadeBeforeServeASurveyClosedAndOpenedAgain) {
  TEnglishSession English;
  test::TTempFolder Folder;
  const std::string File = Folder.File("masks.zos");
  {
    std::ofstream Out(File, std::ios::binary);
    Out << CalcSurveyBytes(RandomCalcData(900, 5));
  }
  auto Open = [&] {
    auto S = New<TPelSurvey>(File, 1);
    S->LoadFromFile(File);
    return S;
  };
  const TCase C{"groups", "pctCol", true,  false,
                true,     8,        false, "not edu = low or anym = bc and reg = north"};
  auto Keep = Open();  // another session with the file open
  {
    TCalcTable T(*Keep);
    Shape(T, C);
    T.CalculateTable();
  }
  const int64_t Masks = Keep->ColumnStore->MasksMade();
  EXPECT_GE(Masks, 4);  // the layer, two target groups and a condition over two columns
  auto Again = [&] {
    auto S = Open();
    TCalcTable Each(*S), Table(*S);
    Shape(Each, C);
    Shape(Table, C);
    Each.CalculateEach();
    EXPECT_EQ(Table.CalculateTable(), 0);
    for (size_t I = 0; I < Each.Cells.size(); ++I) {
      SCOPED_TRACE(I);
      ExpectSame(*Each.Cells[I], *Table.Cells[I]);
    }
    EXPECT_EQ(S->ColumnStore, Keep->ColumnStore);
  };
  Again();
  Again();
  EXPECT_EQ(Keep->ColumnStore->MasksMade(), Masks);
}

}  // namespace
}  // namespace quin
