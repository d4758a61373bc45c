// Report files: the writer's layout and the reader that takes it back, the file head, the
// survey identity and data checks, and what the reader does with unknown, damaged and hostile
// text.
#include <gtest/gtest.h>

#include "base/orvexceptions.h"
#include "report_fixture.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using namespace quin::test;

class ReportFile : public testing::Test {
 protected:
  void SetUp() override { RegisterReportTestClasses(); }
  TRepSurvey P{{.Diary = true}};
  TOrvMsgList Msgs;  // no limits: every problem is kept and reading goes on
};

TEST_F(ReportFile, WriterLayoutOfTheDocumentAndItsElements) {
  TPelRep R(&P.S);
  R.Title = "Reach";
  auto* A = static_cast<TPelRepElemAnalysis*>(
      R.Root()->AddChild(New<TPelRepElemAnalysis>(R.Root(), &P.S)));
  A->Number = 1;
  A->Notes = "Two\r\nlines";
  A->SetExpanded(false);
  A->Parameters->AddPar(New<TRepTestPar>(&P.S))->SetName("Mine");
  A->Parameters->BasedOn = P.S.DataBasedOnList->GetItem(1);
  A->Parameters->Weight = P.S.Weights->FindByID("wgt");
  auto* T = A->AddChild(New<TTestTable>(A, &P.S));
  static_cast<TTestTable*>(T)->SetTitle("Readers by age");
  // 40000.5 as the 8 bytes of a double, in memory order.
  EXPECT_EQ(ReportText(R),
            "signature = \"{EB70CF26-15B3-4DB3-A59E-A6AB01C5CF16}\";\r\n"
            "version = 1;\r\n"
            "\r\n"
            "def report\r\n"
            "  title = \"Reach\";\r\n"
            "  survey = s1@ns;\r\n"
            "  dataSignature = $000000001088E340;\r\n"
            "  zoomed = 0;\r\n"
            "  calcLocked = 0;\r\n"
            "  selectedIndex = -1;\r\n"
            "  tocSplitter = -1;\r\n"
            "  analysisSplitter = -1;\r\n"
            "  def analysis\r\n"
            "    number = 1;\r\n"
            "    expanded = 0;\r\n"
            "    notes = <<Two\\nlines>>;\r\n"
            "    def parameters\r\n"
            "      def repTestPar\r\n"
            "        name = \"Mine\";\r\n"
            "        value = 0;\r\n"
            "      end;\r\n"
            "    end;\r\n"
            "    dataBasedOn = diary;\r\n"
            "    weight = wgt;\r\n"
            "    def testTable\r\n"
            "      title = \"Readers by age\";\r\n"
            "    end;\r\n"
            "  end;\r\n"
            "end;\r\n");
}

TEST_F(ReportFile, WrittenReportReadsBackEqual) {
  TPelRep R(&P.S);
  R.Title = "Reach \"2024\"";
  R.Zoomed = true;
  R.CalcLocked = true;
  R.SelectedIndex = 2;
  R.TocSplitter = 120;
  R.AnalysisSplitter = 300;
  for (int N = 1; N <= 2; ++N) {
    auto A = New<TPelRepElemAnalysis>(R.Root(), &P.S);
    A->Number = N;
    A->Notes = N == 1 ? "First line\r\nsecond >> line" : "";
    A->SetExpanded(N == 2);
    auto* M = static_cast<TTestMulti*>(A->Parameters->AddPar(New<TTestMulti>(&P.S)));
    M->Add({1, 2, 5})->Grouped = true;
    M->Add({7});
    static_cast<TRepTestPar*>(A->Parameters->AddPar(New<TRepTestPar>(&P.S)))->Value = 10 * N;
    A->Parameters->BasedOn = P.S.DataBasedOnList->GetItem(N - 1);
    A->Parameters->Weight = P.S.Weights->GetItem(N - 1);
    auto T = New<TTestTable>(A.get(), &P.S);
    T->Number = N;
    auto C = New<TTestChart>(T.get(), &P.S);
    C->Notes = "chart";
    T->AddChild(std::move(C));
    A->AddChild(std::move(T));
    R.Root()->AddChild(std::move(A));
  }
  const std::string Text = ReportText(R);
  const auto Back = ReadReport(P.S, Text, Msgs);
  EXPECT_EQ(Msgs.Count(), 0) << MsgAt(Msgs, 0);
  EXPECT_EQ(ReportText(*Back), Text);

  EXPECT_EQ(Back->Title, R.Title);
  EXPECT_TRUE(Back->Zoomed && Back->CalcLocked);
  EXPECT_EQ(Back->SelectedIndex, 2);
  EXPECT_FALSE(Back->DataChanged);
  ASSERT_EQ(Back->Root()->ChildCount(), 2);
  const TPelRepElemAnalysis* A = AnalysisAt(*Back, 0);
  EXPECT_EQ(A->Notes, "First line\r\nsecond >> line");
  EXPECT_FALSE(A->Expanded);
  EXPECT_FALSE(A->NeedsRecalc);
  EXPECT_EQ(A->Parameters->BasedOn, P.S.DataBasedOnList->GetItem(0));
  EXPECT_EQ(AnalysisAt(*Back, 1)->Parameters->Weight, P.S.Weights->GetItem(1));
  ASSERT_EQ(A->Parameters->Count(), 2);
  const auto* M = As<TTestMulti>(A->Parameters->GetItem(0));
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->Owner, A->Parameters.get());
  ASSERT_EQ(M->SubParCount(), 2);
  // Tables address sub-parameters by GUID: a report keeps them.
  EXPECT_EQ(M->SubPar(0)->GUID,
            As<TTestMulti>(AnalysisAt(R, 0)->Parameters->GetItem(0))->SubPar(0)->GUID);
  EXPECT_EQ(As<TRepTestPar>(AnalysisAt(*Back, 1)->Parameters->GetItem(1))->Value, 20);
  ASSERT_TRUE(A->ChildCount() == 1 && A->Child(0)->ChildCount() == 1);
  EXPECT_TRUE(A->Child(0)->Child(0)->IsExactly<TTestChart>());
  EXPECT_EQ(A->Child(0)->Child(0)->Report(), Back.get());
}

TEST_F(ReportFile, FileHeadSignatureAndVersion) {
  const std::string Rest = "def report survey = s1@ns; end;";
  const std::string Good = "signature = \"{EB70CF26-15B3-4DB3-A59E-A6AB01C5CF16}\";";
  const std::string Other = "signature = \"{EB70CF26-15B3-4DB3-A59E-A6AB01C5CF17}\";";
  enum TOutcome { Read, Signature, Version };
  const struct {
    std::string Head;
    TOutcome Outcome;
  } Cases[] = {
      {"", Read},
      {"version = 0;", Read},
      {"version = 1; " + Good, Read},
      {Good + " version = 1; version = 257;", Read},  // the low byte counts
      {"version = 2;", Version},
      {"version = -1;", Version},
      {Other, Signature},
      {"signature = 5;", Signature},
  };
  for (const auto& C : Cases) {
    TOrvMsgList L;
    TPelRep R(&P.S);
    const std::string Text = C.Head + "\r\n" + Rest;
    TMemoryStream M{std::string_view(Text)};
    switch (C.Outcome) {
      case Read:
        EXPECT_NO_THROW(R.LoadFromStream(M, &L)) << C.Head;
        EXPECT_EQ(L.Count(), 0) << C.Head;
        break;
      case Signature:
        EXPECT_THROW(R.LoadFromStream(M, &L), ESIGErr) << C.Head;
        break;
      case Version:
        EXPECT_THROW(R.LoadFromStream(M, &L), EVERErr) << C.Head;
        break;
    }
  }
}

TEST_F(ReportFile, WithoutAReportBlockTheReadingEndsAtTheTokenFound) {
  for (const auto& [Text, At] : std::vector<std::pair<std::string, std::string>>{
           {"version = 1;\r\ndef analysis end;", "2:1"},
           {"version = 1;\r\n  title = \"x\";", "2:3"},
           {"version = 1;\r\n", "1:13"},
           {"", "1:1"}}) {
    TOrvMsgList L;
    TPelRep R(&P.S);
    TMemoryStream M{std::string_view(Text)};
    try {
      R.LoadFromStream(M, &L);
      ADD_FAILURE() << Text;
    } catch (const EMsgList_FatalError& E) {
      EXPECT_EQ(E.MessageText(), "Report definition missing (\"def report\").");
    }
    ASSERT_EQ(L.Count(), 1) << Text;
    EXPECT_EQ(MsgAt(L, 0), "TPelFatal_Report_NotDefined@" + At) << Text;
    EXPECT_EQ(R.Root()->ChildCount(), 0);
  }
}

TEST_F(ReportFile, SurveyIdentityWithAtOrDotInAnyCase) {
  for (const char* Identity : {"s1@ns", "S1@NS", "s1.ns", "S1.Ns"}) {
    TOrvMsgList L;
    EXPECT_NO_THROW(ReadReport(P.S, ReportWith("", Identity), L)) << Identity;
    EXPECT_EQ(L.Count(), 0) << Identity;
  }
  for (const char* Identity : {"s2@ns", "ns@s1", "s1@ns@ns", "s1", "s1.ns.x", "s1@ns.x"}) {
    TOrvMsgList L;
    EXPECT_THROW(ReadReport(P.S, ReportWith("", Identity), L), EMsgList_FatalError) << Identity;
    ASSERT_EQ(L.Count(), 1) << Identity;
    EXPECT_EQ(MsgAt(L, 0), "TMerFatal_IncorrectSurvey@4:12") << Identity;
  }
}

TEST_F(ReportFile, AnalysesReadBeforeAWrongIdentityStayUntilTheDocumentGoes) {
  TPelRep R(&P.S);
  const std::string Text = "def report def analysis number = 1; end; survey = other@ns; end;";
  TMemoryStream M{std::string_view(Text)};
  EXPECT_THROW(R.LoadFromStream(M, &Msgs), EMsgList_FatalError);
  EXPECT_EQ(R.Root()->ChildCount(), 1);
}

TEST_F(ReportFile, ADataSignatureOtherThanTheSurveysDateMarksTheAnalysesReadAfterIt) {
  const std::string Analysis = "  def analysis dataBasedOn = resp; weight = off; end;\r\n";
  const struct {
    std::string Signature;  // written between the first and the second analysis
    bool Changed;
  } Cases[] = {
      {"", false},
      {"dataSignature = $000000001088E340;", false},  // 40000.5
      {"dataSignature = $000000000088E340;", true},   // 40000.0
      {"dataSignature = $00;", true},                 // too short to hold a date
      {"dataSignature = $000000000000F87F;", true},   // not a number
  };
  for (const auto& C : Cases) {
    TOrvMsgList L;
    const auto R = ReadReport(P.S, ReportWith(Analysis + C.Signature + "\r\n" + Analysis), L);
    EXPECT_EQ(L.Count(), 0) << C.Signature;
    EXPECT_EQ(R->DataChanged, C.Changed) << C.Signature;
    EXPECT_FALSE(AnalysisAt(*R, 0)->NeedsRecalc) << C.Signature;
    EXPECT_EQ(AnalysisAt(*R, 1)->NeedsRecalc, C.Changed) << C.Signature;
  }
}

TEST_F(ReportFile, UnknownKeysAndBlocksAreReportedOnceAndReadingGoesOn) {
  const std::string Text = ReportWith(
      "  bogus = 1;\r\n"                                   // 5
      "  def gadget def inner end; x = 1; end;\r\n"        // 6
      "  zoomed = 7;\r\n"                                  // 7
      "  def analysis number = 3; colour = red; end;\r\n"  // 8: skipped without a word
      "  title = \"After\";\r\n");
  const auto R = ReadReport(P.S, Text, Msgs);
  ASSERT_EQ(Msgs.Count(), 3);
  EXPECT_EQ(MsgAt(Msgs, 0), "TRixMsgError_UnknownKey@5:3");
  EXPECT_EQ(MsgAt(Msgs, 1), "TRixMsgError_UnknownKey@6:3");
  EXPECT_EQ(MsgAt(Msgs, 2), "TRixMsgError_BooleanExpected@7:12");
  EXPECT_EQ(R->Title, "After");
  ASSERT_EQ(R->Root()->ChildCount(), 1);
  EXPECT_EQ(AnalysisAt(*R, 0)->Number, 3);

  // The session's list: the first error ends the reading.
  TOrvMsgList FirstError(0, 1);
  EXPECT_THROW(ReadReport(P.S, Text, FirstError), EMsgList_FatalError);
  ASSERT_EQ(FirstError.Count(), 2);
  EXPECT_EQ(MsgAt(FirstError, 0), "TRixMsgError_UnknownKey@5:3");
  EXPECT_TRUE(FirstError.GetItem(1)->IsClass(TOrvMsg_FatalError_TooManyErrors));
}

TEST_F(ReportFile, DamagedAndHostileTextsEndWithAMessage) {
  // Blocks nested far deeper than any stack would follow, at each level of the file.
  const std::string Deep = [] {
    std::string S;
    for (int I = 0; I < 50000; ++I) S += "def x ";
    for (int I = 0; I < 50000; ++I) S += "end; ";
    return S;
  }();
  const struct {
    std::string Text;
    std::vector<std::string> Msgs;
  } Cases[] = {
      {ReportWith(Deep), {"TRixMsgError_UnknownKey@5:1"}},
      {ReportWith("def analysis " + Deep + "end;"), {"TRixMsgError_UnknownKey@5:18"}},
      {ReportWith("def analysis def parameters " + Deep + "end; end;"),
       {"TRixMsgError_UnknownKey@5:33"}},
      {ReportWith("def analysis def testTable " + Deep + "end; end;"),
       {"TRixMsgError_UnknownKey@5:32"}},
      {ReportWith("def analysis def parameters def x " + Deep),
       {"TRixMsgError_UnknownKey@5:33", "TRixMsgError_DefEndExpected@5:550039",
        "TOrvMsg_FatalError_UnexpectedEOF@5:550039"}},
      {"def report def analysis def parameters def repTestPar value = 1;",
       {"TOrvMsg_FatalError_UnexpectedEOF@1:65"}},
      {"def report survey = s1@ns; title = \"x",
       {"TOrvMsg_Error_StringExceedsEOLn@1:38", "TRixMsgError_InstrSepExpected@1:38",
        "TOrvMsg_FatalError_UnexpectedEOF@1:38"}},
      {"def report def analysis end def analysis end; end;",
       {"TRixMsgError_InstrSepExpected@1:28"}},
  };
  for (const auto& C : Cases) {
    TOrvMsgList L;
    TPelRep R(&P.S);
    TMemoryStream M{std::string_view(C.Text)};
    try {
      R.LoadFromStream(M, &L);
    } catch (const EMsgList_FatalError&) {
    }
    std::vector<std::string> Got;
    for (int I = 0; I < L.Count(); ++I) Got.push_back(MsgAt(L, I));
    EXPECT_EQ(Got, C.Msgs) << C.Text.substr(0, 80);
  }
}

}  // namespace
}  // namespace quin
