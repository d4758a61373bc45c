#include "platform/workerpool.h"

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
  {
    std::lock_guard<std::mutex> G(FLock);
    if (FStopping) return false;
    FJobs.push_back(std::move(Job));
  }
  FWake.notify_one();
  return true;
}

void TWorkerPool::Work() {
  std::unique_lock<std::mutex> G(FLock);
  for (;;) {
    FWake.wait(G, [this] { return FStopping || !FJobs.empty(); });
    if (FStopping) break;
    std::function<void()> Job = std::move(FJobs.front());
    FJobs.pop_front();
    G.unlock();
    Job();
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
  FWake.notify_all();
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

}  // namespace quin
