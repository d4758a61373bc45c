// The waves parameter: windows of successive waves generated for all and last waves, moving
// averages, the one-item rule, labels and names, and values from files out of range.
#include "analysis/pelparwaves.h"

#include <gtest/gtest.h>

#include "deflang/rixscanner.h"
#include "par_fixture.h"
#include "surveykit/gimwaves.h"

namespace quin {
namespace {

using namespace quin::test;

class ParWaves : public testing::Test {
 protected:
  explicit ParWaves(const TParSurveyOptions& O = {}) : P(O) {}
  TParSurvey P;
  TOrvMsgList Msgs;
  // A waves parameter read from the body of one "subpar" block.
  std::unique_ptr<TPelParWaves> Read(const std::string& SubParBody) {
    auto W = New<TPelParWaves>(&P.S);
    auto S = New<TRixScanner>("def subpar " + SubParBody + " end; end;", &Msgs);
    S->NextToken();
    W->ReadBody(*S, &P.S);
    return W;
  }
  static TPelSubParWaves& Sub(TPelParWaves& W) {
    return static_cast<TPelSubParWaves&>(*W.SubPar(0));
  }
  std::vector<TGimWave*> Waves(std::initializer_list<int> Numbers) {
    std::vector<TGimWave*> R;
    for (int N : Numbers) R.push_back(P.W(N));
    return R;
  }
};

TEST_F(ParWaves, AllWavesAreSingleItemsLatestFirst) {
  TMadeElems Made;
  auto W = Read("all = 1;");
  EXPECT_EQ(W->GetItemCount(), 6);  // the whole selection first, then its five waves
  EXPECT_EQ(W->GetDims(true, false, true).X, 5);
  EXPECT_EQ(W->GetAllLabels(), (TPelLabels{"All waves", "W5", "W4", "W3", "W2", "W1"}));
  EXPECT_EQ(WavesOf(Made.As<TPelResWaves>(W->CreateResElem(1))), Waves({5}));
  const TPelResWaves* All = Made.As<TPelResWaves>(W->CreateResElem(0));
  EXPECT_EQ(WavesOf(All), Waves({5, 4, 3, 2, 1}));
  EXPECT_EQ(All->SubParGUID, W->SubPar(0)->GUID);
  EXPECT_EQ(W->GetItemInfoText(0, 0), "Selected waves: All waves [W5 .. W1]");
  EXPECT_TRUE(W->UsesCaseGroups());
  EXPECT_FALSE(W->IsAvailableInMode(1));
}

TEST_F(ParWaves, LastWindowsOfAMovingAverage) {
  TMadeElems Made;
  auto W = Read("last = 2; rolled = 3;");
  TPelSubParWaves& S = Sub(*W);
  EXPECT_EQ(S.Mode, TPelSubParWaves::wmLast);
  ASSERT_EQ(S.ElemCount(), 2);
  EXPECT_EQ(S.GetElemLabel(0), "W3 : W5");
  EXPECT_EQ(S.GetElemLabel(1), "W2 : W4");
  EXPECT_EQ(S.GetName(), "Last waves (2) (moving average by 3)");
  EXPECT_EQ(WavesOf(Made.As<TPelResWaves>(S.CreateItemElem(1, true))), Waves({2, 3, 4}));
  EXPECT_EQ(WavesOf(Made.As<TPelResWaves>(S.CreateResElem())), Waves({3, 4, 5, 2}));

  auto Two = Read("last = 1; rolled = 2;");
  EXPECT_EQ(Sub(*Two).GetElemLabel(0), "W4, W5");
  // A width beyond the waves gives one window from the first wave.
  auto Wide = Read("all = 1; rolled = 9;");
  ASSERT_EQ(Sub(*Wide).ElemCount(), 1);
  EXPECT_EQ(Sub(*Wide).GetElemLabel(0), "W1 : W5");
}

TEST_F(ParWaves, ChosenWavesAndTheirName) {
  auto W = Read("list = w5, w4, W3, w1, w9;");
  TPelSubParWaves& S = Sub(*W);
  EXPECT_EQ(S.Mode, TPelSubParWaves::wmSelected);
  EXPECT_EQ(S.GetName(), "Selected waves: W5 .. W3, W1");
  // Listed waves followed by "all" end with the generated windows.
  auto All = Read("list = w2; all = 1;");
  EXPECT_EQ(Sub(*All).ElemCount(), 5);
}

TEST_F(ParWaves, ValuesOutOfRangeAreReportedAndBounded) {
  auto W = Read("rolled = 0; last = -3;");
  EXPECT_EQ(Sub(*W).Rolled, 1);
  EXPECT_EQ(Sub(*W).LastCount, 1);
  EXPECT_EQ(Msgs.CountKinds({&TOrvMsgKind_Warning()}), 2);
  EXPECT_EQ(Msgs.ErrorCount(), 0);
  // The largest counts a file can hold stay as read and keep every window inside the waves.
  auto Huge = Read("last = 2147483647; rolled = 2147483647;");
  TPelSubParWaves& S = Sub(*Huge);
  EXPECT_EQ(S.LastCount, 2147483647);
  ASSERT_EQ(S.ElemCount(), 1);
  EXPECT_EQ(S.Window(0).size(), 5u);
}

TEST_F(ParWaves, ASurveyWithoutWavesHasNoWindows) {
  auto W = New<TPelParWaves>(nullptr);
  auto S = New<TPelSubParWaves>(nullptr, W.get());
  S->UpdateElems(nullptr);
  S->Mode = TPelSubParWaves::wmLast;
  S->UpdateElems(nullptr);
  EXPECT_EQ(S->ElemCount(), 0);
  EXPECT_EQ(S->CreateItemElem(0, true), nullptr);
  W->AddSubPar(std::move(S));
  EXPECT_EQ(W->AllWaves()->Count(), 0);
}

TEST_F(ParWaves, WrittenKeysReadBackToTheSameSelection) {
  for (const char* Body : {"all = 1; rolled = 2;", "last = 3;", "list = w4, w2; grouped = 1;"}) {
    auto W = Read(Body);
    const std::string Text = Written([&](TStream& St) {
      int Indent = 0;
      W->WriteBody(St, Indent);
    });
    auto S = New<TRixScanner>(Text + "end;", &Msgs);
    S->NextToken();
    auto Back = New<TPelParWaves>(&P.S);
    Back->ReadBody(*S, &P.S);
    EXPECT_EQ(Sub(*Back).Mode, Sub(*W).Mode) << Body;
    EXPECT_EQ(Back->GetAllLabels(), W->GetAllLabels()) << Body;
  }
  EXPECT_EQ(Msgs.Count(), 0);
  auto Last = Read("last = 3;");
  EXPECT_NE(Written([&](TStream& St) {
              int Indent = 0;
              Last->WriteBody(St, Indent);
            }).find("list = w5, w4, w3;\r\n  last = 3;\r\n  rolled = 1;\r\n"),
            std::string::npos);
}

TEST_F(ParWaves, AllWavesOfTheParameterInOrderOfFirstAppearance) {
  auto W = Read("list = w2, w4; rolled = 2;");
  auto S = New<TPelSubParWaves>(&P.S, W.get());
  S->Mode = TPelSubParWaves::wmLast;
  S->LastCount = 1;
  S->UpdateElems(&P.S);
  W->AddSubPar(std::move(S));
  const auto All = W->AllWaves();
  std::vector<TGimWave*> Got;
  for (int I = 0; I < All->Count(); ++I) Got.push_back(All->GetItem(I));
  EXPECT_EQ(Got, Waves({2, 3, 4, 5}));
}

class ParWavesMinimum : public ParWaves {
 protected:
  ParWavesMinimum()
      : ParWaves(
            {.Waves = 6, .WavesLines = "  minSelCount = 4;\r\n", .InfoLines = "", .Sections = ""}) {
  }
};

TEST_F(ParWavesMinimum, WindowsSmallerThanTheMinimumFormOneItem) {
  TMadeElems Made;
  auto W = Read("all = 1; name = \"Six\";");
  TPelSubParWaves& S = Sub(*W);
  ASSERT_EQ(S.ElemCount(), 6);
  EXPECT_TRUE(S.IsOneItem());
  EXPECT_EQ(S.GetItemCount(true), 1);
  EXPECT_EQ(S.GetItemLabel(0, true), "Six");
  EXPECT_EQ(WavesOf(Made.As<TPelResWaves>(S.CreateItemElem(0, true))).size(), 6u);
  S.Rolled = 4;
  EXPECT_FALSE(S.IsOneItem());
  S.Rolled = 1;
  S.Grouped = true;
  EXPECT_FALSE(S.IsOneItem());
}

}  // namespace
}  // namespace quin
