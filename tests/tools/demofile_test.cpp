// The demonstration survey file the build writes into both demonstration users' folders:
// it opens for analysis without messages and holds the generated respondents and weights.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "analysis/pelsurvey.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimpress.h"
#include "surveykit/gimradio.h"
#include "surveykit/gimwaves.h"
#include "surveykit/merenviron.h"
#include "surveykit/mertv.h"
#include "surveykit/pelcolblocks.h"
#include "tests/surveykit/survey_fixture.h"
#include "tools/demosurvey/demosurvey.h"

namespace quin {
namespace {

std::string ReadAll(const std::string& Name) {
  std::ifstream In(Name, std::ios::binary);
  EXPECT_TRUE(In) << Name;
  std::stringstream Buf;
  Buf << In.rdbuf();
  return Buf.str();
}

std::string BuiltSurvey(const char* Folder) {
  return std::string(QUIN_DEMO_SURVEYS) + "/" + Folder + "/" + kDemoSurveyFileName;
}

TEST(DemoSurveyFile, BuiltForBothUsersAsTheGeneratorWritesIt) {
  const std::string Expected =
      DemoSurveyFileBytes(ReadAll(QUIN_DEMO_DIR "/demo.def"), ReadAll(QUIN_DEMO_DIR "/params.txt"));
  EXPECT_EQ(ReadAll(BuiltSurvey("Guest")), Expected);
  EXPECT_EQ(ReadAll(BuiltSurvey("Analyst")), Expected);
}

TEST(DemoSurveyFile, OpensWithItsRespondentsAndWeights) {
  test::TEnglishSession English;
  auto S = New<TPelSurvey>(BuiltSurvey("Guest"), 1);
  ASSERT_NO_THROW(S->LoadFromFile(BuiltSurvey("Guest")));
  ASSERT_TRUE(S->AfterOpen());
  EXPECT_EQ(S->Environ->LangManager->TranslateText(S->Info->Name),
            "Media usage habits in Poland 2024");
  ASSERT_EQ(S->RecsetCount(), 2);  // the respondents, then the television viewing records
  TPelRecset* R = S->PelRecset(0);
  ASSERT_EQ(R->RecCount(), 5000);

  const auto Waves = GenerateDemoSurvey(TDemoParams::Parse(ReadAll(QUIN_DEMO_DIR "/params.txt")));
  ASSERT_EQ(S->Waves->Count(), 2);
  EXPECT_EQ(S->Waves->GetItem(0)->RecCount(R), Waves[0].Records);
  EXPECT_EQ(S->Waves->GetItem(1)->RecCount(R), Waves[1].Records);
  // Every column reads back as generated, the refusals as missing values.
  for (const char* Name : {"respid", "sex", "age", "hhsize", "freq_press", "news", "wgt"}) {
    std::vector<double> Values;
    R->LoadColumn(Name, Values);
    std::vector<double> Expected = Waves[0].Find(Name)->Values;
    const auto& Second = Waves[1].Find(Name)->Values;
    Expected.insert(Expected.end(), Second.begin(), Second.end());
    EXPECT_EQ(Values, Expected) << Name;
  }

  // The population weight: stored weights average 1 in each wave, so they total 5,000.
  TGimWeight* W = S->Weights->FindByID("wgt");
  ASSERT_TRUE(W);
  EXPECT_EQ(W->Population, 31620000);
  S->Weights->PrepareWeights(W, R);
  ASSERT_EQ(S->Weights->WeightValues().size(), 5000u);
  EXPECT_NEAR(S->Weights->WeightTotal(), 5000, 0.5);
  EXPECT_EQ(S->Weights->WeightValues()[0], Waves[0].Find("wgt")->Values[0]);
  // Unweighted counting for comparison.
  S->Weights->PrepareWeights(S->Weights->FindByID("off"), R);
  EXPECT_EQ(S->Weights->WeightTotal(), 5000);

  // The grid reads its columns from the file: every respondent has a television answer.
  TGimQuestion* Grid = S->Data->FindQuestion("frequency", false);
  ASSERT_TRUE(Grid);
  std::vector<uint8_t> Selected, Missing;
  std::vector<TGimResponse*> TvDaily = {Grid->Responses->GetItem(0)};
  ASSERT_EQ(TvDaily[0]->GetID(), "rdaily.tv");
  Grid->EvaluateResponses(TvDaily, Selected, Missing, R);
  int Daily = 0, None = 0;
  ASSERT_EQ(Selected.size(), 5000u);
  for (int I = 0; I < 5000; ++I) Daily += Selected[size_t(I)], None += Missing[size_t(I)];
  EXPECT_GT(Daily, 2500);
  EXPECT_LT(Daily, 4500);
  EXPECT_EQ(None, 0);
}

// The media sections read without a message over the file's columns, and their derived
// questions count what the generator drew.
TEST(DemoSurveyFile, OpensWithItsPressRadioAndTelevision) {
  test::TEnglishSession English;
  auto S = New<TPelSurvey>(BuiltSurvey("Guest"), 1);
  ASSERT_NO_THROW(S->LoadFromFile(BuiltSurvey("Guest")));
  ASSERT_TRUE(S->AfterOpen());
  ASSERT_TRUE(S->PressDef() && S->RadioDef() && S->TVDef());
  const TDemoParams Params = TDemoParams::Parse(ReadAll(QUIN_DEMO_DIR "/params.txt"));
  const auto Waves = GenerateDemoSurvey(Params);
  const TDemoMedia Media = GenerateDemoMedia(Params, Waves);
  // Both waves' values of a generated respondent column, one after the other.
  auto Both = [&](const std::string& Name) {
    std::vector<double> V;
    for (const TDemoWave& W : Media.Resp) {
      const TDemoColumn* C = W.Find(Name);
      EXPECT_TRUE(C) << Name;
      if (C) V.insert(V.end(), C->Values.begin(), C->Values.end());
    }
    return V;
  };
  TPelRecset* R = S->PelRecset(0);
  std::vector<uint8_t> Selected, Missing;
  auto CountSelected = [&](TGimQuestion& Q, TGimResponse* Resp) {
    Q.EvaluateResponses({Resp}, Selected, Missing, R);
    int N = 0;
    for (uint8_t B : Selected) N += B;
    return N;
  };

  // Press: eight titles, the eight indicators the survey names, regular readers per title.
  TGimPressIndList& Inds = S->PressDef()->PressIndicators();
  EXPECT_EQ(Inds.Count(), 8);
  auto* Spo = As<TGimPressInd>(Inds.FindByID("spo"));
  ASSERT_TRUE(Spo && Spo->Columns);
  EXPECT_EQ(Spo->Columns->Count(), 3);
  TGimQuestion* RR = S->Data->FindQuestion("press.rr", false);
  ASSERT_TRUE(RR);
  ASSERT_EQ(RR->Responses->Count(), 8);
  int Regular = 0;
  for (double V : Both("rr_gw")) Regular += V == 1;
  EXPECT_GT(Regular, 0);
  EXPECT_EQ(CountSelected(*RR, RR->Responses->FindByID("press.rr.gw")), Regular);
  // "tom" holds the code of the title named first: Tele Tydzień has code 6.
  TGimQuestion* Tom = S->Data->FindQuestion("press.tom", false);
  ASSERT_TRUE(Tom);
  int First = 0;
  for (double V : Both("tom")) First += V == 6;
  EXPECT_EQ(CountSelected(*Tom, Tom->Responses->FindByID("press.tom.tt")), First);

  // Radio: listening to any station at 08:00, from the stations' own quarter-hour columns.
  TGimQuestion* Eight = S->Data->FindQuestion("r00__080", false);
  ASSERT_TRUE(Eight);
  std::vector<double> Any(size_t(R->RecCount()), 0);
  for (const std::string& St : DemoRadioStations()) {
    const std::vector<double> V = Both("R" + St.substr(1, 2) + "__080");
    for (size_t I = 0; I < V.size(); ++I) Any[I] = Any[I] || V[I] == 1;
  }
  int Listening = 0;
  for (double V : Any) Listening += V == 1;
  EXPECT_GT(Listening, 0);
  EXPECT_EQ(CountSelected(*Eight, Eight->Responses->FindByID("RRange1")), Listening);
  EXPECT_EQ(S->RadioDef()->Indicators->Count(), 9);
  EXPECT_EQ(S->Environ->LangManager->TranslateText(S->RadioDef()->PlaceNames[2]), "in a car");

  // Television: its columns on the hidden viewing record set, joined to every respondent.
  TMerTV& TV = *S->TVDef();
  ASSERT_EQ(S->RecsetCount(), 2);
  ASSERT_TRUE(TV.StationsCol && TV.QsCol);
  EXPECT_EQ(TV.StationsCol->Recset, S->Recset(1));
  EXPECT_EQ(TV.QsCol->Recset, S->Recset(1));
  EXPECT_TRUE(S->Recset(1)->Hidden);
  int Views = 0;
  for (const TDemoWave& W : Media.Views) Views += W.Records;
  EXPECT_EQ(S->Recset(1)->RecCount(), Views);
  ASSERT_TRUE(S->PanelJoins[1]);
  int Joined = 0;
  for (int I = 0; I < R->RecCount(); ++I) {
    const auto C = S->PanelJoins[1]->CaseRange(I);
    Joined += C.Last - C.First + 1;
  }
  EXPECT_EQ(Joined, Views);
  EXPECT_EQ(TV.Indicators->Count(), 4);
}

}  // namespace
}  // namespace quin
