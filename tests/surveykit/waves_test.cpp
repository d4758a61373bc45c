// Waves: the "waves" reader with its date syntax and messages, wave identity and names, the
// period text, subsets and the closing hook.
#include <gtest/gtest.h>

#include "base/orvdates.h"
#include "base/text.h"
#include "survey_fixture.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using test::Lines;
using test::MsgSummary;
using test::TTestSurvey;
using TMsgs = std::vector<std::string>;

struct TRead {
  test::TEnglishSession English;
  std::unique_ptr<TTestSurvey> Survey = New<TTestSurvey>("s.zos");
  TOrvMsgList Msgs;
  bool Fatal = false;
  explicit TRead(const std::string& Text, int MaxErrors = 100) : Msgs(100, MaxErrors) {
    auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
    Scanner->NextToken();
    try {
      Survey->ReadSections(*Scanner);
    } catch (const EMsgList_FatalError&) {
      Fatal = true;
    }
  }
  const TGimWaveList& Waves() const { return *Survey->Waves; }
};

// The waves block Body, then an empty data block.
std::string WavesText(const std::vector<const char*>& Body) {
  std::string S = "def waves\r\n";
  for (const char* L : Body) S += std::string(L) + "\r\n";
  return S + "end;\r\ndef data end;\r\n";
}

TFormatSettings Polish() {
  TFormatSettings F;
  F.ShortDateFormat = "yyyy-mm-dd";
  return F;
}
TFormatSettings English() {
  TFormatSettings F;
  F.DateSeparator = '/';
  F.ShortDateFormat = "dd/mm/yyyy";
  return F;
}

TEST(GimWaves, TwoWavesWithDatesIdentityAndPeriodText) {
  TRead R(WavesText({"  id = fale; name = \"<PLK>Fale<ENU>Waves\"; minSelCount = 2;",  // 2
                     "  def wave id = Jan; name = \"<PLK>Zima<ENU>Winter\";",          // 3
                     "    dateStart = 2005/1/3; dateEnd = 2005/1/30; end;",
                     "  def wave dateStart = 2005/3; end;"}));  // 5
  EXPECT_FALSE(R.Fatal);
  EXPECT_EQ(MsgSummary(R.Msgs), TMsgs{});
  const TGimWaveList& W = R.Waves();
  EXPECT_EQ(W.GetID(), "fale");
  EXPECT_EQ(W.MinSelCount, 2);
  ASSERT_EQ(W.Count(), 2);
  const TGimWave& Jan = *W.GetItem(0);
  EXPECT_EQ(Jan.Number, 1);
  EXPECT_EQ(Jan.GetID(), "jan");
  EXPECT_EQ(Jan.StartDate, EncodeDate(2005, 1, 3));
  EXPECT_EQ(Jan.EndDate, EncodeDate(2005, 1, 30));
  EXPECT_EQ(Jan.Owner, &W);
  // Without an ID and a name: "Wave2", named in the session's language.
  const TGimWave& Mar = *W.GetItem(1);
  EXPECT_EQ(Mar.Number, 2);
  EXPECT_EQ(Mar.StartDate, 38412);  // 1 March 2005, start and end
  EXPECT_EQ(Mar.EndDate, 38412);
  EXPECT_EQ(W.FindByID("WAVE2"), &Mar);
  EXPECT_EQ(W.FindByID("JAN"), &Jan);
  EXPECT_EQ(W.FindByID("wave1"), nullptr);
  EXPECT_EQ(Mar.GetName(), "Wave 2");
  {
    auto Plk = New<TOrvLangManager>("plk");
    TLangManagerBinding B(Plk.get());
    EXPECT_EQ(Mar.GetName(), "Fala 2");
  }
  std::string Text;
  W.GetPeriodText(Text, Polish());
  EXPECT_EQ(Text, "2005-01-03 - 2005-03-01");
  W.GetPeriodText(Text, English());
  EXPECT_EQ(Text, "03/01/2005 - 01/03/2005");
  EXPECT_EQ(W.RecCount(nullptr), 2);  // one record per wave in the base
}

TEST(GimWaves, PeriodTextOfOneDayAndOfNoWave) {
  TGimWaveList L(nullptr, true, nullptr);
  std::string Text = "x";
  L.GetPeriodText(Text, Polish());
  EXPECT_EQ(Text, "");  // no wave: nothing to read from
  auto W = L.CreateWave();
  W->StartDate = W->EndDate = EncodeDate(2006, 12, 24);
  L.AddChild(std::move(W));
  L.GetPeriodText(Text, English());
  EXPECT_EQ(Text, "24/12/2006");
  TFormatSettings Short;
  Short.ShortDateFormat = "d.m.yy";
  L.GetPeriodText(Text, Short);
  EXPECT_EQ(Text, "24.12.06");
}

TEST(GimWaves, ReaderMessages) {
  struct TCase {
    std::vector<const char*> Body;
    TMsgs Want;
    double Start;
    double End;
  };
  const double D2005 = EncodeDate(2005, 1, 1);
  const TCase Cases[] = {
      {{"  def wave dateStart = 1899; end;"}, {"TMerMsgError_IntegerOutOfBounds@2:24"}, 0, 0},
      {{"  def wave dateStart = 2005/13; end;"}, {"TMerMsgError_IntegerOutOfBounds@2:29"}, 0, 0},
      {{"  def wave dateStart = x; end;"}, {"TRixMsgError_IntegerExpected@2:24"}, 0, 0},
      {{"  def wave dateStart = 2005/2/30; end;"}, {"TGimError_InvalidDate@2:31"}, 0, 0},
      {{"  def wave dateEnd = 2005; end;"}, {"TGimError_StartDefAfterEndDef@2:12"}, 0, D2005},
      {{"  def wave dateStart = 2005/2; dateEnd = 2005; end;"},
       {"TMerMsgError_StartLaterThanEnd@2:42"},
       EncodeDate(2005, 2, 1),
       D2005},
      {{"  def wave dateStart = 2005 end;"}, {"TRixMsgError_InstrSepExpected@2:29"}, D2005, D2005},
      {{"  def wave dateStart = 2005; def x end; y = 1; end;"},
       {"TMerMsgError_UnexpectedDef@2:30", "TRixMsgError_UnknownKey@2:41"},
       D2005,
       D2005},
  };
  for (const TCase& C : Cases) {
    TRead R(WavesText(C.Body));
    SCOPED_TRACE(C.Body[0]);
    EXPECT_EQ(MsgSummary(R.Msgs), C.Want);
    ASSERT_EQ(R.Waves().Count(), 1);
    EXPECT_EQ(R.Waves().GetItem(0)->StartDate, C.Start);
    EXPECT_EQ(R.Waves().GetItem(0)->EndDate, C.End);
  }
}

TEST(GimWaves, ListMessagesAndOrderOfWaves) {
  TRead R(WavesText({"  minSelCount = 0;",                           // 2
                     "  minSelCount = 1;",                           // 3
                     "  def wave id = a; dateStart = 2005/5; end;",  // 4
                     "  def wave id = b; dateStart = 2005/4; end;",  // 5: earlier start
                     "  def wave id = A; dateStart = 2005/6; end;",  // 6: repeated ID
                     "  def other end;",                             // 7
                     "  other = 1;"}));                              // 8
  EXPECT_EQ(MsgSummary(R.Msgs),
            (TMsgs{"TGimError_MinSelCountInvalid@2:3", "TGimHint_MinSelCountDefault@3:3",
                   "TGimWarning_DateOrder@5:7", "TMerError_IDNotUnique@6:7",
                   "TRixMsgError_UnknownKey@7:7", "TRixMsgError_UnknownKey@8:3"}));
  EXPECT_EQ(R.Msgs.GetItem(0)->MessageText(), "minSelCount must be greater than or equal to 1.");
  EXPECT_EQ(R.Msgs.GetItem(1)->MessageText(), "minSelCount is 1 by default.");
  EXPECT_EQ(R.Msgs.GetItem(2)->MessageText(), "Waves are not ordered by \"dateStart\".");
  EXPECT_EQ(R.Waves().MinSelCount, 1);  // stored in any case
  EXPECT_EQ(R.Waves().Count(), 3);      // the repeated ID is kept
}

TEST(GimWaves, EnglishOnlyTemplatesReadTheSameInPolish) {
  auto Plk = New<TOrvLangManager>("plk");
  TLangManagerBinding B(Plk.get());
  TOrvMsgList L;
  auto Scanner = TRixScanner::CreateFromText(
      Lines({"dateEnd = 2005; dateStart = 2005/2; dateEnd = 2005; end;"}), &L);
  Scanner->NextToken();
  TGimWave W;
  W.Read(*Scanner, nullptr);
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.GetItem(0)->MessageText(),
            "\"dateStart\" definition should be before \"dateEnd\" definition.");
  EXPECT_EQ(L.GetItem(1)->MessageText(), "The starting date is later then the end date.");
  L.Clear();
  Scanner = TRixScanner::CreateFromText(Lines({"dateStart = 2005/2/29; end;"}), &L);
  Scanner->NextToken();
  W.Read(*Scanner, nullptr);
  ASSERT_EQ(L.Count(), 1);
  EXPECT_EQ(L.GetItem(0)->MessageText(), Cp1250("Nieprawidłowa data."));
}

// Counts the closing hook.
class TCountingWaveList : public TGimWaveList {
 public:
  using TGimWaveList::TGimWaveList;
  int AfterReads = 0;
  void AfterRead(TRixScanner&, TMerRecsetList*) override { ++AfterReads; }
};

TEST(GimWaves, AfterReadRunsAlsoWhenTheEndOfTextRaises) {
  test::TEnglishSession English;
  TOrvMsgList L(100, 1);
  auto Scanner =
      TRixScanner::CreateFromText(Lines({"def wave id = a; name = \"A\";", "  bad"}), &L);
  Scanner->NextToken();
  TCountingWaveList W(nullptr, true, nullptr);
  EXPECT_THROW(W.Read(*Scanner, nullptr), EMsgList_FatalError);  // exactly one
  EXPECT_EQ(W.AfterReads, 1);
  Scanner = TRixScanner::CreateFromText(Lines({"end;"}), &L);
  Scanner->NextToken();
  W.Read(*Scanner, nullptr);
  EXPECT_EQ(W.AfterReads, 2);
}

TEST(GimWaves, SubsetsShareTheSurveysWavesAndCopiesKeepThemShared) {
  TRead R(WavesText({"  def wave id = a; end;", "  def wave id = b; end;"}));
  const TGimWaveList& All = R.Waves();
  auto Sub = TGimWaveList::CreateSubset(R.Survey.get(), /*OwnsWaves=*/false, /*AddAll=*/true);
  ASSERT_EQ(Sub->Count(), 2);
  EXPECT_EQ(Sub->GetItem(1), All.GetItem(1));
  EXPECT_EQ(Sub->Owner, nullptr);
  auto Copy = CopyOf(*Sub);
  EXPECT_EQ(Copy->GetItem(0), All.GetItem(0));
  EXPECT_EQ(All.GetItem(0)->Owner, &All);
  Copy.reset();
  Sub.reset();
  EXPECT_EQ(All.GetItem(0)->GetID(), "a");  // still alive
  // An owning copy copies the waves with their numbers and dates.
  auto Own = CopyOf(All);
  ASSERT_EQ(Own->Count(), 2);
  EXPECT_NE(Own->GetItem(1), All.GetItem(1));
  EXPECT_EQ(Own->GetItem(1)->Number, 2);
  EXPECT_EQ(Own->GetItem(1)->Owner, Own.get());
  EXPECT_TRUE(TGimWaveList::CreateSubset(R.Survey.get(), true, false)->Count() == 0);
}

}  // namespace
}  // namespace quin
