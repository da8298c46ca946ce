#include "live_counts.h"

#include <algorithm>

void GdiWatch::Note(HGDIOBJ object) {
  if (object && std::find(objects_.begin(), objects_.end(), object) == objects_.end()) objects_.push_back(object);
}

int GdiWatch::Alive() const {
  int alive = 0;
  for (HGDIOBJ o : objects_)
    if (GetObjectType(o) != 0) ++alive;
  return alive;
}
