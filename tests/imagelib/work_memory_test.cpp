// Kept work memory: blocks come back zero-filled, a freed block serves the
// next call of its size, also on another thread.
#include "imagelib/work_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

TEST(WorkMemory, ReusedBlocksComeBackZeroFilled) {
  ReleaseWorkMemory();
  auto* a = AllocWorkOf<int16_t>(100000);
  ASSERT_NE(nullptr, a);
  for (int i = 0; i < 100000; ++i) ASSERT_EQ(0, a[i]);
  std::memset(a, 0x5a, 100000 * sizeof(int16_t));
  int16_t* const first = a;
  FreeWork(&a);
  EXPECT_EQ(nullptr, a);
  // A somewhat smaller request is served by the kept block, cleared.
  auto* b = AllocWorkOf<int16_t>(90000);
  EXPECT_EQ(first, b);
  for (int i = 0; i < 90000; ++i) ASSERT_EQ(0, b[i]) << i;
  // Much smaller requests get blocks of their own.
  auto* c = AllocWorkOf<int16_t>(20000);
  EXPECT_NE(first, c);
  FreeWork(&b);
  FreeWork(&c);
  ReleaseWorkMemory();
}

TEST(WorkMemory, SizesThatCannotBeHad) {
  EXPECT_EQ(nullptr, AllocWork(size_t{1} << 40, 4));
  void* none = nullptr;
  FreeWork(&none);
  EXPECT_EQ(nullptr, none);
  // Small blocks work the same way, just without being kept.
  auto* small = AllocWorkOf<char>(10);
  ASSERT_NE(nullptr, small);
  FreeWork(&small);
}

TEST(WorkMemory, ThreadsShareTheKeptBlocks) {
  ReleaseWorkMemory();
  auto* mine = AllocWorkOf<int32_t>(50000);
  int32_t* const kept = mine;
  FreeWork(&mine);
  int32_t* theirs = nullptr;
  std::thread other([&] {
    auto* p = AllocWorkOf<int32_t>(50000);
    theirs = p;
    p[0] = 7;
    FreeWork(&p);
  });
  other.join();
  EXPECT_EQ(kept, theirs);
  auto* again = AllocWorkOf<int32_t>(50000);
  EXPECT_EQ(kept, again);
  EXPECT_EQ(0, again[0]);
  FreeWork(&again);
  ReleaseWorkMemory();
}

}  // namespace
