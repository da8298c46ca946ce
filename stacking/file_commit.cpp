#include "stacking/file_commit.h"

#include <cstring>

bool ReplaceFileWith(const char* temp, const char* name) {
  if (std::rename(temp, name) == 0) return true;
  // The Windows C library does not move onto an existing file.
  std::remove(name);
  return std::rename(temp, name) == 0;
}

bool CommittedFile::Open(const char* name, bool text) {
  Abandon();
  if (!name || std::strlen(name) >= sizeof name_) return false;
  std::snprintf(name_, sizeof name_, "%s", name);
  std::snprintf(temp_, sizeof temp_, "%s.part", name);
  file_ = std::fopen(temp_, text ? "w" : "wb");
  ok_ = file_ != nullptr;
  return ok_;
}

bool CommittedFile::Write(const void* data, size_t bytes) {
  if (!file_ || !ok_) return false;
  if (bytes && std::fwrite(data, 1, bytes, file_) != bytes) ok_ = false;
  return ok_;
}

bool CommittedFile::Commit() {
  if (!file_) return false;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!ok_ || !closed || !ReplaceFileWith(temp_, name_)) {
    std::remove(temp_);
    ok_ = false;
    return false;
  }
  return true;
}

void CommittedFile::Abandon() {
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  std::remove(temp_);
  ok_ = false;
}
