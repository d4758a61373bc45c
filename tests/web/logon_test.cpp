// Logging on as an attacker and as a returning user would: wrong passwords slow down per login
// and per address, over-long credentials are refused, a logon changes the session's address,
// and an ended session leads back to the logon page in its language with a notice.
#include "web/logon.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "tests/web/web_fixture.h"
#include "tools/userswriter.h"
#include "web/throttle.h"

namespace quin {
namespace {

using TMs = TLogonThrottle::TMs;

TEST(LogonThrottle, WaitsGrowPerLoginAndPerAddressAndFade) {
  TLogonThrottle T;
  auto T0 = TLogonThrottle::TClock::now();
  // One login from one address: 250 ms, doubling, at most 16 s; the address's own count
  // allows four failures before it costs anything.
  const long long Expected[] = {250, 500, 1000, 2000, 4000, 8000, 16000, 16000};
  auto Now = T0;
  int Failures = 0;
  for (long long E : Expected) {
    EXPECT_EQ(T.Wait("jan", "a", Now).count(), 0);
    EXPECT_EQ(T.Failed("jan", "a", Now).count(), E);
    EXPECT_EQ(T.Wait("jan", "b", Now + TMs(1)).count(), E - 1);  // the login waits anywhere
    // Once its free failures are spent the address waits for every login; others are free.
    EXPECT_EQ(T.Wait("ewa", "a", Now + TMs(1)).count() > 0, ++Failures > 4) << Failures;
    EXPECT_EQ(T.Wait("ewa", "b", Now + TMs(1)).count(), 0);
    Now += TMs(E);
  }
  // Spraying logins from one address: the fifth failure starts the address's waits.
  for (int I = 0; I < 4; ++I) EXPECT_EQ(T.Failed("u" + std::to_string(I), "c", Now).count(), 250);
  EXPECT_EQ(T.Wait("u9", "c", Now).count(), 0);
  EXPECT_EQ(T.Failed("u9", "c", Now).count(), 250);
  EXPECT_EQ(T.Failed("u10", "c", Now + TMs(250)).count(), 500);
  EXPECT_EQ(T.Wait("u11", "c", Now + TMs(250)).count(), 500);
  // A success clears the login's count (not the address's); counts fade after a quiet spell.
  T.Succeeded("jan");
  EXPECT_EQ(T.Wait("jan", "b", Now).count(), 0);
  EXPECT_EQ(T.Failed("jan", "b", Now).count(), 250);
  auto Later = Now + TMs(250) + T.Forget + TMs(1);
  EXPECT_EQ(T.Failed("u10", "d", Later).count(), 250);
}

TEST(LogonThrottle, TheTableStaysBoundedAndKeepsTheCostlyCounts) {
  TLogonThrottle T;
  T.MaxEntries = 100;
  auto Now = TLogonThrottle::TClock::now();
  for (int I = 0; I < 6; ++I) T.Failed("target", "x", Now);
  for (int I = 0; I < 1000; ++I) T.Failed("spray" + std::to_string(I), "y", Now);
  // The sprayed single failures made room; the login under attack still waits.
  EXPECT_EQ(T.Wait("target", "z", Now).count(), 8000);
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
  static bool WrongPasswordPage(const TWebResponse& R) {
    return R.Status == 200 &&
           R.Body.find("alert('Invalid user name or password.')") != std::string::npos;
  }
};

TEST_F(LogonTest, WrongPasswordsSlowDownWithoutAnyOtherSign) {
  // A wait long enough that no test machine outruns it.
  Controller->LogonThrottle.LoginRule = {0, TMs(60000), TMs(60000)};
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
