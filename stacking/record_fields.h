// Little-endian fields at fixed offsets of the records the program writes
// ("recenter.tmp", "batch.tmp", hot-pixel lists): byte by byte, so the layout
// does not depend on the compiler's struct packing or alignment.
#pragma once

#include <cstdint>
#include <cstring>

inline void Put32(uint8_t* p, int32_t value) {
  const uint32_t v = uint32_t(value);
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

inline int32_t Get32(const uint8_t* p) {
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

inline void PutDouble(uint8_t* p, double value) {
  uint64_t v;
  std::memcpy(&v, &value, sizeof v);
  for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}

inline double GetDouble(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= uint64_t(p[i]) << (8 * i);
  double d;
  std::memcpy(&d, &v, sizeof d);
  return d;
}
