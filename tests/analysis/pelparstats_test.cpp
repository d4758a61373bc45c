// The statistics and table-options parameter: defaults at creation and when read, values from
// files checked, statistics looked up in the survey's catalogue, labels and information texts.
#include "analysis/pelparstats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "base/orvclasses.h"
#include "base/random.h"
#include "deflang/rixscanner.h"
#include "par_fixture.h"
#include "surveykit/merenviron.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using namespace quin::test;

class ParStats : public testing::Test {
 protected:
  TParSurvey P;
  TOrvMsgList Msgs;
  std::unique_ptr<TPelParStats> Read(const std::string& Body) {
    auto St = New<TPelParStats>(&P.S);
    auto S = New<TRixScanner>(Body + " end;", &Msgs);
    S->NextToken();
    St->ReadBody(*S, &P.S);
    return St;
  }
  static std::string Ids(const TPelParStats& St) {
    std::string R;
    for (int I = 0; I < St.Stats.Count(); ++I) R += St.Stats.GetItem(I)->ID() + " ";
    return R;
  }
};

TEST_F(ParStats, CreationDefaultsAndReadingDefaultsDiffer) {
  P.S.Info->ExcludeSysMis = true;
  auto Created = New<TPelParStats>(&P.S);
  EXPECT_EQ(Created->ShowPctSign, 2);
  EXPECT_EQ(Created->ShowCodesForMeans, 2);
  EXPECT_TRUE(Created->ExcludeSysMis);
  EXPECT_EQ(Created->SigLevel, 0.05);
  EXPECT_EQ(Created->DecPlacesPct, 1);
  EXPECT_EQ(Created->DecPlacesMeans, 2);
  EXPECT_TRUE(Created->ShowsCodesForMeans());
  EXPECT_FALSE(Created->ShowsPctSign());
  EXPECT_TRUE(Created->IsEmpty());
  EXPECT_TRUE(Created->IsAvailableInMode(1));

  auto Read_ = Read("list = cntW;");
  EXPECT_EQ(Read_->ShowPctSign, 0);
  EXPECT_EQ(Read_->ShowCodesForMeans, 1);
  EXPECT_FALSE(Read_->ExcludeSysMis);
  EXPECT_FALSE(Read_->IsEmpty());
}

TEST_F(ParStats, UnknownStatisticsAreReportedAndTheOthersKeptInOrder) {
  auto St = Read("list = pctCol, nosuch, CNTA, meanRow;");
  EXPECT_EQ(Ids(*St), "pctCol cntA meanRow ");
  ASSERT_EQ(Msgs.Count(), 1);
  EXPECT_TRUE(Msgs[0]->IsClass(TMerRepInfo_StatisticNotFound));
  EXPECT_EQ(Msgs[0]->Args, TDynStringArr{"nosuch"});
  EXPECT_EQ(Msgs.ErrorCount(), 0);
}

TEST_F(ParStats, SignificanceLevelAndCountsFromFilesAreChecked) {
  const double NaN = std::numeric_limits<double>::quiet_NaN();
  const struct {
    std::string Body;
    double Level;
    int Errors;
  } Cases[] = {
      {"sigLevel = " + DoubleToHexText("$", 1.5) + ";", 1.0, 0},
      {"sigLevel = " + DoubleToHexText("$", -0.2) + ";", 0.0, 0},
      {"sigLevel = " + DoubleToHexText("$", 0.01) + ";", 0.01, 0},
      {"sigLevel = " + DoubleToHexText("$", NaN) + ";", 0.05, 1},
      {"sigLevel = $0000803F;", 0.05, 1},  // four bytes are no double
  };
  for (const auto& C : Cases) {
    Msgs.Clear();
    EXPECT_EQ(Read(C.Body)->SigLevel, C.Level) << C.Body;
    EXPECT_EQ(Msgs.ErrorCount(), C.Errors) << C.Body;
  }
  Msgs.Clear();
  auto St = Read("decPlacesPct = 99; decPlacesMeans = -1; showPctSign = 7; hideRowsCols = 300;");
  EXPECT_EQ(St->DecPlacesPct, 15);
  EXPECT_EQ(St->DecPlacesMeans, 0);
  EXPECT_EQ(St->ShowPctSign, 2);
  EXPECT_EQ(St->HideRowsCols, 2);
  EXPECT_EQ(Msgs.CountKinds({&TOrvMsgKind_Warning()}), 4);
}

TEST_F(ParStats, WrittenInAFixedOrderAndReadBackEqual) {
  auto St = Read(
      "list = cntA, pctRow; colMargins = 1; showPctSign = 1; sigMeans = 1; sigMeansDim = 0; "
      "sigMeansNPos = 3; sigPct = 1; decPlacesPct = 0; hideRowsCols = 1;");
  const std::string Text = Written([&](TStream& S) {
    int Indent = 0;
    St->WriteBody(S, Indent);
  });
  EXPECT_EQ(Text,
            "list = cntA, pctRow;\r\n"
            "colMargins = 1;\r\n"
            "showPctSign = 1;\r\n"
            "showCodesForMeans = 1;\r\n"
            "sigLevel = " +
                DoubleToHexText("$", 0.05) +
                ";\r\n"
                "recsetDiff = 1;\r\n"
                "sigMeans = 1;\r\n"
                "sigMeansDim = 0;\r\n"
                "sigMeansDir = 0;\r\n"
                "sigMeansNOn = 0;\r\n"
                "sigMeansNPos = 3;\r\n"
                "sigPct = 1;\r\n"
                "decPlacesPct = 0;\r\n"
                "decPlacesMeans = 2;\r\n"
                "hideRowsCols = 1;\r\n");
  auto Back = Read(Text);
  EXPECT_EQ(Written([&](TStream& S) {
              int Indent = 0;
              Back->WriteBody(S, Indent);
            }),
            Text);
  EXPECT_EQ(Msgs.Count(), 0);
  // A copy keeps the hiding only where the survey file carries it (version 6 and later).
  P.S.IsVersion6File = false;
  EXPECT_EQ(CopyOf(*Back)->HideRowsCols, 0);
  P.S.IsVersion6File = true;
  EXPECT_EQ(CopyOf(*Back)->HideRowsCols, 1);
}

TEST_F(ParStats, AListLeftEmptyByUnknownStatisticsIsWrittenWithoutItsKeyAndReadsBack) {
  auto St = Read("list = nosuch; sigPct = 1;");
  EXPECT_TRUE(St->Stats.Empty());
  const std::string Text = Written([&](TStream& S) {
    int Indent = 0;
    St->WriteBody(S, Indent);
  });
  EXPECT_EQ(Text.find("list"), std::string::npos) << Text;
  Msgs.Clear();
  auto Back = Read(Text);
  EXPECT_EQ(Msgs.Count(), 0);
  EXPECT_TRUE(Back->Stats.Empty());
  EXPECT_TRUE(Back->SigPct);
}

TEST_F(ParStats, ItemsLabelsAndElements) {
  TMadeElems Made;
  auto St = Read("list = cntA, pctRow, pctCol;");
  EXPECT_EQ(St->GetDims(true, false, true).X, 3);
  const TPelLabels Short = St->GetAllLabels();
  ASSERT_EQ(Short.size(), 3u);
  EXPECT_EQ(St->GetLabelAt({1, 0}, true, false, true, false, false), Short[1]);
  // The label switch marks the kinds that depend on the layout's axis.
  for (int I = 0; I < 3; ++I) {
    const TGimStat* S = St->Stat(I);
    EXPECT_EQ(St->GetLabelAt({I, 0}, true, false, true, true, false),
              Short[I] + (S->DependsOnAxis(0) ? " (N = )" : ""));
    EXPECT_EQ(St->GetLabelAt2D({0, I}, true, false, true, true, false),
              Short[I] + (S->DependsOnAxis(1) ? " (N = )" : ""));
  }
  EXPECT_EQ(Made.As<TPelResStat>(St->CreateResElem(2))->Stat, St->Stat(2));
  EXPECT_EQ(St->CreateResElem(3), nullptr);
  EXPECT_TRUE(St->HasRowSummaryStat(false, -1));
  EXPECT_FALSE(St->HasColSummaryStat(true, 0));
  St->AddStats({&TGimStatMeanRow::StaticClass()});
  EXPECT_EQ(Ids(*St), "cntA pctRow pctCol meanRow ");
  EXPECT_TRUE(St->HasColSummaryStat(false, 3) != St->HasColSummaryStat(true, 3));
}

TEST_F(ParStats, InformationTextInPlainTextAndHtml) {
  auto St = Read("list = cntA; sigMeans = 1; sigMeansDir = 1; excludeSysMis = 1;");
  const std::string Plain = St->GetItemInfoText(0, 0);
  const std::string Name = St->Stat(0)->DisplayShortName() + " - " + St->Stat(0)->Name();
  EXPECT_EQ(Plain, "Selected statistic: " + Name +
                       "\r\nMissing data excluded from analysis"
                       "\r\nSignificant differences between means are marked with \"-\" and \"+\""
                       "\r\nDifferences calculated in columns to the next element"
                       "\r\nSignificance level: 0.05");
  const std::string Html = St->GetItemInfoText(1, 0);
  EXPECT_NE(Html.find("marked with <img src=\"/Files/Quin/DownRed.gif\"> and "
                      "<img src=\"/Files/Quin/UpGreen.gif\">"),
            std::string::npos);
  St->SigMeansNOn = true;
  St->SigMeansNPos = 4;
  EXPECT_NE(St->GetItemInfoText(0, -1).find("in columns to the element numbered 4"),
            std::string::npos);
  EXPECT_EQ(St->GetItemInfoText(0, -1).find("Selected statistic"), std::string::npos);
}

TEST_F(ParStats, RandomContentStaysWithinTheAllowedValues) {
  TOrvRandGenDefault Gen;
  Gen.SetSeed(11);
  auto St = New<TPelParStats>(&P.S);
  for (int I = 0; I < 30; ++I) {
    St->Randomize(Gen);
    EXPECT_FALSE(St->IsEmpty());
    EXPECT_LE(St->ShowPctSign, 2);
    EXPECT_LE(St->HideRowsCols, 2);
    EXPECT_LE(St->DecPlacesPct, 3);
  }
}

}  // namespace
}  // namespace quin
