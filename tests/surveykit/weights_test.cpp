// Weightings: the "weights" reader with its messages, names in the session's language, and
// the prepared weight vector within a record set and across the respondent join.
#include <gtest/gtest.h>

#include "base/text.h"
#include "survey_fixture.h"
#include "surveykit/gimstat.h"
#include "surveykit/mermessages.h"
#include "tests/support/memrecset.h"

namespace quin {
namespace {

using test::Lines;
using test::MsgSummary;
using test::TMemRecset;
using test::TTestSurvey;
using TMsgs = std::vector<std::string>;

// Respondents (record set 0) and two panels, each joined by respondent ranges.
struct TJoinedSurvey {
  test::TEnglishSession English;
  std::unique_ptr<TTestSurvey> Survey = New<TTestSurvey>("s.zos");
  TMemRecset* Resp;
  TMemRecset* PanelA;
  TMemRecset* PanelB;
  TOrvMsgList Msgs{100, 100};

  TJoinedSurvey() {
    Resp = Add("resp", 2);
    PanelA = Add("pa", 3);
    PanelB = Add("pb", 3);
    Survey->PanelJoins.resize(3);
    Join(1, {{0, 0}, {1, 2}});  // respondent 0: record 0; respondent 1: records 1-2
    Join(2, {{0, 1}, {2, 2}});  // respondent 0: records 0-1; respondent 1: record 2
  }
  TMemRecset* Add(const char* ID, int Records) {
    auto* R = Survey->RecsetList->Add(std::make_unique<TMemRecset>());
    R->ID = ID;
    R->Records = Records;
    R->Survey = Survey.get();
    return R;
  }
  void Join(int Index, const std::vector<std::pair<int, int>>& Ranges) {
    auto J = std::make_unique<TMerRespInPanels>(Survey.get(), Index);
    for (auto [F, L] : Ranges) J->CaseRanges.push_back({F, L, 0});
    Survey->PanelJoins[Index] = std::move(J);
  }
  // Reads the sections from Text (a "weights" block first).
  void Read(const std::string& Text) {
    auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
    Scanner->NextToken();
    Survey->ReadSections(*Scanner);
  }
  TGimWeight* Weight(const char* Column) {
    auto W = Survey->Weights->CreateWeight();
    W->ID = Column;
    W->Column = Survey->CreateCol(nullptr, Column);
    return Survey->Weights->Add(std::move(W));
  }
  std::vector<double> Prepare(const TGimWeight* W, TMerRecset* R) {
    Survey->Weights->PrepareWeights(W, R);
    return Survey->Weights->WeightValues();
  }
};

void ExpectNear(const std::vector<double>& Got, const std::vector<double>& Want) {
  ASSERT_EQ(Got.size(), Want.size());
  for (size_t I = 0; I < Want.size(); ++I) EXPECT_NEAR(Got[I], Want[I], 1e-12) << "record " << I;
}

TEST(GimWeights, ReaderBuildsWeightingsAndReportsEachProblem) {
  TJoinedSurvey S;
  S.Read(Lines({"def weights",                                                   // 1
                "  noWeight = 1; population = 2500;",                            // 2
                "  def weight id = W1; name = \"<PLK>Waga<ENU>Weight\";",        // 3
                "    population = 1000.5; column = wr; end;",                    // 4
                "  def weight id = w1; name = \"Again\"; column = wa.PA; end;",  // 5
                "  def weight nick = \"n\"; def x end; end;",                    // 6
                "  bogus = 1;",                                                  // 7
                "  def other end;",                                              // 8
                "end;",                                                          // 9
                "def waves end;", "def data end;"}));
  EXPECT_EQ(MsgSummary(S.Msgs),
            (TMsgs{"TMerError_IDNotUnique@5:58", "TMerMsgError_UnexpectedDef@6:26",
                   "TMerError_IDNotDefined@6:41", "TMerError_NameNotDefined@6:41",
                   "TMerError_ColNotDefined@6:41",
                   // Without a column it is one more "off".
                   "TMerError_IDNotUnique@6:40", "TRixMsgError_UnknownKey@7:3",
                   "TRixMsgError_UnknownKey@8:7"}));
  const TGimWeightList& L = *S.Survey->Weights;
  ASSERT_EQ(L.Count(), 4);  // the repeated ID and the incomplete weighting are kept
  EXPECT_EQ(L.CountWeighted(), 2);
  EXPECT_TRUE(L.HasNoWeight());
  const TGimWeight* Off = L.FindByID("OFF");
  ASSERT_EQ(Off, L.GetItem(0));
  EXPECT_EQ(Off->Population, 2500);
  EXPECT_EQ(Off->GetName(), "no weight");
  const TGimWeight* W1 = L.FindByID("W1");
  ASSERT_EQ(W1, L.GetItem(1));  // the first of the two
  EXPECT_EQ(W1->GetID(), "w1");
  EXPECT_EQ(W1->Population, 1000.5);
  ASSERT_TRUE(W1->Column);
  EXPECT_EQ(W1->Column->Recset, S.Resp);
  EXPECT_EQ(W1->Column->Name, "wr");
  EXPECT_EQ(L.GetItem(2)->Column->Recset, S.PanelA);
  EXPECT_EQ(L.GetItem(2)->Column->Name, "wa");
  // A weighting without column stands for "off".
  EXPECT_FALSE(L.GetItem(3)->IsWeighted());
}

TEST(GimWeights, NamesFollowTheSessionLanguage) {
  auto Survey = New<TTestSurvey>("s.zos");
  TGimWeight* Off = Survey->Weights->AddNoWeight();
  EXPECT_EQ(Off->GetID(), "off");
  {
    auto Plk = New<TOrvLangManager>("plk");
    TLangManagerBinding B(Plk.get());
    EXPECT_EQ(Off->GetName(), Cp1250("bez ważenia"));
  }
  test::TEnglishSession English;
  EXPECT_EQ(Off->GetName(), "no weight");
}

TEST(GimWeights, OnlyNoWeightGivesOffAndAReadingWithoutWeightingsGetsIt) {
  for (const char* Weights : {"def weights noWeight = 1; end;", "def weights end;"}) {
    TJoinedSurvey S;
    S.Read(Lines({Weights, "def waves end;", "def data end;"}));
    EXPECT_EQ(S.Msgs.ErrorCount(), 0) << Weights;
    ASSERT_EQ(S.Survey->Weights->Count(), 1) << Weights;
    EXPECT_EQ(S.Survey->Weights->GetItem(0)->GetName(), "no weight");
  }
}

TEST(GimWeights, WeightsBlockCutByTheEndOfTextIsFatal) {
  TJoinedSurvey S;
  auto Scanner =
      TRixScanner::CreateFromText(Lines({"def weights", "  def weight id = a;"}), &S.Msgs);
  Scanner->NextToken();
  EXPECT_THROW(S.Survey->ReadSections(*Scanner), EMsgList_FatalError);
  EXPECT_EQ(MsgSummary(S.Msgs)[0], "TOrvMsg_FatalError_UnexpectedEOF@2:21");
}

TEST(GimWeights, PreparedVectorWithinAndAcrossTheJoin) {
  const double Missing = GimValueNoData;
  struct TCase {
    const char* Name;
    const char* Column;  // "" for "off"
    int Target;          // record set index
    std::vector<double> Want;
  };
  const TCase Cases[] = {
      {"off", "", 1, {1, 1, 1}},
      {"own record set as stored, missing as 0", "wa.pa", 1, {2, 0, 7}},
      // Respondents 2 and 4 with one and two panel records: 2, 4, 4, then P/S = 3/10.
      {"respondents to a panel", "wr", 1, {0.6, 1.2, 1.2}},
      // Sums 2 and 7 of one and two records, averaged to 2 and 3.5, then P/S = 2/5.5.
      {"panel to respondents", "wa.pa", 0, {2 * 2 / 5.5, 3.5 * 2 / 5.5}},
      // Respondent means 2 and 3.5 reach pb's records 0-1 and 2: P/S = 3/7.5.
      {"panel to panel", "wa.pa", 2, {2 * 3 / 7.5, 2 * 3 / 7.5, 3.5 * 3 / 7.5}},
  };
  for (const TCase& C : Cases) {
    TJoinedSurvey S;
    S.Resp->Columns["wr"] = {2, 4};
    S.PanelA->Columns["wa"] = {2, Missing, 7};
    const TGimWeight* W = *C.Column ? S.Weight(C.Column) : S.Survey->Weights->AddNoWeight();
    TMerRecset* Target = S.Survey->Recset(C.Target);
    SCOPED_TRACE(C.Name);
    ExpectNear(S.Prepare(W, Target), C.Want);
    double Sum = 0;
    for (double V : C.Want) Sum += V;
    EXPECT_NEAR(S.Survey->Weights->WeightTotal(), Sum, 1e-12);
    EXPECT_EQ(S.Survey->Weights->PreparedWeight(), W);
    EXPECT_EQ(S.Survey->Weights->PreparedRecset(), Target);
  }
}

TEST(GimWeights, MissingWeightsNeverEnterSumsOrScalingAcrossTheJoin) {
  TJoinedSurvey S;
  S.Resp->Records = 3;
  S.PanelA->Records = 4;
  S.Join(1, {{0, 0}, {1, 1}, {2, 3}});
  S.Resp->Columns["wr"] = {2, GimValueNoData, 4};
  const TGimWeight* W = S.Weight("wr");
  // 2, 0, 4, 4 with P/S = 3/10: the missing respondent's record weighs nothing.
  ExpectNear(S.Prepare(W, S.PanelA), {0.6, 0, 1.2, 1.2});
  EXPECT_NEAR(S.Survey->Weights->WeightTotal(), 3, 1e-12);
  // Summed into a respondent, a missing panel weight adds nothing either: sums 0, 1 and 3
  // (of two records, so 1.5), then P/S = 2/2.5.
  S.PanelA->Columns["wa"] = {GimValueNoData, 1, GimValueNoData, 3};
  ExpectNear(S.Prepare(S.Weight("wa.pa"), S.Resp), {0, 0.8, 1.2});
}

TEST(GimWeights, VectorIsReusedForTheSamePairAndRebuiltForAnother) {
  TJoinedSurvey S;
  S.Resp->Columns["wr"] = {2, 4};
  const TGimWeight* W = S.Weight("wr");
  S.Prepare(W, S.PanelA);
  S.Prepare(W, S.PanelA);
  EXPECT_EQ(S.Resp->Loads, 1);
  ExpectNear(S.Prepare(W, S.Resp), {2, 4});
  EXPECT_EQ(S.Resp->Loads, 2);
  // An empty record set: no weights and a total of 0.
  S.PanelB->Records = 0;
  EXPECT_TRUE(S.Prepare(W, S.PanelB).empty());
  EXPECT_EQ(S.Survey->Weights->WeightTotal(), 0);
}

TEST(GimWeights, JoinRangesOutsideThePanelAreCutAndAMissingJoinGivesNothing) {
  TJoinedSurvey S;
  S.Resp->Columns["wr"] = {2, 4};
  S.Join(1, {{-5, 0}, {1, 1000}, {7, 9}});  // one range too many as well
  ExpectNear(S.Prepare(S.Weight("wr"), S.PanelA), {0.6, 1.2, 1.2});
  S.Survey->PanelJoins[2].reset();
  EXPECT_EQ(S.Prepare(S.Weight("wr"), S.PanelB), (std::vector<double>{0, 0, 0}));
}

}  // namespace
}  // namespace quin
