// User-defined questions: the question built from a definition, its evaluation inside another
// group (which keeps counting with its own weights), its nested block in a questions
// parameter and the save prompt of their files.
#include "analysis/peluserdef.h"

#include <gtest/gtest.h>

#include "analysis/pelparquestions.h"
#include "base/orvdialogs.h"
#include "group_fixture.h"
#include "par_fixture.h"
#include "surveykit/gimexpr.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

using namespace quin::test;

class UserDef : public testing::Test {
 protected:
  TGroupSurvey G;
  std::unique_ptr<TPelUserDef> Def = New<TPelUserDef>(&G.S);

  TPelGroup* AddGroup(const std::string& Expr) {
    auto* Gr = static_cast<TPelGroup*>(Def->AddSubPar(Def->NewSubPar(nullptr)));
    Gr->ParseExpr(*G.Scan(Expr), &G.S);
    return Gr;
  }
};

TEST_F(UserDef, ADefinitionBuildsAQuestionWithOneResponsePerGroup) {
  AddGroup("sex = male");
  AddGroup("sex = female")->SetName("Women");
  AddGroup("all");
  Def->SetName("Gender");
  std::unique_ptr<TPelUserDefQuestion> Q = Def->BuildQuestion();
  EXPECT_EQ(Q->GetName(), "Gender");
  EXPECT_EQ(Q->DefGUID, Def->DefGUID);
  EXPECT_EQ(Q->VerGUID, Def->VerGUID);
  EXPECT_NE(Q->DefGUID, Q->VerGUID);
  ASSERT_EQ(Q->Responses->Count(), 3);
  EXPECT_EQ(Q->Responses->GetItem(0)->GetName(), "Response 1");
  EXPECT_EQ(Q->Responses->GetItem(1)->GetName(), "Women");
  EXPECT_EQ(Q->Responses->GetItem(2)->GetName(), "Response 3");
  EXPECT_EQ(Q->ImageIndex(), 10);
  EXPECT_EQ(Def->GetDisplayName(), "Gender");
  EXPECT_FALSE(Def->AllowsEmpty());
  EXPECT_EQ(FindRWObjectClass("USERDEF"), &RWClassOf<TPelUserDef>());

  // Each response selects what its group selects.
  std::vector<uint8_t> Selected, Missing;
  Q->EvaluateResponses({Q->Responses->GetItem(1)}, Selected, Missing, G.S.Recset(0));
  EXPECT_EQ(FlagText(Selected), "010010");
  EXPECT_EQ(FlagText(Missing), "001001");
  const std::unique_ptr<TPelUserDef> Back = Q->CreateDefinition();
  ASSERT_EQ(Back->SubParCount(), 3);
  EXPECT_EQ(static_cast<TPelGroup*>(Back->SubPar(1))->ExprText(), "sex = female");
  EXPECT_EQ(Back->GetName(), "Gender");
}

TEST_F(UserDef, AConditionOnItCountsWithTheOuterGroupsWeights) {
  AddGroup("edu = low");
  AddGroup("edu in [mid, high]");
  std::unique_ptr<TPelUserDefQuestion> Q = Def->BuildQuestion();
  // "q = Response 2 or sex = female", evaluated unweighted: the user-defined question's group
  // is evaluated with the survey's first weighting meanwhile.
  auto Outer = New<TPelGroup>(&G.S, nullptr);
  auto V = std::make_unique<TPelGroupVar>(nullptr, &G.S);
  V->Question = Q.get();
  V->Values.AddResponse(Q->Responses->GetItem(1));
  Outer->AddCondition(std::move(V), ExprOperator<TGimExprOperatorLogicConjunction>(), nullptr,
                      nullptr);
  auto Sex = std::make_unique<TPelGroupVar>(nullptr, &G.S);
  Sex->Question = G.Q("sex");
  Sex->Values.AddResponse(G.R("sex", "female"));
  Outer->AddCondition(std::move(Sex), ExprOperator<TGimExprOperatorLogicDisjunction>(), nullptr,
                      nullptr);
  EXPECT_EQ(Outer->Evaluate(G.S.Waves.get(), nullptr, G.S.Recset(0)), 4);
  EXPECT_EQ(FlagText(Outer->Selected), "011110");
  EXPECT_EQ(Outer->WeightedCases, 6);
  EXPECT_EQ(Outer->WeightedSelected, 4);
  EXPECT_EQ(G.S.Weights->PreparedWeight(), nullptr);
}

TEST_F(UserDef, QuestionsParametersKeepTheirUserDefinedQuestions) {
  AddGroup("sex = male");
  AddGroup("sex = female and not edu = low");
  Def->SetName("Mine");
  auto Par = New<TPelParDefQuestions>(&G.S);
  Par->Questions.push_back(G.Q("age"));
  Par->AddUserQuestion(Def->BuildQuestion());
  TPelRWObjectFile F(&G.S, 0);
  F.AddObject(std::move(Par));
  const std::string Text = FileText(F);
  EXPECT_NE(Text.find("  def userDef\r\n    name = \"Mine\";\r\n"), std::string::npos);
  EXPECT_NE(Text.find("      expr = sex = female and not edu = low;\r\n"), std::string::npos);
  std::unique_ptr<TPelRWObjectFile> Back = ReadParFile(G.S, Text);
  auto* P = As<TPelParDefQuestions>(Back->Elems.GetItem(0)->Obj.get());
  ASSERT_TRUE(P && P->Questions.size() == 2);
  auto* Q = As<TPelUserDefQuestion>(P->Questions[1]);
  ASSERT_NE(Q, nullptr);
  EXPECT_EQ(Q->GetName(), "Mine");
  EXPECT_EQ(Q->DefGUID, Def->DefGUID);
  EXPECT_EQ(Q->VerGUID, Def->VerGUID);
  EXPECT_EQ(FileText(*Back), Text);
}

class AnsweringDialogs : public TDialogHandler {
 public:
  int Answer = IDNO;
  std::string Name;
  int Boxes = 0;
  int MessageBox(const std::string&, const std::string&, unsigned) override {
    ++Boxes;
    return Answer;
  }
  bool FileDialog(TFileDialogParams& D) override {
    D.FileName = Name;
    return !Name.empty();
  }
};

TEST_F(UserDef, SavePromptsAskForNamelessFilesOnly) {
  auto Dialogs = std::make_shared<AnsweringDialogs>();
  const std::shared_ptr<TDialogHandler> Previous = SetDialogHandler(Dialogs);
  TPelUserDefFileList L(&G.S);
  EXPECT_TRUE(L.PromptSave());
  L.Add(std::make_unique<TPelRWObjectFile>(&G.S, 0));
  EXPECT_TRUE(L.PromptSave());  // No
  Dialogs->Answer = IDCANCEL;
  EXPECT_FALSE(L.PromptSave());
  Dialogs->Answer = IDYES;
  EXPECT_FALSE(L.PromptSave());  // the name dialog cancelled
  const TTempFolder Temp;
  const std::string Path = Temp.File("userdefs.zop");
  Dialogs->Name = Path;
  EXPECT_TRUE(L.PromptSave());
  EXPECT_EQ(L.GetItem(0)->FileName, Path);
  EXPECT_EQ(Dialogs->Boxes, 4);
  EXPECT_TRUE(L.PromptSave());  // named now: nothing asked
  EXPECT_EQ(Dialogs->Boxes, 4);
  SetDialogHandler(Previous);
}

}  // namespace
}  // namespace quin
