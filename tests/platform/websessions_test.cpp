// Session hygiene through the in-process request seam: cheap not-logged-on sessions that go
// first, a new identifier at logon, ended sessions leading to a new one, answers held back.
#include <gtest/gtest.h>

#include "tests/platform/server_fixture.h"

namespace quin {
namespace {

using test::TTestForm;

class WebSessionsTest : public test::WebServerTest {
 protected:
  void Configure(TWebServerSettings& S) override {
    S.MaxAnonymousSessionsPerAddress = 3;
    S.MaxGuestSessionsPerAddress = 2;
    S.MaxGuestSessions = 3;
    S.MaxSessions = 6;
  }
  void SetUp() override {
    test::WebServerTest::SetUp();
    Server->OnCloseSession = [this](TWebSession& S) { Closed.push_back(S.Id()); };
  }
  std::string OpenFrom(const std::string& Address) {
    TWebResponse R = Server->Handle({"GET", "/", {}, Address});
    EXPECT_EQ(R.Status, 302);
    return R.Header("Location").substr(3, 32);
  }
  // Clicks the page's button, whose handler runs Action; returns the answer.
  TWebResponse ClickRunning(const std::string& Sid,
                            const std::function<void(TWebSession&)>& Action) {
    TTestForm& F = Form(Sid);
    TWebSession* S = &Session(Sid);
    F.Button->OnClick = [S, Action](TWebControl&) { Action(*S); };
    return Fire(Sid, *F.Button, "click");
  }
  std::vector<std::string> Closed;
};

TEST_F(WebSessionsTest, NotLoggedOnSessionsAreCappedPerAddressAndGoFirst) {
  std::string A1 = OpenFrom("a"), A2 = OpenFrom("a"), A3 = OpenFrom("a");
  // A fourth from the same address ends that address's oldest.
  std::string A4 = OpenFrom("a");
  EXPECT_EQ(Closed, std::vector<std::string>{A1});
  EXPECT_EQ(Server->SessionCount(), 3u);
  // Logged-on sessions do not count.
  ClickRunning(A2, [](TWebSession& S) { S.MarkLoggedOn(); });
  std::string A5 = OpenFrom("a");
  EXPECT_EQ(Closed.size(), 1u);
  std::string B1 = OpenFrom("b"), B2 = OpenFrom("b");
  EXPECT_EQ(Server->SessionCount(), 6u);
  // At the cap the oldest not-logged-on session of all ends, never a logged-on one.
  std::string C1 = OpenFrom("c");
  EXPECT_EQ(Closed, (std::vector<std::string>{A1, A3}));
  for (const std::string& Sid : {A4, A5, B1, B2, C1})
    ClickRunning(Sid, [](TWebSession& S) { S.MarkLoggedOn(); });
  EXPECT_TRUE(Session(A4).IsLoggedOn());
  // With every session logged on a newcomer is refused; one that logs off goes first again.
  EXPECT_EQ(Server->Handle({"GET", "/", {}, "d"}).Status, 503);
  std::string Gone = Session(B2).Id();
  ClickRunning(B2, [](TWebSession& S) { S.MarkLoggedOff(); });
  OpenFrom("d");
  EXPECT_EQ(Closed.back(), Gone);
  EXPECT_EQ(Server->SessionCount(), 6u);
}

TEST_F(WebSessionsTest, GuestSessionsAreCappedPerAddressAndInAllAndGoBeforeAnyLogon) {
  // The guest logon is cheap: it may come straight from the start request.
  Server->OnNewSession = [this](TWebSession& S) {
    if (!S.StartParams().empty()) S.MarkLoggedOn(true);
    Track(S);
    S.SetData(std::make_unique<test::TTestData>());
    S.CreateForm<TTestForm>()->Show();
  };
  auto Guest = [this](const std::string& Address) {
    TWebResponse R = Server->Handle({"GET", "/", {{{"guest", "1"}}}, Address});
    EXPECT_EQ(R.Status, 302);
    const std::string Sid = R.Header("Location").substr(3, 32);
    EXPECT_TRUE(Session(Sid).IsGuest());
    return Sid;
  };
  auto Ids = [this](std::initializer_list<std::string> Sids) {
    std::vector<std::string> R;
    for (const std::string& S : Sids) R.push_back(Session(S).Id());
    return R;
  };
  std::string A1 = Guest("a"), A2 = Guest("a");
  // A password logon from the same address is no guest and never goes.
  std::string P1 = OpenFrom("a");
  ClickRunning(P1, [](TWebSession& S) { S.MarkLoggedOn(); });
  EXPECT_FALSE(Session(P1).IsGuest());
  // The third guest of an address ends its oldest (the guest's cap per address is 2 here).
  std::vector<std::string> First = Ids({A1});
  std::string A3 = Guest("a");
  EXPECT_EQ(Closed, First);
  // The Demo button: a session logged on as the guest later counts the same.
  std::vector<std::string> Second = Ids({A2});
  std::string A4 = OpenFrom("a");
  ClickRunning(A4, [](TWebSession& S) { S.MarkLoggedOn(true); });
  EXPECT_EQ(Closed, (std::vector<std::string>{First[0], Second[0]}));
  // Three guests in all at most: the oldest of all goes, whatever its address.
  std::vector<std::string> Third = Ids({A3});
  Guest("b");
  Guest("c");
  EXPECT_EQ(Closed.back(), Third[0]);
  EXPECT_EQ(Server->SessionCount(), 4u);
  // The session cap (6) is full of guests and password logons; a newcomer ends the oldest
  // guest instead of being refused, and the password logons stay.
  for (const char* Address : {"d", "e"})
    ClickRunning(OpenFrom(Address), [](TWebSession& S) { S.MarkLoggedOn(); });
  EXPECT_EQ(Server->SessionCount(), 6u);
  std::vector<std::string> Fourth = Ids({A4});
  EXPECT_EQ(Server->Handle({"GET", "/", {}, "f"}).Status, 302);
  EXPECT_EQ(Closed.back(), Fourth[0]);
  EXPECT_TRUE(Session(P1).IsLoggedOn());
  EXPECT_EQ(std::count(Closed.begin(), Closed.end(), Session(P1).Id()), 0);
}

TEST_F(WebSessionsTest, ASessionKeepsOnlyTheStartParametersItReadsEachWithinAFieldsSize) {
  Server->KeepStartParam = [](std::string_view Name) { return Name != "junk"; };
  TWebValues V;
  V.Add("lang", "en");
  V.Add("junk", "x");
  V.Add("big", std::string(2000, 'x'));
  for (int I = 0; I < 100; ++I) V.Add("p" + std::to_string(I), "v");
  std::string Sid = Open(std::move(V));
  const std::vector<std::string>& P = Session(Sid).StartParams();
  ASSERT_EQ(P.size(), 16u);
  EXPECT_EQ(P[0], "lang=en");
  EXPECT_EQ(P[1], "p0=v");
  for (const std::string& Item : P) EXPECT_LE(Item.size(), 1024u);
}

TEST_F(WebSessionsTest, LogonGivesANewIdentifierAndTheOldOneLeadsToANewSession) {
  std::string Sid = OpenFrom("a");
  std::vector<std::string> Renewed;
  Server->OnRenewSession = [&Renewed](TWebSession&, const std::string& Old) {
    Renewed.push_back(Old);
  };
  TWebResponse R = ClickRunning(Sid, [](TWebSession& S) {
    S.MarkLoggedOn();
    S.Alert("welcome");
  });
  // The browser is sent to the new address, where the page and its alert come.
  EXPECT_EQ(R.Status, 303);
  std::string New = Session(Sid).Id();
  EXPECT_NE(New, Sid);
  EXPECT_EQ(R.Header("Location"), "/s/" + New + "/");
  EXPECT_EQ(Renewed, std::vector<std::string>{Sid});
  TWebResponse Page = Get("/s/" + New + "/");
  EXPECT_EQ(Page.Status, 200);
  EXPECT_NE(Page.Body.find("alert('welcome')"), std::string::npos);
  // The old address has ended: a page there opens a new session that knows it, a timer there
  // is told the session is gone, and the logged-on session is untouched.
  TWebResponse Old = Server->Handle({"POST", "/s/" + Sid + "/", {}, "a"});
  EXPECT_EQ(Old.Status, 303);
  std::string After = Old.Header("Location").substr(3, 32);
  EXPECT_NE(After, New);
  EXPECT_TRUE(Session(After).FollowsEndedSession());
  EXPECT_FALSE(Session(Sid).FollowsEndedSession());
  EXPECT_EQ(Server->Handle({"POST", "/s/" + Sid + "/async", {}}).Status, 410);
  EXPECT_EQ(Form(Sid).Clicks, 0);
  EXPECT_TRUE(Closed.empty());
  // An identifier never seen leads to a new session too (in the default language).
  TWebResponse Unknown = Get("/s/0123456789abcdef0123456789abcdef/");
  EXPECT_EQ(Unknown.Status, 303);
  EXPECT_EQ(Session(Unknown.Header("Location").substr(3, 32)).EndedLangCode(), "");
}

TEST_F(WebSessionsTest, AnAnswerIsHeldBackWithoutChangingIt) {
  std::string Sid = OpenFrom("a");
  TWebResponse R = ClickRunning(Sid, [](TWebSession& S) {
    S.DelayReply(std::chrono::milliseconds(300));
    S.DelayReply(std::chrono::milliseconds(100));
    S.Alert("late");
  });
  EXPECT_EQ(R.Status, 200);
  EXPECT_EQ(R.Delay, std::chrono::milliseconds(300));
  EXPECT_NE(R.Body.find("alert('late')"), std::string::npos);
  // The next request is not held back.
  EXPECT_EQ(Get("/s/" + Sid + "/").Delay.count(), 0);
}

}  // namespace
}  // namespace quin
