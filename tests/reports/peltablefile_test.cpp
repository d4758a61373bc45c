// The table's block in report files: stored results read back as they were written, and every
// way a stored block can fail to fit the axes makes the table stale instead of wrong.
#include <gtest/gtest.h>

#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "analysis/pelsortparams.h"
#include "base/orvclasses.h"
#include "base/orvstrings.h"
#include "surveykit/gimstat.h"
#include "tests/reports/table_fixture.h"

namespace quin::test {
namespace {

const std::string kKeys =
    "      rowParams = 0; colParams = 1, 2; layerParams = 3;\r\n"
    "      def parSelections def parSelection parIndex = 3; selected = 1; end; end;\r\n";

// The fixture's table calculated and written; the report text.
std::string CalculatedReport(TTableSurvey& F) {
  TPelRepElemTable& T = F.Read(TableReport(kKeys, "cntW, pctCol", " sigPct = 1; rowMargins = 1;"));
  T.Calculate();
  return ReportText(*F.Report);
}

TEST(TableFile, StoredResultsReadBackAsWritten) {
  TTableSurvey F;
  const std::string Text = CalculatedReport(F);
  const TPelRepElemTable& Calculated = *As<TPelRepElemTable>(F.Analysis().Child(0));
  std::vector<double> Values;
  std::vector<std::string> Texts;
  for (int C = 1; C < Calculated.ColCount; ++C)
    for (int R = 1; R < Calculated.RowCount; ++R) {
      Values.push_back(Calculated.ValueAt(C, R));
      Texts.push_back(Calculated.TextAt(C, R));
    }
  const double NW = Calculated.LayerNW;
  const auto Old = std::move(F.Report);

  TPelRepElemTable& T = F.Read(Text);
  EXPECT_EQ(F.Msgs.Count(), 0) << MsgAt(F.Msgs, 0);
  EXPECT_FALSE(F.Analysis().NeedsRecalc);
  EXPECT_TRUE(T.Calculated);
  EXPECT_TRUE(T.LayerNKnown);
  EXPECT_EQ(T.LayerNW, NW);
  size_t K = 0;
  for (int C = 1; C < T.ColCount; ++C)
    for (int R = 1; R < T.RowCount; ++R, ++K) {
      EXPECT_EQ(T.ValueAt(C, R), Values[K]) << C << " " << R;
      EXPECT_EQ(T.TextAt(C, R), Texts[K]) << C << " " << R;
    }
  EXPECT_EQ(ReportText(*F.Report), Text);
  // One line of hexadecimal doubles per data row.
  const size_t At = Text.find("      results =\r\n        $");
  ASSERT_NE(At, std::string::npos);
  EXPECT_NE(Text.find(DoubleToHexText("$", 2.0)), std::string::npos);
}

TEST(TableFile, AStatisticsListOfUnknownStatisticsReadsBackAfterSaving) {
  TTableSurvey F;
  F.Read(TableReport("      rowParams = 0; colParams = 1;\r\n", "nosuch", " sigPct = 1;"));
  EXPECT_EQ(F.Msgs.ErrorCount(), 0);
  const std::string Text = ReportText(*F.Report);
  F.Read(Text);
  EXPECT_EQ(F.Msgs.Count(), 0) << MsgAt(F.Msgs, 0);
  // The statistics parameter stays, with its options, in its place.
  ASSERT_EQ(F.Analysis().Parameters->Count(), 5);
  const auto* Stats = As<TPelParStats>(F.Analysis().Parameters->GetItem(2));
  ASSERT_NE(Stats, nullptr);
  EXPECT_TRUE(Stats->Stats.Empty());
  EXPECT_TRUE(Stats->SigPct);
  EXPECT_EQ(ReportText(*F.Report), Text);
}

// The written text with its first occurrence of From replaced by To.
std::string Replaced(std::string Text, const std::string& From, const std::string& To) {
  const size_t At = Text.find(From);
  EXPECT_NE(At, std::string::npos) << From;
  if (At != std::string::npos) Text.replace(At, From.size(), To);
  return Text;
}

// The written text without the statement that starts with Key.
std::string Without(std::string Text, const std::string& Key) {
  const size_t At = Text.find(Key);
  EXPECT_NE(At, std::string::npos) << Key;
  if (At != std::string::npos) Text.erase(At, Text.find(';', At) + 1 - At);
  return Text;
}

TEST(TableFile, BlocksThatDoNotFitTheAxesMakeTheTableStale) {
  TTableSurvey F;
  const std::string Text = CalculatedReport(F);
  // The first stored value, and the last.
  const size_t FirstValue = Text.find('$', Text.find("results ="));
  const size_t LastValue = Text.find(';', Text.find("results =")) - 16;
  auto FirstReplaced = [&](const std::string& By) {
    std::string S = Text;
    return S.replace(FirstValue, 17, By);
  };
  struct TCase {
    const char* Name;
    std::string Text;
    bool SameAxes = true;
  };
  const std::vector<TCase> Cases{
      {"one value short", Text.substr(0, LastValue - 3) + Text.substr(LastValue + 16)},
      {"one value too many",
       Replaced(Text, "\r\n      baseDiffs", ", $0000000000000000\r\n      baseDiffs")},
      {"no results", Without(Text, "results =")},
      {"no base differences", Without(Text, "baseDiffs =")},
      {"no significance marks", Without(Text, "sigDiffs =")},
      {"a short binary value", FirstReplaced("$00")},
      {"a number among the results", FirstReplaced("7")},
      {"a mark beyond the integers",
       Replaced(Text, "sigDiffs =\r\n        0", "sigDiffs =\r\n        3000000000")},
      {"a mark that is no number",
       Replaced(Text, "sigDiffs =\r\n        0", "sigDiffs =\r\n        x")},
      {"results read before axes that change the grid",
       Replaced(Without(Text, "rowParams = 0;"), "layerParams = 3;", "layerParams = 3;\r\n")
           .replace(Text.find("colCount"), 0, "rowParams = 0, 0;\r\n      "),
       false},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TPelRepElemTable& T = F.Read(C.Text);
    EXPECT_TRUE(F.Analysis().NeedsRecalc);
    // Saved, the figures that were not used stay out: read again, the table still waits for
    // its calculation instead of showing them as its results.
    {
      TTableSurvey Again;
      Again.Read(ReportText(*F.Report));
      EXPECT_TRUE(Again.Analysis().NeedsRecalc);
      EXPECT_EQ(ReportText(*F.Report).find("results ="), std::string::npos);
    }
    if (!C.SameAxes) continue;
    // The table keeps no stored figure; a calculation gives it its values.
    T.Calculate();
    EXPECT_EQ(T.ValueAt(T.FirstDataCol, T.FirstDataRow + 2),
              WeightOf([](const TTableRecord& R) { return R.Wave == 2 && R.Edu == 1; }));
  }
  // The stored grid size is no size: the axes give it.
  TPelRepElemTable& T = F.Read(Replaced(Text, "colCount = 8;", "colCount = 2000000000;"));
  EXPECT_FALSE(F.Analysis().NeedsRecalc);
  EXPECT_EQ(T.ColCount, 8);
}

TEST(TableFile, SentinelsRestoreCellFlagsAndLayerCountsRoundHalfToEven) {
  TTableSurvey F;
  CalculatedReport(F);
  TPelRepElemTable& C = *As<TPelRepElemTable>(F.Analysis().Child(0));
  const int Col = C.FirstDataCol, Row = C.FirstDataRow + 2;
  C.SetValueAt(Col, Row, GimValueNotDefined);
  const std::string Text = ReportText(*F.Report);
  for (const auto& [N, A] : {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}}) {
    SCOPED_TRACE(N);
    const size_t From = Text.find("      layerNW");
    const std::string LayerN = Text.substr(0, From) + "      layerN = " + DoubleToHexText("$", N) +
                               ";\r\n" + Text.substr(Text.find("end;", From));
    TPelRepElemTable& T = F.Read(LayerN);
    EXPECT_FALSE(F.Analysis().NeedsRecalc);
    EXPECT_TRUE(T.CellAt(Col, Row)->NotDefined);
    EXPECT_EQ(T.TextAt(Col, Row), "!DEF");
    EXPECT_TRUE(T.LayerNKnown);
    EXPECT_EQ(T.LayerNW, N);
    EXPECT_EQ(T.LayerNA, A);
  }
}

TEST(TableFile, SortKeysRelinkToTheAxesAndKeysPastThemAreDropped) {
  TTableSurvey F;
  TPelRepElemTable& T = F.Read(
      TableReport("      rowParams = 0; colParams = 1;\r\n"
                  "      def colSortDataInfo\r\n"
                  "        def sortDataInfo sortParIndex = 0; sortOrder = ascending; end;\r\n"
                  "        def sortDataInfo sortParIndex = 5; end;\r\n"
                  "      end;\r\n"));
  ASSERT_EQ(T.SortParams->ColSorts.Count(), 1);
  const TPelSortDataInfo* Key = T.SortParams->ColSorts.GetItem(0);
  EXPECT_EQ(Key->Par, T.RowParams->GetItem(0));
  EXPECT_EQ(Key->Kind, 1);
  EXPECT_EQ(Key->SortOrder, 1);
}

TEST(TableFile, UnknownBlocksAndKeysAreSkipped) {
  TTableSurvey F;
  TPelRepElemTable& T =
      F.Read(TableReport("      def mystery a = 1; def inner end; end;\r\n"
                         "      selection = 1, 2, 3;\r\n"
                         "      futureKey = \"x\";\r\n"
                         "      rowParams = 0; colParams = 1;\r\n"));
  ASSERT_EQ(F.Msgs.Count(), 1);
  EXPECT_EQ(MsgAt(F.Msgs, 0).substr(0, 24), "TRixMsgError_UnknownKey@");
  EXPECT_EQ(T.RowParams->Count(), 1);
  EXPECT_EQ(T.ColParams->Count(), 1);
  EXPECT_TRUE(F.Analysis().NeedsRecalc);  // nothing stored
}

}  // namespace
}  // namespace quin::test
