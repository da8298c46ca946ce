#include "frame_walk.h"

#include "workers.h"

WalkEnd RunFrameWalk(const FrameWalk& walk, const volatile BOOL* abortFlag) {
  int32_t count = 0;
  if (!walk.open(walk.job, &count)) return WalkEnd::NotOpened;
  WalkEnd end = WalkEnd::Done;
  for (int32_t i = 0; i < count; ++i) {
    PumpPendingMessages();
    if (abortFlag && *abortFlag) {
      end = WalkEnd::Aborted;
      break;
    }
    if (!walk.frame(walk.job, i)) {
      end = WalkEnd::Failed;
      break;
    }
  }
  walk.close(walk.job);
  return end;
}
