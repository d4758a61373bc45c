// Sorting a table by its sort keys: rows stay within their outer header item, labels sort as
// texts, columns sort by a row, and a key that cannot be located is kept but not applied.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "analysis/pelres.h"
#include "analysis/pelsortparams.h"
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
