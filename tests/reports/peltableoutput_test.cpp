// What leaves a calculated table: hidden empty lines, significance marks and neighbours (never
// across an outer group), the HTML table and the tab-separated text form.
#include <gtest/gtest.h>

#include "analysis/pelres.h"
#include "base/orvstrings.h"
#include "tests/reports/table_fixture.h"

namespace quin::test {
namespace {

int CountOf(const std::string& Text, const std::string& Part) {
  int N = 0;
  for (size_t At = Text.find(Part); At != std::string::npos; At = Text.find(Part, At + 1)) ++N;
  return N;
}

std::string EduByRegion(const std::string& StatOptions = "",
                        const std::string& Stats = "cntW, pctCol") {
  return TableReport("      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n", Stats,
                     StatOptions);
}

TEST(TableOutput, EmptyLinesAreHiddenAndTheRestStays) {
  TTableSurvey F;
  // Mode 1 hides lines without a base (a row percentage's base is its row), mode 2 lines
  // without a value.
  for (const auto& [Mode, Stat] :
       {std::pair{" hideRowsCols = 1;", "pctRow"}, std::pair{" hideRowsCols = 2;", "cntW"}}) {
    SCOPED_TRACE(Mode);
    TPelRepElemTable& T = F.Read(EduByRegion(Mode, Stat));
    T.Calculate();
    T.FillCoordinates();
    // Nobody has no education: that row goes, the title row stays.
    EXPECT_EQ(T.VisibleRowCount(), T.RowCount - 1);
    EXPECT_TRUE(T.RowHidden[static_cast<size_t>(T.RowCount - 1)]);
    EXPECT_EQ(T.GetCellText(1, T.FirstDataRow), "Education");
    const std::string Html = T.RenderHtmlText();
    EXPECT_EQ(CountOf(Html, "<tr>"), T.RowCount - 1);
    // Row numbers belong to grid rows: the hidden row's number is missing.
    EXPECT_EQ(CountOf(Html, "&nbsp;" + std::to_string(T.RowCount - 1) + "&nbsp;"), 0);
    EXPECT_EQ(CountOf(Html, "&nbsp;" + std::to_string(T.RowCount - 2) + "&nbsp;"), 1);
    // Visible position 0 stays the coordinate row.
    EXPECT_EQ(T.GetCellText(1, 0), "A");
  }
  // Without the switch nothing is hidden; when every line would go, none does.
  TPelRepElemTable& T = F.Read(EduByRegion(" hideRowsCols = 2;"));
  T.Calculate();
  for (int C = 1; C < T.ColCount; ++C)
    for (int R = 1; R < T.RowCount; ++R)
      if (TPelRes* Cell = T.CellAt(C, R)) Cell->Value = 0;
  T.RowHidden.assign(static_cast<size_t>(T.RowCount), 0);
  T.ColHidden.assign(static_cast<size_t>(T.ColCount), 0);
  T.HideEmptyLines();
  EXPECT_EQ(T.VisibleRowCount(), T.RowCount);
  EXPECT_EQ(T.VisibleColCount(), T.ColCount);
  TPelRepElemTable& U = F.Read(EduByRegion());
  U.Calculate();
  EXPECT_EQ(U.VisibleRowCount(), U.RowCount);
}

TEST(TableOutput, NeighboursAreCellsOfTheSameStatistic) {
  TTableSurvey F;
  // Region and statistic on the columns: North cntW, North pctCol, South cntW, South pctCol.
  TPelRepElemTable& T =
      F.Read(TableReport("      rowParams = 0; colParams = 1, 2; layerParams = 3;\r\n"));
  T.Calculate();
  const int A = T.FirstDataCol + 1, B = T.FirstDataRow + 1;  // North pctCol, low education
  TPelNeighbour N = T.FindNeighbourCell(A, B, 0, 1);
  EXPECT_EQ(N.A, A + 2);  // South's pctCol, past South's count
  EXPECT_EQ(N.B, B);
  EXPECT_EQ(N.Cell, T.GetCellObject(A + 2, B));
  EXPECT_EQ(T.FindNeighbourCell(A + 2, B, 0, 1).Cell, nullptr);  // the table's edge
  N = T.FindNeighbourCell(A, B, 1, 0);
  EXPECT_EQ(N.B, B + 1);
  EXPECT_EQ(T.FindNeighbourCell(A, B, 0, 0).Cell, T.GetCellObject(A, B));
  EXPECT_EQ(T.FindNeighbourCell(0, 0, 0, 1).Cell, nullptr);  // no cell to start from
}

TEST(TableOutput, TheRowAboveIsNoNeighbourAcrossAnOuterGroup) {
  TTableSurvey F;
  // Region by education on the rows: rows of the two regions are never compared.
  TPelRepElemTable& T =
      F.Read(TableReport("      rowParams = 1, 0; colParams = 2; layerParams = 3;\r\n", "cntW"));
  T.Calculate();
  const int A = T.FirstDataCol;
  const int NorthNone = T.FirstDataRow + 5, SouthLow = T.FirstDataRow + 7;
  ASSERT_EQ(T.GetCellText(2, NorthNone), "None");
  ASSERT_EQ(T.GetCellText(1, SouthLow - 1), "South");
  ASSERT_EQ(T.GetCellText(2, SouthLow), "Low");
  // Within a region the row above (past the title row) and below are neighbours.
  TPelNeighbour N = T.FindNeighbourCell(A, SouthLow + 1, -1, 0);
  EXPECT_EQ(N.B, SouthLow);
  EXPECT_EQ(N.Cell, T.GetCellObject(A, SouthLow));
  EXPECT_EQ(T.FindNeighbourCell(A, NorthNone - 1, 1, 0).Cell, T.GetCellObject(A, NorthNone));
  // The first row of a region has no row above it, the last none below it.
  EXPECT_EQ(T.FindNeighbourCell(A, SouthLow, -1, 0).Cell, nullptr);
  EXPECT_EQ(T.FindNeighbourCell(A, NorthNone, 1, 0).Cell, nullptr);
}

TEST(TableOutput, HtmlCarriesEscapedTextsAndOneImagePerResultWithTests) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(EduByRegion(" sigPct = 1;"));
  T.Calculate();
  T.FillCoordinates();
  std::vector<std::string> Lines;
  T.RenderHtml(Lines);
  ASSERT_FALSE(Lines.empty());
  EXPECT_EQ(Lines.front(),
            "<table class=main border=0 cellspacing=0 cellpadding=2 bgcolor=#FFFFFF>");
  EXPECT_EQ(Lines.back(), "</table>");
  int Results = 0;
  for (const std::string& L : Lines) {
    if (L.find("align = \"right\"") == std::string::npos) continue;
    ++Results;
    EXPECT_EQ(CountOf(L, "<img"), 1) << L;
    EXPECT_EQ(CountOf(L, "UpGreen.gif") + CountOf(L, "DownRed.gif") + CountOf(L, "SpaceUpDown.gif"),
              1);
  }
  EXPECT_EQ(Results, 2 * 4);
  const std::string Html = T.RenderHtmlText();
  EXPECT_NE(Html.find("&nbsp;High &amp; &lt;b&gt;</td>"), std::string::npos);
  EXPECT_EQ(Html.find("<b>\""), std::string::npos);
  // A marked cell shows its direction.
  for (int C = T.FirstDataCol; C < T.ColCount; ++C)
    for (int R = T.FirstDataRow; R < T.RowCount; ++R)
      if (TPelRes* Cell = T.CellAt(C, R)) Cell->SigMark = 1;
  EXPECT_EQ(CountOf(T.RenderHtmlText(), "UpGreen.gif"), 8);
  // Without tests no image at all.
  TPelRepElemTable& U = F.Read(EduByRegion());
  U.Calculate();
  EXPECT_EQ(CountOf(U.RenderHtmlText(), "<img"), 0);
}

TEST(TableOutput, BaseRowsShowOnlyWhereBasesDifferWhenAsked) {
  TTableSurvey F;
  for (int BaseDiff : {0, 1}) {
    SCOPED_TRACE(BaseDiff);
    // Base rows (the actual base) under the results of each education; no answer is missing,
    // so no base differs.
    TPelRepElemTable& T =
        F.Read(ReportWith("  def analysis\r\n"
                          "    def parameters\r\n"
                          "      def varList list = edu; end;\r\n"
                          "      def varList list = reg; end;\r\n"
                          "      def statList list = pctCol; end;\r\n"
                          "      def base list = result, baseA; show = 1, 1; baseDiff = " +
                          std::to_string(BaseDiff) +
                          "; end;\r\n"
                          "    end;\r\n"
                          "    dataBasedOn = resp; weight = wgt;\r\n"
                          "    def table rowParams = 0, 3; colParams = 1; layerParams = 2; end;\r\n"
                          "  end;\r\n"));
    ASSERT_EQ(F.Msgs.Count(), 0) << MsgAt(F.Msgs, 0);
    T.Calculate();
    int BaseCells = 0;
    for (int B = T.FirstDataRow; B < T.VisibleRowCount(); ++B)
      for (int A = T.FirstDataCol; A < T.VisibleColCount(); ++A)
        if (const TPelRes* Cell = As<TPelRes>(T.GetCellObject(A, B)); Cell && Cell->BaseKind) {
          ++BaseCells;
          EXPECT_EQ(T.GetCellText(A, B).empty(), BaseDiff == 1) << A << " " << B;
          EXPECT_EQ(T.CellFontColor(A, B), kPelBaseFontColor);
        }
    EXPECT_EQ(BaseCells, 4 * 2);
    EXPECT_EQ(CountOf(T.RenderHtmlText(), "class=base"), 8);
  }
}

TEST(TableOutput, ColumnLetters) {
  const std::pair<int, const char*> Cases[] = {{1, "A"},   {26, "Z"},   {27, "AA"},  {52, "AZ"},
                                               {53, "BA"}, {702, "ZZ"}, {703, "AAA"}};
  for (const auto& [N, L] : Cases) EXPECT_EQ(PelColumnLetters(N), L) << N;
}

TEST(TableOutput, TextFormIsTabSeparatedWithHeaders) {
  TTableSurvey F;
  TPelRepElemTable& T =
      F.Read(TableReport("      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n", "cntW"));
  T.Calculate();
  std::vector<std::string> Lines;
  T.AppendTextLines(Lines, false, 0);
  ASSERT_EQ(Lines.size(), 1u);
  // Wave 1: north low 1, middle 2; south low 0.5, high 1 (raw values).
  EXPECT_EQ(Lines[0].substr(0, Lines[0].find("Comments")),
            "Analysis - Table 1\r\n\r\n"
            "\tRegion\t\r\n"
            "\tNorth\tSouth\r\n"
            "Education\t\t\r\n"
            "Low\t1\t0.5\r\n"
            "Middle\t2\t0\r\n"
            "High & <b>\t0\t1\r\n"
            "None\t0\t0\r\n\r\n");
  // Without row headers the header lines start without tabs.
  TPelRepElemTable& U =
      F.Read(TableReport("      rowParams = NULL; colParams = 1; layerParams = 2, 3;\r\n", "cntW"));
  U.Calculate();
  Lines.clear();
  U.AppendTextLines(Lines, false, 0);
  EXPECT_EQ(Lines[0].substr(0, Lines[0].find("Comments")),
            "Analysis - Table 1\r\n\r\nRegion\t\r\nNorth\tSouth\r\n3\t1.5\r\n\r\n");
}

}  // namespace
}  // namespace quin::test
