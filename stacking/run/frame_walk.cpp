#include "stacking/run/frame_walk.h"

WalkResult SerialExecutor::Run(FramePass* pass, int32_t begin, int32_t end, StackHost* host) {
  char text[256];
  for (int32_t k = begin; k < end; ++k) {
    if (host && host->Poll()) return WalkResult::kAborted;
    pass->StepText(k, text, sizeof text);
    if (host) host->ShowStep(text);
    ItemResult r = pass->Read(k, &ws_);
    if (r == ItemResult::kDone) r = pass->Work(k, &ws_);
    if (r == ItemResult::kFailed) return WalkResult::kFailed;
  }
  return WalkResult::kCompleted;
}

WalkResult WalkFrames(FrameExecutor* executor, FramePass* pass, int32_t count, StackHost* host) {
  if (!pass->Prepare()) {
    pass->Finish(false);
    return WalkResult::kFailed;
  }
  const WalkResult r = executor->Run(pass, 0, count, host);
  pass->Finish(r == WalkResult::kCompleted);
  return r;
}
