// Work memory of the operators that a stacking run calls once per frame:
// the blocks given back are kept for the next calls, so a run over
// thousands of frames does not fetch fresh pages from the system for every
// frame (each fresh page costs a fault, which is slow, under Wine and in
// virtual machines most of all). Blocks come zero-filled like AllocArray's.
// Safe from any thread.
#pragma once

#include <cstddef>

// count x size bytes, zero-filled; null when they cannot be had (or do not
// fit the allocator's 32-bit size). Free only with FreeWork.
void* AllocWork(size_t count, size_t size);
// Gives a block of AllocWork back (kept for later calls) and clears the
// pointer; nothing for null.
void FreeWork(void** p);

template <typename T>
inline T* AllocWorkOf(size_t count) {
  return static_cast<T*>(AllocWork(count, sizeof(T)));
}
template <typename T>
inline void FreeWork(T** p) {
  void* v = *p;
  FreeWork(&v);
  *p = static_cast<T*>(v);
}

// Frees the kept blocks (a stacking run does so when it ends).
void ReleaseWorkMemory();
