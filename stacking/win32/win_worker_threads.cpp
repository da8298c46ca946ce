#include "stacking/win32/win_worker_threads.h"

#include <algorithm>

#include "shell/workers.h"

namespace {

DWORD WINAPI WorkerMain(LPVOID task) {
  static_cast<WorkerTask*>(task)->RunWorker();
  return 0;
}

}  // namespace

WinWorkerThreads::WinWorkerThreads(ProgramState* ps) : ps_(ps), wake_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

WinWorkerThreads::~WinWorkerThreads() {
  JoinAll();
  if (wake_) CloseHandle(wake_);
}

bool WinWorkerThreads::Start(WorkerTask* task) {
  // MsgWaitForMultipleObjects takes one handle less than the list holds.
  if (!wake_ || threads_.size() >= size_t(MAXIMUM_WAIT_OBJECTS - 1)) return false;
  const HANDLE thread = CreateThread(nullptr, 0, WorkerMain, task, 0, nullptr);
  if (!thread) return false;
  threads_.push_back(thread);
  // A full list leaves the thread unlisted; it is still waited for here.
  AppendWorker(ps_, thread);
  return true;
}

void WinWorkerThreads::Signal() {
  if (wake_) SetEvent(wake_);
}

void WinWorkerThreads::Wait(uint32_t timeoutMs) {
  if (wake_) MsgWaitForMultipleObjects(1, &wake_, FALSE, timeoutMs, QS_ALLINPUT);
  PumpPendingMessages();
}

void WinWorkerThreads::JoinAll() {
  while (!threads_.empty()) {
    MsgWaitForMultipleObjects(DWORD(threads_.size()), threads_.data(), FALSE, 200, QS_ALLINPUT);
    PumpPendingMessages();
    auto ended = std::stable_partition(threads_.begin(), threads_.end(),
                                       [](HANDLE t) { return WaitForSingleObject(t, 0) == WAIT_TIMEOUT; });
    for (auto t = ended; t != threads_.end(); ++t) {
      RemoveWorker(ps_, *t);
      CloseHandle(*t);
    }
    threads_.erase(ended, threads_.end());
  }
}

bool WinWorkerThreads::StopAsked() const { return WorkerStopFlag.load() != 0; }
