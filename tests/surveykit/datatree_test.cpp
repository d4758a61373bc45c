// The data tree: modules and questions read from the "data" block, lookups by qualified
// identifier, and the closing steps when reading is cut short.
#include <gtest/gtest.h>

#include "survey_fixture.h"
#include "surveykit/gimdata.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using test::Lines;
using test::MsgSummary;
using test::TTestSurvey;

struct TReadData {
  test::TEnglishSession English;
  std::unique_ptr<TTestSurvey> Survey = New<TTestSurvey>("s.zos");
  TOrvMsgList Msgs;
  int Exceptions = 0;
  explicit TReadData(const std::string& Text, int MaxErrors = 100) : Msgs(MaxErrors, MaxErrors) {
    auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
    Scanner->NextToken();
    try {
      if (Scanner->ReadDefComplexStart("data"))
        Survey->ReadData(*Scanner, Scanner->PrevToken->StartPos);
    } catch (const EMsgList_FatalError&) {
      ++Exceptions;
    }
  }
  TGimQuestion* Q(const char* ID) { return Survey->Data->FindQuestion(ID, false); }
};

const std::string kTree =
    Lines({"def data",                                   // 1
           "  def module id = m1; name = \"Media\";",    // 2
           "    def module id = m2; name = \"Press\";",  // 3
           "      def question id = q1; name = \"Reads\"; scale = nominal;",
           "        def response id = yes; name = \"Yes\"; column = q1; code = 1; end;",
           "        def response id = no; name = \"No\"; column = q1; code = 2; end;",
           "      end;",  // 7
           "    end;",
           "    def question id = q2; name = \"Brands\";",  // 9
           "      def response id = a; name = \"A\"; column = q2a; code = 1; end;",
           "      def response id = b; name = \"B\"; column = q2b; code = 1; end;",
           "    end;",
           "  end;",                                    // 13
           "  def question id = age; name = \"Age\";",  // 14
           "    def response name = \"Age\"; column = age; numeric = >= 0; end;",
           "  end;",
           "  def question id = g; name = \"Grid\";",  // 17
           "    def responseGrid columnMask = \"g*\";",
           "      def responseAxis id = br; name = \"Brand\";",
           "        def response id = b1; name = \"B1\"; columnText = \"a\"; end;",
           "        def response id = b2; name = \"B2\"; columnText = \"b\"; end;",
           "      end;",
           "      def responseAxis id = fr; name = \"Freq\";",
           "        def response id = f1; name = \"F1\"; code = 1; end;",
           "      end;",
           "    end;",
           "  end;",
           "end;"});

TEST(GimData, ModuleTreeWithQuestionsOfEachKind) {
  TReadData R(kTree);
  EXPECT_EQ(R.Exceptions, 0);
  EXPECT_TRUE(R.Msgs.Empty()) << testing::PrintToString(MsgSummary(R.Msgs));
  TGimModule& Root = *R.Survey->Data->Root;
  ASSERT_EQ(Root.ChildCount(), 3);
  auto* M1 = As<TGimModule>(Root.Child(0));
  ASSERT_TRUE(M1);
  EXPECT_EQ(M1->GetName(), "Media");
  ASSERT_EQ(M1->ChildCount(), 2);
  EXPECT_TRUE(As<TGimModule>(M1->Child(0)));

  TGimQuestion* Q1 = R.Q("q1");
  ASSERT_TRUE(Q1);
  EXPECT_EQ(Q1->Owner, M1->Child(0));
  EXPECT_EQ(Q1->Scale, TGimScale::Nominal);
  EXPECT_EQ(Q1->ImageIndex(), 1);
  // A nominal scale marks every response noMean, without a warning when none had it.
  for (int I = 0; I < Q1->Responses->Count(); ++I)
    EXPECT_TRUE(Q1->Responses->GetItem(I)->Attributes & GimAttrNoMean);
  // Responses on different columns: a multi-column question.
  EXPECT_EQ(R.Q("q2")->ImageIndex(), 3);
  TGimQuestion* G = R.Q("g");
  ASSERT_TRUE(G);
  EXPECT_EQ(G->ImageIndex(), 4);
  EXPECT_EQ(G->Responses->GetIDText(), "rf1.b1, rf1.b2");

  TOrvObjectList Grids(false);
  R.Survey->Data->CollectGridQuestions(Grids, &Root);
  ASSERT_EQ(Grids.Count(), 1);
  EXPECT_EQ(Grids.Items(0), G);
  EXPECT_EQ(R.Q("age")->CountBaseResponses(), 1);
}

TEST(GimData, ReaderMessages) {
  TReadData R(Lines({"def data",
                     "  def module id = m; end;",                            // 2: no name
                     "  def module id = M; name = \"Dup\"; end;",            // 3: id not unique
                     "  def question id = q; name = \"Q\"; scale = ratio;",  // 4: unknown scale
                     "    def response id = r1; code = 1; end;",
                     "    def responseGrid end;",                 // 6: grid after responses
                     "    def response id = R1; code = 2; end;",  // 7: id not unique in list
                     "  end;",
                     "  def question id = Q; name = \"Q2\";",  // 9: id not unique
                     "    def responseGrid columnMask = \"x*\";",
                     "      def responseAxis id = a; name = \"A\";",
                     "        def response id = a1; columnText = \"1\"; end;",
                     "      end;",
                     "      code = 1;",
                     "    end;",
                     "    def response id = x; code = 1; end;",  // 16: response after a grid
                     "  end;",
                     "  def question id = e; name = \"E\"; end;",  // 18: no responses
                     "  def question name = \"N\"; def response code = 1; end; end;",  // 19: no id
                     "  def odd end;",                                                 // 20
                     "  stray = 1;",                                                   // 21
                     "end;"}));
  EXPECT_EQ(R.Exceptions, 0);
  EXPECT_EQ(MsgSummary(R.Msgs),
            (std::vector<std::string>{
                "TMerError_NameNotDefined@2:26", "TMerError_IDNotUnique@3:14",
                "TRixMsgError_UnknownKey@4:36", "TGimError_DefInvalidInSingleAxis@6:9",
                "TMerError_IDNotUnique@7:18", "TMerError_IDNotUnique@9:16",
                "TGimError_DefInvalidInMultiAxis@16:9", "TGimError_ResponsesNotDefined@18:40",
                "TMerError_IDNotDefined@19:60", "TRixMsgError_UnknownKey@20:7",
                "TRixMsgError_UnknownKey@21:3"}));
  EXPECT_EQ(R.Msgs.GetItem(3)->MessageText(), "Definition invalid in non-grid question.");
  EXPECT_EQ(R.Msgs.GetItem(6)->MessageText(), "Definition invalid in grid question.");
  EXPECT_EQ(R.Msgs.GetItem(7)->MessageText(), "No responses defined.");
  // The grid stays a grid; the single-axis question keeps its responses.
  EXPECT_EQ(R.Survey->Data->Root->Child(3)->GetName(), "Q2");
  EXPECT_TRUE(As<TGimQuestion>(R.Survey->Data->Root->Child(3))->GridRead);
  EXPECT_EQ(R.Q("q")->Responses->Count(), 2);
}

// An identifier is not unique when a depth-first search of the tree finds another object of the
// class first: an earlier module or question anywhere, not one inside the object itself.
TEST(GimData, IdentifiersAreUniquePerClassAcrossTheTree) {
  TReadData R(Lines(
      {"def data", "  def module name = \"A\";", "    def module id = inner; name = \"I\";",
       "      def question id = q; name = \"Q\"; def response code = 1; end; end;", "    end;",
       "    id = inner;",  // 6: its own child has it
       "  end;", "  def module id = b; name = \"B\";",
       "    def question id = Q; name = \"Q2\"; def response code = 1; end; end;",  // 9
       "    def question id = inner; name = \"Q3\"; def response code = 1; end; end;", "  end;",
       "  def module id = INNER; name = \"C\"; end;",      // 12
       "  def module name = \"D\"; id = d; id = b; end;",  // 13: renamed onto b
       "end;"}));
  EXPECT_EQ(R.Exceptions, 0);
  EXPECT_EQ(MsgSummary(R.Msgs),
            (std::vector<std::string>{"TMerError_IDNotUnique@9:18", "TMerError_IDNotUnique@12:14",
                                      "TMerError_IDNotUnique@13:34"}));
}

TEST(GimData, NoMeanOnNonIntervalScaleWarnsOncePerQuestion) {
  TReadData R(
      Lines({"def data def question id = q; name = \"Q\"; scale = ORDINAL;",
             "  def response id = a; column = q; code = 1; attr = noMean; end;",
             "  def response id = b; column = q; code = 2; attr = noMean; end;", "end; end;"}));
  EXPECT_EQ(MsgSummary(R.Msgs), (std::vector<std::string>{"TGimWarning_NoMeanNotInterval@4:5"}));
  EXPECT_EQ(R.Msgs.GetItem(0)->MessageText(),
            "No sense in using the noMean attribute in questions having scales other than "
            "interval.");
}

TEST(GimData, FindQuestionByQualifiedID) {
  TReadData R(kTree);
  R.Survey->Info = New<TMerInfo>();
  R.Survey->Info->ID = "s1";
  R.Survey->Info->Namespace = "ns";
  TGimData& D = *R.Survey->Data;
  struct {
    const char* ID;
    const char* Found;  // null: none
    bool Raises;
  } Cases[] = {
      {"q1", "q1", false},         {"Q1", "q1", false},
      {"q1@s1@ns", "q1", false},   {"q1@S1@NS", "q1", false},
      {"q1.s1.ns", "q1", false},   {"Q2.S1.NS", "q2", false},
      {"q1@s2@ns", nullptr, true}, {"q1@s1@other", nullptr, true},
      {"q1.ns", nullptr, true},    {"q9", nullptr, false},
      {"q1@s1", nullptr, false},   {"m1", nullptr, false},
  };
  for (const auto& C : Cases) {
    if (C.Raises) {
      EXPECT_THROW(D.FindQuestion(C.ID, true), EGimWrongSurveyException) << C.ID;
      // Without raising, the question part is used.
      EXPECT_EQ(D.FindQuestion(C.ID, false), R.Q("q1")) << C.ID;
      continue;
    }
    TGimQuestion* Q = D.FindQuestion(C.ID, true);
    if (C.Found) {
      ASSERT_TRUE(Q) << C.ID;
      EXPECT_EQ(Q->ID, C.Found);
    } else {
      EXPECT_FALSE(Q) << C.ID;
    }
  }
  EXPECT_STREQ(EGimWrongSurveyException().what(), "Incorrect survey identifier.");
}

// An error limit of one and a question cut by the end of the text: the end of the text and
// the closing steps both report, and exactly one exception leaves the reader.
TEST(GimData, ClosingStepsRunOnceWhenTheTextEndsInsideAQuestion) {
  TReadData R(Lines({"def data", "  def module name = \"M\";", "    def question id = q;"}), 1);
  EXPECT_EQ(R.Exceptions, 1);
  ASSERT_GE(R.Msgs.Count(), 1);
  EXPECT_TRUE(R.Msgs.GetItem(0)->IsClass(TOrvMsg_FatalError_UnexpectedEOF));
  // The question is in the tree, with its owner, and no partial state was lost.
  ASSERT_TRUE(R.Survey->Data);
  EXPECT_TRUE(R.Survey->Data->FindQuestion("q", false));

  // With room for messages, the closing steps of the question and the module report as well.
  TReadData Wide(Lines({"def data", "  def module id = m;", "    def question id = q;"}));
  EXPECT_EQ(Wide.Exceptions, 1);
  std::vector<std::string> Names;
  for (int I = 0; I < Wide.Msgs.Count(); ++I)
    Names.emplace_back(Wide.Msgs.GetItem(I)->MsgClass->Name);
  EXPECT_EQ(Names, (std::vector<std::string>{
                       "TOrvMsg_FatalError_UnexpectedEOF", "TGimError_ResponsesNotDefined",
                       "TMerError_NameNotDefined", "TMerError_NameNotDefined"}));
}

TEST(GimData, ModulesNestedTooDeeplyAreSkipped) {
  std::string Text = "def data\r\n";
  for (int I = 0; I < 200; ++I) Text += "def module name = \"M\";\r\n";
  for (int I = 0; I < 200; ++I) Text += "end;\r\n";
  Text += "end;\r\n";
  TReadData R(Text);
  EXPECT_EQ(R.Exceptions, 0);
  ASSERT_EQ(R.Msgs.Count(), 1);
  EXPECT_TRUE(R.Msgs.GetItem(0)->IsClass(TGimError_NestedTooDeep));
}

}  // namespace
}  // namespace quin
