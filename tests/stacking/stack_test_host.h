// Hosts and helpers for the engine's tests: a host that keeps every message
// it is given, and one that also saves pictures natively, records the
// re-stack command's state and aborts after a number of polls or at a step.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "stacking/series/native_pictures.h"
#include "stacking/stack_host.h"

namespace stacktest {

class RecordingHost : public StackHost {
 public:
  struct Box {
    HostMessage kind;
    std::string text;
  };
  void Message(HostMessage kind, const char* text) override { boxes.push_back({kind, text}); }
  std::vector<Box> boxes;
};

// Pictures may be saved from the workers of a threaded run.
class NativeHost : public RecordingHost {
 public:
  NativeHost() = default;
  NativeHost& operator=(const NativeHost& other) {
    boxes = other.boxes;
    saved = other.saved;
    restack = other.restack;
    steps = other.steps;
    polls = other.polls;
    abortAfter = other.abortAfter;
    abortAtStep = other.abortAtStep;
    aborted = other.aborted;
    return *this;
  }
  int SavePicture(const char* name, const char* extension, int, const int16_t* samples,
                  const ImageHeader* h) override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      saved.push_back(name);
    }
    return SaveNativePicture(name, extension, samples, h);
  }
  void SetRestackAvailable(bool available) override { restack.push_back(available); }
  void ShowStep(const char* text) override {
    steps.push_back(text);
    if (!abortAtStep.empty() && steps.back().find(abortAtStep) != std::string::npos) aborted = true;
  }
  bool Poll() override { return ++polls > abortAfter || aborted; }
  std::vector<std::string> saved;
  std::vector<bool> restack;
  std::vector<std::string> steps;
  int polls = 0;
  int abortAfter = 1 << 30;
  std::string abortAtStep;   // abort at the first step text that holds this
  bool aborted = false;

 private:
  std::mutex lock_;
};

// The run works in its own current directory ("resultcopy.fts" and the
// protocol land there).
class InDirectory {
 public:
  explicit InDirectory(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InDirectory() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

inline std::vector<uint8_t> FileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace stacktest
