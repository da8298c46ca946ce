// The worker threads of a threaded stacking run on Windows: each handle is
// listed in WorkerHandles while its thread runs and closed when it has
// ended; the calling thread waits for the workers' signal or a window
// message with MsgWaitForMultipleObjects and dispatches the messages, so
// the dialog stays alive. Workers end when WorkerStopFlag is set.
#pragma once

#include <windows.h>

#include <vector>

#include "shell/program_state.h"
#include "stacking/run/frame_pool.h"

class WinWorkerThreads : public WorkerThreads {
 public:
  explicit WinWorkerThreads(ProgramState* ps);
  ~WinWorkerThreads() override;
  bool Start(WorkerTask* task) override;
  void Signal() override;
  void Wait(uint32_t timeoutMs) override;
  void JoinAll() override;
  bool StopAsked() const override;

 private:
  ProgramState* ps_;
  HANDLE wake_;                   // auto-reset: set by a worker, taken by Wait
  std::vector<HANDLE> threads_;   // started and not yet closed
};
