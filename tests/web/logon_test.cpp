// Logging on as an attacker and as a returning user would: wrong passwords slow down per login
// and per address, over-long credentials are refused, a logon changes the session's address,
// and an ended session leads back to the logon page in its language with a notice.
#include "web/logon.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <latch>
#include <thread>

#include "base/text.h"
#include "tests/web/web_fixture.h"
#include "tools/userswriter.h"
#include "web/throttle.h"

namespace quin {
namespace {

using TMs = TLogonThrottle::TMs;

// An attempt whose check gives Right.
TLogonThrottle::TOutcome Try(TLogonThrottle& T, const char* Login, const char* Address, bool Right,
                             TLogonThrottle::TClock::time_point At) {
  return T.Attempt(Login, Address, At, [Right] { return Right; });
}

TEST(LogonThrottle, WaitsGrowPerLoginAndAddressAndTheOwnerElsewhereIsOnlySlowed) {
  TLogonThrottle T;
  const auto T0 = TLogonThrottle::TClock::now();
  // One login from one address: 250 ms, doubling, at most 16 s; meanwhile even the right
  // password is refused unchecked.
  const long long Expected[] = {250, 500, 1000, 2000, 4000, 8000, 16000, 16000};
  auto Now = T0;
  for (long long E : Expected) {
    TLogonThrottle::TOutcome R = Try(T, "jan", "a", false, Now);
    EXPECT_TRUE(R.Checked);
    EXPECT_EQ(R.Delay.count(), E);
    R = Try(T, "jan", "a", true, Now + TMs(1));
    EXPECT_FALSE(R.Checked);
    EXPECT_FALSE(R.Succeeded);
    EXPECT_EQ(R.Delay.count(), E - 1);
    Now += TMs(E);
  }
  // The owner at an address that has not failed is checked at once; the login's eight
  // failures hold the answer back 100 ms doubled after the fourth: 800 ms.
  TLogonThrottle::TOutcome Owner = Try(T, "jan", "b", true, Now);
  EXPECT_TRUE(Owner.Succeeded);
  EXPECT_EQ(Owner.Delay.count(), 800);
  // The success cleared the login's count: the next attempt elsewhere is not slowed.
  EXPECT_EQ(Try(T, "jan", "c", true, Now).Delay.count(), 0);

  // Spraying logins from one address: four failures are free for the address, the fifth
  // starts its waits, for every login.
  Now += TMs(1);
  for (const char* L : {"u0", "u1", "u2", "u3"})
    EXPECT_EQ(Try(T, L, "d", false, Now).Delay.count(), 250);
  EXPECT_EQ(Try(T, "u4", "d", false, Now).Delay.count(), 250);
  EXPECT_FALSE(Try(T, "u5", "d", true, Now + TMs(100)).Checked);
  EXPECT_EQ(Try(T, "u6", "d", false, Now + TMs(250)).Delay.count(), 500);
  // Counts fade after a quiet spell.
  const auto Later = Now + TMs(250) + T.Forget + TMs(1);
  EXPECT_EQ(Try(T, "u7", "d", false, Later).Delay.count(), 250);
}

TEST(LogonThrottle, GuessesSentTogetherAreCheckedOneAtATime) {
  TLogonThrottle T;
  constexpr int Guesses = 20;
  std::mutex Lock;
  std::condition_variable Arrived;
  int Checking = 0;
  std::atomic<int> Checks{0}, Refused{0};
  // A check waits (a bounded moment) for the other guesses to reach their checks too: guesses
  // that are checked side by side all get there.
  auto SlowCheck = [&] {
    ++Checks;
    std::unique_lock<std::mutex> G(Lock);
    ++Checking;
    Arrived.notify_all();
    Arrived.wait_for(G, std::chrono::milliseconds(300), [&] { return Checking == Guesses; });
    return false;
  };
  const auto Now = TLogonThrottle::TClock::now();
  std::latch Go(Guesses);
  std::vector<std::thread> Threads;
  for (int I = 0; I < Guesses; ++I)
    Threads.emplace_back([&] {
      Go.arrive_and_wait();
      if (!T.Attempt("analyst", "x", Now, SlowCheck).Checked) ++Refused;
    });
  for (std::thread& Th : Threads) Th.join();
  EXPECT_EQ(Checks, 1);
  EXPECT_EQ(Refused, Guesses - 1);
}

TEST(LogonThrottle, TheTableStaysBoundedAndKeepsTheCostlyCounts) {
  TLogonThrottle T;
  T.MaxEntries = 100;
  auto Now = TLogonThrottle::TClock::now();
  TMs Last{0};
  for (int I = 0; I < 6; ++I) {
    Now += Last;
    Last = Try(T, "target", "x", false, Now).Delay;
  }
  EXPECT_EQ(Last.count(), 8000);
  for (int I = 0; I < 1000; ++I)
    T.Attempt("spray" + std::to_string(I), "y" + std::to_string(I), Now, [] { return false; });
  // The sprayed single failures made room; the login under attack still waits at its
  // address, and is slowed (not refused) elsewhere.
  EXPECT_FALSE(Try(T, "target", "x", true, Now + TMs(1)).Checked);
  EXPECT_EQ(Try(T, "target", "z", true, Now + TMs(1)).Delay.count(), 200);
}

class LogonTest : public test::TWebAppTest {
 protected:
  void SetUp() override {
    TWebAppTest::SetUp();
    Write(Files + "Surveys/Jan/a.zos", "x");
    Write(Files + "Surveys/Jan/b.zos", "x");
    Write(Files + "Surveys/Guest/g.zos", "x");
    Write(Files + "Quin.pwd", UsersFileXml({{"jan", "secret", "Jan", "Jan"},
                                            {GuestLogin, GuestPassword, "Guest", "Guest"}}));
    StartServer();
  }
  TWebResponse Logon(const std::string& Sid, const std::string& Login, const std::string& Pw) {
    auto* F = As<THobLogonForm>(Active(Sid));
    return FireResponse(Sid, *F->OKButton, "click", {},
                        {{{F->UserEdit->Id(), Login}, {F->PasswordEdit->Id(), Pw}}});
  }
  // A logon on a new session of a client at Address.
  TWebResponse LogonFrom(const std::string& Address, const std::string& Login,
                         const std::string& Pw) {
    TWebResponse Start = Server->Handle({"GET", "/", {{{"lang", "en"}}}, Address});
    EXPECT_EQ(Start.Status, 302);
    const std::string Sid = Start.Header("Location").substr(3, 32);
    EXPECT_EQ(Server->Handle({"GET", Url(Sid), {}, Address}).Status, 200);
    auto* F = As<THobLogonForm>(Active(Sid));
    TWebValues V{{{F->UserEdit->Id(), Login}, {F->PasswordEdit->Id(), Pw}}};
    V.Add("__page", F->PageId());
    V.Add("__evt", F->OKButton->Id() + ":click:");
    TWebResponse R = Server->Handle({"POST", Url(Sid), std::move(V), Address});
    if (R.Status == 303) {
      const TMs Delay = R.Delay;
      R = Server->Handle({"GET", R.Header("Location"), {}, Address});
      R.Delay = Delay;
    }
    return R;
  }
  static bool WrongPasswordPage(const TWebResponse& R) {
    return R.Status == 200 &&
           R.Body.find("alert('Invalid user name or password.')") != std::string::npos;
  }
};

TEST_F(LogonTest, WrongPasswordsSlowDownWithoutAnyOtherSign) {
  // A wait long enough that no test machine outruns it.
  Controller->LogonThrottle.PairRule = {0, TMs(60000), TMs(60000)};
  std::string Sid = Open({{{"lang", "en"}}});
  TWebResponse First = Logon(Sid, "jan", "wrong");
  EXPECT_TRUE(WrongPasswordPage(First));
  EXPECT_EQ(First.Delay, TMs(60000));
  // While the wait runs even the right password is not checked, and the page says the same.
  TWebResponse Early = Logon(Sid, "jan", "secret");
  EXPECT_TRUE(WrongPasswordPage(Early));
  EXPECT_GT(Early.Delay.count(), 0);
  EXPECT_LE(Early.Delay.count(), 60000);
  EXPECT_TRUE(Module(Sid).UserName.empty());
  // The demonstration account is never slowed down, not even from this address.
  std::string Other = Open({{{"lang", "en"}}});
  EXPECT_EQ(FireResponse(Other, *As<THobLogonForm>(Active(Other))->DemoButton, "click").Delay,
            TMs(0));
  EXPECT_EQ(Module(Other).UserName, "Guest");
}

TEST_F(LogonTest, AnAttackedLoginStillLetsItsOwnerOnFromAnAddressThatHasNotFailed) {
  // Attackers at many addresses, each failing until it must wait.
  for (int I = 0; I < 40; ++I) {
    const std::string Address = "10.1.0." + std::to_string(I);
    EXPECT_TRUE(WrongPasswordPage(LogonFrom(Address, "jan", "guess")));
    TWebResponse Again = LogonFrom(Address, "jan", "secret");
    EXPECT_TRUE(WrongPasswordPage(Again)) << "a waiting address is not checked";
  }
  // The owner comes in from a fresh address, slowed at most by the login's ceiling.
  TWebResponse Owner = LogonFrom("192.168.1.5", "jan", "secret");
  EXPECT_EQ(Owner.Status, 200);
  EXPECT_EQ(Owner.Body.find("alert('"), std::string::npos) << Owner.Body;
  EXPECT_GT(Owner.Delay.count(), 0);
  EXPECT_LE(Owner.Delay.count(), Controller->LogonThrottle.LoginRule.MaxDelay.count());
}

TEST_F(LogonTest, TheUsersFileIsReadOnceAndAgainWhenItChanges) {
  const std::size_t Before = UsersFileReadCount();
  for (int I = 0; I < 3; ++I) {
    std::string Sid = Open({{{"lang", "en"}}});
    Logon(Sid, "jan", "secret");
    EXPECT_EQ(Module(Sid).UserName, "Jan");
    std::string Demo = Open({{{"lang", "en"}}});
    FireResponse(Demo, *As<THobLogonForm>(Active(Demo))->DemoButton, "click");
    EXPECT_EQ(Module(Demo).UserName, "Guest");
  }
  EXPECT_EQ(UsersFileReadCount() - Before, 1u);
  // A new account is known at the next logon, and the old password no longer works.
  Write(Files + "Quin.pwd", UsersFileXml({{"jan", "changed", "Jan", "Jan"},
                                          {"ewa", "pw", "Ewa", "Jan"},
                                          {GuestLogin, GuestPassword, "Guest", "Guest"}}));
  std::string Ewa = Open({{{"lang", "en"}}});
  Logon(Ewa, "ewa", "pw");
  EXPECT_EQ(Module(Ewa).UserName, "Ewa");
  std::string Jan = Open({{{"lang", "en"}}});
  EXPECT_TRUE(WrongPasswordPage(Logon(Jan, "jan", "secret")));
  EXPECT_EQ(UsersFileReadCount() - Before, 2u);
}

TEST_F(LogonTest, OverlongCredentialsAreRefusedAndNotEchoed) {
  std::string Sid = Open({{{"lang", "en"}}});
  std::string Long(MaxCredentialLength + 1, 'n');
  TWebResponse R = Logon(Sid, Long, "pw");
  EXPECT_EQ(R.Status, 400);
  EXPECT_EQ(R.Body.find("nnnn"), std::string::npos);
  EXPECT_TRUE(As<THobLogonForm>(Active(Sid))->UserEdit->Text.empty());
  EXPECT_NE(Page(Sid).find("maxlength=\"256\""), std::string::npos);
}

TEST_F(LogonTest, LogonMovesTheSessionAndTheOldAddressShowsTheLogonPageWithANotice) {
  std::string Sid = Open({{{"lang", "en"}}});
  std::string Before = Url(Sid);
  TWebResponse R = Logon(Sid, "jan", "secret");
  EXPECT_EQ(Module(Sid).UserName, "Jan");
  EXPECT_NE(Url(Sid), Before);
  EXPECT_EQ(R.Status, 200);
  EXPECT_EQ(R.Body.find("Your session has ended"), std::string::npos);
  // A link kept from before the logon reaches a new session, in English, that says why.
  TWebResponse Old = Server->Handle({"GET", Before, {}});
  ASSERT_EQ(Old.Status, 303);
  std::string Notice = Server->Handle({"GET", Old.Header("Location"), {}}).Body;
  EXPECT_NE(Notice.find("Your session has ended. Please log on again."), std::string::npos);
  EXPECT_NE(Notice.find("please enter your login name"), std::string::npos);
  EXPECT_EQ(Module(Sid).UserName, "Jan");
}

TEST_F(LogonTest, AnEndedSessionLeadsToTheLogonPageInItsLanguage) {
  StartServer(std::chrono::milliseconds(1000));
  // Only the start requests: a page asked for afterwards could come after the time-out on a
  // busy machine.
  auto Start = [this](TWebValues Params) {
    TWebResponse R = Server->Handle({"GET", "/", std::move(Params)});
    EXPECT_EQ(R.Status, 302);
    return R.Header("Location").substr(3, 32);
  };
  std::string Polish = Start({});
  std::string English = Start({{{"lang", "en"}}});
  ASSERT_TRUE(WaitClosed(2));
  struct Case {
    std::string Sid;
    const char* Notice;
  } Cases[] = {{Polish, "Twoja sesja została zakończona. Zaloguj się ponownie."},
               {English, "Your session has ended. Please log on again."}};
  for (const Case& C : Cases) {
    TWebResponse R = Server->Handle({"POST", Url(C.Sid), {{{"__page", "p1"}}}});
    ASSERT_EQ(R.Status, 303);
    std::string P = Iso88592ToCp1250(Server->Handle({"GET", R.Header("Location"), {}}).Body);
    EXPECT_NE(P.find(Cp1250(C.Notice)), std::string::npos) << P;
  }
}

}  // namespace
}  // namespace quin
