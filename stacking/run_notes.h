// Failures of single frames during a run (a frame that cannot be read,
// centred or measured): the run goes on without the frame and shows one
// note at its end instead of a box per frame. Safe from several threads.
#pragma once

#include <climits>
#include <cstdint>
#include <mutex>

#include "stacking/stack_host.h"

// The order of a note of item `item` in the pass-th walk of a run.
inline int64_t NoteOrder(int32_t pass, int32_t item) { return int64_t{pass} * (int64_t{1} << 32) + uint32_t(item); }

class RunNotes {
 public:
  // Keeps the text of the lowest order (the earliest, on a tie) and counts
  // every call. Orders follow the run's own sequence of frames, so frames
  // treated at the same time on several threads leave the note that one
  // thread would have left.
  void Add(const char* text, int64_t order = INT64_MAX);
  int32_t Count() const;
  // One note with the first text (and how many frames failed); nothing
  // when no frame failed. Clears the notes.
  void Show(StackHost* host);

 private:
  mutable std::mutex lock_;
  int32_t count_ = 0;
  int64_t order_ = 0;
  char first_[1152] = "";
};
