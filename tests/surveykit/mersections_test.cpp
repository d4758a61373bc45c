// The sections after the header: their order, the mandatory ones, the media sections.
#include <gtest/gtest.h>

#include "survey_fixture.h"
#include "surveykit/gimpress.h"
#include "surveykit/gimradio.h"
#include "surveykit/mermessages.h"
#include "surveykit/mertv.h"

namespace quin {
namespace {

using test::Lines;
using test::MsgSummary;
using test::TTestSurvey;

struct TRead {
  test::TEnglishSession English;
  std::unique_ptr<TTestSurvey> Survey = New<TTestSurvey>("dir/s.zos");
  TOrvMsgList Msgs{100, 100};
  bool Fatal = false;
  explicit TRead(const std::string& Text) {
    auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
    Scanner->NextToken();
    try {
      Survey->ReadSections(*Scanner);
    } catch (const EMsgList_FatalError&) {
      Fatal = true;
    }
  }
};

TEST(MerSections, WavesDataAndTheMediaSectionsRead) {
  TRead R(Lines({"def weights noWeight = 1; end;",  // 1
                 "def waves",                       // 2
                 "  def wave id = w1; name = \"W1\"; end;", "end;",
                 "def data end;",  // 5
                 "def press def title id = t; name = \"T\"; end; end;", "def radio end;",
                 "def tv end;"}));
  EXPECT_FALSE(R.Fatal);
  EXPECT_EQ(MsgSummary(R.Msgs), std::vector<std::string>{});
  EXPECT_EQ(R.Msgs.ErrorCount(), 0);
  ASSERT_TRUE(R.Survey->Waves);
  ASSERT_TRUE(R.Survey->Data);
  EXPECT_EQ(R.Survey->Data->Survey, R.Survey.get());
  ASSERT_TRUE(R.Survey->PressDef());
  EXPECT_EQ(R.Survey->PressDef()->RootModule->ChildCount(), 1);
  EXPECT_TRUE(R.Survey->RadioDef());
  EXPECT_TRUE(R.Survey->TVDef());
  // Read without errors and without a weighting: exactly one, "off".
  ASSERT_EQ(R.Survey->Weights->Count(), 1);
  EXPECT_EQ(R.Survey->Weights->GetItem(0)->GetID(), "off");
  EXPECT_FALSE(R.Survey->Weights->GetItem(0)->IsWeighted());
}

TEST(MerSections, WeightsAfterWavesStandsWhereDataIsExpected) {
  TRead R(Lines({"def waves end;", "def weights end;", "def data end;"}));
  EXPECT_TRUE(R.Fatal);
  const TOrvMsg& Last = *R.Msgs.GetItem(R.Msgs.Count() - 1);
  EXPECT_TRUE(Last.IsClass(TGimFatal_Data_NotDefined));
  EXPECT_EQ(Last.Pos.Line, 2);
  EXPECT_EQ(Last.MessageText(), "\"data\" definition missing.");
  EXPECT_EQ(R.Survey->Weights->Count(), 0);
}

TEST(MerSections, MissingWavesIsFatalAtTheCurrentToken) {
  test::TEnglishSession English;
  TRead R(Lines({"def data end;"}));
  EXPECT_TRUE(R.Fatal);
  EXPECT_EQ(MsgSummary(R.Msgs), (std::vector<std::string>{"TGimFatal_Waves_NotDefined@1:1"}));
  EXPECT_EQ(R.Msgs.GetItem(R.Msgs.Count() - 1)->MessageText(), "\"waves\" definition missing.");
}

TEST(MerSections, LeftoverReportedOnceAndErrorsKeepOffAway) {
  TRead R(Lines({"def waves end;", "def data end;", "def tv end;", "def press end;", "x = 1;"}));
  EXPECT_FALSE(R.Fatal);
  // press after tv is out of its place: not recognised, reported once.
  const std::vector<std::string> S = MsgSummary(R.Msgs);
  ASSERT_FALSE(S.empty());
  EXPECT_EQ(S.back(), "TRixMsgError_UnknownKey@4:1");
  EXPECT_EQ(R.Msgs.ErrorCount(), 1);
  EXPECT_EQ(R.Survey->Weights->Count(), 0);
}

}  // namespace
}  // namespace quin
