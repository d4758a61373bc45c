#include "base/orvmessages.h"

#include <gtest/gtest.h>

#include "base/langmanager.h"
#include "base/text.h"

namespace quin {
namespace {

const TOrvMsgClass kTestError{"TTestMsg_Error_Unknown", &TOrvMsgKind_Error,
                              "<PLK>Nieznany klucz %s.<ENU>Unknown key %s.", 3};
const TOrvMsgClass kTestWarning{"TTestMsg_Warning", &TOrvMsgKind_Warning, "<ENU>Careful."};
const TOrvMsgClass kTestFatal{"TTestMsg_FatalError", &TOrvMsgKind_FatalError,
                              "<ENU>Unexpected end of file."};
const TOrvMsgClass kTestText{"TTestMsg_Hint_Text", &TOrvMsgKind_Hint, ""};

class MessagesTest : public testing::Test {
 protected:
  std::unique_ptr<TOrvLangManager> En = New<TOrvLangManager>("enu");
  TLangManagerBinding Bind{En.get()};
  static std::unique_ptr<TOrvMsg> Err(int Offset = 1) {
    return TOrvMsg::CreateFromArgs(kTestError, MakeTextPos(Offset, 1, Offset), {"k"});
  }
  static std::unique_ptr<TOrvMsg> Warn(int Offset = 1) {
    return TOrvMsg::Create(kTestWarning, MakeTextPos(Offset, 1, Offset));
  }
};

TEST_F(MessagesTest, TextPositions) {
  const TOrvTextPos P = MakeTextPos(10, 2, 3);
  EXPECT_EQ(P.Offset, 10);
  EXPECT_EQ(P.Line, 2);
  EXPECT_EQ(P.Column, 3);
  EXPECT_EQ(TOrvTextPos{}, MakeTextPos(1, 1, 1));
  EXPECT_LT(CompareTextPos(MakeTextPos(5, 9, 9), MakeTextPos(7, 1, 1)), 0);
  EXPECT_GT(CompareTextPos(MakeTextPos(5, 2, 1), MakeTextPos(5, 1, 9)), 0);
  EXPECT_EQ(CompareTextPos(P, P), 0);
}

TEST_F(MessagesTest, KindsAndTexts) {
  EXPECT_TRUE(TOrvMsgKind_FatalError().InheritsFrom(TOrvMsgKind_Error()));
  EXPECT_FALSE(TOrvMsgKind_Warning().InheritsFrom(TOrvMsgKind_Error()));
  EXPECT_EQ(TOrvMsgKind_FatalError().DisplayName(), "Fatal error");
  {
    auto Pl = New<TOrvLangManager>("plk");
    TLangManagerBinding B(Pl.get());
    EXPECT_EQ(TOrvMsgKind_FatalError().DisplayName(), Cp1250("Błąd krytyczny"));
  }
  auto M = Err();
  EXPECT_EQ(M->CodeText(), "E3");
  EXPECT_EQ(M->MessageText(), "Unknown key k.");
  EXPECT_TRUE(M->IsClass(kTestError));
  auto C = CopyOf(*M);
  EXPECT_EQ(C->MessageText(), "Unknown key k.");
  EXPECT_EQ(C->MsgClass, &kTestError);
  EXPECT_EQ(TOrvMsg::Create(kTestWarning, {})->CodeText(), "W0");
  auto T = TOrvMsg::CreateFromText(kTestText, "<PLK>wolny<ENU>free text", {});
  EXPECT_EQ(T->MessageText(), "free text");
  T->Note = "<PLK>uwaga<ENU>note";
  EXPECT_EQ(T->NoteText(), "note");
}

TEST_F(MessagesTest, FirstErrorStopsAListWithLimitOne) {
  TOrvMsgList L(0, 1);
  L.Add(Warn());
  try {
    L.Add(Err(4));
    FAIL() << "no exception";
  } catch (const EMsgList_FatalError& E) {
    EXPECT_STREQ(E.what(), "Too many errors; the rest will be ignored.");
  }
  ASSERT_EQ(L.Count(), 3);
  EXPECT_TRUE(L.GetItem(1)->IsClass(kTestError));
  EXPECT_TRUE(L.GetItem(2)->IsClass(TOrvMsg_FatalError_TooManyErrors));
  EXPECT_EQ(L.GetItem(2)->Pos.Offset, 4);
}

TEST_F(MessagesTest, MessageLimitDropsWarningsAndPurgesThemForErrors) {
  TOrvMsgList L(3, 10);
  EXPECT_EQ(L.MaxErrors, 3);
  for (int I = 0; I < 4; ++I) L.Add(Warn());
  EXPECT_EQ(L.Count(), 3);  // the fourth warning is dropped
  L.Add(Err());             // purges the warnings, is stored
  EXPECT_EQ(L.Count(), 1);
  EXPECT_EQ(L.ErrorCount(), 1);
  L.Add(Err());
  EXPECT_THROW(L.Add(Err()), EMsgList_FatalError);  // the third error reaches the limit
  EXPECT_EQ(L.ErrorCount(), 4);                     // the too-many-errors message counts too
}

TEST_F(MessagesTest, ErrorsAppendedOutsideTheLimitsStillStopTheList) {
  TOrvMsgList L(0, 1);
  L.TOrvObjectList::Add(Err().release());  // appended directly, as free-text reports are
  EXPECT_THROW(L.Add(Err()), EMsgList_FatalError);
}

TEST_F(MessagesTest, UnlimitedListRaisesOnlyForFatal) {
  TOrvMsgList L(0, 0);
  for (int I = 0; I < 50; ++I) L.Add(Err());
  EXPECT_EQ(L.Count(), 50);
  try {
    L.Add(TOrvMsg::Create(kTestFatal, {}));
    FAIL() << "no exception";
  } catch (const EMsgList_FatalError& E) {
    EXPECT_STREQ(E.what(), "Unexpected end of file.");
  }
  EXPECT_EQ(L.Count(), 51);  // the fatal message is stored
  TOrvMsgList Full(1, 0);
  Full.Add(Err());
  EXPECT_THROW(Full.Add(TOrvMsg::Create(kTestFatal, {})), EMsgList_FatalError);  // not stored
  EXPECT_EQ(Full.Count(), 1);
}

TEST_F(MessagesTest, LimitsAreStoredAsGiven) {
  struct Case {
    int Msgs, Errors, WantErrors;
  };
  for (const Case& C : {Case{100, 100, 100}, Case{0, 1, 1}, Case{0, 0, 0}, Case{3, 10, 3},
                        Case{10, 3, 3}, Case{5, 0, 0}}) {
    TOrvMsgList L(C.Msgs, C.Errors);
    EXPECT_EQ(L.MaxMsgs, C.Msgs);
    EXPECT_EQ(L.MaxErrors, C.WantErrors);
  }
}

TEST_F(MessagesTest, CountKindsAndSort) {
  TOrvMsgList L;
  L.Add(Warn(7));
  L.Add(Err(5));
  L.Add(TOrvMsg::CreateFromText(kTestText, "first", MakeTextPos(5, 1, 5)));
  L.Add(TOrvMsg::CreateFromText(kTestText, "second", MakeTextPos(5, 1, 5)));
  EXPECT_THROW(L.Add(TOrvMsg::Create(kTestFatal, MakeTextPos(1, 1, 1))), EMsgList_FatalError);
  EXPECT_EQ(L.CountKinds({&TOrvMsgKind_Error()}), 2);  // the fatal one counts as an error
  EXPECT_EQ(L.CountKinds({&TOrvMsgKind_Warning()}), 1);
  EXPECT_EQ(L.CountKinds({&TOrvMsgKind_Warning(), &TOrvMsgKind_Hint()}), 3);
  L.SortByPosition();
  EXPECT_TRUE(L.GetItem(0)->IsClass(kTestFatal));
  EXPECT_TRUE(L.GetItem(1)->IsClass(kTestError));
  EXPECT_EQ(L.GetItem(2)->Text, "first");  // same place: order of arrival
  EXPECT_EQ(L.GetItem(3)->Text, "second");
  EXPECT_TRUE(L.GetItem(4)->IsClass(kTestWarning));

  auto Copy = L.CreateCopy();
  auto* C = static_cast<TOrvMsgList*>(Copy.get());
  EXPECT_EQ(C->Count(), 5);
  EXPECT_NE(C->GetItem(0), L.GetItem(0));
  EXPECT_EQ(C->MaxErrors, L.MaxErrors);
}

}  // namespace
}  // namespace quin
