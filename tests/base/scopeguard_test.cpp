#include "base/scopeguard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace quin {
namespace {

// Runs Body and swallows the runtime_error it may throw; true when it threw.
template <class TBody>
bool Throws(TBody Body) {
  try {
    Body();
  } catch (const std::runtime_error&) {
    return true;
  }
  return false;
}

TEST(ScopeGuard, ExitStepRunsOnEveryWayOutUnlessReleased) {
  int Runs = 0;
  {
    auto G = OnScopeExit([&] { ++Runs; });
  }
  EXPECT_EQ(Runs, 1);
  EXPECT_TRUE(Throws([&] {
    auto G = OnScopeExit([&] { ++Runs; });
    throw std::runtime_error("cut");
  }));
  EXPECT_EQ(Runs, 2);
  {
    auto G = OnScopeExit([&] { ++Runs; });
    G.Release();
  }
  EXPECT_EQ(Runs, 2);
}

TEST(ScopeGuard, FailStepRunsOnlyWhenAnExceptionLeavesTheScope) {
  std::string Log;
  {
    auto G = OnScopeFail([&] { Log += "normal;"; });
  }
  EXPECT_TRUE(Throws([&] {
    auto G = OnScopeFail([&] { Log += "thrown;"; });
    throw std::runtime_error("cut");
  }));
  // An exception caught inside the scope does not count, nor does one already on its way when
  // the guard was made (a guard in a destructor that runs during unwinding).
  {
    auto G = OnScopeFail([&] { Log += "caught;"; });
    EXPECT_TRUE(Throws([] { throw std::runtime_error("inner"); }));
  }
  struct TCleanup {
    std::string& Log;
    ~TCleanup() {
      auto G = OnScopeFail([&] { Log += "unwinding;"; });
    }
  };
  EXPECT_TRUE(Throws([&] {
    TCleanup C{Log};
    throw std::runtime_error("cut");
  }));
  EXPECT_EQ(Log, "thrown;");
}

TEST(ScopeGuard, SaveRestoreGivesTheValueBackOnEveryWayOut) {
  bool Flag = true;
  {
    TSaveRestore Quiet(Flag, false);
    EXPECT_FALSE(Flag);
  }
  EXPECT_TRUE(Flag);
  std::string Text = "before";
  EXPECT_TRUE(Throws([&] {
    TSaveRestore Keep(Text);
    Text = "changed";
    throw std::runtime_error("cut");
  }));
  EXPECT_EQ(Text, "before");
}

}  // namespace
}  // namespace quin
