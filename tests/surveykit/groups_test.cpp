// Regions and groups of the media definitions, and the statistic catalogue of the survey
// info.
#include <gtest/gtest.h>

#include "survey_fixture.h"
#include "surveykit/gimregions.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using test::Lines;
using test::MsgSummary;
using TMsgs = std::vector<std::string>;

// A scanner over Text whose first token is current, reporting into Msgs.
struct TScan {
  test::TEnglishSession English;
  TOrvMsgList Msgs;
  std::unique_ptr<TRixScanner> Scanner;
  TScan(const std::string& Text, int MaxMsgs = 100, int MaxErrors = 100)
      : Msgs(MaxMsgs, MaxErrors), Scanner(TRixScanner::CreateFromText(Text, &Msgs)) {
    Scanner->NextToken();
  }
};

TEST(GimRegions, RegionsReadWithTheirMessagesAndExactLookup) {
  TScan S(Lines({"  def region id = North; name = \"<PLK>Mazury<ENU>Masuria\"; end;",  // 1
                 "  def region id = north; name = \"Again\"; end;",                    // 2
                 "  def region def x end; end;",                                       // 3
                 "  def city end;",                                                    // 4
                 "  other = 1;",                                                       // 5
                 "end;", "after"}));
  TGimRegionList L;
  L.Read(*S.Scanner, S.Scanner->Pos);
  EXPECT_EQ(MsgSummary(S.Msgs),
            (TMsgs{"TMerError_IDNotUnique@2:45", "TMerMsgError_UnexpectedDef@3:14",
                   "TMerError_IDNotDefined@3:29", "TMerError_NameNotDefined@3:29",
                   "TRixMsgError_UnknownKey@4:7", "TRixMsgError_UnknownKey@5:3"}));
  ASSERT_EQ(L.Count(), 3);  // both "north" kept
  EXPECT_EQ(L.FindByID("north"), L.GetItem(0));
  EXPECT_EQ(L.FindByID("North"), nullptr);  // identifiers are lower-cased when read
  EXPECT_EQ(L.GetItem(1)->GetName(), "Again");
  EXPECT_EQ(S.Scanner->Token->GetText(), "after");
}

TEST(GimRegions, EndOfTextInsideTheRegionsIsFatal) {
  TScan S(Lines({"def region id = a; name = \"A\"; end;"}));
  TGimRegionList L;
  EXPECT_THROW(L.Read(*S.Scanner, S.Scanner->Pos), EMsgList_FatalError);
  EXPECT_EQ(L.Count(), 1);
  EXPECT_TRUE(S.Msgs.GetItem(S.Msgs.Count() - 1)->IsClass(TOrvMsg_FatalError_UnexpectedEOF));
}

TEST(GimGroups, GroupsReadUntilEndOrTheFirstUnknownKey) {
  TScan S(Lines({"  name = \"<PLK>Typy<ENU>Types\";",
                 "  def group id = Daily; name = \"Dailies\"; end;",
                 "  def group id = weekly; name = \"Weeklies\"; colour = red; end;",  // 3
                 "end;"}));
  TGimGroupList L;
  L.Read(*S.Scanner, nullptr);
  EXPECT_EQ(MsgSummary(S.Msgs), TMsgs{"TRixMsgError_UnknownKey@3:45"});
  EXPECT_EQ(L.Name, "<PLK>Typy<ENU>Types");
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.GetItem(0)->GetID(), "daily");
  EXPECT_TRUE(S.Scanner->Token->Is<TOrvTokenEOF>());

  // Anything else stops the list at that token, which is left for the media reader.
  TScan Stop(Lines({"def group id = g; end;", "title = x;", "end;"}));
  TGimGroupList L2;
  L2.Read(*Stop.Scanner, nullptr);
  EXPECT_EQ(MsgSummary(Stop.Msgs), TMsgs{"TRixMsgError_UnknownKey@2:1"});
  EXPECT_EQ(L2.Count(), 1);
  EXPECT_EQ(Stop.Scanner->Token->GetText(), "title");
}

TEST(GimGroups, NestedDefInAGroupIsSkippedEvenWithAnUnboundedMessageList) {
  // Without a message limit a reader that does not move past the nested block never ends.
  TScan S(Lines({"def group id = g; def sub a = 1; end; name = \"G\"; end;", "end;"}), 0, 0);
  TGimGroupList L;
  L.Read(*S.Scanner, nullptr);
  EXPECT_EQ(MsgSummary(S.Msgs), TMsgs{"TMerMsgError_UnexpectedDef@1:19"});
  ASSERT_EQ(L.Count(), 1);
  EXPECT_EQ(L.GetItem(0)->GetName(), "G");
}

TEST(GimGroups, FindGroupInListsTakesTheFirstListThatHasIt) {
  TGimGroupList A;
  TGimGroupList B;
  auto Add = [](TGimGroupList& L, const char* ID, const char* Name) {
    auto G = std::make_unique<TGimGroup>();
    G->ID = ID;
    G->Name = Name;
    return L.Add(std::move(G));
  };
  Add(A, "x", "A-x");
  TGimGroup* By = Add(B, "y", "B-y");
  TGimGroup* Bx = Add(B, "x", "B-x");
  TOrvObjectList Lists(false);
  Lists.Add(&A);
  Lists.Add(&B);
  EXPECT_EQ(FindGroupInLists(Lists, "x"), A.GetItem(0));
  EXPECT_EQ(FindGroupInLists(Lists, "y"), By);
  EXPECT_EQ(FindGroupInLists(Lists, "Y"), nullptr);
  EXPECT_EQ(B.FindByID("x"), Bx);
}

TEST(MerInfoStats, CatalogueOwnsTheTwentyKindsAndTheListsPickFromIt) {
  TMerInfo I;
  ASSERT_EQ(I.StatCatalogue.Count(), StatKindCount);
  for (int K = 0; K < StatKindCount; ++K)
    EXPECT_EQ(I.StatCatalogue.GetItem(K)->ID(), MerStatKeys[K]) << K;
  std::vector<const TOrvMsgClass*> W;
  EXPECT_TRUE(I.SelectStdStats("pct", W));
  EXPECT_TRUE(I.SelectAdvStats("pctRow", W));
  EXPECT_TRUE(I.SelectStdStats("pctRow", W));
  EXPECT_FALSE(I.SelectStdStats("total", W));
  EXPECT_EQ(
      W, (std::vector<const TOrvMsgClass*>{&TMerWarning_StatInStdStats, &TMerWarning_StatInAdvStats,
                                           &TMerWarning_StatAlreadyDefined}));
  ASSERT_EQ(I.StdStatList.Count(), 3);
  EXPECT_EQ(I.StdStatList.GetItem(0), I.StatCatalogue.GetItem(2));
  EXPECT_EQ(I.StdStatList.GetItem(2)->ID(), "pctCol");
  ASSERT_EQ(I.AdvStatList.Count(), 1);
  EXPECT_EQ(I.AdvStatList.GetItem(0), I.StdStatList.GetItem(1));
  EXPECT_FALSE(I.StdStatList.OwnsObjects);
  EXPECT_EQ(I.StdStats, (std::vector<int>{2, 3, 4}));
}

}  // namespace
}  // namespace quin
