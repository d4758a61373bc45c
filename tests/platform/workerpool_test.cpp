// The request threads: every posted job runs, a stop drops what has not started and waits for
// what runs, and nothing is taken once the pool stops.
#include "platform/workerpool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <future>
#include <latch>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/log.h"

namespace quin {
namespace {

TEST(WorkerPool, EveryJobRunsOnThePoolsThreads) {
  TWorkerPool Pool(3);
  constexpr int kJobs = 200;
  std::latch Done(kJobs);
  std::mutex Lock;
  std::set<std::thread::id> Threads;
  for (int I = 0; I < kJobs; ++I)
    ASSERT_TRUE(Pool.Post([&] {
      {
        std::lock_guard<std::mutex> G(Lock);
        Threads.insert(std::this_thread::get_id());
      }
      Done.count_down();
    }));
  Done.wait();
  EXPECT_GE(Threads.size(), 1u);
  EXPECT_LE(Threads.size(), 3u);
  EXPECT_EQ(Threads.count(std::this_thread::get_id()), 0u);
  EXPECT_TRUE(Pool.Stop(std::chrono::seconds(60)));
}

TEST(WorkerPool, StopDropsWaitingJobsAndWaitsForTheRunningOne) {
  TWorkerPool Pool(1);
  std::promise<void> Started, Release;
  std::shared_future<void> Go = Release.get_future().share();
  std::atomic<int> Ran{0};
  ASSERT_TRUE(Pool.Post([&] {
    Started.set_value();
    Go.wait();
    ++Ran;
  }));
  Started.get_future().wait();
  for (int I = 0; I < 3; ++I) ASSERT_TRUE(Pool.Post([&] { ++Ran; }));
  auto Stopped =
      std::async(std::launch::async, [&] { return Pool.Stop(std::chrono::seconds(60)); });
  // Once the stop has begun the pool takes no job (the empty ones posted before it began are
  // dropped with the others).
  while (Pool.Post([] {})) std::this_thread::yield();
  // The stop waits for the running job: it cannot end before the job is let go.
  EXPECT_EQ(Stopped.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
  Release.set_value();
  EXPECT_TRUE(Stopped.get());
  EXPECT_EQ(Ran.load(), 1);
  EXPECT_FALSE(Pool.Post([&] { ++Ran; }));
  EXPECT_EQ(Ran.load(), 1);
}

TEST(WorkerPool, AJobThatThrowsIsLoggedAndTheThreadGoesOn) {
  std::vector<std::string> Lines;
  std::mutex Lock;
  TLogSink Former = SetLogSink([&](std::string_view L) {
    std::lock_guard<std::mutex> G(Lock);
    Lines.emplace_back(L);
  });
  {
    TWorkerPool Pool(1);
    ASSERT_TRUE(Pool.Post([] { throw std::runtime_error("job failed"); }));
    ASSERT_TRUE(Pool.Post([] { throw std::bad_alloc(); }));
    std::promise<void> Ran;
    ASSERT_TRUE(Pool.Post([&] { Ran.set_value(); }));
    EXPECT_EQ(Ran.get_future().wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_TRUE(Pool.Stop(std::chrono::seconds(60)));
  }
  SetLogSink(Former);
  ASSERT_EQ(Lines.size(), 2u);
  EXPECT_NE(Lines[0].find(" ERROR: a job of the worker pool failed: job failed"), std::string::npos)
      << Lines[0];
  EXPECT_NE(Lines[1].find(" ERROR: a job of the worker pool failed: out of memory"),
            std::string::npos)
      << Lines[1];
}

TEST(WorkerPool, ALimitRunsAtMostItsCountAtOnceAndTheWaitingHoldNoThread) {
  TWorkerPool Pool(4);
  TJobLimit Limit(Pool, 2);
  std::mutex Lock;
  std::condition_variable Changed;
  int Running = 0, MostAtOnce = 0, Finished = 0;
  bool Release = false;
  std::vector<int> Order;
  for (int I = 0; I < 6; ++I)
    ASSERT_TRUE(Limit.Post([&, I] {
      std::unique_lock<std::mutex> G(Lock);
      Order.push_back(I);
      MostAtOnce = std::max(MostAtOnce, ++Running);
      Changed.notify_all();
      Changed.wait(G, [&] { return Release; });
      --Running;
      ++Finished;
      Changed.notify_all();
    }));
  {
    std::unique_lock<std::mutex> G(Lock);
    Changed.wait(G, [&] { return Running == 2; });
  }
  // Two of the pool's four threads are free: a job posted to the pool itself runs at once,
  // although four of the limit's jobs wait.
  std::promise<void> Direct;
  ASSERT_TRUE(Pool.Post([&] { Direct.set_value(); }));
  EXPECT_EQ(Direct.get_future().wait_for(std::chrono::seconds(60)), std::future_status::ready);
  {
    std::unique_lock<std::mutex> G(Lock);
    EXPECT_EQ(Running, 2);
    Release = true;
    Changed.notify_all();
    Changed.wait(G, [&] { return Finished == 6; });
  }
  EXPECT_EQ(MostAtOnce, 2);
  // The first two ran at once; the others waited for them.
  ASSERT_EQ(Order.size(), 6u);
  std::sort(Order.begin(), Order.begin() + 2);
  EXPECT_EQ(std::vector<int>(Order.begin(), Order.begin() + 2), (std::vector<int>{0, 1}));
  EXPECT_TRUE(Pool.Stop(std::chrono::seconds(60)));
}

TEST(WorkerPool, AnIdlePoolStopsAtOnce) {
  TWorkerPool Pool(8);
  EXPECT_TRUE(Pool.Stop(std::chrono::seconds(60)));
  EXPECT_FALSE(Pool.Post([] {}));
}

}  // namespace
}  // namespace quin
