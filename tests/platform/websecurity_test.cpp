// Requests an attacker would send to the web server over real sockets on 127.0.0.1: request
// bodies whose length is not declared up front, and what stays of the connection afterwards.
#include <gtest/gtest.h>

#include "tests/support/loopback.h"

namespace quin {
namespace {

class TSecForm : public TWebForm {
 public:
  void AfterConstruction() override {
    Button = Add<TWebButton>("Button");
    Button->OnClick = [this](TWebControl&) { ++Clicks; };
  }
  TWebButton* Button;
  int Clicks = 0;
};

class WebSecurityLoopback : public test::TLoopbackTest<TSecForm> {
 protected:
  void Configure(TWebServerSettings& S) override { S.MaxBodySize = 16 * 1024; }
  void SetUp() override {
    test::TLoopbackTest<TSecForm>::SetUp();
    Base = Open();
    Form = &TLoopbackTest::Form(Base);
  }
  std::string EventBody() { return ClickBody(Base, *Form->Button); }

  std::string Base;
  TSecForm* Form = nullptr;
};

std::string Chunked(const std::string& Body, size_t Piece) {
  std::string R;
  static const char Hex[] = "0123456789abcdef";
  for (size_t I = 0; I < Body.size(); I += Piece) {
    size_t N = std::min(Piece, Body.size() - I);
    std::string Len;
    for (size_t V = N; V; V >>= 4) Len.insert(Len.begin(), Hex[V & 0xF]);
    R += Len + "\r\n" + Body.substr(I, N) + "\r\n";
  }
  return R + "0\r\n\r\n";
}

TEST_F(WebSecurityLoopback, BodiesOfUndeclaredLengthAreRefusedBeforeTheyAreRead) {
  // The body is sent only in part and never ended: the answer must come from the head alone,
  // without waiting for (or keeping) a body of unknown size.
  std::string Big = EventBody() + "&x=" + std::string(200 * 1024, 'a');
  std::string Event = Chunked(EventBody(), 7);
  struct Case {
    const char* What;
    std::string Request;
  } Cases[] = {
      {"chunked post over the limit",
       "POST " + Base +
           " HTTP/1.1\r\nHost: x\r\nContent-Type: application/octet-stream\r\n"
           "Transfer-Encoding: chunked\r\n\r\n" +
           Chunked(Big, 4096).substr(0, 150 * 1024)},
      {"chunked event post",
       "POST " + Base +
           " HTTP/1.1\r\nHost: x\r\nContent-Type: "
           "application/x-www-form-urlencoded\r\nTransfer-Encoding: chunked\r\n\r\n" +
           Event.substr(0, Event.size() - 5)},
      {"chunked get", "GET " + Base + " HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n" +
                          Chunked(Big, 4096).substr(0, 150 * 1024)},
      {"post without a length", "POST " + Base +
                                    " HTTP/1.1\r\nHost: x\r\nContent-Type: text/plain\r\n\r\n" +
                                    Big.substr(0, 150 * 1024)},
  };
  for (const Case& C : Cases) {
    std::vector<int> S = test::Statuses(Port, C.Request);
    ASSERT_FALSE(S.empty()) << C.What;
    EXPECT_EQ(S[0], 411) << C.What;
    for (int Status : S) EXPECT_GE(Status, 400) << C.What;
    EXPECT_EQ(Form->Clicks, 0) << C.What;
  }
  // A declared length still works, and one over the limit is refused.
  std::string Ok = EventBody();
  EXPECT_EQ(test::Statuses(
                Port, "POST " + Base +
                          " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
                          "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                          std::to_string(Ok.size()) + "\r\n\r\n" + Ok),
            std::vector<int>{200});
  EXPECT_EQ(Form->Clicks, 1);
  EXPECT_EQ(test::Statuses(Port, "POST " + Base +
                                     " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
                                     "Content-Type: application/octet-stream\r\nContent-Length: " +
                                     std::to_string(Big.size()) + "\r\n\r\n" + Big),
            std::vector<int>{413});
}

}  // namespace
}  // namespace quin
