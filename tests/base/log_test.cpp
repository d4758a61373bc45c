// The log's lines: time, level, the session and path of the thread's scope, the text on one
// line in UTF-8; session identifiers shortened; the exception being handled.
#include "base/log.h"

#include <gtest/gtest.h>

#include <new>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/exception.h"
#include "base/text.h"

namespace quin {
namespace {

class LogTest : public testing::Test {
 protected:
  void SetUp() override {
    Former = SetLogSink([this](std::string_view L) { Lines.emplace_back(L); });
  }
  void TearDown() override {
    SetLogSink(Former);
    SetMinLogLevel(TLogLevel::Info);
  }
  // The line without its time stamp, which is checked once on its own.
  std::string Last() const {
    const std::string& L = Lines.back();
    return L.substr(L.find(' ') + 1);
  }
  std::vector<std::string> Lines;
  TLogSink Former;
};

const std::string kSid = "0123456789abcdef0123456789abcdef";

TEST_F(LogTest, ALineHasTimeLevelSessionPathAndText) {
  Log(TLogLevel::Info, "started");
  ASSERT_EQ(Lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(
      Lines[0], std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z INFO: started)")))
      << Lines[0];
  {
    TLogScope Scope(kSid, "/s/" + kSid + "/img/c1");
    Log(TLogLevel::Warning, Cp1250("zażółć\r\ngęślą"));
    EXPECT_EQ(Last(), "WARN s=01234567 /s/*/img/c1: zażółć  gęślą");
    {
      TLogScope Inner({}, "/Files/Quin/Quin.css");
      Log(TLogLevel::Error, "inner");
      EXPECT_EQ(Last(), "ERROR /Files/Quin/Quin.css: inner");
    }
    Log(TLogLevel::Error, "outer again");
    EXPECT_EQ(Last(), "ERROR s=01234567 /s/*/img/c1: outer again");
  }
  Log(TLogLevel::Info, "none");
  EXPECT_EQ(Last(), "INFO: none");
}

TEST_F(LogTest, PathsShowNoSessionIdentifier) {
  const std::pair<std::string, std::string> Cases[] = {
      {"/s/" + kSid + "/", "/s/*/"},
      {"/s/" + kSid, "/s/*"},
      {"/Files/Quin/TMPCharts/" + kSid + "/c.jpg", "/Files/Quin/TMPCharts/" + kSid + "/c.jpg"},
      {"/s/0123/", "/s/0123/"},  // too short: no identifier
      {"/s/" + kSid.substr(0, 31) + "X/", "/s/" + kSid.substr(0, 31) + "X/"},  // no digit
      {"/x/s/" + kSid + "/s/" + kSid + "/", "/x/s/*/s/*/"},
      {"/", "/"},
      {"", ""},
  };
  for (const auto& [Path, Shown] : Cases) EXPECT_EQ(LogPath(Path), Shown) << Path;
}

TEST_F(LogTest, TheExceptionBeingHandled) {
  auto Caught = [](auto Throw, TLogLevel Level) {
    try {
      Throw();
    } catch (...) {
      LogCaught(Level, "saving");
    }
  };
  Caught([] { throw Exception(Cp1250("Brak miejsca na dysku")); }, TLogLevel::Warning);
  EXPECT_EQ(Last(), "WARN: saving: Brak miejsca na dysku");
  Caught([] { throw std::runtime_error("disk full"); }, TLogLevel::Warning);
  EXPECT_EQ(Last(), "WARN: saving: disk full");
  // Out of memory and what is no exception of ours are errors whatever the caller said.
  Caught([] { throw std::bad_alloc(); }, TLogLevel::Warning);
  EXPECT_EQ(Last(), "ERROR: saving: out of memory");
  Caught([] { throw 7; }, TLogLevel::Info);
  EXPECT_EQ(Last(), "ERROR: saving: unknown error");
  // Outside a catch block only the context.
  LogCaught(TLogLevel::Warning, "nothing thrown");
  EXPECT_EQ(Last(), "WARN: nothing thrown");
}

TEST_F(LogTest, LinesBelowTheMinimumLevelAreLeftOut) {
  SetMinLogLevel(TLogLevel::Warning);
  Log(TLogLevel::Info, "access");
  Log(TLogLevel::Warning, "warning");
  Log(TLogLevel::Error, "error");
  ASSERT_EQ(Lines.size(), 2u);
  EXPECT_EQ(Last(), "ERROR: error");
}

}  // namespace
}  // namespace quin
