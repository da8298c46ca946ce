// The walk over the frames of a series, written once for every job that
// treats frame after frame (the stacking passes, re-centring, time lapse,
// picture selection): a pass says how item k is read and what is done with
// it, an executor runs the items, between them keeping the program alive,
// holding on pause and stopping on abort. The single-threaded executor runs
// items in order on the calling thread; a threaded one runs the same pass
// on a pool, so both give the same result. Platform-free.
#pragma once

#include <cstdint>

#include "stacking/frame/frame_centring.h"
#include "stacking/series/frame_source.h"
#include "stacking/series/series_naming.h"
#include "stacking/stack_host.h"

// What one thread of a walk keeps from item to item.
struct WalkWorkspace {
  FrameBuffer frame;
  FrameBuffer field;            // one field of an interlaced frame
  FrameBuffer secondField;
  FrameWorkspace work;          // enlarged frame, colour alignment
  char currentName[kSeriesPathSize] = "";
};

enum class ItemResult {
  kDone,       // read and treated
  kSkipped,    // not usable (unreadable, not centred); the walk goes on
  kFailed,     // memory: the walk stops
};

class FramePass {
 public:
  virtual ~FramePass() = default;
  // Before the first item and after the last (with the walk's outcome).
  virtual bool Prepare() { return true; }
  virtual void Finish(bool /*completed*/) {}
  // The step text shown while item k is treated.
  virtual void StepText(int32_t k, char* text, size_t capacity) = 0;
  // Loads item k's frame into ws->frame and its file name into
  // ws->currentName, and touches nothing else of ws. Runs on a worker only
  // when ReadsOnAnyThread, else on the thread that called the walk (for
  // videos the thread that opened them).
  virtual ItemResult Read(int32_t k, WalkWorkspace* ws) = 0;
  virtual bool ReadsOnAnyThread() const { return false; }
  // Treats the frame read into ws. Must touch only ws, the pass's own
  // record of item k and the shared sum under the host's lock.
  virtual ItemResult Work(int32_t k, WalkWorkspace* ws) = 0;
};

enum class WalkResult { kCompleted, kAborted, kFailed };

class FrameExecutor {
 public:
  virtual ~FrameExecutor() = default;
  // Items begin..end - 1 of the pass.
  virtual WalkResult Run(FramePass* pass, int32_t begin, int32_t end, StackHost* host) = 0;
  // Items of one walk may run at the same time and finish in any order.
  virtual bool Threaded() const { return false; }
};

// Item after item on the calling thread, one workspace for all; before each
// item the host is polled (pause, abort) and the step text shown.
class SerialExecutor : public FrameExecutor {
 public:
  WalkResult Run(FramePass* pass, int32_t begin, int32_t end, StackHost* host) override;
  WalkWorkspace* workspace() { return &ws_; }

 private:
  WalkWorkspace ws_;
};

// Prepare, the items 0..count - 1, Finish.
WalkResult WalkFrames(FrameExecutor* executor, FramePass* pass, int32_t count, StackHost* host);
