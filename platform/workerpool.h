// A fixed number of threads running posted jobs in the order they came, and a limit of the
// jobs of one kind that run at once.
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

// At most Limit of the jobs posted through it run on Pool at once; the others wait in the
// order they came, holding no thread, and start as running ones end. Jobs posted to Pool
// directly are not counted.
class TJobLimit {
 public:
  TJobLimit(TWorkerPool& Pool, int Limit);
  TJobLimit(const TJobLimit&) = delete;
  TJobLimit& operator=(const TJobLimit&) = delete;

  // Runs Job on the pool now, or once fewer than Limit of this limit's jobs run; false (Job
  // dropped) once the pool is stopping.
  bool Post(std::function<void()> Job);
  // Drops the jobs still waiting (the pool's Stop drops what it holds).
  void DropWaiting();
  int Limit() const { return FLimit; }

 private:
  void Run(const std::function<void()>& Job);
  void Done();

  TWorkerPool& FPool;
  const int FLimit;
  std::mutex FLock;
  int FRunning = 0;
  std::deque<std::function<void()>> FWaiting;
};

}  // namespace quin
