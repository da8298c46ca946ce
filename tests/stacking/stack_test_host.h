// A host for the engine's tests: keeps every message it is given and runs
// the engine on the test's thread.
#pragma once

#include <string>
#include <vector>

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

}  // namespace stacktest
