// Files the program writes whole: written under a temporary name and moved
// over the real one only when every write succeeded, so a full disk or an
// unwritable directory never leaves half a file. Platform-free.
#pragma once

#include <cstdio>

// A file being written: Open under "<name>.part" (binary, or as text with
// the platform's line ends), Write checks every write, Commit closes it and
// moves it over name, Abandon (or the destructor without Commit) removes it.
class CommittedFile {
 public:
  CommittedFile() = default;
  ~CommittedFile() { Abandon(); }
  CommittedFile(const CommittedFile&) = delete;
  CommittedFile& operator=(const CommittedFile&) = delete;

  bool Open(const char* name, bool text = false);
  bool Write(const void* data, size_t bytes);
  // True when the file is in place under its name.
  bool Commit();
  void Abandon();

 private:
  FILE* file_ = nullptr;
  bool ok_ = false;
  char name_[1024] = "";
  char temp_[1040] = "";
};

// Moves temp over name (replacing it); false when it could not be moved.
bool ReplaceFileWith(const char* temp, const char* name);
