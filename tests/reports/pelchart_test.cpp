// The chart element's block: its keys, its addresses linked to the table's parameters, and the
// template text kept as it was read.
#include "reports/pelchart.h"

#include <gtest/gtest.h>

#include "tests/reports/table_fixture.h"

namespace quin::test {
namespace {

const char* const kGUID = "\"{0F6A2B1C-3D4E-4F50-8A9B-0C1D2E3F4A5B}\"";

std::string ChartReport(const std::string& ChartKeys) {
  return ReportWith(
      "  def analysis\r\n"
      "    def parameters\r\n"
      "      def varList list = edu; end;\r\n"
      "      def statList list = cntW; end;\r\n"
      "      def waveList def subpar GUID = " +
      std::string(kGUID) +
      "; list = w1; end; def subpar list = w2; end; end;\r\n"
      "    end;\r\n"
      "    dataBasedOn = resp; weight = wgt;\r\n"
      "    def table\r\n"
      "      rowParams = 0; colParams = 2; layerParams = 1;\r\n"
      "      def chart\r\n" +
      ChartKeys + "      end;\r\n    end;\r\n  end;\r\n");
}

TEST(ChartBlock, KeysAddressesAndTemplateReadBackAsWritten) {
  TTableSurvey F;
  const std::string Keys =
      "        title = \"Readers\";\r\n"
      "        selection = 1, 2;\r\n"
      "        seriesIn = columns;\r\n"
      "        def colChartDataInfo\r\n"
      "          def chartDataInfo\r\n"
      "            def dataInfoWaves parSubGUID = " +
      std::string(kGUID) +
      "; waveList = w1; end;\r\n"
      "            object <<\r\n"
      "              object Series1: TBarSeries\r\n"
      "                SeriesColor = clRed\r\n"
      "              end\r\n"
      "            >>;\r\n"
      "          end;\r\n"
      "        end;\r\n"
      "        object <<\r\n"
      "          object Chart1: TChart\r\n"
      "            Title.Text.Strings = ('Readers >>>> all')\r\n"
      "          end\r\n"
      "        >>;\r\n";
  F.Read(ChartReport(Keys));
  for (int I = 0; I < F.Msgs.Count(); ++I) ADD_FAILURE() << MsgAt(F.Msgs, I);
  TPelRepElemTable& T = *As<TPelRepElemTable>(F.Analysis().Child(0));
  ASSERT_EQ(T.ChildCount(), 1);
  const auto* C = As<TPelRepElemChart>(T.Child(0));
  ASSERT_NE(C, nullptr);
  EXPECT_EQ(C->GetTable(), &T);
  EXPECT_EQ(C->Title, "Readers");
  EXPECT_EQ(C->SeriesIn, 1);
  EXPECT_EQ(C->Template,
            "object Chart1: TChart\r\n  Title.Text.Strings = ('Readers >> all')\r\nend");
  ASSERT_EQ(C->ColChartDataInfo->Count(), 1);
  EXPECT_TRUE(C->RowChartDataInfo->Empty());
  // The address's element belongs to the waves parameter on the table's columns.
  const TPelResElem* E = C->ColChartDataInfo->GetItem(0)->Elems.GetItem(0);
  EXPECT_EQ(E->Par, T.ColParams->GetItem(0));
  EXPECT_TRUE(C->ColChartDataInfo->GetItem(0)->HasSeries);
  EXPECT_EQ(C->GetFullCaption(), "Analysis - Readers");
  EXPECT_EQ(C->GetIdentPath(false), "A1T1_Chart1");
  // Written and read again: the same text.
  const std::string Text = ReportText(*F.Report);
  F.Read(Text);
  EXPECT_EQ(F.Msgs.Count(), 0) << MsgAt(F.Msgs, 0);
  EXPECT_EQ(ReportText(*F.Report), Text);
  EXPECT_NE(Text.find("seriesIn = columns;"), std::string::npos);
}

TEST(ChartBlock, UnknownValuesAreReportedAndSkipped) {
  TTableSurvey F;
  F.Read(
      ChartReport("        seriesIn = diagonal;\r\n        shape = round;\r\n"
                  "        def legend end;\r\n"));
  ASSERT_EQ(F.Msgs.Count(), 3);
  for (int I = 0; I < 3; ++I) EXPECT_EQ(MsgAt(F.Msgs, I).substr(0, 24), "TRixMsgError_UnknownKey@");
  const auto* C = As<TPelRepElemChart>(F.Analysis().Child(0)->Child(0));
  ASSERT_NE(C, nullptr);
  EXPECT_EQ(C->SeriesIn, 0);
}

// Education by region with row percentages, wave 1: nobody has no education, so that row holds
// only "--".
std::string SelectionReport(const std::string& ChartBlocks) {
  return TableReport(
      "      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n"
      "      def chart\r\n" +
          ChartBlocks + "      end;\r\n",
      "pctRow");
}

std::vector<std::string> Labels(const TPelRepElemTable& T, const std::vector<TPelChartLine>& L,
                                bool Cols) {
  std::vector<std::string> S;
  for (const TPelChartLine& X : L)
    S.push_back(Cols ? T.ColHeaderPath(X.Line) : T.RowHeaderPath(X.Line));
  return S;
}

TEST(ChartLines, EveryLineWithARealValueWithoutAddresses) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(SelectionReport(""));
  T.Calculate();
  auto* C = As<TPelRepElemChart>(T.Child(0));
  std::vector<TPelChartLine> Cols, Rows;
  EXPECT_TRUE(C->SelectLines(Cols, Rows));
  EXPECT_EQ(Labels(T, Cols, true), (std::vector<std::string>{"Region: North", "Region: South"}));
  EXPECT_EQ(Labels(T, Rows, false), (std::vector<std::string>{"Low", "Middle", "High & <b>"}));
  EXPECT_TRUE(C->HasContent());
}

TEST(ChartLines, AddressesChooseTheirLinesExactlyOrAtMappedPositions) {
  TTableSurvey F;
  const std::string South =
      "        def colChartDataInfo def chartDataInfo\r\n"
      "          def dataInfoQuestion question = reg; response = south; end; end; end;\r\n";
  TPelRepElemTable& T = F.Read(SelectionReport(South));
  T.Calculate();
  auto* C = As<TPelRepElemChart>(T.Child(0));
  std::vector<TPelChartLine> Cols, Rows;
  ASSERT_TRUE(C->SelectLines(Cols, Rows));
  EXPECT_EQ(Labels(T, Cols, true), (std::vector<std::string>{"Region: South"}));
  EXPECT_EQ(Cols[0].Info, C->ColChartDataInfo->GetItem(0));
  // South has low and high education in wave 1, no middle.
  EXPECT_EQ(Labels(T, Rows, false), (std::vector<std::string>{"Low", "Middle", "High & <b>"}));
  // An address of a response the axis no longer has: no line matches, nothing is shown.
  TPelRepElemTable& U = F.Read(SelectionReport(
      "        def colChartDataInfo def chartDataInfo\r\n"
      "          def dataInfoQuestion question = edu; response = none; end; end; end;\r\n"));
  U.Calculate();
  EXPECT_FALSE(As<TPelRepElemChart>(U.Child(0))->HasContent());
}

}  // namespace
}  // namespace quin::test
