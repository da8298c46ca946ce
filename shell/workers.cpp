#include "workers.h"

#include <algorithm>

std::atomic<int32_t> WorkerStopFlag{0};

namespace {

constexpr DWORD kWaitStepMs = 200;

// Index of a handle that has ended or is no usable handle at all, else -1.
int FirstEndedOrBroken(const HANDLE* handles, int count) {
  for (int i = 0; i < count; ++i) {
    const DWORD r = WaitForSingleObject(handles[i], 0);
    if (r != WAIT_TIMEOUT) return i;
  }
  return -1;
}

// Waits for any of the handles in steps, pumping messages after each step.
int WaitForAnyPumping(const HANDLE* handles, int count) {
  for (;;) {
    const DWORD r = WaitForMultipleObjects(DWORD(count), handles, FALSE, kWaitStepMs);
    int ended = -1;
    if (r < WAIT_OBJECT_0 + DWORD(count)) {
      ended = int(r - WAIT_OBJECT_0);
    } else if (r >= WAIT_ABANDONED_0 && r < WAIT_ABANDONED_0 + DWORD(count)) {
      ended = int(r - WAIT_ABANDONED_0);
    } else if (r == WAIT_FAILED) {
      // A broken entry makes the whole wait fail: find it one by one.
      ended = FirstEndedOrBroken(handles, count);
      if (ended < 0) Sleep(kWaitStepMs);
    }
    PumpPendingMessages();
    if (ended >= 0) return ended;
  }
}

void Terminate(HANDLE worker) {
  // Child processes (the raw converter) share the list with threads.
  if (GetProcessId(worker) != 0) {
    TerminateProcess(worker, 1);
  } else {
    TerminateThread(worker, 1);
  }
}

}  // namespace

void PumpPendingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void SetWorkerLimit(ProgramState* ps, int processors) {
  ps->WorkerLimit = std::clamp(processors, 1, kMaxWorkers - kMaxExtraWorkers);
}

int AppendWorker(ProgramState* ps, HANDLE worker) {
  if (!worker || ps->RunningWorkers < 0 || ps->RunningWorkers >= kMaxWorkers) return 0;
  ps->WorkerHandles[ps->RunningWorkers++] = worker;
  return 1;
}

void WaitForOneWorker(ProgramState* ps) {
  ps->RunningWorkers = std::clamp(ps->RunningWorkers, 0, kMaxWorkers);
  const int running = ps->RunningWorkers;
  if (running == 0) return;
  const int ended = WaitForAnyPumping(ps->WorkerHandles, running);
  // Nobody else holds on to a finished worker's handle.
  CloseHandle(ps->WorkerHandles[ended]);
  std::copy(ps->WorkerHandles + ended + 1, ps->WorkerHandles + running, ps->WorkerHandles + ended);
  ps->WorkerHandles[running - 1] = nullptr;
  ps->RunningWorkers = running - 1;
}

void WaitForWorkerSlot(ProgramState* ps, int extra) {
  if (ps->WorkerLimit < 2) return;
  ps->RunningWorkers = std::clamp(ps->RunningWorkers, 0, kMaxWorkers);
  const int threshold = std::min(ps->WorkerLimit + extra, kMaxWorkers);
  if (ps->RunningWorkers > 0 && ps->RunningWorkers >= threshold) WaitForOneWorker(ps);
  PumpPendingMessages();
}

int RemoveEndedWorkers(ProgramState* ps) {
  const int running = std::clamp(ps->RunningWorkers, 0, kMaxWorkers);
  int kept = 0;
  for (int i = 0; i < running; ++i) {
    const HANDLE worker = ps->WorkerHandles[i];
    if (worker && WaitForSingleObject(worker, 0) == WAIT_TIMEOUT) {
      ps->WorkerHandles[kept++] = worker;
    } else if (worker) {
      CloseHandle(worker);
    }
  }
  for (int i = kept; i < running; ++i) ps->WorkerHandles[i] = nullptr;
  ps->RunningWorkers = kept;
  return running - kept;
}

int RemoveWorker(ProgramState* ps, HANDLE worker) {
  const int running = std::clamp(ps->RunningWorkers, 0, kMaxWorkers);
  HANDLE* end = ps->WorkerHandles + running;
  HANDLE* at = std::find(ps->WorkerHandles, end, worker);
  if (!worker || at == end) return 0;
  std::copy(at + 1, end, at);
  ps->WorkerHandles[running - 1] = nullptr;
  ps->RunningWorkers = running - 1;
  return 1;
}

void WaitForAllWorkers(ProgramState* ps) {
  if (ps->WorkerLimit < 2) return;
  while (ps->RunningWorkers > 0) WaitForWorkerSlot(ps, 1 - ps->WorkerLimit);
}

void StopWorkers(ProgramState* ps, int wait, DWORD timeoutMs) {
  if (ps->WorkerLimit < 2) return;
  WorkerStopFlag = 1;
  const DWORD start = GetTickCount();
  for (HANDLE& worker : ps->WorkerHandles) {
    if (!worker) continue;
    for (;;) {
      const DWORD spent = GetTickCount() - start;
      if (wait != 1 && spent >= timeoutMs) break;
      const DWORD step = wait == 1 ? kWaitStepMs : std::min(kWaitStepMs, timeoutMs - spent);
      const DWORD r = WaitForSingleObject(worker, step);
      PumpPendingMessages();
      if (r != WAIT_TIMEOUT) break;
    }
    if (WaitForSingleObject(worker, 0) == WAIT_TIMEOUT) Terminate(worker);
    CloseHandle(worker);
    worker = nullptr;
  }
  ps->RunningWorkers = 0;
}
