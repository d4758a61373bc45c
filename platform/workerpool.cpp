#include "platform/workerpool.h"

#include <algorithm>

#include "base/log.h"

namespace quin {

TWorkerPool::TWorkerPool(int Threads) {
  if (Threads < 1) Threads = 1;
  FAlive = Threads;
  FThreads.reserve(static_cast<size_t>(Threads));
  for (int I = 0; I < Threads; ++I) FThreads.emplace_back([this] { Work(); });
}

TWorkerPool::~TWorkerPool() {
  if (!Stop(std::chrono::hours(24)))
    for (std::thread& T : FThreads)
      if (T.joinable()) T.detach();
}

bool TWorkerPool::Post(std::function<void()> Job) {
  std::unique_lock<std::mutex> G(FLock);
  if (FStopping) return false;
  if (FIdleThreads.empty()) {
    FJobs.push_back(std::move(Job));
    return true;
  }
  TIdle* T = FIdleThreads.back();
  FIdleThreads.pop_back();
  T->Job = std::move(Job);
  T->HasJob = true;
  G.unlock();
  T->Wake.notify_one();
  return true;
}

void TWorkerPool::Work() {
  TIdle Me;
  std::unique_lock<std::mutex> G(FLock);
  for (;;) {
    std::function<void()> Job;
    if (!FStopping && !FJobs.empty()) {
      Job = std::move(FJobs.front());
      FJobs.pop_front();
    } else if (!FStopping) {
      FIdleThreads.push_back(&Me);
      Me.Wake.wait(G, [&] { return Me.HasJob || FStopping; });
      if (!Me.HasJob) std::erase(FIdleThreads, &Me);
      Job = std::move(Me.Job);
      Me.Job = nullptr;
      Me.HasJob = false;
    }
    if (FStopping) {
      // A job handed over but not started is dropped like the queued ones.
      G.unlock();
      Job = nullptr;
      G.lock();
      break;
    }
    G.unlock();
    try {
      Job();
    } catch (...) {
      // A job's failure ends the job, never the thread (nor, through std::terminate, the
      // program).
      LogCaught(TLogLevel::Error, "a job of the worker pool failed");
    }
    Job = nullptr;
    G.lock();
  }
  --FAlive;
  FIdle.notify_all();
}

bool TWorkerPool::Stop(std::chrono::milliseconds Grace) {
  std::deque<std::function<void()>> Dropped;
  std::unique_lock<std::mutex> G(FLock);
  FStopping = true;
  Dropped.swap(FJobs);
  for (TIdle* T : FIdleThreads) T->Wake.notify_one();
  G.unlock();
  Dropped.clear();
  G.lock();
  bool Done = FIdle.wait_for(G, Grace, [this] { return FAlive == 0; });
  G.unlock();
  if (!Done) return false;
  for (std::thread& T : FThreads)
    if (T.joinable()) T.join();
  return true;
}

TJobLimit::TJobLimit(TWorkerPool& Pool, int Limit) : FPool(Pool), FLimit(std::max(Limit, 1)) {}

bool TJobLimit::Post(std::function<void()> Job) {
  {
    std::lock_guard<std::mutex> G(FLock);
    if (FRunning >= FLimit) {
      FWaiting.push_back(std::move(Job));
      return true;
    }
    ++FRunning;
  }
  if (FPool.Post([this, Job = std::move(Job)] { Run(Job); })) return true;
  std::lock_guard<std::mutex> G(FLock);
  --FRunning;
  return false;
}

void TJobLimit::Done() {
  // The slot goes to the job that waited longest.
  for (;;) {
    std::function<void()> Next;
    {
      std::lock_guard<std::mutex> G(FLock);
      if (FWaiting.empty()) {
        --FRunning;
        return;
      }
      Next = std::move(FWaiting.front());
      FWaiting.pop_front();
    }
    // Through the pool rather than on here: the pool's order stays fair to the jobs posted to
    // it directly.
    if (FPool.Post([this, Next = std::move(Next)] { Run(Next); })) return;
  }
}

void TJobLimit::Run(const std::function<void()>& Job) {
  try {
    Job();
  } catch (...) {
    LogCaught(TLogLevel::Error, "a job of the worker pool failed");
  }
  Done();
}

void TJobLimit::DropWaiting() {
  std::deque<std::function<void()>> Dropped;
  std::lock_guard<std::mutex> G(FLock);
  Dropped.swap(FWaiting);
}

}  // namespace quin
