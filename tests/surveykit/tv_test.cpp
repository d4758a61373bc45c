// The television section: its columns, stations and modules, and the four TV indicators.
#include <gtest/gtest.h>

#include "media_fixture.h"
#include "surveykit/mermessages.h"
#include "surveykit/mertv.h"

namespace quin {
namespace {

using test::SwObject;
using test::TMediaSurvey;
using TMsgs = std::vector<std::string>;

TSwMediaObject Station(const std::string& ID, const std::string& Name, double Code) {
  TSwMediaObject O = SwObject(ID, Name);
  O.HasCode = true;
  O.Code = Code;
  return O;
}

TEST(TV, SectionReadsColumnsModulesStationsAndIndicators) {
  TMediaSurvey S;
  TSwTVSection T;
  T.StationsCol = "st.view";
  T.MinutesCol = "mins";
  T.DaysCol = "dd";
  T.QsCol = "qq";
  T.Root.Modules = {{"pub", "Public", {}, {Station("tv1", "One", 1), Station("tv2", "Two", 254)}}};
  T.Root.Objects = {SwObject("tv3", "Three")};
  T.HasIndicators = true;
  TSwIndicator Rch;
  Rch.ID = "rch";
  Rch.Name = "Reach";
  TSwIndicator Shr;
  Shr.ID = "shr";
  Shr.Name = "Share";
  Shr.Info = "Share of viewing time";
  T.Indicators = {Rch, Shr};
  S.Read(TVSectionText(T));
  EXPECT_EQ(S.Messages(), TMsgs{});
  TMerTV* TV = S.Survey->TVDef();
  ASSERT_TRUE(TV);
  ASSERT_TRUE(TV->StationsCol && TV->MinutesCol && TV->DaysCol && TV->QsCol);
  // A column name may carry its record set; none of that name here, so record set 0.
  EXPECT_EQ(TV->StationsCol->Name, "st.view");
  EXPECT_EQ(TV->MinutesCol->Recset, S.Resp);
  EXPECT_EQ(TV->QsCol->Name, "qq");
  auto* Pub = As<TMerTVModule>(TV->RootModule->Child(0));
  ASSERT_TRUE(Pub);
  EXPECT_EQ(As<TMerTVStation>(Pub->Child(1))->Code, 254);
  auto* Three = As<TMerTVStation>(TV->RootModule->Child(1));
  ASSERT_TRUE(Three);
  EXPECT_EQ(Three->Code, 0);  // no "code"
  TGimMediaIndList& L = *TV->Indicators;
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.GetItem(0)->ID, "shr");
  EXPECT_EQ(L.GetItem(0)->GetInfo(), "Share of viewing time");
  EXPECT_EQ(L.GetItem(1)->GetName(), "Reach");
}

TEST(TV, ReadingProblems) {
  struct TCase {
    const char* Name;
    std::string Body;
    TMsgs Expected;
    int Indicators;
  };
  const std::vector<TCase> Cases = {
      {"duplicate station in another module",
       "def module name = \"M\"; def station id = a; name = \"A\"; end; end;\r\n"
       "def station id = A; name = \"B\"; end;\r\n",
       {"TMerError_IDNotUnique@7:13"},
       4},
      // A code the byte column cannot hold names no viewing.
      {"station code beyond a byte",
       "def station id = a; name = \"A\"; code = 255; end;\r\n",
       {"TMerMsgError_IntegerOutOfBounds@6:33"},
       4},
      {"station without id and name",
       "def station code = 1; end;\r\n",
       {"TMerError_IDNotDefined@6:27", "TMerError_NameNotDefined@6:27"},
       4},
      // The block without an id is skipped: the indicator goes only because no block lists it.
      {"indicator without id first",
       "def indicators def indicator name = \"X\"; id = amr; end;\r\n"
       "def indicator id = atv; end; def indicator id = xyz; end; foo = 1; end;\r\n",
       {"TMerMsgError_IndIDExpected@6:30", "TMerMsgError_UnknownIndID@7:44",
        "TRixMsgError_UnknownKey@7:59"},
       1},
      {"nested block in an indicator",
       "def indicators def indicator id = amr; def x end; end; end;\r\n",
       {"TMerMsgError_UnexpectedDef@6:40"},
       1},
      {"hook is no key of this section", "hook = media;\r\n", {"TRixMsgError_UnknownKey@6:1"}, 4},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TMediaSurvey S;
    S.Read("def tv\r\n" + C.Body + "end;\r\n");
    EXPECT_FALSE(S.Fatal);
    EXPECT_EQ(S.Messages(), C.Expected);
    EXPECT_EQ(S.Survey->TVDef()->Indicators->Count(), C.Indicators);
  }
}

TEST(TVCatalogue, FourIndicatorsWithTheirAnswers) {
  test::TEnglishSession English;
  TMerTVIndList L(nullptr);
  struct TRow {
    const char* ID;
    bool R, E, P, M;
  };
  const TRow Rows[] = {
      {"amr", 0, 1, 1, 0}, {"atv", 0, 1, 0, 1}, {"shr", 0, 1, 1, 0}, {"rch", 1, 1, 1, 0}};
  ASSERT_EQ(L.Count(), 4);
  for (int I = 0; I < 4; ++I) {
    const TRow& W = Rows[I];
    const TGimMediaInd& Ind = *L.GetItem(I);
    EXPECT_EQ(Ind.ID, W.ID);
    EXPECT_EQ(Ind.ByResp(), W.R) << W.ID;
    EXPECT_EQ(Ind.Est(), W.E) << W.ID;
    EXPECT_EQ(Ind.PctCalcs(), W.P) << W.ID;
    EXPECT_EQ(Ind.ShowsPctSign(), W.P) << W.ID;
    EXPECT_EQ(Ind.Means(), W.M) << W.ID;
    EXPECT_EQ(Ind.Groups(), "Main");
    EXPECT_EQ(Ind.DisplayFormat(0), "%1.0f");
    EXPECT_TRUE(Ind.Name.empty());
  }
  EXPECT_EQ(L.FindByClass(TMerTVIndRCH::StaticClass()), L.GetItem(3));
  EXPECT_EQ(L.FindByClass(TMerTVInd::StaticClass()), nullptr);
}

}  // namespace
}  // namespace quin
