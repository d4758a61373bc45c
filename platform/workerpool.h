// A fixed number of threads running posted jobs in the order they came.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quin {

class TWorkerPool {
 public:
  explicit TWorkerPool(int Threads);
  ~TWorkerPool();
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  // Queues Job; false (Job dropped) once the pool is stopping. What a job throws is logged.
  bool Post(std::function<void()> Job);
  // Drops the jobs not started yet and waits until the running ones end, at most Grace; true
  // when every thread has ended. After a false result the threads that still run are left to
  // the process's end.
  bool Stop(std::chrono::milliseconds Grace);

 private:
  // An idle thread waiting for a job handed to it.
  struct TIdle {
    std::condition_variable Wake;
    std::function<void()> Job;
    bool HasJob = false;
  };
  void Work();

  std::mutex FLock;
  std::condition_variable FIdle;
  std::deque<std::function<void()>> FJobs;  // waiting while no thread is idle
  // Idle threads, the one idle the shortest last: a job goes to it, whose caches and heap
  // still hold what the previous job left (a pool much larger than the load otherwise cycles
  // every job through a cold thread).
  std::vector<TIdle*> FIdleThreads;
  bool FStopping = false;
  int FAlive = 0;  // threads that have not left their loop
  std::vector<std::thread> FThreads;
};

}  // namespace quin
