// The threaded walk over the frames of a pass: a pool of worker threads that
// take item after item through one atomic next-item index, each with its
// own workspace kept from item to item. The calling thread stays the only
// one that talks to the program: it polls the host (pause, abort), shows
// the step texts, and between two looks waits for the workers' signal.
// Where the series may be read on any thread (bitmaps, PNG) each worker
// reads its own frames; otherwise (videos, whose decoder belongs to the
// thread that opened them, and the formats whose libraries serve one
// thread at a time) the calling thread reads in file order into a ring of
// slots that feeds the workers. Platform-free: threads are started and
// waited for through WorkerThreads, natively with std::thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "stacking/run/frame_walk.h"

// What a worker thread runs.
class WorkerTask {
 public:
  virtual ~WorkerTask() = default;
  virtual void RunWorker() = 0;
};

// Starting and waiting for the workers of one walk.
class WorkerThreads {
 public:
  virtual ~WorkerThreads() = default;
  // Starts a thread that runs task->RunWorker(); false when it could not.
  virtual bool Start(WorkerTask* task) = 0;
  // Any thread: wakes the calling thread's Wait.
  virtual void Signal() = 0;
  // The calling thread: returns after a Signal (at once when one came since
  // the last Wait) or after timeoutMs, keeping the program alive meanwhile.
  virtual void Wait(uint32_t timeoutMs) = 0;
  // Waits until every started thread has ended and lets go of them all.
  virtual void JoinAll() = 0;
  // Whether the program asks every worker to end (workers look before each
  // item).
  virtual bool StopAsked() const { return false; }
};

// std::thread, for the native builds.
class StdWorkerThreads : public WorkerThreads {
 public:
  ~StdWorkerThreads() override { JoinAll(); }
  bool Start(WorkerTask* task) override;
  void Signal() override;
  void Wait(uint32_t timeoutMs) override;
  void JoinAll() override;

 private:
  std::vector<std::thread> threads_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool signalled_ = false;
};

class PoolExecutor : public FrameExecutor {
 public:
  // workers: threads per walk (at least 1); threads: how they are started.
  PoolExecutor(int32_t workers, WorkerThreads* threads);
  ~PoolExecutor() override;
  WalkResult Run(FramePass* pass, int32_t begin, int32_t end, StackHost* host) override;
  bool Threaded() const override { return true; }
  int32_t workers() const { return workers_; }

 private:
  struct Slot;
  struct Worker;
  class Walk;

  int32_t workers_;
  WorkerThreads* threads_;
  // Kept from walk to walk, so a run reuses its buffers pass after pass.
  std::vector<std::unique_ptr<Worker>> pool_;
  std::vector<std::unique_ptr<Slot>> slots_;
};
