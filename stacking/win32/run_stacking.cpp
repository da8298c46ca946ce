#include "stacking/win32/run_stacking.h"

#include "shell/buffer_slots.h"
#include "shell/workers.h"
#include "stacking/run/frame_pool.h"
#include "stacking/run/stacking_run.h"
#include "stacking/win32/win_frame_sources.h"
#include "stacking/win32/win_stack_host.h"
#include "stacking/win32/win_worker_threads.h"

namespace {

int RunInProgram(HWND progress, char* seriesName, const char* targetFile, ProgramState* ps, int fullRun,
                 FrameExecutor* executor) {
  WorkerStopFlag = 0;
  ps->ProgressWindow = progress;
  WinStackHost host(ps, progress);
  WinSeriesServices win(ps, &host);
  StackSettings settings = StackSettingsOf(ps);
  StackRunInputs in;
  in.settings = &settings;
  in.seriesName = seriesName;
  in.targetFile = targetFile;
  in.fullRun = fullRun;
  in.programDirectory = ps->ProgramDirectory;
  in.services = win.services;
  in.darkFrame = &ps->DarkFrameSamples;
  in.flatField = &ps->FlatFieldSamples;
  in.pattern = ps->PatternSamples;
  in.executor = executor;
  StackRunResult result;
  const int ok = RunStacking(in, &result);
  if (ps->AbortRequested) WorkerStopFlag = 1;
  StoreRunSettings(settings, ps);
  if (result.samples && !InstallImage(ps->TargetBuffer, ps, result.samples, &result.header, &result.metadata))
    FreeMem(&result.samples);
  // The pattern is prepared again before every run.
  host.ReleaseBuffer(&ps->PatternSamples);
  return ok;
}

}  // namespace

int RunStackingSingle(HWND progress, char* seriesName, const char* targetFile, ProgramState* ps, int fullRun) {
  if (!seriesName || !ps) return 0;
  return RunInProgram(progress, seriesName, targetFile, ps, fullRun, nullptr);
}

int RunStackingThreaded(HWND progress, char* seriesName, const char* targetFile, ProgramState* ps, int fullRun) {
  if (!seriesName || !ps) return 0;
  WinWorkerThreads threads(ps);
  PoolExecutor pool(ps->WorkerLimit, &threads);
  return RunInProgram(progress, seriesName, targetFile, ps, fullRun, &pool);
}
