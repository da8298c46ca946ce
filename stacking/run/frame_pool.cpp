#include "stacking/run/frame_pool.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace {

// The calling thread looks at the host at least this often.
constexpr uint32_t kLookMs = 200;

}  // namespace

bool StdWorkerThreads::Start(WorkerTask* task) {
  try {
    threads_.emplace_back([task] { task->RunWorker(); });
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void StdWorkerThreads::Signal() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    signalled_ = true;
  }
  wake_.notify_one();
}

void StdWorkerThreads::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> guard(lock_);
  wake_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return signalled_; });
  signalled_ = false;
}

void StdWorkerThreads::JoinAll() {
  for (std::thread& t : threads_)
    if (t.joinable()) t.join();
  threads_.clear();
}

// A frame read by the calling thread, waiting for a worker.
struct PoolExecutor::Slot {
  WalkWorkspace ws;   // only its frame and name are filled
  ItemResult read = ItemResult::kDone;
  std::atomic<bool> full{false};
};

struct PoolExecutor::Worker : WorkerTask {
  Walk* walk = nullptr;
  WalkWorkspace ws;
  void RunWorker() override;
};

// The state of one walk, shared by the calling thread and the workers.
class PoolExecutor::Walk {
 public:
  Walk(FramePass* pass, int32_t begin, int32_t end, std::vector<Slot*> slots, WorkerThreads* threads)
      : pass_(pass), end_(end), feed_(!slots.empty()), slots_(std::move(slots)), threads_(threads), next_(begin),
        released_(begin), begin_(begin) {}

  FramePass* pass() const { return pass_; }
  bool feed() const { return feed_; }
  WorkerThreads* threads() const { return threads_; }
  int32_t begin() const { return begin_; }
  int32_t finished() const { return finished_.load(); }
  bool failed() const { return failed_.load(); }
  bool stopped() const { return stop_.load(); }
  Slot& SlotOf(int32_t k) { return *slots_[size_t(k - begin_) % slots_.size()]; }

  // The next item for a worker: waits until one is released; -1 when the
  // walk is over or stopped.
  int32_t Claim() {
    for (;;) {
      int32_t k = next_.load();
      if (stop_.load() || k >= end_) return -1;
      if (k < released_.load()) {
        if (next_.compare_exchange_weak(k, k + 1)) return k;
        continue;
      }
      std::unique_lock<std::mutex> guard(lock_);
      more_.wait(guard, [this] {
        const int32_t n = next_.load();
        return stop_.load() || n >= end_ || n < released_.load();
      });
    }
  }

  // Items below upTo may be claimed.
  void Release(int32_t upTo) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (upTo <= released_.load()) return;
      released_.store(std::min(upTo, end_));
    }
    more_.notify_all();
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stop_.store(true);
    }
    more_.notify_all();
  }

  void Done(ItemResult r) {
    if (r == ItemResult::kFailed) {
      failed_.store(true);
      Stop();
    }
    finished_.fetch_add(1);
    threads_->Signal();
  }

 private:
  FramePass* pass_;
  int32_t end_;
  bool feed_;
  std::vector<Slot*> slots_;
  WorkerThreads* threads_;
  std::atomic<int32_t> next_;
  std::atomic<int32_t> released_;
  int32_t begin_;
  std::atomic<int32_t> finished_{0};
  std::atomic<bool> stop_{false};
  std::atomic<bool> failed_{false};
  std::mutex lock_;
  std::condition_variable more_;
};

void PoolExecutor::Worker::RunWorker() {
  for (;;) {
    const int32_t k = walk->threads()->StopAsked() ? -1 : walk->Claim();
    if (k < 0) return;
    ItemResult r;
    if (walk->feed()) {
      // The frame changes hands; the slot takes this worker's old buffer for
      // the next read.
      Slot& slot = walk->SlotOf(k);
      r = slot.read;
      if (r == ItemResult::kDone) {
        ws.frame.Swap(&slot.ws.frame);
        std::memcpy(ws.currentName, slot.ws.currentName, sizeof ws.currentName);
      }
      slot.full.store(false);
      walk->threads()->Signal();
    } else {
      r = walk->pass()->Read(k, &ws);
    }
    if (r == ItemResult::kDone) r = walk->pass()->Work(k, &ws);
    walk->Done(r);
  }
}

PoolExecutor::PoolExecutor(int32_t workers, WorkerThreads* threads)
    : workers_(std::max<int32_t>(workers, 1)), threads_(threads) {}

PoolExecutor::~PoolExecutor() = default;

WalkResult PoolExecutor::Run(FramePass* pass, int32_t begin, int32_t end, StackHost* host) {
  if (begin >= end) return WalkResult::kCompleted;
  const bool feed = !pass->ReadsOnAnyThread();
  const int32_t count = end - begin;
  const int32_t n = std::min(workers_, count);
  while (int32_t(pool_.size()) < n) pool_.push_back(std::make_unique<Worker>());
  // Two frames read ahead besides one per worker keep the workers fed.
  const size_t slotCount = size_t(n) + 2;
  std::vector<Slot*> ring;
  if (feed) {
    while (slots_.size() < slotCount) slots_.push_back(std::make_unique<Slot>());
    for (size_t i = 0; i < slotCount; ++i) {
      slots_[i]->full.store(false);
      ring.push_back(slots_[i].get());
    }
  }
  Walk walk(pass, begin, end, std::move(ring), threads_);
  int32_t started = 0;
  for (int32_t i = 0; i < n; ++i) {
    pool_[size_t(i)]->walk = &walk;
    if (!threads_->Start(pool_[size_t(i)].get())) break;
    ++started;
  }

  WalkResult result = WalkResult::kCompleted;
  if (started == 0) result = WalkResult::kFailed;
  int32_t read = begin;   // the next item the calling thread reads
  int32_t shown = -1;
  char text[256];
  while (result == WalkResult::kCompleted) {
    if (host && host->Poll()) {
      result = WalkResult::kAborted;
      break;
    }
    if (walk.failed()) {
      result = WalkResult::kFailed;
      break;
    }
    const int32_t done = walk.finished();
    if (done >= count) break;
    bool more = false;
    if (feed) {
      // In file order into the free slots, a ring's worth per look.
      for (size_t i = 0; i < slotCount && read < end && !walk.stopped(); ++i) {
        Slot& slot = walk.SlotOf(read);
        if (slot.full.load()) break;
        slot.read = pass->Read(read, &slot.ws);
        if (slot.read == ItemResult::kFailed) {
          walk.Done(ItemResult::kFailed);
          break;
        }
        slot.full.store(true);
        walk.Release(++read);
      }
      more = read < end && !walk.SlotOf(read).full.load();
    } else {
      // Workers may run ahead of the slowest by a few items; a pause holds
      // them there.
      walk.Release(begin + done + 2 * started);
    }
    const int32_t current = std::min(end - 1, begin + done);
    if (current != shown && host) {
      pass->StepText(current, text, sizeof text);
      host->ShowStep(text);
      shown = current;
    }
    if (!more) threads_->Wait(kLookMs);
  }
  walk.Stop();
  threads_->JoinAll();
  for (auto& worker : pool_) worker->walk = nullptr;
  if (result == WalkResult::kCompleted && walk.failed()) result = WalkResult::kFailed;
  return result;
}
