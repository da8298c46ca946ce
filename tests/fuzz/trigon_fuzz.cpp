// The atan lookup must stay inside its table for any finite or infinite input.
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <string>

#include "imagelib/trigon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool loaded = LoadTrigTables((std::string(P_tmpdir) + "/tyv_fuzz_trigon.tab").c_str());
  if (!loaded || size < 20) return 0;
  double a, b;
  int angle;
  std::memcpy(&a, data, 8);
  std::memcpy(&b, data + 8, 8);
  std::memcpy(&angle, data + 16, 4);
  if (a != a || b != b) return 0;   // NaN has no angle
  volatile double r = TableAtan2(a, b) + TableSin(angle) + TableCos(angle);
  (void)r;
  return 0;
}
