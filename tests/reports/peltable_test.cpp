// The pivot table's layout and calculation: bands, header spans, margin lines and title rows,
// and cell values checked against plain weighted sums of the fixture's records.
#include <gtest/gtest.h>

#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "analysis/pelresgeneral.h"
#include "surveykit/gimstat.h"
#include "tests/reports/table_fixture.h"

namespace quin::test {
namespace {

// Education by region and statistic, waves as the layer (item Wave - 1 selected), with totals.
std::string EduByRegion(int Wave) {
  return TableReport(
      "      rowParams = 0; colParams = 1, 2; layerParams = 3;\r\n"
      "      def parSelections def parSelection parIndex = 3; selected = " +
          std::to_string(Wave - 1) + "; end; end;\r\n",
      "cntW, pctCol", " rowMargins = 1; colMargins = 1;");
}

TEST(Table, CellsAndTotalsOfALayerEqualPlainWeightedSums) {
  TTableSurvey F;
  for (int Wave : {1, 2}) {
    SCOPED_TRACE(Wave);
    TPelRepElemTable& T = F.Read(EduByRegion(Wave));
    ASSERT_EQ(F.Msgs.Count(), 0) << MsgAt(F.Msgs, 0);
    T.Calculate();
    auto W = [&](int Edu, int Reg) {
      return WeightOf([&](const TTableRecord& R) {
        return R.Wave == Wave && (Edu == 0 || R.Edu == Edu) && (Reg == 0 || R.Reg == Reg);
      });
    };
    // Columns: the two total columns (cntW, pctCol), then North and South with both.
    const int FirstCol = T.FirstDataCol, FirstRow = T.FirstDataRow;
    for (int Edu = 1; Edu <= 4; ++Edu) {
      const int Row = FirstRow + 2 + (Edu - 1);  // after the total row and the title row
      for (int Reg = 0; Reg <= 2; ++Reg) {
        const int Col = FirstCol + 2 * Reg;
        const TPelRes* Cnt = T.CellAt(Col, Row);
        const TPelRes* Pct = T.CellAt(Col + 1, Row);
        ASSERT_TRUE(Cnt && Pct) << Edu << " " << Reg;
        EXPECT_DOUBLE_EQ(Cnt->Value, W(Edu, Reg)) << Edu << " " << Reg;
        EXPECT_DOUBLE_EQ(Pct->Value, W(Edu, Reg) / W(0, Reg)) << Edu << " " << Reg;
      }
    }
    // The total row counts every education.
    for (int Reg = 0; Reg <= 2; ++Reg)
      EXPECT_DOUBLE_EQ(T.CellAt(FirstCol + 2 * Reg, FirstRow)->Value, W(0, Reg));
    EXPECT_TRUE(T.LayerNKnown);
    EXPECT_DOUBLE_EQ(T.LayerNW, W(0, 0));
    EXPECT_EQ(T.LayerNA, 4);
  }
  // A percentage as the analyst reads it: wave 1, North, middle education: 2 of 3.
  TPelRepElemTable& T = F.Read(EduByRegion(1));
  T.Calculate();
  EXPECT_EQ(T.TextAt(T.FirstDataCol + 3, T.FirstDataRow + 3), "66.7");
}

// Everything a reader of the table sees of its cells.
std::string CellsSnapshot(const TPelRepElemTable& T) {
  std::string S = VisibleTexts(T) + T.RenderHtmlText();
  for (int C = 0; C < T.ColCount; ++C)
    for (int R = 0; R < T.RowCount; ++R) {
      S += std::to_string(T.ValueAt(C, R)) + ";";
      if (const TPelRes* Cell = T.CellAt(C, R))
        S += std::to_string(Cell->Value) + "/" + std::to_string(Cell->BaseW) + "/" +
             std::to_string(Cell->BaseKind) + std::to_string(Cell->NoData) +
             std::to_string(Cell->NotDefined) + std::to_string(Cell->AllElems.Count()) + ";";
    }
  return S;
}

TEST(Table, RecalculatingAfterALayerChangeEqualsAFreshTable) {
  // A recalculation builds its cells in the memory of the previous ones: nothing of the old
  // cells may survive into the new.
  TTableSurvey F;
  std::string Fresh[2];
  for (int Wave : {1, 2}) {
    TPelRepElemTable& T = F.Read(EduByRegion(Wave));
    T.Calculate();
    Fresh[Wave - 1] = CellsSnapshot(T);
  }
  ASSERT_NE(Fresh[0], Fresh[1]);
  TPelRepElemTable& T = F.Read(EduByRegion(1));
  T.Calculate();
  for (int Wave : {2, 1, 2}) {
    SCOPED_TRACE(Wave);
    T.ParSelections->SetSelected(T.LayerParams->GetItem(0), Wave - 1);
    T.Calculate();
    EXPECT_EQ(CellsSnapshot(T), Fresh[Wave - 1]);
    // The South total of the count column, as plain weighted sums give it.
    const double South =
        WeightOf([&](const TTableRecord& R) { return R.Wave == Wave && R.Reg == 2; });
    EXPECT_DOUBLE_EQ(T.CellAt(T.FirstDataCol + 4, T.FirstDataRow)->Value, South);
  }
}

TEST(Table, HeaderBandsSpansTotalsAndTitleRows) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(EduByRegion(1));
  T.Calculate();
  // Header rows: the region's name and responses, then the statistics; one header column.
  EXPECT_EQ(T.FirstDataRow, 4);
  EXPECT_EQ(T.FirstDataCol, 2);
  EXPECT_EQ(T.MarginCols, 2);  // the statistics under "Total"
  EXPECT_EQ(T.MarginRows, 1);
  EXPECT_EQ(T.DataColCount, 4);
  EXPECT_EQ(T.DataRowCount, 5);  // the title row and four responses
  EXPECT_EQ(T.ColCount, 8);
  EXPECT_EQ(T.RowCount, 10);
  T.FillCoordinates();
  EXPECT_EQ(VisibleTexts(T),
            "|A|B|C|D|E|F|G\n"
            "1||Total||Region|||\n"
            "2||CntW|Col %|North||South|\n"
            "3||||CntW|Col %|CntW|Col %\n"
            "4|Total|5  |4  |3  |2  |2  |2  \n"
            "5|Education||||||\n"
            "6|Low|2  |33.3  |1  |33.3  |1  |33.3  \n"
            "7|Middle|2  |44.4  |2  |66.7  |0  |0.0  \n"
            "8|High & <b>|1  |22.2  |0  |0.0  |1  |66.7  \n"
            "9|None|0  |0.0  |0  |0.0  |0  |0.0  \n");
  // The title row holds no cells and spans the table; labels span their inner columns.
  for (int C = T.FirstDataCol; C < T.ColCount; ++C) EXPECT_EQ(T.CellAt(C, 5), nullptr);
  const std::string Html = T.RenderHtmlText();
  EXPECT_NE(Html.find("colspan = \"7\"><b>&nbsp;Education</b>"), std::string::npos);
  EXPECT_NE(Html.find("colspan = \"4\">&nbsp;Region</td>"), std::string::npos);
  EXPECT_NE(Html.find("colspan = \"2\"><b>&nbsp;Total</b>"), std::string::npos);
  // The total column's cells carry the total element and no region among their coordinates.
  const TPelRes* Total = T.CellAt(T.FirstDataCol, 6);
  EXPECT_NE(Total->ColElems.FindByClass(TPelResMargins::StaticClass()), nullptr);
  EXPECT_EQ(Total->ColElems.FindByClass(TPelResVarVal::StaticClass()), nullptr);
  EXPECT_NE(T.CellAt(T.FirstDataCol + 2, 6)->ColElems.FindByClass(TPelResVarVal::StaticClass()),
            nullptr);
  // The header elements of a span are owned by its first cell only.
  EXPECT_TRUE(T.OwnedAt(4, 2));
  EXPECT_FALSE(T.OwnedAt(5, 2));
  EXPECT_EQ(T.ElemAt(4, 2), T.ElemAt(5, 2));
}

TEST(Table, AxesWithoutParametersKeepOneDataLine) {
  TTableSurvey F;
  // No column parameter: one data column, no header row; the statistic as the layer.
  TPelRepElemTable& T =
      F.Read(TableReport("      colParams = NULL; rowParams = 0; layerParams = 2;\r\n"));
  T.Calculate();
  EXPECT_EQ(T.FirstDataRow, 1);
  EXPECT_EQ(T.DataColCount, 1);
  EXPECT_EQ(T.ColCount, 3);
  EXPECT_DOUBLE_EQ(T.CellAt(2, 2)->Value,
                   WeightOf([](const TTableRecord& R) { return R.Edu == 1; }));
  // Nothing on any axis: a single cell of the whole layer.
  TPelRepElemTable& U =
      F.Read(TableReport("      colParams = NULL; rowParams = NULL; layerParams = 2, 3;\r\n"));
  U.Calculate();
  EXPECT_EQ(U.ColCount, 2);
  EXPECT_EQ(U.RowCount, 2);
  EXPECT_DOUBLE_EQ(U.CellAt(1, 1)->Value,
                   WeightOf([](const TTableRecord& R) { return R.Wave == 1; }));
}

TEST(Table, AddingParametersSkipsEmptyOnesAndPositionsBeyondTheList) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(TableReport("      colParams = 1, 9; rowParams = 0, 17;\r\n"));
  EXPECT_EQ(T.ColParams->Count(), 1);
  EXPECT_EQ(T.RowParams->Count(), 1);
  T.AddColPar(nullptr, false);
  auto Empty = New<TPelParStats>(&F.S);
  T.AddColPar(Empty.get(), true);
  EXPECT_EQ(T.ColParams->Count(), 1);
  // "NULL" in any case, and an identifier that is neither.
  F.Read(TableReport("      colParams = null; rowParams = nothing;\r\n"));
  ASSERT_EQ(F.Msgs.Count(), 1);
  EXPECT_EQ(MsgAt(F.Msgs, 0).substr(0, 22), "TRixMsgError_UnknownKe");
}

TEST(Table, AbsurdTablesAreRefusedWithAMessage) {
  TTableSurvey F;
  // Education nested twelve times: 5^12 rows.
  std::string Rows = "0";
  for (int I = 1; I < 12; ++I) Rows += ", 0";
  TPelRepElemTable& T = F.Read(TableReport("      colParams = 1; rowParams = " + Rows + ";\r\n"));
  try {
    T.Calculate();
    FAIL() << "calculated";
  } catch (const EPelTableTooLarge& E) {
    EXPECT_NE(std::string(E.what()).find("too large"), std::string::npos) << E.what();
  }
}

TEST(Table, ASplitGridQuestionCrossesItsAxes) {
  TTableSurvey F;
  // The grid's items on the rows, its ratings on the columns (the response-axis parameter of
  // the split questions parameter), wave 1.
  TPelRepElemTable& T =
      F.Read(ReportWith("  def analysis\r\n"
                        "    def parameters\r\n"
                        "      def varList list = g; splitResponseAxes = 1; end;\r\n"
                        "      def responseAxis id = rate; end;\r\n"
                        "      def statList list = cntW; end;\r\n"
                        "      def waveList def subpar list = w1; end; end;\r\n"
                        "    end;\r\n"
                        "    dataBasedOn = resp; weight = wgt;\r\n"
                        "    def table rowParams = 0; colParams = 1; layerParams = 2, 3; end;\r\n"
                        "  end;\r\n"));
  ASSERT_EQ(F.Msgs.Count(), 0) << MsgAt(F.Msgs, 0);
  T.Calculate();
  for (int Item = 0; Item < 2; ++Item)
    for (int Rate = 1; Rate <= 2; ++Rate) {
      const TPelRes* Cell = T.CellAt(T.FirstDataCol + Rate - 1, T.FirstDataRow + 1 + Item);
      ASSERT_NE(Cell, nullptr);
      EXPECT_DOUBLE_EQ(Cell->Value, WeightOf([&](const TTableRecord& R) {
                         return R.Wave == 1 && (Item == 0 ? R.X : R.Y) == Rate;
                       }))
          << Item << " " << Rate;
    }
}

}  // namespace
}  // namespace quin::test
