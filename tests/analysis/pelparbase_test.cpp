// The base parameter and the value texts of base rows; the parameter-pane registry and the
// analysis survey's parameter steps after opening.
#include "analysis/pelparbase.h"

#include <gtest/gtest.h>

#include "analysis/pelpanes.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "base/format.h"
#include "deflang/rixscanner.h"
#include "par_fixture.h"
#include "surveykit/gimweights.h"

namespace quin {
namespace {

using namespace quin::test;

class ParBaseRows : public testing::Test {
 protected:
  TParSurvey P;
  TOrvMsgList Msgs;
  TPelParList List{&P.S};
  TPelParDefBase* Read(const std::string& Body) {
    auto* B = static_cast<TPelParDefBase*>(List.AddPar(New<TPelParDefBase>(&P.S)));
    auto S = New<TRixScanner>(Body + " end;", &Msgs);
    S->NextToken();
    B->ReadBody(*S, &P.S);
    return B;
  }
  static std::string Body(const TPelRWObject& O) {
    return Written([&](TStream& S) {
      int Indent = 0;
      O.WriteBody(S, Indent);
    });
  }
};

TEST_F(ParBaseRows, ANewBaseParameterShowsAllFourRows) {
  TMadeElems Made;
  auto B = New<TPelParDefBase>(&P.S);
  EXPECT_EQ(B->GetLabelList(true, false, true, false, false),
            (TPelLabels{"result", "n=", "nw=", "recset"}));
  EXPECT_EQ(B->GetAllLabels(),
            (TPelLabels{"Result", "Actual base (n=)", "Weighted base (nw=)", "Record set"}));
  EXPECT_EQ(Made.As<TPelResBase>(B->CreateResElem(2))->Kind, boBaseW);
  EXPECT_EQ(B->CreateResElem(4), nullptr);
  EXPECT_FALSE(B->IsAvailableInMode(1));
  EXPECT_TRUE(B->ShowsBaseOnlyForMissing());
  EXPECT_EQ(B->GetItemInfoText(0, 0), "");
  EXPECT_EQ(B->GetItemInfoText(0, -1),
            "Base is shown only if missing values were found in the data");
  EXPECT_EQ(Body(*B),
            "list = result, baseA, baseW, recset;\r\nshow = 1, 1, 1, 1;\r\nbaseDiff = 2;\r\n");
}

TEST_F(ParBaseRows, WeightedOnlyRowsDisappearInAnUnweightedAnalysis) {
  auto* B = Read("list = baseW, RECSET; show = 2, 1, 0; baseDiff = 0;");
  EXPECT_EQ(Msgs.Count(), 0);
  ASSERT_EQ(B->Options.size(), 2u);
  EXPECT_EQ(B->GetItemCount(), 2);  // no weighting chosen
  List.Weight = P.S.Weights->FindByID("off");
  ASSERT_NE(List.Weight, nullptr);
  EXPECT_EQ(B->GetItemCount(), 1);
  EXPECT_EQ(B->GetAllLabels(), (TPelLabels{"Record set"}));
  EXPECT_FALSE(B->ShowsBaseOnlyForMissing());
  const std::string Text = Body(*B);
  EXPECT_EQ(Text, "list = baseW, recset;\r\nshow = 2, 1;\r\nbaseDiff = 0;\r\n");
  EXPECT_EQ(Body(*Read(Text)), Text);
}

TEST_F(ParBaseRows, UnknownOptionsAndHiddenRows) {
  auto* B = Read("list = result, total; show = 0; baseDiff = 5;");
  EXPECT_EQ(Msgs.ErrorCount(), 1);
  EXPECT_TRUE(Msgs[0]->IsClass(TPelErrorUnknownBaseOpt));
  EXPECT_EQ(Msgs[0]->Args, TDynStringArr{"total"});
  EXPECT_EQ(B->BaseDiff, 2);
  // Every option hidden: the parameter is empty and writes only the common keys.
  EXPECT_TRUE(B->IsEmpty());
  B->SetName("Rows");
  EXPECT_EQ(Body(*B), "name = \"Rows\";\r\n");
  List.RemoveEmpty();
  EXPECT_EQ(List.Count(), 0);
}

TEST_F(ParBaseRows, ValueTextsOfBaseRows) {
  const TFormatSettings& FS = CurrentLangManager().FormatSettings;
  EXPECT_EQ(FormatBaseValue(P.S.Recset(0), boRecset, FS, 0), "Respondents");
  EXPECT_EQ(FormatBaseValue(P.S.Recset(0), boBaseA, FS, 1234.6), Format("%1.0n", {1235.0}, FS));
  EXPECT_EQ(FormatBaseValueRaw(P.S.Recset(0), boBaseW, FS, 1234.5, true), "1234.5");
  EXPECT_EQ(BaseOptLabel(7), "");
  EXPECT_TRUE(BaseOptHasShortLabelInLabel(boBaseA));
  EXPECT_FALSE(BaseOptHasShortLabelInLabel(boRecset));
}

// ---- Panes and the survey's parameter steps

class TPaneA : public TObject {
  QUIN_CLASS(TPaneA, TObject)
};
class TPaneB : public TObject {
  QUIN_CLASS(TPaneB, TObject)
};
QUIN_IMPLEMENT_CLASS(TPaneA, TObject)
QUIN_IMPLEMENT_CLASS(TPaneB, TObject)

TEST(ParPanes, LookupComparesClassesExactlyAndHonoursTheMode) {
  TParSurvey P;  // opened in web mode
  P.S.RegisterParPane(RWClassOf<TPelParDefQuestions>(), &TPaneA::StaticClass(),
                      &TPaneB::StaticClass());
  P.S.RegisterParPane(RWClassOf<TPelParStats>(), &TPaneB::StaticClass());
  P.S.RegisterParPane(RWClassOf<TPelParDefBase>(), &TPaneA::StaticClass());  // desktop only
  const TPelParPaneRegList& R = *P.S.ParPaneRegs;
  ASSERT_EQ(R.Count(), 2);
  EXPECT_EQ(R.FindPaneClass(RWClassOf<TPelParDefQuestions>(), 0), &TPaneA::StaticClass());
  EXPECT_EQ(R.FindPaneClass(RWClassOf<TPelParDefQuestions>(), 1), &TPaneB::StaticClass());
  EXPECT_EQ(R.FindPaneClass(RWClassOf<TPelParStats>(), 1), nullptr);
  EXPECT_EQ(R.FindPaneClass(RWClassOf<TPelParDefBase>(), 0), nullptr);
  EXPECT_EQ(R.FindPaneClass(RWClassOf<TPelParDefResponseAxis>(), 0), nullptr);
}

TEST(ParPanes, OpeningAddsTheBaseParameterWhichTheWebDrops) {
  TParSurvey Web;
  Web.S.ParList->AddPar(New<TPelParStats>(&Web.S));
  ASSERT_TRUE(Web.S.AfterOpen());
  ASSERT_EQ(Web.S.ParList->Count(), 1);
  EXPECT_TRUE((*Web.S.ParList)[0]->IsExactly<TPelParStats>());

  TParSurvey Desktop;
  Desktop.S.Mode = 0;
  ASSERT_TRUE(Desktop.S.AfterOpen());
  ASSERT_EQ(Desktop.S.ParList->Count(), 1);
  EXPECT_TRUE((*Desktop.S.ParList)[0]->IsExactly<TPelParDefBase>());
  EXPECT_EQ((*Desktop.S.ParList)[0]->Owner, Desktop.S.ParList.get());
  // A base parameter already there is kept alone.
  ASSERT_TRUE(Desktop.S.AfterOpen());
  EXPECT_EQ(Desktop.S.ParList->Count(), 1);
}

}  // namespace
}  // namespace quin
