// Survey-kit messages, expression operators, key tables and column references.
#include <gtest/gtest.h>

#include "base/text.h"
#include "survey_fixture.h"
#include "surveykit/gimexpr.h"
#include "surveykit/merkeys.h"
#include "surveykit/mermessages.h"
#include "tests/support/memrecset.h"

namespace quin {
namespace {

using test::TMemRecset;
using test::TTestSurvey;

TEST(MerMessages, KindsTextsAndArguments) {
  test::TEnglishSession English;
  auto R = TOrvMsg::CreateFromArgs(TMerRepInfo_ResponseNotFound, {}, {"r5", "q2"});
  EXPECT_EQ(R->MessageText(), "Response (ID: r5) not found in question (ID: q2).");
  EXPECT_TRUE(R->Kind->InheritsFrom(TOrvMsgKind_Info()));
  EXPECT_TRUE(R->Kind->InheritsFrom(TMerMsgKind_RepOutInfo()));
  EXPECT_STREQ(R->Kind->Code, "I");
  EXPECT_FALSE(TOrvMsg::Create(TOrvMsg_FatalError_TooManyErrors, {})
                   ->Kind->InheritsFrom(TMerMsgKind_RepOutInfo()));

  TOrvMsgList L;
  L.Add(TOrvMsg::Create(TMerWarning_FileNotFound, {}));
  L.Add(TOrvMsg::Create(TMerError_FileNotFound, {}));
  EXPECT_EQ(L.ErrorCount(), 1);
  EXPECT_EQ(L.CountKinds({&TOrvMsgKind_Warning()}), 1);
  EXPECT_EQ(L.GetItem(0)->MessageText(), L.GetItem(1)->MessageText());
  EXPECT_EQ(L.GetItem(0)->MessageText(), "File not found or incompatible format.");

  EXPECT_EQ(TOrvMsg::CreateFromArgs(TMerError_ColNotFoundInAll, {}, {"q7"})->MessageText(),
            "Column \"q7\" not found.");
  EXPECT_TRUE(TOrvMsg::Create(TMerFatal_IncorrectSurvey, {})->IsFatal());
  EXPECT_EQ(TOrvMsg::Create(TMerRepInfo_QuestionNotFound, {})->Template,
            Cp1250("<PLK>Pytanie (ID: %s) nie zostało znalezione.<ENU>Question with (ID: %s) "
                   "not found."));
}

TEST(GimExpr, OperatorsAnswerByClass) {
  struct TCase {
    const ClassInfo& Class;
    const char* ID;
    const char* En;
    const char* Pl;
    TGimExprNotation Notation;
    int Min, Max;
  } Cases[] = {
      {TGimExprOperatorLogicNegation::StaticClass(), "not", "not", "nie", TGimExprNotation::Prefix,
       1, 1},
      {TGimExprOperatorLogicConjunction::StaticClass(), "and", "and", "i", TGimExprNotation::Infix,
       2, 2147483647},
      {TGimExprOperatorLogicDisjunction::StaticClass(), "or", "or", "lub", TGimExprNotation::Infix,
       2, 2147483647},
  };
  for (const TCase& C : Cases) {
    const TGimExprOperator* Op = ExprOperatorOf(C.Class);
    ASSERT_NE(Op, nullptr) << C.ID;
    EXPECT_TRUE(Op->Is<TGimExprOperatorLogic>());
    EXPECT_EQ(Op->ID(), C.ID);
    EXPECT_EQ(Op->Notation(), C.Notation);
    EXPECT_EQ(Op->ParamsCountMin(), C.Min);
    EXPECT_EQ(Op->ParamsCountMax(), C.Max);
    EXPECT_EQ(FindExprOperator(UpperCase(C.ID)), Op);
    {
      test::TEnglishSession English;
      EXPECT_EQ(Op->Name(), C.En);
    }
    auto Pl = New<TOrvLangManager>("plk");
    TLangManagerBinding Bind(Pl.get());
    EXPECT_EQ(Op->Name(), C.Pl);
  }
  EXPECT_EQ(ExprOperatorOf(TGimExprOperatorLogic::StaticClass()), nullptr);
  EXPECT_EQ(FindExprOperator("in"), nullptr);
}

TEST(MerKeys, TemplateAndStatisticTables) {
  EXPECT_EQ(FindWizKind("TABLE1D"), 0);
  EXPECT_EQ(FindWizKind("tvDaysQs"), 41);
  EXPECT_EQ(FindWizKind("radio"), -1);
  EXPECT_EQ(FindWizGroup("Press"), 2);
  for (int K = 0; K < WizKindCount; ++K)
    EXPECT_TRUE(MerWizGroups[MerWizKinds[K].Group].Holds(K)) << K;
  EXPECT_EQ(SelectStatKinds("pct"), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(SelectStatKinds("IND"), (std::vector<int>{17, 18, 19}));  // not "index"
  EXPECT_EQ(SelectStatKinds("index"), (std::vector<int>{5}));
  EXPECT_EQ(SelectStatKinds("cntw"), (std::vector<int>{1}));
  EXPECT_TRUE(SelectStatKinds("total").empty());
}

TEST(MerRecsetCol, LoadIntoFreeAndCompare) {
  auto S = New<TTestSurvey>("s.zos");
  auto* Resp = S->RecsetList->Add(std::make_unique<TMemRecset>());
  Resp->ID = "resp";
  auto* Diary = S->RecsetList->Add(std::make_unique<TMemRecset>());
  Diary->ID = "diary";
  Diary->Records = 3;
  Diary->Columns["q5"] = {1, 2, 3};

  auto Col = S->CreateCol(nullptr, "Q5.Diary");
  EXPECT_EQ(Col->Recset, Diary);
  Col->LoadValues();
  EXPECT_TRUE(Col->Loaded);
  EXPECT_EQ(Col->Values, (std::vector<double>{1, 2, 3}));
  std::vector<double> Buf{9};
  Col->LoadInto(Buf);
  EXPECT_EQ(Buf, (std::vector<double>{1, 2, 3}));
  Col->FreeValues();
  EXPECT_FALSE(Col->Loaded);
  EXPECT_TRUE(Col->Values.empty());

  // An empty record set allocates nothing; none at all releases.
  auto Empty = S->CreateCol(nullptr, "q5");
  EXPECT_EQ(Empty->Recset, Resp);
  Empty->LoadValues();
  EXPECT_FALSE(Empty->Loaded);
  EXPECT_EQ(Resp->Loads, 0);
  TMerRecsetCol Loose(nullptr, "x", nullptr);
  Loose.Values = {1};
  Loose.Loaded = true;
  Loose.LoadValues();
  EXPECT_FALSE(Loose.Loaded);

  // The copy keeps the reference, not the values.
  Col->LoadValues();
  auto Copy = CopyOf(*Col);
  EXPECT_TRUE(Copy->SameCol(*Col));
  EXPECT_TRUE(Copy->Values.empty());

  TMerRecsetColList A(S.get()), B(S.get());
  A.AddUnique(*Col);
  A.AddUnique(*Copy);
  A.AddUnique(*Empty);
  EXPECT_EQ(A.Count(), 2);
  EXPECT_EQ(A.IndexOf(*Empty), 1);
  EXPECT_FALSE(A.SameCols(&B));
  EXPECT_FALSE(A.SameCols(nullptr));
  std::unique_ptr<TOrvObjectList> C = A.CreateCopy();
  EXPECT_TRUE(A.SameCols(static_cast<TMerRecsetColList*>(C.get())));
  A.LoadValues();
  EXPECT_TRUE(A.GetItem(0)->Loaded);
  A.FreeValues();
  EXPECT_FALSE(A.GetItem(0)->Loaded);

  TMerRespInPanels Join(S.get(), 1);
  Join.CaseRanges = {{0, 1, 7}};
  EXPECT_EQ(Join.CaseRange(0).Last, 1);
  EXPECT_LT(Join.CaseRange(5).Last, Join.CaseRange(5).First);
  EXPECT_LT(Join.CaseRange(-1).Last, Join.CaseRange(-1).First);
}

}  // namespace
}  // namespace quin
