// The radio section: stations and modules, places and sources, the radio indicators and the
// derived questions over the respondents' radio columns.
#include <gtest/gtest.h>

#include "media_fixture.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimradio.h"
#include "surveykit/mermessages.h"
#include "surveykit/quarterhours.h"

namespace quin {
namespace {

using test::SwObject;
using test::TMediaSurvey;
using TMsgs = std::vector<std::string>;

TSwIndicator Ind(const std::string& ID, const std::string& Name) {
  TSwIndicator I;
  I.ID = ID;
  I.Name = Name;
  return I;
}

// Stations R01 (north) and R02 in the module "pub", R03 at the top.
TSwRadioSection SampleRadio() {
  TSwRadioSection R;
  R.Hook = "media";
  R.DayColumn = "diaryday";
  R.Regions = {{"north", "North"}};
  TSwMediaObject R01 = SwObject("r01", "Radio One");
  R01.Regions = {"north", "east"};
  R.Root.Modules = {{"pub", "Public", {}, {R01, SwObject("r02", "Radio Two")}}};
  R.Root.Objects = {SwObject("r03", "Radio Three")};
  return R;
}

TEST(RadioColumns, NamesFromSuffixesAndQuarterKeys) {
  TGimRadioStation St;
  St.ID = "xab";
  EXPECT_EQ(St.IDSuffix(), "ab");
  St.ID = "x";
  EXPECT_EQ(St.IDSuffix(), "");
  EXPECT_EQ(RadioStationQuarterColumn("AB", 21), "RAB__050");  // 05:00
  EXPECT_EQ(RadioStationQuarterColumn("AB", 1), "RAB__240");   // 00:00
  EXPECT_EQ(RadioQuarterColumn("RNN", 20), "RNN__283");
  EXPECT_EQ(RadioStationColumn("01", "SPO"), "R01__SPO");
  EXPECT_EQ(RadioPlaceIndex("CAR"), 2);
  EXPECT_EQ(RadioPlaceIndex("nowhere"), 0);
  EXPECT_EQ(RadioSourceIndex("cab"), 3);
  EXPECT_EQ(RadioSourceID(2), "sat");
  EXPECT_EQ(RadioPlaceID(4), "");
}

TEST(Radio, SectionReadsStationsRegionsDayColumnPlacesAndSources) {
  TMediaSurvey S(2, {"diaryday"});
  TSwRadioSection R = SampleRadio();
  R.Places = {{"CAR", "In the car"}, {"home", "At home"}};
  R.Sources = {{"web", "Online"}};
  S.Read(RadioSectionText(R));
  // An unknown region of a station is left out silently.
  EXPECT_EQ(S.Messages(), TMsgs{});
  TGimRadio* Radio = S.Survey->RadioDef();
  ASSERT_TRUE(Radio);
  ASSERT_TRUE(Radio->DayColumn);
  EXPECT_EQ(Radio->DayColumn->Name, "diaryday");
  EXPECT_EQ(Radio->DayColumn->Recset, S.Resp);
  auto* Pub = As<TGimRadioModule>(Radio->RootModule->Child(0));
  ASSERT_TRUE(Pub);
  auto* R01 = As<TGimRadioStation>(Pub->Child(0));
  ASSERT_TRUE(R01 && R01->Regions);
  ASSERT_EQ(R01->Regions->Count(), 1);
  EXPECT_EQ(R01->Regions->GetItem(0)->GetName(), "North");
  EXPECT_EQ(R01->ImageIndex(), 1);
  EXPECT_EQ(Radio->PlaceNames[2], "In the car");  // code 3
  EXPECT_EQ(Radio->PlaceNames[0], "At home");
  EXPECT_EQ(Radio->SourceNames[1], "Online");
  EXPECT_EQ(Radio->SourceNames[0], "");
}

TEST(Radio, ReadingProblems) {
  struct TCase {
    const char* Name;
    std::string Body;
    TMsgs Expected;
  };
  const std::vector<TCase> Cases = {
      {"duplicate station in another module",
       "def module name = \"M\"; def station id = r01; name = \"A\"; end; end;\r\n"
       "def station id = R01; name = \"B\"; end;\r\n",
       {"TMerError_IDNotUnique@7:13"}},
      {"station without name, module without name",
       "def station id = r01; end;\r\ndef module id = m; end;\r\n",
       {"TMerError_NameNotDefined@6:27", "TMerError_NameNotDefined@7:24"}},
      {"nested block in a station",
       "def station id = r; name = \"R\"; def x end; end;\r\n",
       {"TMerMsgError_UnexpectedDef@6:33"}},
      {"places: missing and unknown identifiers, another key",
       "def places def place name = \"X\"; end; def place id = moon; end; foo = 1; end;\r\n",
       {"TMerMsgError_IndIDExpected@6:22", "TMerMsgError_UnknownIndID@6:49",
        "TRixMsgError_UnknownKey@6:65"}},
      // The rest of the block goes with the first key that is not a source.
      {"sources: another key skips the rest",
       "def sources foo = 1; def source id = web; name = \"W\"; end; end;\r\n",
       {"TRixMsgError_UnknownKey@6:13"}},
      {"unknown hook", "hook = nowhere;\r\n", {"TMerError_ModuleNotFound@6:1"}},
      {"unknown block and key",
       "def foo end;\r\nbar = 1;\r\n",
       {"TRixMsgError_UnknownKey@6:5", "TRixMsgError_UnknownKey@7:1"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TMediaSurvey S;
    S.Read("def radio\r\n" + C.Body + "end;\r\n");
    EXPECT_FALSE(S.Fatal);
    EXPECT_EQ(S.Messages(), C.Expected);
  }
  TMediaSurvey S;
  S.Read("def radio\r\ndef sources foo = 1; def source id = web; name = \"W\"; end; end;\r\nend;");
  EXPECT_EQ(S.Survey->RadioDef()->SourceNames[1], "");
  TMediaSurvey E;
  E.Read("def radio\r\n def station id = r; name = \"R\"; end;\r\n");
  EXPECT_TRUE(E.Fatal);
}

TEST(RadioCatalogue, NineIndicatorsWithTheirAnswers) {
  test::TEnglishSession English;
  TGimRadioIndList L(nullptr);
  struct TRow {
    const char* ID;
    bool R, E, P, M, C, D, Pl, Q, S;
    const char* Format;
    const char* Groups;
  };
  const TRow Rows[] = {
      {"spo", 1, 1, 1, 0, 0, 0, 0, 0, 0, "%1.1f", "Main"},
      {"awa", 1, 1, 1, 0, 0, 0, 0, 0, 0, "%1.1f", "Main"},
      {"week", 1, 1, 1, 0, 0, 0, 0, 0, 0, "%1.1f", "Main"},
      {"day", 1, 1, 1, 0, 0, 1, 0, 0, 0, "%1.1f", "Main"},
      {"qs", 1, 1, 1, 0, 0, 1, 1, 1, 1, "%1.1f", "Main"},
      {"share", 0, 0, 1, 0, 1, 1, 1, 1, 1, "%1.1f", "Main"},
      {"meanTime", 0, 0, 0, 1, 1, 1, 1, 1, 1, "%1.1f", "Main"},
      {"avgQ", 0, 1, 1, 0, 0, 1, 1, 1, 1, "%1.1f", "Main"},
      {"noi", 0, 0, 0, 0, 0, 0, 0, 0, 0, "%1.0f", "Media-plan"},
  };
  ASSERT_EQ(L.Count(), 9);
  for (int I = 0; I < 9; ++I) {
    const TRow& W = Rows[I];
    SCOPED_TRACE(W.ID);
    auto* Ind = As<TGimRadioInd>(L.GetItem(I));
    ASSERT_TRUE(Ind);
    EXPECT_EQ(Ind->ID, W.ID);
    EXPECT_EQ(Ind->ByResp(), W.R);
    EXPECT_EQ(Ind->Est(), W.E);
    EXPECT_EQ(Ind->PctCalcs(), W.P);
    EXPECT_EQ(Ind->ShowsPctSign(), W.P);
    EXPECT_EQ(Ind->Means(), W.M);
    EXPECT_EQ(Ind->Counts(), W.C);
    EXPECT_EQ(Ind->Days(), W.D);
    EXPECT_EQ(Ind->Places(), W.Pl);
    EXPECT_EQ(Ind->Qs(), W.Q);
    EXPECT_EQ(Ind->Sources(), W.S);
    EXPECT_EQ(Ind->DisplayFormat(1), W.Format);
    EXPECT_EQ(Ind->Groups(), W.Groups);
  }
  TGimRadioIndInserts Inserts;
  EXPECT_EQ(Inserts.DisplayFormat(1), "%1.2n");
  const TGimMediaInd& Noi = *L.FindByID("noi");
  EXPECT_TRUE(Noi.DependsOnInd(TGimRadioIndNOI::StaticClass(), 1, 1));
  EXPECT_FALSE(Noi.DependsOnInd(TGimRadioInd_SPO::StaticClass(), 2, 2));
  EXPECT_FALSE(Noi.DependsOnInd(TGimRadioIndInserts::StaticClass(), 2, 2));
  EXPECT_EQ(L.FindByID("meantime"), nullptr);
  EXPECT_EQ(L.FindByText("MEANTIME"), L.GetItem(6));
}

std::vector<std::string> ChildIDs(const TGimModule& M) {
  std::vector<std::string> R;
  for (int I = 0; I < M.ChildCount(); ++I) R.push_back(M.Child(I)->ID);
  return R;
}

TEST(RadioQuestions, DerivedModulesFollowTheIndicatorsKept) {
  TMediaSurvey Full;
  Full.Read(RadioSectionText(SampleRadio()));
  EXPECT_EQ(ChildIDs(*Full.Find<TGimModule>("media")),
            (TMsgs{"radio.range", "radio.places", "radio.source", "radio.counts", "radio.spo",
                   "radio.awa", "radio.wee", "radio.day", "radio.avg", "", "radio.qs"}));
  TMediaSurvey Some;
  TSwRadioSection R = SampleRadio();
  R.HasIndicators = true;
  R.Indicators = {Ind("share", "Share"), Ind("spo", "Spontaneous")};
  Some.Read(RadioSectionText(R));
  TGimMediaIndList& L = *Some.Survey->RadioDef()->Indicators;
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.GetItem(0)->ID, "spo");
  EXPECT_EQ(L.GetItem(1)->ID, "share");
  auto* Media = Some.Find<TGimModule>("media");
  EXPECT_EQ(ChildIDs(*Media), (TMsgs{"radio.range", "radio.places", "radio.source", "radio.counts",
                                     "radio.spo", ""}));
  EXPECT_EQ(Media->Child(4)->GetName(), "Spontaneous");
  // The signal-source mirrors are always there.
  EXPECT_EQ(ChildIDs(*As<TGimModule>(Media->Child(5))),
            (TMsgs{"radio.web", "radio.cab", "radio.sat"}));
  EXPECT_EQ(Media->Child(5)->GetName(), "Signal sources");
}

TEST(RadioQuestions, QuarterQuestionsReadTheQuarterColumns) {
  TMediaSurvey S(4, {});
  S.Resp->Columns["r00__050"] = {1, 0, 0, 1};
  S.Resp->Columns["rnn__050"] = {2, 0, 0, 16};
  S.Read(RadioSectionText(SampleRadio()));
  auto* Range = S.Find<TGimModule>("radio.range");
  ASSERT_EQ(Range->ChildCount(), QuarterSlotCount);
  auto* First = As<TGimQuestion>(Range->Child(0));
  EXPECT_EQ(First->ID, "R00__240");  // slot 1, 00:00
  EXPECT_EQ(First->GetName(), "00:00 - 00:14");
  EXPECT_EQ(First->GetFullName(), "Reach by quarters - total > 00:00 - 00:14");
  auto* FiveAM = As<TGimQuestion>(Range->Child(QuarterDayStart - 1));
  EXPECT_EQ(FiveAM->ID, "R00__050");
  std::vector<uint8_t> Selected, Missing;
  FiveAM->EvaluateResponses({FiveAM->Responses->GetItem(1)}, Selected, Missing, S.Resp);
  EXPECT_EQ(Selected, (std::vector<uint8_t>{1, 0, 0, 1}));
  // Counts run from 0 to 15: 16 stations is no answer of the question.
  auto* Counts = S.Find<TGimQuestion>("rnn__050");
  ASSERT_TRUE(Counts);
  ASSERT_EQ(Counts->Responses->Count(), 1);
  Counts->EvaluateResponses({Counts->Responses->GetItem(0)}, Selected, Missing, S.Resp);
  EXPECT_EQ(Selected, (std::vector<uint8_t>{1, 1, 1, 0}));
  auto* Places = S.Find<TGimQuestion>("rpl__050");
  ASSERT_EQ(Places->Responses->Count(), 6);
  EXPECT_EQ(Places->Responses->GetItem(3)->GetName(), "in a car");
  EXPECT_EQ(Places->Responses->GetItem(5)->ID, "bd");
  EXPECT_TRUE(Places->Responses->GetItem(5)->MatchesValue(8));
}

TEST(RadioQuestions, StationMirrorsFollowTheStationTree) {
  TMediaSurvey S(3, {});
  S.Resp->Columns["r01__spo"] = {0, 1, 1};
  S.Resp->Columns["r02__min"] = {0, 30, 2000};
  TSwRadioSection R = SampleRadio();
  R.HasIndicators = true;
  R.Indicators = {Ind("spo", "Spontaneous"), Ind("avgQ", "Average"), Ind("qs", "Quarters")};
  S.Read(RadioSectionText(R));
  auto* Spo = S.Find<TGimModule>("radio.spo");
  EXPECT_EQ(ChildIDs(*Spo), (TMsgs{"radio.spopub", "R03__SPO"}));
  auto* Pub = As<TGimModule>(Spo->Child(0));
  EXPECT_TRUE(Pub->HiddenInPath);
  auto* Q = As<TGimQuestion>(Pub->Child(0));
  EXPECT_EQ(Q->ID, "R01__SPO");
  EXPECT_EQ(Q->GetFullName(), "Spontaneous > Radio One");
  std::vector<uint8_t> Selected, Missing;
  Q->EvaluateResponses({Q->Responses->GetItem(1)}, Selected, Missing, S.Resp);
  EXPECT_EQ(Selected, (std::vector<uint8_t>{0, 1, 1}));
  // Minutes: one response over 0 to 1440 minutes of the day.
  auto* Avg = S.Find<TGimModule>("radio.avg.pub");
  ASSERT_TRUE(Avg);
  auto* Minutes = As<TGimQuestion>(Avg->Child(1));
  EXPECT_EQ(Minutes->ID, "Avg.02");
  Minutes->EvaluateResponses({Minutes->Responses->GetItem(0)}, Selected, Missing, S.Resp);
  EXPECT_EQ(Selected, (std::vector<uint8_t>{1, 1, 0}));
  auto* Qs = S.Find<TGimQuestion>("qs.03");
  ASSERT_TRUE(Qs);
  ASSERT_EQ(Qs->Responses->Count(), QuarterSlotCount);
  EXPECT_EQ(Qs->Responses->GetItem(0)->ID, "Qs240");
  EXPECT_EQ(Qs->Responses->GetItem(0)->Columns->GetItem(0)->Name, "r03__240");
  EXPECT_EQ(Qs->Responses->GetItem(95)->GetName(), "23:45 - 23:59");
}

TEST(RadioQuestions, NoHookNoQuestions) {
  TMediaSurvey S;
  TSwRadioSection R = SampleRadio();
  R.Hook = "nowhere";
  S.Read(RadioSectionText(R));
  EXPECT_EQ(S.Survey->Data->Root->ChildCount(), 1);
  EXPECT_EQ(S.Find<TGimModule>("media")->ChildCount(), 0);
}

// Every station multiplies into derived questions; a section holds no more stations than
// their column suffixes can tell apart.
TEST(Radio, StationCountIsBounded) {
  TMediaSurvey S;
  TSwRadioSection R;
  R.Hook = "nowhere";  // no derived questions: the reading alone
  for (int I = 0; I <= RadioMaxStations; ++I)
    R.Root.Objects.push_back(SwObject("s" + std::to_string(I), "S"));
  S.Read(RadioSectionText(R));
  ASSERT_EQ(S.Messages().size(), 2u);
  EXPECT_TRUE(S.Msgs.GetItem(1)->IsClass(TGimError_TooManyMediaObjects));
  // The preamble, "def radio" and "hook", then four lines per station.
  EXPECT_EQ(S.Msgs.GetItem(1)->Pos.Line, 7 + 4 * RadioMaxStations);
  EXPECT_EQ(S.Survey->RadioDef()->RootModule->ChildCount(), RadioMaxStations);
}

}  // namespace
}  // namespace quin
