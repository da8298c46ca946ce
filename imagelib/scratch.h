// Work memory of one operator call, released on every path, and the cut of
// a computed value to a sample level; shared by the filter sources.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "imagelib/image.h"

// n zeroed elements from AllocArray; p is null when they cannot be had.
template <typename T>
struct ScratchArray {
  T* p = nullptr;
  explicit ScratchArray(size_t n) : p(static_cast<T*>(AllocArray(n, sizeof(T)))) {}
  ScratchArray(const ScratchArray&) = delete;
  ScratchArray& operator=(const ScratchArray&) = delete;
  ~ScratchArray() { FreeMem(&p); }
};

// v cut to an integer level in 0..top. A value that is a whole level in
// exact arithmetic must not lose that level to rounding noise, so anything
// a millionth of a level below it counts as it: flat pictures stay flat.
inline int16_t CutToLevel(double v, int32_t top) {
  if (!(v > 0.0)) return 0;
  if (v >= top) return static_cast<int16_t>(top);
  return static_cast<int16_t>(std::min(static_cast<int32_t>(v + 1e-6), top));
}
