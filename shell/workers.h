// Bookkeeping of worker threads and child processes: up to 64 handles in
// ProgramState, filled from the front. All functions run on the main thread
// and act only when WorkerLimit is 2 or more.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "program_state.h"

// Polled by the stacking workers: 1 asks them to end.
extern std::atomic<int32_t> WorkerStopFlag;

// The largest extra number of workers a caller lets run beyond the limit.
constexpr int kMaxExtraWorkers = 4;
// A cooperative stop waits this long before it terminates a worker.
constexpr DWORD kWorkerStopTimeoutMs = 10000;

// Dispatches every message waiting in this thread's queue.
void PumpPendingMessages();

// WorkerLimit := the processor count, at least 1 and small enough that the
// limit plus the largest extra fits the 64 handles.
void SetWorkerLimit(ProgramState* ps, int processors);

// Stores a started worker at the end of the list: 1, or 0 when the handle is
// null or all 64 places are taken.
int AppendWorker(ProgramState* ps, HANDLE worker);

// When RunningWorkers has reached WorkerLimit + extra, waits in 200 ms steps
// (pumping messages between them) until one worker ends, removes it from the
// list and closes its handle; then pumps messages once more.
void WaitForWorkerSlot(ProgramState* ps, int extra);

// Waits in the same steps, whatever the limit, until one listed worker ends,
// then removes it and closes its handle. Nothing when the list is empty.
void WaitForOneWorker(ProgramState* ps);

// Removes every listed worker that has ended and closes its handle, without
// waiting; the others keep their order. Returns how many went.
int RemoveEndedWorkers(ProgramState* ps);

// Takes a worker off the list (the others keep their order) without
// closing its handle; 0 when it is not listed.
int RemoveWorker(ProgramState* ps, HANDLE worker);

// Waits until no worker runs.
void WaitForAllWorkers(ProgramState* ps);

// Sets WorkerStopFlag, waits for the workers to end (without limit when
// `wait` is 1, else up to timeoutMs) while pumping messages, terminates those
// still running, closes every handle and empties the list.
void StopWorkers(ProgramState* ps, int wait, DWORD timeoutMs = kWorkerStopTimeoutMs);
