// Parameter-definition files with every parameter class of the analysis layer: a golden file
// written byte for byte, read back by keyword through the class registry, and written again
// unchanged.
#include <gtest/gtest.h>

#include "analysis/pelparaxes.h"
#include "analysis/pelparbase.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "analysis/pelparwaves.h"
#include "base/orvclasses.h"
#include "par_fixture.h"
#include "surveykit/gimdata.h"

namespace quin {
namespace {

using namespace quin::test;

const char* const kGoldenBody =
    "def varList\r\n"
    "  survey = s1@ns;\r\n"
    "  splitResponseAxes = 1;\r\n"
    "  question = freq;\r\n"
    "end;\r\n"
    "def responseAxis\r\n"
    "  survey = s1@ns;\r\n"
    "  id = often;\r\n"
    "end;\r\n"
    "def waveList\r\n"
    "  survey = s1@ns;\r\n"
    "  name = \"Recent\";\r\n"
    "  def subpar\r\n"
    "    list = w5, w4;\r\n"
    "    last = 2;\r\n"
    "    rolled = 1;\r\n"
    "  end;\r\n"
    "  def subpar\r\n"
    "    list = w3, w1;\r\n"
    "    grouped = 1;\r\n"
    "    name = \"Odd\";\r\n"
    "    rolled = 1;\r\n"
    "  end;\r\n"
    "end;\r\n"
    "def statList\r\n"
    "  survey = s1@ns;\r\n"
    "  list = cntA, pctCol;\r\n"
    "  showPctSign = 2;\r\n"
    "  showCodesForMeans = 2;\r\n"
    "  sigLevel = $9A9999999999A93F;\r\n"
    "  recsetDiff = 1;\r\n"
    "  sigMeans = 1;\r\n"
    "  sigMeansDim = 1;\r\n"
    "  sigMeansDir = 0;\r\n"
    "  sigMeansNOn = 0;\r\n"
    "  sigMeansNPos = 1;\r\n"
    "  sigPct = 0;\r\n"
    "  decPlacesPct = 1;\r\n"
    "  decPlacesMeans = 2;\r\n"
    "end;\r\n"
    "def base\r\n"
    "  survey = s1@ns;\r\n"
    "  list = result, baseA, baseW, recset;\r\n"
    "  show = 1, 1, 2, 0;\r\n"
    "  baseDiff = 1;\r\n"
    "end;\r\n";

TEST(ParFiles, EveryParameterClassRoundTripsThroughAGoldenFile) {
  TParSurvey P;
  TPelRWObjectFile F(&P.S, 0);
  auto Q = New<TPelParDefQuestions>(&P.S);
  Q->Questions.push_back(P.S.Data->FindQuestion("freq", false));
  Q->SplitAxes = true;
  auto A = New<TPelParDefResponseAxis>(&P.S);
  A->Axis = Q->Questions[0]->Axes->GetItem(1);
  auto W = New<TPelParWaves>(&P.S);
  W->SetName("Recent");
  auto* Last = static_cast<TPelSubParWaves*>(W->AddSubPar(W->NewSubPar(nullptr)));
  Last->Mode = TPelSubParWaves::wmLast;
  Last->LastCount = 2;
  Last->UpdateElems(&P.S);
  auto* Odd = static_cast<TPelSubParWaves*>(W->AddSubPar(W->NewSubPar(nullptr)));
  Odd->Mode = TPelSubParWaves::wmSelected;
  Odd->Elems->Add(std::make_unique<TPelSubElemWave>(P.W(3)));
  Odd->Elems->Add(std::make_unique<TPelSubElemWave>(P.W(1)));
  Odd->Grouped = true;
  Odd->SetName("Odd");
  auto S = New<TPelParStats>(&P.S);
  S->Stats.Add(P.S.Info->StatCatalogue.FindByID("cntA"));
  S->Stats.Add(P.S.Info->StatCatalogue.FindByID("pctCol"));
  S->SigMeans = true;
  S->HideRowsCols = 0;
  auto B = New<TPelParDefBase>(&P.S);
  B->Options[2].Show = 2;
  B->Options[3].Show = 0;
  B->BaseDiff = 1;
  F.AddObject(std::move(Q));
  F.AddObject(std::move(A));
  F.AddObject(std::move(W));
  F.AddObject(std::move(S));
  F.AddObject(std::move(B));
  const std::string Golden = ParFileHead() + kGoldenBody;
  ASSERT_EQ(FileText(F), Golden);

  // Read back through the registry. Outside a parameter list the axis stays unresolved and
  // keeps its identifier for writing.
  const auto Back = ReadParFile(P.S, Golden);
  ASSERT_EQ(Back->Elems.Count(), 5);
  for (int I = 0; I < 5; ++I) {
    ASSERT_NE(Back->Elems[I]->Obj, nullptr) << I;
    EXPECT_EQ(Back->Elems[I]->Msgs.Count(), 0) << I;
  }
  EXPECT_TRUE(Back->Elems[2]->Obj->IsExactly<TPelParWaves>());
  auto* RW = static_cast<TPelParWaves*>(Back->Elems[2]->Obj.get());
  EXPECT_EQ(RW->GetAllLabels(), (TPelLabels{"Last waves (2)", "W5", "W4", "Odd"}));
  EXPECT_FALSE(IsNullGUID(RW->SubPar(0)->GUID));
  EXPECT_EQ(FileText(*Back), Golden);
}

TEST(ParFiles, AForeignSurveysBlocksSurviveAmongReadOnes) {
  TParSurvey P;
  const std::string Foreign =
      "def statList\r\n  survey = other@ns;\r\n  list = cntA, bogus;\r\n  sigLevel = $00;\r\nend;";
  const std::string Text = ParFileHead() + Foreign + "\r\n" +
                           "def statList\r\n  survey = s1@ns;\r\n  list = cntW;\r\nend;\r\n";
  const auto F = ReadParFile(P.S, Text, &RWClassOf<TPelParStats>());
  ASSERT_EQ(F->Elems.Count(), 2);
  EXPECT_EQ(F->Elems[0]->RawText, Foreign);
  ASSERT_NE(F->Elems[1]->Obj, nullptr);
  const std::string Out = FileText(*F);
  EXPECT_EQ(Out.substr(0, ParFileHead().size() + Foreign.size() + 2),
            ParFileHead() + Foreign + "\r\n");
  EXPECT_NE(Out.find("list = cntW;"), std::string::npos);
}

}  // namespace
}  // namespace quin
