#include "imagelib/work_memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define TYV_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define TYV_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define TYV_POISON(p, n) ((void)(p), (void)(n))
#define TYV_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

// Each block carries its size in front of what the caller sees.
constexpr size_t kHead = 16;
// Small blocks come from the heap's own free lists cheaply; only larger
// ones are kept. A run on eight threads keeps a few blocks for each.
constexpr size_t kKeepFrom = 16 * 1024;
constexpr int kKept = 64;
constexpr size_t kKeptBytes = size_t{512} << 20;

size_t SizeOf(void* head) {
  TYV_UNPOISON(head, kHead);
  size_t n;
  std::memcpy(&n, head, sizeof n);
  return n;
}

// The blocks given back, oldest first, shared by all threads under one lock
// (a few calls per frame); what is kept lies poisoned, so a use after
// FreeWork still shows under the address sanitizer. No thread-local
// storage: destructors of such storage at a thread's end are not reliable
// with every runtime the program is built with.
struct Kept {
  std::mutex lock;
  void* blocks[kKept] = {};
  int count = 0;
  size_t total = 0;

  void Clear() {
    while (count > 0) Drop(0);
  }
  void Remove(int i) {
    std::memmove(blocks + i, blocks + i + 1, sizeof(void*) * size_t(count - i - 1));
    blocks[--count] = nullptr;
  }
  void Drop(int i) {
    void* head = blocks[i];
    const size_t n = SizeOf(head);
    TYV_UNPOISON(head, n + kHead);
    std::free(head);
    total -= n;
    Remove(i);
  }
  // The smallest kept block of at least n bytes and at most four times that.
  void* Take(size_t n) {
    int best = -1;
    size_t bestSize = 0;
    for (int i = 0; i < count; ++i) {
      const size_t s = SizeOf(blocks[i]);
      if (s >= n && s / 4 <= n && (best < 0 || s < bestSize)) {
        best = i;
        bestSize = s;
      }
    }
    if (best < 0) return nullptr;
    void* head = blocks[best];
    Remove(best);
    total -= bestSize;
    TYV_UNPOISON(head, bestSize + kHead);
    return head;
  }
  void Keep(void* head, size_t n) {
    if (n > kKeptBytes) {
      std::free(head);
      return;
    }
    while (count == kKept || total + n > kKeptBytes) Drop(0);
    blocks[count++] = head;
    total += n;
    TYV_POISON(head, n + kHead);
  }
};

}  // namespace

static Kept gKept;

void* AllocWork(size_t count, size_t size) {
  if (size != 0 && count > (UINT32_MAX - kHead) / size) return nullptr;
  const size_t n = count * size;
  void* head = nullptr;
  if (n >= kKeepFrom) {
    std::lock_guard<std::mutex> guard(gKept.lock);
    head = gKept.Take(n);
  }
  if (head) {
    std::memset(static_cast<char*>(head) + kHead, 0, n);
  } else {
    head = std::calloc(n + kHead, 1);
    if (!head) return nullptr;
  }
  // The block's whole size stays in its head, whatever this call asked for.
  size_t whole;
  std::memcpy(&whole, head, sizeof whole);
  if (whole < n) std::memcpy(head, &n, sizeof n);
  return static_cast<char*>(head) + kHead;
}

void FreeWork(void** p) {
  if (!*p) return;
  void* head = static_cast<char*>(*p) - kHead;
  *p = nullptr;
  size_t n;
  std::memcpy(&n, head, sizeof n);
  if (n < kKeepFrom) {
    std::free(head);
    return;
  }
  std::lock_guard<std::mutex> guard(gKept.lock);
  gKept.Keep(head, n);
}

void ReleaseWorkMemory() {
  std::lock_guard<std::mutex> guard(gKept.lock);
  gKept.Clear();
}
