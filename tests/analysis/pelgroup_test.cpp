// Target groups: reading and writing expressions (unknown questions and responses dropped,
// nesting bounded), the three-valued evaluation and its counts, the editing operations, the
// descriptions and the target-group parameter.
#include "analysis/pelgroup.h"

#include <gtest/gtest.h>

#include <functional>

#include "analysis/pelpargroups.h"
#include "analysis/pelparwaves.h"
#include "analysis/pelresgroup.h"
#include "base/random.h"
#include "group_fixture.h"
#include "par_fixture.h"
#include "surveykit/gimexpr.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using namespace quin::test;

const TGimExprOperator& And() { return ExprOperator<TGimExprOperatorLogicConjunction>(); }
const TGimExprOperator& Or() { return ExprOperator<TGimExprOperatorLogicDisjunction>(); }
const TGimExprOperator& Not() { return ExprOperator<TGimExprOperatorLogicNegation>(); }

int CountMsgs(const TOrvMsgList& L, const TOrvMsgClass& C) {
  int N = 0;
  for (int I = 0; I < L.Count(); ++I) N += L.GetItem(I)->IsClass(C);
  return N;
}

class Group : public testing::Test {
 protected:
  TGroupSurvey G;

  std::unique_ptr<TPelGroupVar> Var(const char* Question, std::initializer_list<const char*> Rs) {
    auto V = std::make_unique<TPelGroupVar>(nullptr, &G.S);
    V->Question = G.Q(Question);
    for (const char* R : Rs) V->Values.AddResponse(G.R(Question, R));
    return V;
  }
};

TEST_F(Group, ReadsExpressionsNormalisedAndWritesThemBack) {
  struct TCase {
    const char* Expr;
    const char* Written;  // "" for all cases
  } Cases[] = {
      {"all", ""},
      {"sex = male", "sex = male"},
      {"SEX = Male", "sex = male"},
      {"sex in [male, female]", "sex in [male, female]"},
      {"sex in male, female", "sex in [male, female]"},
      {"(sex = male)", "sex = male"},
      {"not not sex = male", "sex = male"},
      {"not not (sex = male or edu = low)", "sex = male or edu = low"},
      {"not (sex = male and edu = low)", "not (sex = male and edu = low)"},
      {"sex = male and (edu = low or edu = high) and age = years",
       "sex = male and (edu = low or edu = high) and age = years"},
      {"(sex = male and edu = low) or not edu = high",
       "(sex = male and edu = low) or not edu = high"},
      {"age = years in [20:30, 50]", "age = years in [20 : 30, 50]"},
      {"edu in [low, mid in [2]]", "edu in [low, mid in [2]]"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Expr);
    const std::unique_ptr<TPelGroup> Gr = G.Group(C.Expr);
    EXPECT_EQ(Gr->ExprText(), C.Written);
    EXPECT_EQ(Gr->Root == nullptr, std::string(C.Written).empty());
  }
  EXPECT_EQ(G.Msgs.Count(), 0);
  // A lone condition stands in an "and" of one child.
  const std::unique_ptr<TPelGroup> One = G.Group("sex = male");
  EXPECT_TRUE(One->Root->IsAnd());
  EXPECT_EQ(One->Root->ChildCount(), 1);
}

TEST_F(Group, UnknownQuestionsAndResponsesAreDroppedWithInformationKeptByTheGroup) {
  const std::unique_ptr<TPelGroup> A = G.Group("nosuch = x or sex = male and edu = none");
  EXPECT_EQ(A->ExprText(), "sex = male");
  EXPECT_EQ(CountMsgs(G.Msgs, TMerRepInfo_QuestionNotFound), 1);
  EXPECT_EQ(CountMsgs(G.Msgs, TMerRepInfo_ResponseNotFound), 1);
  ASSERT_EQ(A->ReadNotes.Count(), 2);
  EXPECT_EQ(A->ReadNotes.GetItem(0)->MessageText(), "Question with (ID: nosuch) not found.");
  EXPECT_EQ(A->ReadNotes.GetItem(1)->MessageText(),
            "Response (ID: none) not found in question (ID: edu).");
  // A lone unknown condition leaves all cases.
  EXPECT_EQ(G.Group("sex = nobody")->Root, nullptr);
  // A value whose codes cannot be read goes with an error: an empty code list would not read
  // back.
  for (const char* Expr : {"sex = male or age = years in [x]", "sex = male or age = years in []"}) {
    SCOPED_TRACE(Expr);
    G.Msgs.Clear();
    const std::unique_ptr<TPelGroup> B = G.Group(Expr);
    EXPECT_EQ(B->ExprText(), "sex = male");
    EXPECT_GE(G.Msgs.ErrorCount(), 1);
  }
}

TEST_F(Group, ExpressionKeyReadsWithinSubParameterAndNestingIsBounded) {
  const std::string Deep = std::string(200, '(') + "sex = male" + std::string(200, ')');
  const std::string Nots = [] {
    std::string S;
    for (int I = 0; I < 200; ++I) S += "not ";
    return S + "sex = male";
  }();
  for (const std::string& Expr : {Deep, Nots}) {
    G.Msgs.Clear();
    auto Gr = New<TPelGroup>(&G.S, nullptr);
    Gr->ReadBody(*G.Scan("expr = " + Expr + "; name = \"After\"; end;"), &G.S);
    EXPECT_EQ(CountMsgs(G.Msgs, TPelError_GroupTooDeep), 1);
    EXPECT_EQ(G.Msgs.Count(), 1);
    EXPECT_EQ(Gr->Root, nullptr);
    EXPECT_EQ(Gr->GetName(), "After");
  }
  // The bound itself: one level less reads, nesting exactly at the bound is refused, by
  // parentheses and by "not" alike.
  const auto Parens = [](int N) {
    return std::string(static_cast<size_t>(N), '(') + "sex = male" +
           std::string(static_cast<size_t>(N), ')');
  };
  const auto NotChain = [](int N) {
    std::string S;
    for (int I = 0; I < N; ++I) S += "not ";
    return S + "sex = male";
  };
  for (const std::function<std::string(int)>& Nested :
       {std::function<std::string(int)>(Parens), std::function<std::string(int)>(NotChain)})
    for (int N : {kPelGroupMaxDepth - 1, kPelGroupMaxDepth}) {
      SCOPED_TRACE(Nested(N));
      G.Msgs.Clear();
      auto Gr = New<TPelGroup>(&G.S, nullptr);
      Gr->ReadBody(*G.Scan("expr = " + Nested(N) + "; end;"), &G.S);
      const bool Refused = N == kPelGroupMaxDepth;
      EXPECT_EQ(CountMsgs(G.Msgs, TPelError_GroupTooDeep), Refused ? 1 : 0);
      EXPECT_EQ(Gr->Root == nullptr, Refused);
    }
  // Well inside the bound, and the parenthesis after an expression is passed over.
  G.Msgs.Clear();
  auto Gr = New<TPelGroup>(&G.S, nullptr);
  Gr->ReadBody(*G.Scan("expr = ((sex = female)) (x); hidden = 1; end;"), &G.S);
  EXPECT_EQ(G.Msgs.Count(), 0);
  EXPECT_EQ(Gr->ExprText(), "sex = female");
  EXPECT_TRUE(Gr->Hidden);
}

TEST_F(Group, WritesAllForNoExpressionAndLeavesValuelessConditionsOut) {
  auto Gr = New<TPelGroup>(&G.S, nullptr);
  const auto Body = [&] {
    return Written([&](TStream& S) {
      int Indent = 0;
      Gr->WriteBody(S, Indent);
    });
  };
  EXPECT_EQ(Body(), "GUID = \"" + GUIDToString(Gr->GUID) + "\";\r\nexpr = all;\r\n");
  Gr->AddCondition(Var("sex", {"male"}), And(), nullptr, nullptr);
  Gr->AddCondition(Var("edu", {}), And(), nullptr, nullptr);
  EXPECT_EQ(Body(), "GUID = \"" + GUIDToString(Gr->GUID) + "\";\r\nexpr = sex = male;\r\n");
}

// The fixture's answers: sex = male, female, -, male, female, -; edu = low, -, high, mid, low, -;
// age = 20, 30, -, 40, 50, 60.
TEST_F(Group, EvaluatesThreeValuedPerRecord) {
  struct TCase {
    const char* Expr;
    const char* Selected;
    const char* Missing;
  } Cases[] = {
      {"all", "111111", "000000"},
      {"sex = male", "100100", "001001"},
      {"not sex = male", "010010", "001001"},
      // False and unknown is false; unknown and unknown stays unknown.
      {"sex = male and edu = low", "100000", "000001"},
      // True or unknown is true; false or unknown is unknown.
      {"sex = male or edu = low", "100110", "011001"},
      {"sex in [male, female] and not edu = mid", "100010", "011001"},
      {"age = years in [20:30]", "110000", "001000"},
      // "not" of a node inverts also where the node is unknown; the count then deselects
      // the missing records of the listed waves.
      {"not (sex = male or edu = low)", "000000", "011001"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Expr);
    std::unique_ptr<TPelGroup> Gr = G.Group(C.Expr);
    Gr->Evaluate(G.S.Waves.get(), nullptr, G.S.Recset(0));
    EXPECT_EQ(FlagText(Gr->Selected), C.Selected);
    EXPECT_EQ(FlagText(Gr->Missing), C.Missing);
    EXPECT_TRUE(Gr->Calculated);
  }
}

TEST_F(Group, CountsOnlyTheListedWavesWithTheWeights) {
  std::unique_ptr<TPelGroup> Gr = G.Group("sex = male or edu = low");
  // Weights 1, 2, 1, 0.5, 1, 2; selected 0, 3, 4; missing 1, 2, 5.
  EXPECT_EQ(Gr->Evaluate(G.S.Waves.get(), G.Weight(), G.S.Recset(0)), 3);
  EXPECT_EQ(Gr->CaseCount, 6);
  EXPECT_EQ(Gr->SelectedCount, 3);
  EXPECT_EQ(Gr->MissingCount, 3);
  EXPECT_DOUBLE_EQ(Gr->WeightedCases, 7.5);
  EXPECT_DOUBLE_EQ(Gr->WeightedSelected, 2.5);
  EXPECT_DOUBLE_EQ(Gr->WeightedMissing, 5);

  // Only the second wave: its records counted, the first wave's flags as the expression left
  // them (record 1 is unknown there, record 2 too).
  auto W2 = TGimWaveList::CreateSubset(&G.S, /*OwnsWaves=*/false, /*AddAll=*/false);
  W2->Children->Add(G.S.Waves->GetItem(1));
  std::unique_ptr<TPelGroup> Neg = G.Group("not (sex = male or edu = low)");
  EXPECT_EQ(Neg->Evaluate(W2.get(), nullptr, G.S.Recset(0)), 0);
  EXPECT_EQ(FlagText(Neg->Selected), "011000");
  EXPECT_EQ(Neg->CaseCount, 3);
  EXPECT_EQ(Neg->MissingCount, 1);

  // Without a wave list nothing is counted; all cases select nothing then.
  std::unique_ptr<TPelGroup> All = G.Group("all");
  EXPECT_EQ(All->Evaluate(nullptr, nullptr, G.S.Recset(0)), 0);
  EXPECT_EQ(FlagText(All->Selected), "000000");
  EXPECT_EQ(All->CaseCount, 0);
}

TEST_F(Group, ConditionsAreAddedUnderTheOperatorRules) {
  auto Gr = New<TPelGroup>(&G.S, nullptr);
  Gr->AddCondition(Var("sex", {"male"}), And(), nullptr, nullptr);
  EXPECT_EQ(Gr->ExprText(), "sex = male");
  // A one-child node simply takes the new operator.
  Gr->AddCondition(Var("edu", {"low"}), Or(), nullptr, nullptr);
  EXPECT_EQ(Gr->ExprText(), "sex = male or edu = low");
  // Several children move into a node of the old operator.
  TPelGroupVar* Age = Gr->AddCondition(Var("age", {"years"}), And(), nullptr, nullptr);
  EXPECT_EQ(Gr->ExprText(), "(sex = male or edu = low) and age = years");
  // With a sibling, a node of the new operator takes the sibling's place.
  TPelGroupVar* High = Gr->AddCondition(Var("edu", {"high"}), Or(), nullptr, Age);
  EXPECT_EQ(Gr->ExprText(), "(sex = male or edu = low) and (age = years or edu = high)");
  EXPECT_EQ(Gr->FindParentNode(High), Gr->FindParentNode(Age));
  EXPECT_EQ(Gr->FindParentNode(Gr->Root.get()), nullptr);

  // Removing the last value removes the condition, and the node left with one child goes.
  Gr->RemoveObject(High->Values.GetItem(0), true);
  EXPECT_EQ(Gr->ExprText(), "(sex = male or edu = low) and age = years");
  Gr->RemoveObject(Age, true);
  EXPECT_EQ(Gr->ExprText(), "sex = male or edu = low");
  EXPECT_TRUE(Gr->Root->IsOr());
  Gr->RemoveObject(Gr->Root->Child(1), true);
  Gr->RemoveObject(Gr->Root->Child(0), true);
  EXPECT_EQ(Gr->Root, nullptr);
  EXPECT_EQ(Gr->GetText(), "All cases");
}

TEST_F(Group, NormalisingCancelsDoubleNegationAtTheRootAndBelow) {
  auto Gr = New<TPelGroup>(&G.S, nullptr);
  Gr->Root = std::make_unique<TPelGroupNode>(nullptr, &G.S, Not());
  auto* Inner = static_cast<TPelGroupNode*>(
      Gr->Root->Children.Add(std::make_unique<TPelGroupNode>(nullptr, &G.S, Not())));
  Inner->Children.Add(Var("sex", {"female"}));
  Gr->Normalize(Gr->Root.get());
  ASSERT_NE(Gr->Root, nullptr);
  EXPECT_TRUE(Gr->Root->IsAnd());
  EXPECT_EQ(Gr->ExprText(), "sex = female");

  // Below the root "not not" gives way to the inner node, whose children then stay together.
  std::unique_ptr<TPelGroup> B = G.Group("edu = low or not not (sex = male and age = years)");
  EXPECT_EQ(B->ExprText(), "edu = low or (sex = male and age = years)");
}

TEST_F(Group, CopiesAreDeepAndDisplayTextsAreTranslated) {
  std::unique_ptr<TPelGroup> Gr = G.Group("sex = male and not edu in [low, mid]");
  Gr->SetName("Men");
  std::unique_ptr<TPelGroup> C = CopyOf(*Gr);
  Gr->RemoveObject(Gr->Root->Child(1), true);
  EXPECT_EQ(C->ExprText(), "sex = male and not edu in [low, mid]");
  EXPECT_EQ(C->GetText(), "Men: Sex = Male and not Education in [Low, Middle]");
  TPelGroupResponseList& Values =
      static_cast<TPelGroupVar*>(static_cast<TPelGroupNode*>(C->Root->Child(1))->Child(0))->Values;
  EXPECT_EQ(Values.IndexOfResponse(G.R("edu", "mid")), 1);
  EXPECT_FALSE(Values.ContainsResponse(G.R("edu", "high")));

  TPelGroupVal* Range = Values.AddCode(G.R("edu", "high"), 3);
  EXPECT_EQ(Range->GetText(), "High in [3]");
  EXPECT_EQ(Range->AsLabel(), "High: [3]");

  auto Polish = New<TOrvLangManager>("plk");
  TLangManagerBinding Bind(Polish.get());
  // Every operator in the session's language, "in" too.
  EXPECT_EQ(C->Root->GetText(), "Sex = Male i nie Education w [Low, Middle, High w [3]]");
}

TEST_F(Group, RandomGroupsAreNormalisedAndReadBack) {
  TOrvRandGenDefault Gen;
  for (uint32_t Seed = 1; Seed <= 40; ++Seed) {
    Gen.SetSeed(Seed);
    std::unique_ptr<TPelGroup> Gr = TPelGroup::CreateRandom(&G.S, nullptr, Gen);
    ASSERT_NE(Gr->Root, nullptr);
    const std::string Text = Gr->ExprText();
    EXPECT_EQ(G.Group(Text)->ExprText(), Text) << Seed;
  }
  EXPECT_EQ(G.Msgs.Count(), 0);
}

class GroupInfo : public Group {
 protected:
  TPelParList List{&G.S};
  TPelDataBasedOn BasedOn{G.S.Recset(0)};
  TPelParGroups* Par = nullptr;
  void SetUp() override {
    List.BasedOn = &BasedOn;
    Par = static_cast<TPelParGroups*>(List.AddPar(New<TPelParGroups>(&G.S)));
  }
  TPelGroup* Add(const std::string& Expr) {
    auto* Gr = static_cast<TPelGroup*>(Par->AddSubPar(Par->NewSubPar(nullptr)));
    Gr->ParseExpr(*G.Scan(Expr), &G.S);
    return Gr;
  }
};

TEST_F(GroupInfo, DescribesCasesEstimatesErrorsAndMissingValues) {
  TPelGroup* Gr = Add("sex = male or edu = low");
  const TGimWaveList* W = G.S.Waves.get();
  TMerRecset* R = G.S.Recset(0);
  // 3 of 6 records; weighted 2.5 of the 7.5 - 5 defined: 100 % and 2.5 / 2.5 x 1000 / 1000.
  EXPECT_EQ(Par->GetGroupInfoText(Gr, 0, W, G.Weight(), R),
            "Cases: 3 = 50.0% of the whole sample (population estimation in '000: 1 = 100.0% of "
            "the whole population)");
  EXPECT_EQ(Par->GetGroupInfoText(Gr, 0, W, nullptr, R), "Cases: 3 = 50.0% of the whole sample");
  EXPECT_EQ(Par->GetGroupInfoText(Gr, 1, W, nullptr, R),
            "Unknown maximum error - group size too small");
  EXPECT_EQ(Par->GetGroupInfoText(Gr, 3, W, nullptr, R),
            "Some cases in the selected target group contain missing values (3)");
  EXPECT_EQ(Par->GetGroupInfoText(nullptr, 3, W, nullptr, R),
            "There are no missing values in the selected target group");
  EXPECT_EQ(Par->GetGroupInfoText(nullptr, 0, W, nullptr, R),
            "Cases: 6 = 100.0% of the whole sample");
  EXPECT_EQ(Par->GetGroupInfoText(Gr, 2, W, nullptr, R), "");
}

TEST_F(GroupInfo, AnEmptyRecordSetIsNoShareOfTheSample) {
  TEnglishSession English;
  TOpened<> Empty(SurveyFileBytes(GroupDefinition(), {TSwSurveyRecset{"resp", {{}, {}}}}));
  auto P = New<TPelParGroups>(Empty.Survey.get());
  EXPECT_EQ(P->GetGroupInfoText(nullptr, 0, Empty.Survey->Waves.get(), nullptr, &Empty.R(0)),
            "Cases: 0 = 0.0% of the whole sample");
}

TEST_F(GroupInfo, ItemAndDimensionTextsDescribeTheVisibleGroups) {
  Add("sex = female");
  Add("edu = high")->Hidden = true;
  Add("all");
  EXPECT_EQ(Par->GetItemInfoText(0, 1),
            "Selected target group:\r\n  All cases\r\n  Cases: 6 = 100.0% of the whole sample");
  EXPECT_EQ(Par->GetItemInfoText(0, 2), "");
  EXPECT_EQ(Par->GetDimInfoText(0, 0),
            "Target groups:\r\n  Sex = Female\r\n  Cases: 2 = 33.3% of the whole sample"
            "\r\n  All cases\r\n  Cases: 6 = 100.0% of the whole sample");
  EXPECT_EQ(Par->GetDisplayName(), "Target groups");
  EXPECT_EQ(Par->SubPar(0)->GetName(), "Target group 1");
  EXPECT_EQ(Par->SubPar(2)->GetName(), "All cases");
}

TEST_F(GroupInfo, DescriptionsCountInTheWavesTheTableShows) {
  auto Ids = [](const std::unique_ptr<TGimWaveList>& L) {
    std::string S;
    for (int I = 0; L && I < L->Count(); ++I) S += L->GetItem(I)->GetID() + " ";
    return S;
  };
  EXPECT_EQ(Ids(Par->GetInfoWaveList()), "w1 w2 ");
  auto* W = static_cast<TPelParWaves*>(List.AddPar(New<TPelParWaves>(&G.S)));
  W->ReadBody(*G.Scan("def subpar list = w2; end; def subpar list = w1; end; end;"), &G.S);
  EXPECT_EQ(Ids(Par->GetInfoWaveList()), "w1 w2 ");  // not a table dimension
  TPelParList Cols(&G.S, false), Layers(&G.S, false);
  TPelParSelections Selections;
  Par->TableLayers = &Layers;
  Par->TableLayerSelections = &Selections;
  Layers.Add(W);
  Selections.SetSelected(W, 1);
  EXPECT_EQ(Ids(Par->GetInfoWaveList()), "w1 ");
  Layers.Clear();
  Cols.Add(W);
  Par->TableCols = &Cols;
  EXPECT_EQ(Ids(Par->GetInfoWaveList()), "w2 w1 ");
  // The first group counted in the second wave only: one of its three records is a woman.
  Add("sex = female");
  Par->TableCols = nullptr;
  Layers.Add(W);
  Selections.SetSelected(W, 0);
  EXPECT_EQ(Par->GetItemInfoText(0, 0),
            "Selected target group:\r\n  Sex = Female\r\n  Cases: 1 = 16.7% of the whole sample");
}

TEST_F(GroupInfo, ParameterFileRoundTripKeepsNamesAndExpressions) {
  const std::string Text = ParFileHead() +
                           "def groupList\r\n"
                           "  survey = s1@ns;\r\n"
                           "  def subpar\r\n"
                           "    name = \"Women\";\r\n"
                           "    expr = sex = female and not age = years in [15 : 29];\r\n"
                           "  end;\r\n"
                           "  def subpar\r\n"
                           "    expr = all;\r\n"
                           "  end;\r\n"
                           "end;\r\n";
  std::unique_ptr<TPelRWObjectFile> F = ReadParFile(G.S, Text);
  ASSERT_EQ(F->Elems.Count(), 1);
  auto* P = As<TPelParGroups>(F->Elems.GetItem(0)->Obj.get());
  ASSERT_NE(P, nullptr);
  ASSERT_EQ(P->SubParCount(), 2);
  EXPECT_EQ(P->SubPar(0)->GetName(), "Women");
  EXPECT_EQ(FileText(*F), Text);
  EXPECT_EQ(FindRWObjectClass("GROUPLIST"), &RWClassOf<TPelParGroups>());
  EXPECT_TRUE(P->IsAvailableInMode(1));
  EXPECT_TRUE(P->UsesCaseGroups());
  // Each group is one item whose element holds the parameter's group.
  std::unique_ptr<TPelResElem> E(P->CreateResElem(0));
  ASSERT_TRUE(E && E->IsExactly<TPelResGroup>());
  EXPECT_EQ(E->Group.get(), P->SubPar(0));
}

}  // namespace
}  // namespace quin
