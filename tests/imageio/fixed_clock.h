// A UTC clock for the GPS code that stands still where a test puts it and
// records what the code sets it to.
#pragma once

#include <windows.h>

#include <vector>

#include "imageio/gps/gps_receiver.h"
#include "tests/imageio/gps_fixtures.h"

namespace fixedclock {

inline DateTimeRecord& Now() {
  static DateTimeRecord now;
  return now;
}
inline std::vector<SYSTEMTIME>& Settings() {
  static std::vector<SYSTEMTIME> set;
  return set;
}
inline BOOL& Takes() {
  static BOOL takes = TRUE;
  return takes;
}

inline void At(int year, int month, int day, int hour, int minute, int second, int millisecond = 0) {
  Now() = UtcRecord(year, month, day, hour, minute, second, millisecond);
}

inline DateTimeRecord Read() { return Now(); }
inline BOOL Record(const SYSTEMTIME* utc) {
  Settings().push_back(*utc);
  return Takes();
}

// Put in place of the system clock until Remove.
inline void Install() {
  Settings().clear();
  Takes() = TRUE;
  SetGpsClock(Read, Record);
}
inline void Remove() { SetGpsClock(nullptr, nullptr); }

}  // namespace fixedclock
