// The reading steps every survey block reader shares: an instruction or a block nobody reads
// is reported and skipped the same way whichever reader meets it.
#include <gtest/gtest.h>

#include <functional>

#include "survey_fixture.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimregions.h"
#include "surveykit/gimresponses.h"
#include "surveykit/gimweights.h"

namespace quin {
namespace {

using test::MsgSummary;
using TMsgs = std::vector<std::string>;

// Reads Text (a block body, after its "def" and key) with Reader; the messages, and the text of
// the token current afterwards ("" at the end of the text or after a fatal message).
struct TRun {
  test::TEnglishSession English;
  TOrvMsgList Msgs{100, 100};
  std::string Next;
  TRun(const std::string& Text, const std::function<void(TRixScanner&)>& Reader) {
    auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
    Scanner->NextToken();
    try {
      Reader(*Scanner);
      Next = Scanner->Token->GetText();
    } catch (const EMsgList_FatalError&) {
    }
  }
};

struct TReader {
  const char* Name;
  std::function<void(TRixScanner&)> Read;
};

// Hand-written loops (data, response list) and the block reader (regions, weights) alike.
const TReader Readers[] = {
    {"data", [](TRixScanner& S) { TGimData(nullptr).Read(S, S.Pos); }},
    {"responseList",
     [](TRixScanner& S) {
       NewInSurvey<TMerResponseList>(nullptr, nullptr)
           ->Read(S, nullptr, /*PlainQuestion=*/true, /*HasCode=*/false, nullptr);
     }},
    {"regions", [](TRixScanner& S) { TGimRegionList().Read(S, S.Pos); }},
    {"weights", [](TRixScanner& S) { TGimWeightList().Read(S, nullptr); }},
};

TEST(GimReading, EveryReaderRecoversAlike) {
  const struct {
    const char* Text;
    TMsgs Msgs;
    const char* Next;
  } Cases[] = {
      // The instruction's missing ";" is reported where the skipping stops (past "def").
      {"odd = 1\r\ndef zzz end;\r\nend;\r\nafter",
       {"TRixMsgError_UnknownKey@1:1", "TRixMsgError_InstrSepExpected@2:4",
        "TRixMsgError_UnknownKey@2:5"},
       "after"},
      // "end" right after "def" closes that block only, not the one around it.
      {"def end;\r\nend;\r\nafter", {"TRixMsgError_UnknownKey@1:5"}, "after"},
      {"def 5 end;\r\nend;\r\nafter", {"TRixMsgError_UnknownKey@1:5"}, "after"},
      // A block cut by the end of the text: '"end" expected.' at its key, then the fatal end.
      {"def zzz a = 1;",
       {"TRixMsgError_UnknownKey@1:5", "TRixMsgError_DefEndExpected@1:5",
        "TOrvMsg_FatalError_UnexpectedEOF@1:15"},
       ""},
      {"end\r\nafter", {"TRixMsgError_InstrSepExpected@1:4"}, "after"},
  };
  for (const TReader& R : Readers)
    for (const auto& C : Cases) {
      TRun Run(C.Text, R.Read);
      EXPECT_EQ(MsgSummary(Run.Msgs), C.Msgs) << R.Name << ": " << C.Text;
      EXPECT_EQ(Run.Next, C.Next) << R.Name << ": " << C.Text;
    }
}

TEST(GimReading, GroupsExpectTheirSemicolonAfterEndLikeEveryBlock) {
  TRun Run("def group id = g; name = \"G\"; end\r\nend\r\nafter",
           [](TRixScanner& S) { TGimGroupList().Read(S, nullptr); });
  EXPECT_EQ(MsgSummary(Run.Msgs),
            (TMsgs{"TRixMsgError_InstrSepExpected@1:34", "TRixMsgError_InstrSepExpected@2:4"}));
  EXPECT_EQ(Run.Next, "after");
}

TEST(GimReading, ObjectTextsTakeNickAndInfoOnlyWhenAsked) {
  TRun All("id = A; name = \"N\"; nick = \"K\"; info = \"I\"; end;", [](TRixScanner& S) {
    TGimWeight W;
    TGimBlockReader R;
    R.Key = [&W](TRixScanner& Sc) { return GimReadObjectText(Sc, W, true); };
    R.Read(S);
    EXPECT_EQ(W.ID, "a");
    EXPECT_EQ(W.Name, "N");
    EXPECT_EQ(W.Nick, "K");
    EXPECT_EQ(W.Info, "I");
  });
  EXPECT_TRUE(All.Msgs.Empty());
  TRun Two("id = a; nick = \"K\"; end;", [](TRixScanner& S) {
    TGimRegion G;
    G.Read(S);
    EXPECT_TRUE(G.Nick.empty());
  });
  EXPECT_EQ(MsgSummary(Two.Msgs),
            (TMsgs{"TRixMsgError_UnknownKey@1:9", "TMerError_NameNotDefined@1:25"}));
}

}  // namespace
}  // namespace quin
