// The analysis element: its parameters block, its data basis and weighting, the tables nested
// in it, and its texts.
#include <gtest/gtest.h>

#include "analysis/pelparaxes.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "base/text.h"
#include "report_fixture.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using namespace quin::test;

class AnalysisBlock : public testing::Test {
 protected:
  void SetUp() override { RegisterReportTestClasses(); }
  // The report with one analysis whose block holds Body.
  std::unique_ptr<TPelRep> Read(const std::string& Body, TPelSurvey* Survey = nullptr) {
    return ReadReport(Survey ? *Survey : P.S, ReportWith("def analysis\r\n" + Body + "end;\r\n"),
                      Msgs);
  }
  std::vector<std::string> MsgList() const {
    std::vector<std::string> R;
    for (int I = 0; I < Msgs.Count(); ++I) R.push_back(MsgAt(Msgs, I));
    return R;
  }
  TRepSurvey P;
  TOrvMsgList Msgs;
  const std::string Basis = "dataBasedOn = resp; weight = wgt;\r\n";
};

TEST_F(AnalysisBlock, ParametersAreReadInOrderThenSynchronisedThenLinked) {
  const auto R = Read(
      "def parameters\r\n"                                           // 6
      "  def repTestPar value = 1; end;\r\n"                         // 7
      "  def noSuchPar x = 1; def inner end; end;\r\n"               // 8
      "  def repTestPrices end;\r\n"                                 // 9: no parameter
      "  def testMulti def testMulti end; name = \"Two\"; end;\r\n"  // 10
      "  def repTestPar value = 2; end;\r\n"                         // 11
      "end;\r\n" +
      Basis);
  EXPECT_EQ(MsgList(),
            (std::vector<std::string>{"TRixMsgError_UnknownKey@8:7", "TRixMsgError_UnknownKey@9:7",
                                      "TRixMsgError_UnknownKey@10:21"}));
  const TPelRepElemAnalysis* A = AnalysisAt(*R, 0);
  ASSERT_EQ(A->Parameters->Count(), 3);
  EXPECT_EQ(As<TRepTestPar>(A->Parameters->GetItem(0))->Value, 1);
  EXPECT_EQ(A->Parameters->GetItem(1)->GetName(), "Two");
  for (int I : {0, 2}) {
    const auto* Par = As<TRepTestPar>(A->Parameters->GetItem(I));
    EXPECT_EQ(Par->Owner, A->Parameters.get());
    EXPECT_EQ(Par->Calls, (std::vector<std::string>{"sync", "resolve"}));
    EXPECT_EQ(Par->ResolvedWith, A->Parameters.get());
  }
  EXPECT_FALSE(A->NeedsRecalc);
}

TEST_F(AnalysisBlock, SurveyParametersLinkToEachOtherAndReportWhatTheSurveyLacks) {
  // Questions, statistics, waves and a response axis that links to the questions parameter
  // read before it.
  TParSurvey Par;
  const std::string Parameters =
      "def parameters\r\n"
      "  def varList list = freq; splitResponseAxes = 1; end;\r\n"
      "  def responseAxis id = often; end;\r\n"
      "  def statList list = cntA, pctCol; end;\r\n"
      "  def waveList def subpar list = w2, w1; end; end;\r\n"
      "  def base list = result; end;\r\n"
      "end;\r\n"
      "dataBasedOn = resp; weight = off;\r\n";
  const auto R = Read(Parameters, &Par.S);
  EXPECT_EQ(Msgs.Count(), 0) << MsgAt(Msgs, 0);
  const TPelRepElemAnalysis* A = AnalysisAt(*R, 0);
  ASSERT_EQ(A->Parameters->Count(), 5);
  const auto* Axis = As<TPelParDefResponseAxis>(A->Parameters->GetItem(1));
  ASSERT_TRUE(Axis && Axis->Axis);
  EXPECT_EQ(Axis->Axis->ID, "often");
  EXPECT_EQ(Axis->Parent, A->Parameters->GetItem(0));
  EXPECT_FALSE(A->NeedsRecalc);
  // Written and read again, the parameters give the same text.
  const std::string Text = ReportText(*R);
  TOrvMsgList Again;
  EXPECT_EQ(ReportText(*ReadReport(Par.S, Text, Again)), Text);
  EXPECT_EQ(Again.Count(), 0);

  // A statistic or question the survey does not have: the analysis is recalculated.
  for (const char* Lacking :
       {"def statList list = cntA, shareOfVoice; end;", "def varList list = sex, income; end;"}) {
    Msgs.Clear();
    const auto Old = Read(std::string("def parameters ") + Lacking + " end;", &Par.S);
    EXPECT_TRUE(AnalysisAt(*Old, 0)->NeedsRecalc) << Lacking;
    EXPECT_EQ(Msgs.ErrorCount(), 0) << Lacking;
    EXPECT_EQ(Msgs.CountKinds({&TMerMsgKind_RepOutInfo()}), 1) << Lacking;
  }
}

TEST_F(AnalysisBlock, AParameterThatCannotBeRestoredMarksTheAnalysisForRecalculation) {
  const auto R = Read(
      "def parameters def repTestPar missing = reach; end; end;\r\n"
      "def testTable end;\r\n" +
      Basis);
  const TPelRepElemAnalysis* A = AnalysisAt(*R, 0);
  EXPECT_TRUE(A->NeedsRecalc);
  ASSERT_EQ(Msgs.Count(), 1);
  EXPECT_TRUE(Msgs.GetItem(0)->IsClass(TMerRepInfo_StatisticNotFound));
  EXPECT_EQ(Msgs.ErrorCount(), 0);
  // The table read after the parameters takes the analysis's flag as its stale results.
  EXPECT_TRUE(As<TTestTable>(A->Child(0))->StaleOnEntry);
}

TEST_F(AnalysisBlock, TablesTakeAndSetTheAnalysisFlag) {
  const auto R = Read(Basis +
                      "def testTable number = 1; def testChart end; end;\r\n"
                      "def testTable number = 2; stale = 1; end;\r\n"
                      "def testTable number = 3; end;\r\n");
  EXPECT_EQ(Msgs.Count(), 0);
  const TPelRepElemAnalysis* A = AnalysisAt(*R, 0);
  ASSERT_EQ(A->ChildCount(), 3);
  EXPECT_TRUE(A->NeedsRecalc);
  EXPECT_FALSE(As<TTestTable>(A->Child(0))->StaleOnEntry);
  EXPECT_FALSE(As<TTestChart>(A->Child(0)->Child(0))->StaleOnEntry);
  EXPECT_TRUE(As<TTestTable>(A->Child(2))->StaleOnEntry);
  EXPECT_EQ(A->Child(2)->Number, 3);
}

TEST_F(AnalysisBlock, OtherBlocksAreReportedAndSkippedWholeOtherKeysSilently) {
  const auto R = Read(Basis +
                      "colour = red; shade = 1, 2, 3;\r\n"                 // 7
                      "def gauge def testTable end; needle = 1; end;\r\n"  // 8
                      "number = 4;\r\n");
  EXPECT_EQ(MsgList(), (std::vector<std::string>{"TRixMsgError_UnknownKey@8:5"}));
  const TPelRepElemAnalysis* A = AnalysisAt(*R, 0);
  EXPECT_EQ(A->ChildCount(), 0);
  EXPECT_EQ(A->Number, 4);
}

TEST_F(AnalysisBlock, AFailingParameterOrTableEndsTheReadingAndIsFreedWithItsAnalysis) {
  for (const std::string& Failing :
       {std::string("def parameters def repTestPar fail = 1; end; end;"),
        std::string("def testTable def testChart fail = 1; end; end;")}) {
    TPelRep R(&P.S);
    const std::string Text =
        ReportWith("def analysis " + Basis + "end;\r\ndef analysis " + Failing + " end;\r\n");
    TMemoryStream M{std::string_view(Text)};
    EXPECT_THROW(R.LoadFromStream(M, &Msgs), EOrvException) << Failing;
    EXPECT_EQ(R.Root()->ChildCount(), 1) << Failing;
  }
}

TEST_F(AnalysisBlock, MissingDataBasisOrWeightingIsTheSurveysFirstAndAsksForRecalculation) {
  TRepSurvey Two({.Diary = true});
  const struct {
    std::string Keys;
    const char* BasedOn;
    const char* Weight;
    bool NeedsRecalc;
  } Cases[] = {
      {"dataBasedOn = diary; weight = wgt;", "diary", "wgt", false},
      {"weight = WGT;", "resp", "wgt", true},
      {"dataBasedOn = diary;", "diary", "off", true},
      {"", "resp", "off", true},
  };
  for (const auto& C : Cases) {
    Msgs.Clear();
    const auto R = Read(C.Keys + "\r\n", &Two.S);
    const TPelRepElemAnalysis* A = AnalysisAt(*R, 0);
    EXPECT_EQ(Msgs.Count(), 0) << C.Keys;
    ASSERT_TRUE(A->Parameters->BasedOn && A->Parameters->Weight) << C.Keys;
    EXPECT_EQ(A->Parameters->BasedOn->ID, C.BasedOn) << C.Keys;
    EXPECT_EQ(A->Parameters->Weight->ID, C.Weight) << C.Keys;
    EXPECT_EQ(A->NeedsRecalc, C.NeedsRecalc) << C.Keys;
    EXPECT_EQ(A->CalculationRefusal(), "") << C.Keys;
    EXPECT_NO_THROW(A->CheckCalculable());
  }
}

TEST_F(AnalysisBlock, ANamedButUnknownDataBasisOrWeightingRefusesCalculation) {
  const auto R = Read(
      "dataBasedOn = gone;\r\n"    // 6
      "weight = heavy@other;\r\n"  // 7
      "def parameters end;\r\n");
  EXPECT_EQ(MsgList(), (std::vector<std::string>{"TRixMsgError_UnknownKey@6:15",
                                                 "TRixMsgError_UnknownKey@7:10"}));
  TPelRepElemAnalysis* A = AnalysisAt(*R, 0);
  EXPECT_EQ(A->Parameters->BasedOn, nullptr);
  EXPECT_EQ(A->Parameters->Weight, nullptr);
  const std::string Refusal =
      "This analysis cannot be calculated:\r\n"
      "The survey has no recordset \"gone\".\r\n"
      "The survey has no data weighting \"heavy@other\".";
  EXPECT_EQ(A->CalculationRefusal(), Refusal);
  try {
    A->CheckCalculable();
    ADD_FAILURE();
  } catch (const EPelAnalysisNotCalculable& E) {
    EXPECT_EQ(E.MessageText(), Refusal);
  }
  // Nothing of the file is lost: the names are written back as they were read.
  const std::string Text = ReportText(*R);
  EXPECT_NE(Text.find("    dataBasedOn = gone;\r\n    weight = heavy@other;\r\n"),
            std::string::npos);
  EXPECT_EQ(A->GetOwnDescription(0), "");

  std::unique_ptr<TOrvLangManager> Polish = New<TOrvLangManager>("plk");
  TLangManagerBinding Binding(Polish.get());
  EXPECT_EQ(Cp1250ToUtf8(A->CalculationRefusal()),
            "Nie można obliczyć tej analizy:\r\n"
            "Badanie nie ma zbioru danych \"gone\".\r\n"
            "Badanie nie ma ważenia danych \"heavy@other\".");
}

TEST_F(AnalysisBlock, DescriptionNamesTheRecordsetOnlyWhenTheSurveyHasSeveral) {
  TRepSurvey Two({.Diary = true});
  const auto One = Read(Basis);
  EXPECT_EQ(AnalysisAt(*One, 0)->GetOwnDescription(0), "Data weighting: Weight");
  const auto R = Read("dataBasedOn = diary; weight = wgt;", &Two.S);
  TPelRepElemAnalysis* A = AnalysisAt(*R, 0);
  EXPECT_EQ(A->GetOwnDescription(0), "Recordset: Diary\r\nData weighting: Weight");

  std::unique_ptr<TOrvLangManager> Polish = New<TOrvLangManager>("plk");
  TLangManagerBinding Binding(Polish.get());
  Two.S.Environ->LangManager->SetLanguage("plk");
  EXPECT_EQ(Cp1250ToUtf8(A->GetOwnDescription(0)),
            "Zbiór danych: Dzienniczek\r\nWażenie danych: Waga");
}

TEST_F(AnalysisBlock, TextFormHasTheCaptionNotesAndComments) {
  const auto R = Read(Basis + "title = \"Readers\"; notes = <<Seen\\nby all\\n\\n>>;\r\n");
  TPelRepElemAnalysis* A = AnalysisAt(*R, 0);
  std::vector<std::string> Lines;
  A->AppendText(Lines, 0);
  EXPECT_EQ(Lines, (std::vector<std::string>{"Readers\r\n", "Notes\r\nSeen\r\nby all\r\n",
                                             "Comments\r\nData weighting: Weight\r\n"}));
  A->Notes.clear();
  A->Parameters->Weight = nullptr;
  Lines.clear();
  A->AppendText(Lines, 0);
  EXPECT_EQ(Lines, (std::vector<std::string>{"Readers\r\n"}));
}

}  // namespace
}  // namespace quin
