#include "stacking/run_notes.h"

#include <cstdio>

void RunNotes::Add(const char* text, int64_t order) {
  std::lock_guard<std::mutex> guard(lock_);
  if (count_++ == 0 || order < order_) {
    std::snprintf(first_, sizeof first_, "%s", text ? text : "");
    order_ = order;
  }
}

int32_t RunNotes::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return count_;
}

void RunNotes::Show(StackHost* host) {
  char text[sizeof first_ + 96];
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (count_ == 0) return;
    if (count_ == 1)
      std::snprintf(text, sizeof text, "%s", first_);
    else
      std::snprintf(text, sizeof text, "%s\n(%ld Bilder betroffen)", first_, long(count_));
    count_ = 0;
    first_[0] = '\0';
  }
  if (host) host->Message(HostMessage::kNote, text);
}
