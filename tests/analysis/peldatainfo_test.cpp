// Table data infos: the "dataInfo" block and its lists (unknown blocks and keys skipped whole,
// chart series texts kept), and the matching of data infos against cell elements.
#include "analysis/peldatainfo.h"

#include <gtest/gtest.h>

#include "analysis/pelresgroup.h"
#include "group_fixture.h"
#include "par_fixture.h"

namespace quin {
namespace {

using namespace quin::test;

std::string WrittenList(const TPelTableDataInfoList& L) {
  return Written([&](TStream& S) {
    int Indent = 0;
    L.WriteToStream(S, Indent);
  });
}

TEST(DataInfo, UnknownBlocksAndKeysAreSkippedWholeAndReadingGoesOn) {
  TGroupSurvey G;
  TPelChartDataInfoList L("colChartDataInfo");
  auto S = G.Scan(
      "def chartDataInfo\r\n"
      "  def dataInfoBogus x = 1; def inner end; end;\r\n"  // 2
      "  def dataInfoGroup parSubGUID = \"{3991C166-F2A3-4C70-B115-FB13D7491403}\";\r\n"
      "    group = not sex = male; end;\r\n"
      "  stat = pctCol;\r\n"
      "  colour = 5;\r\n"  // 6
      "  def chartDataGroup group = all; end;\r\n"
      "end;\r\n"
      "def other end;\r\n"  // 9
      "bogus;\r\n"          // 10
      "end;\r\n"
      "after");
  L.ReadFromScanner(&G.S, *S);
  EXPECT_EQ(S->Token->GetText(), "after");
  ASSERT_EQ(L.Count(), 1);
  const TPelChartDataInfo* D = L.GetItem(0);
  ASSERT_EQ(D->Elems.Count(), 2);
  EXPECT_EQ(D->Elems.GetItem(0)->Group->ExprText(), "not sex = male");
  EXPECT_EQ(GUIDToString(D->Elems.GetItem(0)->SubParGUID),
            "{3991C166-F2A3-4C70-B115-FB13D7491403}");
  EXPECT_EQ(D->Elems.GetItem(1)->Group->Root, nullptr);
  EXPECT_FALSE(D->HasSeries);
  std::vector<int> Lines;
  for (int I = 0; I < G.Msgs.Count(); ++I) {
    EXPECT_TRUE(G.Msgs.GetItem(I)->IsClass(TRixMsgError_UnknownKey));
    Lines.push_back(G.Msgs.GetItem(I)->Pos.Line);
  }
  EXPECT_EQ(Lines, (std::vector<int>{2, 6, 9, 10}));
  EXPECT_EQ(WrittenList(L),
            "def colChartDataInfo\r\n"
            "  def chartDataInfo\r\n"
            "    def dataInfoGroup\r\n"
            "      parSubGUID = \"{3991C166-F2A3-4C70-B115-FB13D7491403}\";\r\n"
            "      group = not sex = male;\r\n"
            "    end;\r\n"
            "    def dataInfoGroup\r\n"
            "      group = all;\r\n"
            "    end;\r\n"
            "  end;\r\n"
            "end;\r\n");
  EXPECT_EQ(WrittenList(TPelChartDataInfoList("rowChartDataInfo")), "");
}

TEST(DataInfo, ChartSeriesTextsSurviveWritingAndReading) {
  TGroupSurvey G;
  // Runs of one to five ">" inside a line and at its end.
  std::string Series = "object Series1: TBarSeries\r\n";
  for (int N = 1; N <= 5; ++N)
    Series +=
        "  Title = 'a" + std::string(N, '>') + "b'\r\n  Text = 'c" + std::string(N, '>') + "\r\n";
  Series += "end";
  TPelChartDataInfo D;
  D.HasSeries = true;
  D.Series = Series;
  EXPECT_EQ(D.SeriesClassName(), "TBarSeries");
  const std::string Text = Written([&](TStream& S) {
    int Indent = 2;
    D.WriteToStream(S, Indent);
  });
  EXPECT_NE(Text.find("    object <<\r\n      object Series1: TBarSeries\r\n"), std::string::npos);
  EXPECT_NE(Text.find("\r\n      end\r\n    >>;\r\n  end;\r\n"), std::string::npos);
  TPelChartDataInfo Back;
  auto S = G.Scan(Text);
  ASSERT_TRUE(S->ReadDefComplexStart("chartDataInfo"));
  Back.ReadBody(&G.S, *S);
  EXPECT_EQ(G.Msgs.Count(), 0);
  EXPECT_TRUE(Back.HasSeries);
  EXPECT_EQ(Back.Series, Series);
  // "object" with an "=" is read as well.
  TPelChartDataInfo Eq;
  Eq.ReadBody(&G.S, *G.Scan("object = <<\r\n  x\r\n>>; end;"));
  EXPECT_EQ(Eq.Series, "x");
  const std::unique_ptr<TOrvObject> Copy = Back.CreateCopy();
  EXPECT_EQ(static_cast<TPelChartDataInfo&>(*Copy).Series, Series);
}

}  // namespace
}  // namespace quin
