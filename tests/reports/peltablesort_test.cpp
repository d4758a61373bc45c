// Sorting a table by its sort keys: rows stay within their outer header item, "!DEF" cells sort
// behind the numbers, the first of two keys decides, labels sort as texts (an outer header
// moving its blocks whole), columns sort by a row, and a key that cannot be located is kept but
// not applied.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "analysis/pelres.h"
#include "analysis/pelsortparams.h"
#include "surveykit/gimstat.h"
#include "tests/reports/table_fixture.h"

namespace quin::test {
namespace {

const char* const kEdu[] = {"Low", "Middle", "High & <b>", "None"};

// The row labels of the education column, in visible order, from the first data row.
std::vector<std::string> EduLabels(const TPelRepElemTable& T, int Col) {
  std::vector<std::string> L;
  for (int B = T.FirstDataRow; B < T.VisibleRowCount(); ++B) L.push_back(T.GetCellText(Col, B));
  return L;
}

// Region by education on the rows, the weighted count, wave 1.
std::string RegionThenEdu() {
  return TableReport("      rowParams = 1, 0; colParams = 2; layerParams = 3;\r\n", "cntW");
}

TEST(TableSort, RowsSortByADataColumnWithinTheirOuterItem) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(RegionThenEdu());
  T.Calculate();
  ASSERT_NE(T.NewSortKey(1, T.FirstDataCol, 2), nullptr);
  T.ApplySort();
  // Expected: per region, the educations by falling weight, ties in their order.
  std::vector<std::string> Expected{"Region"};
  for (int Reg : {1, 2}) {
    Expected.emplace_back("");  // the region's row holds the education title
    std::vector<int> Order{0, 1, 2, 3};
    auto W = [&](int E) {
      return WeightOf(
          [&](const TTableRecord& R) { return R.Wave == 1 && R.Reg == Reg && R.Edu == E + 1; });
    };
    std::stable_sort(Order.begin(), Order.end(), [&](int A, int B) { return W(A) > W(B); });
    for (int E : Order) Expected.emplace_back(kEdu[E]);
  }
  std::vector<std::string> Got = EduLabels(T, 2);
  Got[0] = T.GetCellText(1, T.FirstDataRow);
  Expected[1] = Expected[6] = "Education";
  EXPECT_EQ(Got, Expected);
  // The region labels stay over their blocks.
  const std::string Html = T.RenderHtmlText();
  EXPECT_NE(Html.find("rowspan = \"5\">&nbsp;North"), std::string::npos);
  EXPECT_NE(Html.find("rowspan = \"5\">&nbsp;South"), std::string::npos);
}

// The weighted count of wave 1 in region Reg (1 north, 2 south) with education Edu (1 to 4).
double Wave1(int Reg, int Edu) {
  return WeightOf(
      [&](const TTableRecord& R) { return R.Wave == 1 && R.Reg == Reg && R.Edu == Edu; });
}

TEST(TableSort, ACellThatCannotBeComputedSortsBehindTheNumbersInBothDirections) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(RegionThenEdu());
  T.Calculate();
  // Nobody in the north has no education; say that cell cannot be computed: "!DEF".
  const int Col = T.FirstDataCol;
  const int NoneNorth = T.FirstDataRow + 5;
  ASSERT_EQ(T.GetCellText(2, NoneNorth), "None");
  ASSERT_NE(T.CellAt(Col, NoneNorth), nullptr);
  T.CellAt(Col, NoneNorth)->Value = GimValueNotDefined;
  for (int Order : {1, 2}) {
    SCOPED_TRACE(Order);
    T.SortParams->ColSorts.Clear();
    ASSERT_NE(T.NewSortKey(1, Col, Order), nullptr);
    T.ApplySort();
    // The other educations by their counts (all different), then the "!DEF" one.
    std::vector<int> Others{1, 2, 3};
    std::sort(Others.begin(), Others.end(), [&](int A, int B) {
      return Order == 1 ? Wave1(1, A) < Wave1(1, B) : Wave1(1, A) > Wave1(1, B);
    });
    std::vector<std::string> Expected;
    for (int E : Others) Expected.emplace_back(kEdu[E - 1]);
    Expected.emplace_back("None");
    const std::vector<std::string> Got = EduLabels(T, 2);
    EXPECT_EQ(std::vector<std::string>(Got.begin() + 2, Got.begin() + 6), Expected);
  }
}

TEST(TableSort, OfTwoKeysTheFirstDecidesAndTheSecondBreaksItsTies) {
  TTableSurvey F;
  // Educations on the columns, ordered by the north's row, then by the south's.
  TPelRepElemTable& T =
      F.Read(TableReport("      rowParams = 1; colParams = 0; layerParams = 2, 3;\r\n", "cntW"));
  T.Calculate();
  const int North = T.FirstDataRow + 1, South = T.FirstDataRow + 2;
  ASSERT_EQ(T.GetCellText(1, North), "North");
  ASSERT_EQ(T.GetCellText(1, South), "South");
  ASSERT_NE(T.NewSortKey(2, North, 1), nullptr);
  ASSERT_NE(T.NewSortKey(2, South, 1), nullptr);
  T.ApplySort();
  std::vector<int> Order{1, 2, 3, 4};
  std::stable_sort(Order.begin(), Order.end(), [](int A, int B) {
    return std::pair(Wave1(1, A), Wave1(2, A)) < std::pair(Wave1(1, B), Wave1(2, B));
  });
  std::vector<std::string> Expected, Got;
  for (int E : Order) Expected.emplace_back(kEdu[E - 1]);
  for (int C = T.FirstDataCol; C < T.VisibleColCount(); ++C) Got.push_back(T.GetCellText(C, 2));
  EXPECT_EQ(Got, Expected);
  // The values moved with their labels.
  for (int C = T.FirstDataCol; C < T.VisibleColCount(); ++C) {
    const int E = Order[static_cast<size_t>(C - T.FirstDataCol)];
    EXPECT_EQ(T.GetCellValue(C, North), Wave1(1, E)) << kEdu[E - 1];
    EXPECT_EQ(T.GetCellValue(C, South), Wave1(2, E)) << kEdu[E - 1];
  }
}

TEST(TableSort, SortingByTheOuterHeaderMovesItsBlocksWhole) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(RegionThenEdu());
  T.Calculate();
  ASSERT_NE(T.NewSortKey(1, 1, 2), nullptr);  // the region's header column, descending
  T.ApplySort();
  // South's block first, then North's: each with its title row, its educations in their
  // order and their counts.
  const int Col = T.FirstDataCol;
  int Row = T.FirstDataRow + 1;
  for (int Reg : {2, 1}) {
    SCOPED_TRACE(Reg);
    EXPECT_EQ(T.GetCellText(1, Row), Reg == 1 ? "North" : "South");
    EXPECT_EQ(T.GetCellText(2, Row), "Education");
    for (int E = 1; E <= 4; ++E) {
      EXPECT_EQ(T.GetCellText(2, Row + E), kEdu[E - 1]);
      EXPECT_EQ(T.GetCellValue(Col, Row + E), Wave1(Reg, E)) << kEdu[E - 1];
    }
    Row += 5;
  }
}

TEST(TableSort, LabelsSortAsTexts) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(RegionThenEdu());
  T.Calculate();
  T.NewSortKey(1, 2, 1);  // the education's header column, ascending
  T.ApplySort();
  const std::vector<std::string> Got = EduLabels(T, 2);
  const std::vector<std::string> Block{"High & <b>", "Low", "Middle", "None"};
  EXPECT_EQ(std::vector<std::string>(Got.begin() + 2, Got.begin() + 6), Block);
  EXPECT_EQ(std::vector<std::string>(Got.begin() + 7, Got.begin() + 11), Block);
}

TEST(TableSort, ColumnsSortByARowAndTheirLabelFollows) {
  TTableSurvey F;
  TPelRepElemTable& T =
      F.Read(TableReport("      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n", "cntW"));
  T.Calculate();
  const int LowRow = T.FirstDataRow + 1;
  T.NewSortKey(2, LowRow, 1);  // ascending by the low education's row
  T.ApplySort();
  // Wave 1, low education: North 1, South 0.5.
  EXPECT_EQ(T.GetCellText(T.FirstDataCol, 2), "South");
  EXPECT_EQ(T.GetCellText(T.FirstDataCol + 1, 2), "North");
  EXPECT_EQ(T.GetCellText(T.FirstDataCol, 1), "Region");
  EXPECT_EQ(T.GetCellText(T.FirstDataCol + 1, 1), "");
  EXPECT_EQ(T.GetCellValue(T.FirstDataCol, LowRow), 0.5);
}

TEST(TableSort, AKeyOffTheAxisIsKeptButNotApplied) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(TableReport(
      "      rowParams = 0; colParams = 2; layerParams = 3;\r\n"
      "      def colSortDataInfo def sortDataInfo sortParIndex = 0; sortOrder = descending; end; "
      "end;\r\n",
      "cntW"));
  T.Calculate();
  EXPECT_NE(EduLabels(T, 1),
            (std::vector<std::string>{"Education", "Low", "Middle", "High & <b>", "None"}));
  // The education leaves the rows: the key stays unlocated and the layout order shows.
  TPelPar* Edu = T.RowParams->GetItem(0);
  T.RowParams->Clear();
  T.AddRowPar(F.Analysis().Parameters->GetItem(1), false);
  T.Calculate();
  EXPECT_EQ(EduLabels(T, 1), (std::vector<std::string>{"Region", "North", "South"}));
  ASSERT_EQ(T.SortParams->ColSorts.Count(), 1);
  EXPECT_EQ(T.SortParams->ColSorts.GetItem(0)->Par, Edu);
  EXPECT_NE(ReportText(*F.Report).find("sortParIndex = 0;"), std::string::npos);
  // Without keys the grid keeps its layout order.
  T.SortParams->ColSorts.Clear();
  T.ApplySort();
  for (int B = 0; B < T.VisibleRowCount(); ++B) EXPECT_EQ(T.GridRow(B), B);
}

}  // namespace
}  // namespace quin::test
