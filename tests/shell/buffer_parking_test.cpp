// Buffers owned by a record while dialogs back it up, confirm and cancel.
// The native build runs these under AddressSanitizer: a buffer freed too
// early is read after the free, one freed twice or never is reported.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "imagelib/image.h"
#include "shell/buffer_parking.h"

namespace {

constexpr int kFields = 4;

// A record owning up to four tagged buffers, with its dialogs' shared backup.
class Owner {
 public:
  Owner() {
    for (int i = 0; i < kFields - 1; ++i) field_[i] = NewBuffer(100 + i);
    field_[kFields - 1] = nullptr;
  }
  ~Owner() {
    ParkingDrop(&parking_, field_, kFields);
    for (void*& f : field_) FreeMem(&f);
  }

  void Open() {
    ParkingOpen(&parking_, field_, kFields);
    std::memcpy(backup_, field_, sizeof field_);
  }
  // A tab page of the open dialog takes the backup anew.
  void Renew() {
    if (parking_.depth == 0) return;
    ParkingRenew(&parking_, field_, kFields);
    std::memcpy(backup_, field_, sizeof field_);
  }
  void Commit() { ParkingCommit(&parking_, field_, kFields); }
  void Cancel() {
    if (ParkingCancel(&parking_, field_, kFields)) std::memcpy(field_, backup_, sizeof field_);
  }
  void Replace(int i, int tag) {
    ParkingRelease(&parking_, &field_[i]);
    field_[i] = NewBuffer(tag);
  }
  void Clear(int i) { ParkingRelease(&parking_, &field_[i]); }

  // Tag of each field, 0 for none; reads every buffer the record points to.
  std::vector<int> Tags() const {
    std::vector<int> tags;
    for (void* f : field_) tags.push_back(f ? *static_cast<int*>(f) : 0);
    return tags;
  }
  int Depth() const { return parking_.depth; }

 private:
  static void* NewBuffer(int tag) {
    void* p = AllocMem(sizeof(int));
    *static_cast<int*>(p) = tag;
    return p;
  }

  BufferParking parking_{};
  void* field_[kFields];
  void* backup_[kFields]{};
};

// Runs "o" open, "n" renew, "c" commit, "x" cancel, "rN" replace field N with a new
// buffer (tags 1, 2, ... in order), "dN" clear field N.
void RunScript(Owner& owner, const std::string& script) {
  std::istringstream in(script);
  std::string op;
  int nextTag = 1;
  while (in >> op) {
    switch (op[0]) {
      case 'o': owner.Open(); break;
      case 'n': owner.Renew(); break;
      case 'c': owner.Commit(); break;
      case 'x': owner.Cancel(); break;
      case 'r': owner.Replace(op[1] - '0', nextTag++); break;
      case 'd': owner.Clear(op[1] - '0'); break;
      default: FAIL() << "bad op " << op;
    }
  }
}

struct Scenario {
  const char* script;
  std::vector<int> tags;   // of the four fields afterwards
  int depth;
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << '"' << s.script << '"'; }

class ParkingScenario : public testing::TestWithParam<Scenario> {};

TEST_P(ParkingScenario, EndsWithTheExpectedBuffers) {
  Owner owner;
  RunScript(owner, GetParam().script);
  EXPECT_EQ(GetParam().tags, owner.Tags());
  EXPECT_EQ(GetParam().depth, owner.Depth());
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, ParkingScenario,
    testing::Values(
        Scenario{"o r0 x", {100, 101, 102, 0}, 0},            // cancel brings the replaced buffer back
        Scenario{"o r0 c", {1, 101, 102, 0}, 0},              // confirm keeps the new one
        Scenario{"o d1 x", {100, 101, 102, 0}, 0},            // a cleared buffer comes back
        Scenario{"o r0 r0 x", {100, 101, 102, 0}, 0},         // an interim buffer is freed on the way
        Scenario{"o r3 x", {100, 101, 102, 0}, 0},            // a buffer new to an empty field goes
        Scenario{"o r0 o r0 c x", {1, 101, 102, 0}, 0},       // inner confirm, outer cancel: inner backup
        Scenario{"o r0 o r0 x x", {1, 101, 102, 0}, 0},       // both cancel to the shared backup
        Scenario{"o r0 o r0 c", {2, 101, 102, 0}, 1},         // outer still open, both parked buffers kept
        Scenario{"o d0 o x x", {0, 101, 102, 0}, 0},          // parked before the newer backup: gone
        Scenario{"x c", {100, 101, 102, 0}, 0},               // no backup held: nothing happens
        Scenario{"o r1 c r1 x", {100, 2, 102, 0}, 0},         // after confirm, releases free at once
        Scenario{"o o o r2 x x x", {100, 101, 102, 0}, 0},    // three levels deep
        Scenario{"o r0 n r0 x", {1, 101, 102, 0}, 0},         // cancel goes back to the renewed backup
        Scenario{"o r0 n r0 c", {2, 101, 102, 0}, 0},         // a renewal is no further dialog
        Scenario{"o d0 n x", {0, 101, 102, 0}, 0},            // parked before the renewal: gone
        Scenario{"n r1 x", {100, 1, 102, 0}, 0}),             // no backup held: nothing to renew
    [](const testing::TestParamInfo<Scenario>& info) {
      std::string name = info.param.script;
      for (char& ch : name)
        if (ch == ' ') ch = '_';
      return name;
    });

// Random orders of opening, confirming, cancelling, replacing and clearing,
// checked against a model of what each field must hold.
TEST(Parking, AnyOrderKeepsEveryFieldOnALiveBufferOfTheRightContent) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 300; ++round) {
    Owner owner;
    std::vector<int> model = owner.Tags();
    std::vector<int> modelBackup;
    int depth = 0;
    int nextTag = 1;
    for (int step = 0; step < 40; ++step) {
      const int field = int(rng() % kFields);
      switch (rng() % 6) {
        case 0:
          owner.Open();
          modelBackup = model;
          ++depth;
          break;
        case 1:
          owner.Commit();
          if (depth > 0) --depth;
          break;
        case 2:
          owner.Cancel();
          if (depth > 0) {
            model = modelBackup;
            --depth;
          }
          break;
        case 3:
        case 4:
          owner.Replace(field, nextTag);
          model[field] = nextTag++;
          break;
        default:
          owner.Clear(field);
          model[field] = 0;
          break;
      }
      ASSERT_EQ(model, owner.Tags()) << "round " << round << " step " << step;
      ASSERT_EQ(depth, owner.Depth());
    }
  }
}

}  // namespace
