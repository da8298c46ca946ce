// Failures of single frames during a run (a frame that cannot be read,
// centred or measured): the run goes on without the frame and shows one
// note at its end instead of a box per frame. Safe from several threads.
#pragma once

#include <cstdint>
#include <mutex>

#include "stacking/stack_host.h"

class RunNotes {
 public:
  // Keeps the first text and counts every call.
  void Add(const char* text);
  int32_t Count() const;
  // One note with the first text (and how many frames failed); nothing
  // when no frame failed. Clears the notes.
  void Show(StackHost* host);

 private:
  mutable std::mutex lock_;
  int32_t count_ = 0;
  char first_[1152] = "";
};
