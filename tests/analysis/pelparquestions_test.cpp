// The questions and response-axis parameters: listed responses and numeric values as items,
// both layouts, splitting a grid question by its axes, and reading and writing.
#include "analysis/pelparquestions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/random.h"
#include "deflang/rixscanner.h"
#include "par_fixture.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimquestions.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using namespace quin::test;

class ParQuestions : public testing::Test {
 protected:
  TParSurvey P;
  TOrvMsgList Msgs;
  TPelParList List{&P.S};
  // Reads Body into a parameter of class T appended to List.
  template <class T = TPelParDefQuestions>
  T* Read(const std::string& Body) {
    T* Par = static_cast<T*>(List.AddPar(New<T>(&P.S)));
    auto S = New<TRixScanner>(Body + " end;", &Msgs);
    S->NextToken();
    Par->ReadBody(*S, &P.S);
    return Par;
  }
  TGimQuestion* Q(const char* ID) { return P.S.Data->FindQuestion(ID, false); }
};

TEST_F(ParQuestions, ListedResponsesAndNumericValuesAreTheItems) {
  TMadeElems Made;
  auto* Par = Read("list = sex, nosuch; question = age;");
  ASSERT_EQ(Par->Questions, (std::vector<TGimQuestion*>{Q("sex"), Q("age")}));
  ASSERT_EQ(Msgs.Count(), 1);
  EXPECT_TRUE(Msgs[0]->IsClass(TMerRepInfo_QuestionNotFound));
  // Ages 20, 30 and 40 occur: one item per distinct value.
  EXPECT_EQ(Par->GetItemCount(), 5);
  EXPECT_EQ(Par->GetAllLabels(), (TPelLabels{"Sex: Male", "Sex: Female", "Age: Years [20]",
                                             "Age: Years [30]", "Age: Years [40]"}));
  EXPECT_EQ(Par->GetItemInfoText(0, 3), "Selected question and response: Age: Years [30]");
  EXPECT_EQ(Par->GetLabelList(true, false, true, false, false),
            (TPelLabels{"Sex", "Male", "", "Female", "Age", "Years [20]", "", "Years [30]", "",
                        "Years [40]"}));
  const TPelResVarVal* Male = Made.As<TPelResVarVal>(Par->CreateResElem(0));
  EXPECT_TRUE(Male->IsExactly<TPelResVarVal>());
  EXPECT_EQ(Male->Question, Q("sex"));
  EXPECT_EQ(Male->Axis, nullptr);
  const TPelResVarValCode* First = Made.As<TPelResVarValCode>(Par->CreateResElem(2));
  EXPECT_TRUE(First->IsValueItem);
  EXPECT_EQ(First->Code, 20);
  EXPECT_FALSE(Made.As<TPelResVarValCode>(Par->CreateResElem(4))->IsValueItem);
  EXPECT_EQ(Par->CreateResElem(5), nullptr);
  // Header column 0 holds no element.
  EXPECT_EQ(Par->CreateResElemAt({0, 0}, true, false, true), nullptr);
  EXPECT_TRUE(Par->UsesCaseGroups());
}

TEST_F(ParQuestions, TheTwoDimensionalLayoutGivesEachQuestionATitleRow) {
  TMadeElems Made;
  auto* Par = Read("list = sex, freq;");
  const TPelDims D = Par->GetDims2D(/*Selectable=*/true, /*Means=*/false, /*Detail=*/true);
  EXPECT_EQ(D.X, 1);
  EXPECT_EQ(D.Y, 2 + 2 + 4);
  EXPECT_EQ(Par->GetGroupCount2D(true, false, true), 2);
  EXPECT_TRUE(Par->IsGroupStart2D(0, true, false, true));
  EXPECT_FALSE(Par->IsGroupStart2D(1, true, false, true));
  EXPECT_TRUE(Par->IsGroupStart2D(3, true, false, true));
  // All rows at once (one more than the layout has: not a start).
  const std::vector<uint8_t> Starts{1, 0, 0, 1, 0, 0, 0, 0, 0};
  EXPECT_EQ(Par->GroupStarts2D(9, true, false, true), Starts);
  EXPECT_EQ(Par->GroupStarts2D(0, true, false, true), std::vector<uint8_t>{});
  EXPECT_EQ(Par->GetLabelAt2D({0, 3}, true, false, true, false, false), "Frequency");
  EXPECT_EQ(Par->GetGroupLabel2D(5, true, false, true, false, false), "Frequency");
  const TPelResElemVec Elems =
      Made.KeepAll(Par->CreateResElemList2D(/*Selectable=*/true, /*Means=*/false, /*Detail=*/true));
  ASSERT_EQ(Elems.size(), 8u);
  EXPECT_EQ(Made.As<TPelResVar>(Elems[3])->Question, Q("freq"));
  EXPECT_TRUE(Elems[4]->IsExactly<TPelResVarVal>());
}

TEST_F(ParQuestions, ASingleGridQuestionSplitsByItsAxes) {
  auto* Par = Read("splitResponseAxi = 1; question = freq;");
  ASSERT_TRUE(Par->SplitsAxes());
  // The first axis is shown by the parameter itself.
  EXPECT_EQ(Par->GetItemCount(), 2);
  EXPECT_EQ(Par->GetAllLabels(),
            (TPelLabels{"Frequency - Medium: TV", "Frequency - Medium: Radio"}));
  EXPECT_EQ(Par->GetCaption(), "Questions - Medium");
  EXPECT_FALSE(Par->UsesCaseGroups());
  EXPECT_EQ(Par->GetExtraAxisCount(), 1);

  Par->UpdateState();
  EXPECT_TRUE(Par->AxesWanted);
  EXPECT_FALSE(Par->AxesStale);
  auto* Axis = static_cast<TPelParDefResponseAxis*>(Par->CreateAxisPar(1));
  ASSERT_NE(Axis, nullptr);
  EXPECT_EQ(List.IndexOf(Axis), 1);
  EXPECT_EQ(Axis->Parent, Par);
  EXPECT_EQ(Axis->GetResponseAxisIndex(), 1);
  EXPECT_EQ(Axis->GetAllLabels(),
            (TPelLabels{"Frequency - Often: Daily", "Frequency - Often: Never"}));
  EXPECT_EQ(Axis->GetCaption(), "Questions - Often");
  EXPECT_FALSE(Axis->IsEditable());
  Par->UpdateState();
  EXPECT_FALSE(Par->AxesWanted);

  // Another question makes the axis parameters stale.
  Par->Questions.push_back(Q("sex"));
  Par->UpdateState();
  EXPECT_TRUE(Par->AxesStale);
  EXPECT_FALSE(Par->SplitsAxes());
  EXPECT_FALSE(Par->SplitAxes);
  // Deleting the questions parameter deletes its axis parameters.
  List.DeleteWithDependants(0);
  EXPECT_EQ(List.Count(), 0);
}

TEST_F(ParQuestions, SplittingNeedsASingleGridQuestion) {
  auto* Two = Read("splitResponseAxes = 1; list = freq, sex;");
  EXPECT_FALSE(Two->SplitAxes);
  auto* Grid = Read("splitResponseAxes = 1; question = freq;");
  ASSERT_TRUE(Grid->SplitAxes);
  Grid->Questions.push_back(Q("sex"));
  EXPECT_FALSE(CopyOf(*Grid)->SplitAxes);
  EXPECT_EQ(Two->GetExtraAxisCount(), 0);
  EXPECT_EQ(Two->CreateAxisPar(1), nullptr);
}

TEST_F(ParQuestions, AxisBlocksFindTheirAxisThroughTheLastQuestionsParameter) {
  auto* Before = Read<TPelParDefResponseAxis>("id = often;");
  EXPECT_EQ(Before->Axis, nullptr);
  EXPECT_EQ(Before->GetDefaultName(), "");
  EXPECT_EQ(Before->GetItemCount(), 0);
  EXPECT_EQ(Before->GetDims2D(true, false, true).Y, 1);
  auto* Par = Read("splitResponseAxes = 1; question = freq;");
  // Axis identifiers compare without regard to case.
  auto* Axis = Read<TPelParDefResponseAxis>("id = OFTEN;");
  ASSERT_NE(Axis->Axis, nullptr);
  EXPECT_EQ(Axis->Parent, Par);
  EXPECT_EQ(Axis->GetName(), "Often");
  EXPECT_TRUE(Axis->IsGroupStart2D(0, true, false, true));
  EXPECT_EQ(Axis->GetLabelAt2D({0, 0}, true, false, true, false, false), "Frequency - Often");
  EXPECT_EQ(Axis->GetLabelAt2D({0, 2}, true, false, true, false, false), "Never");
  EXPECT_EQ(Written([&](TStream& S) {
              int Indent = 0;
              Axis->WriteBody(S, Indent);
            }),
            "id = often;\r\n");
  Read("question = sex;");
  EXPECT_EQ(Read<TPelParDefResponseAxis>("id = often;")->Axis, nullptr);
}

TEST_F(ParQuestions, WrittenQuestionsReadBackInOrder) {
  auto* Par = Read("splitResponseAxes = 1; question = freq; name = \"Mine\";");
  EXPECT_EQ(Written([&](TStream& S) {
              int Indent = 0;
              Par->WriteBody(S, Indent);
            }),
            "name = \"Mine\";\r\nsplitResponseAxes = 1;\r\nquestion = freq;\r\n");
  auto* Two = Read("list = age, sex;");
  const std::string Text = Written([&](TStream& S) {
    int Indent = 0;
    Two->WriteBody(S, Indent);
  });
  EXPECT_EQ(Text, "question = age;\r\nquestion = sex;\r\n");
  EXPECT_EQ(Read(Text)->Questions, Two->Questions);
  // A nested block of a kind the parameter does not hold is reported and skipped.
  Msgs.Clear();
  auto* Odd = Read("def stray name = \"x\"; end; question = sex;");
  EXPECT_EQ(Odd->Questions, (std::vector<TGimQuestion*>{Q("sex")}));
  EXPECT_EQ(Msgs.ErrorCount(), 1);
}

TEST_F(ParQuestions, RecordSetsAndRandomContent) {
  auto* Par = Read("list = sex, age;");
  EXPECT_FALSE(Par->UsesOtherRecset(P.S.Recset(0)));
  EXPECT_TRUE(Par->UsesOtherRecset(nullptr));
  Par->RestrictToRecset(P.S.Recset(0));
  EXPECT_EQ(Par->Questions.size(), 2u);
  Par->RestrictToRecset(nullptr);
  EXPECT_TRUE(Par->IsEmpty());
  TOrvRandGenDefault Gen;
  Gen.SetSeed(3);
  for (int I = 0; I < 10; ++I) {
    Par->Randomize(Gen);
    ASSERT_GE(Par->Questions.size(), 1u);
    std::vector<TGimQuestion*> Sorted = Par->Questions;
    std::sort(Sorted.begin(), Sorted.end());
    EXPECT_EQ(std::adjacent_find(Sorted.begin(), Sorted.end()), Sorted.end());
  }
}

}  // namespace
}  // namespace quin
