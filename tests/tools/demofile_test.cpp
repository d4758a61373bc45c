// The demonstration survey file the build writes into both demonstration users' folders:
// it opens for analysis without messages and holds the generated respondents and weights.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "analysis/pelsurvey.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimwaves.h"
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
  ASSERT_EQ(S->RecsetCount(), 1);
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

}  // namespace
}  // namespace quin
