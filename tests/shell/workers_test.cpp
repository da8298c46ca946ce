// Worker bookkeeping with real threads, each held by an event until the test
// (or a timer firing inside the wait's message pump) lets it end.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "shell/workers.h"
#include "state_fixture.h"

namespace {

DWORD WINAPI GatedWorker(void* gate) {
  WaitForSingleObject(static_cast<HANDLE>(gate), INFINITE);
  return 0;
}

DWORD WINAPI PollingWorker(void*) {
  while (WorkerStopFlag == 0) Sleep(5);
  return 0;
}

// Worker threads, each behind its own gate.
class Crew {
 public:
  ~Crew() {
    for (HANDLE g : gates_) SetEvent(g);
    for (HANDLE t : threads_) {
      WaitForSingleObject(t, 5000);
      CloseHandle(t);
    }
    for (HANDLE g : gates_) CloseHandle(g);
  }
  // Starts a worker and returns its handle; the crew keeps a handle of its own.
  HANDLE Start(LPTHREAD_START_ROUTINE proc = GatedWorker) {
    HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE t = CreateThread(nullptr, 0, proc, gate, 0, nullptr);
    HANDLE mine;
    DuplicateHandle(GetCurrentProcess(), t, GetCurrentProcess(), &mine, 0, FALSE, DUPLICATE_SAME_ACCESS);
    gates_.push_back(gate);
    threads_.push_back(mine);
    return t;
  }
  void Release(size_t i) { SetEvent(gates_[i]); }
  HANDLE Own(size_t i) const { return threads_[i]; }

 private:
  std::vector<HANDLE> gates_;
  std::vector<HANDLE> threads_;
};

// A thread timer whose ticks come only through a message pump; from the
// given tick on it lets workers of the crew end, one per tick.
struct PumpedReleases {
  static Crew* crew;
  static std::vector<size_t> order;
  static int ticks;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ++ticks;
    if (ticks >= 2 && !order.empty()) {
      crew->Release(order.front());
      order.erase(order.begin());
    }
  }
};
Crew* PumpedReleases::crew;
std::vector<size_t> PumpedReleases::order;
int PumpedReleases::ticks;

class Workers : public testing::Test {
 protected:
  void SetUp() override {
    ps_ = MakeState();
    WorkerStopFlag = 0;
    PumpedReleases::ticks = 0;
    PumpedReleases::order.clear();
  }
  void TearDown() override {
    if (timer_) KillTimer(nullptr, timer_);
    for (HANDLE& h : ps_->WorkerHandles) {
      if (h) CloseHandle(h);
      h = nullptr;
    }
    DisposeState(ps_.get());
  }
  ProgramState* ps() { return ps_.get(); }
  void ReleaseThroughPump(Crew* crew, std::vector<size_t> order) {
    PumpedReleases::crew = crew;
    PumpedReleases::order = std::move(order);
    timer_ = SetTimer(nullptr, 0, 30, &PumpedReleases::Tick);
  }

  UINT_PTR timer_ = 0;
  std::unique_ptr<ProgramState> ps_;
};

TEST_F(Workers, WaitForASlotBlocksOnlyWhenLimitPlusExtraIsReached) {
  struct Case {
    int limit, extra, running;
    bool waits;
  };
  const Case cases[] = {
      {2, 0, 1, false}, {2, 0, 2, true}, {2, 4, 5, false}, {2, 4, 6, true}, {3, -2, 1, true}, {3, -2, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "limit " << c.limit << " extra " << c.extra << " running " << c.running);
    Crew crew;
    ps()->WorkerLimit = c.limit;
    for (int i = 0; i < c.running; ++i) ASSERT_EQ(1, AppendWorker(ps(), crew.Start()));
    std::vector<HANDLE> handles(ps()->WorkerHandles, ps()->WorkerHandles + c.running);
    if (c.waits) ReleaseThroughPump(&crew, {size_t(c.running - 1) / 2});
    WaitForWorkerSlot(ps(), c.extra);
    if (c.waits) {
      KillTimer(nullptr, timer_);
      timer_ = 0;
      EXPECT_GE(PumpedReleases::ticks, 2) << "messages were pumped while waiting";
      // The ended worker is gone, its handle closed, the others moved up in order.
      const size_t ended = size_t(c.running - 1) / 2;
      DWORD flags;
      EXPECT_FALSE(GetHandleInformation(handles[ended], &flags));
      handles.erase(handles.begin() + ended);
    }
    ASSERT_EQ(int(handles.size()), ps()->RunningWorkers);
    for (size_t i = 0; i < handles.size(); ++i) EXPECT_EQ(handles[i], ps()->WorkerHandles[i]);
    EXPECT_EQ(nullptr, ps()->WorkerHandles[handles.size()]);
    for (HANDLE& h : ps()->WorkerHandles) {
      if (h) CloseHandle(h);
      h = nullptr;
    }
    ps()->RunningWorkers = 0;
  }
}

TEST_F(Workers, WaitForAllReturnsWhenTheLastOneEnded) {
  Crew crew;
  ps()->WorkerLimit = 2;
  std::vector<HANDLE> handles;
  for (int i = 0; i < 3; ++i) {
    handles.push_back(crew.Start());
    AppendWorker(ps(), handles.back());
  }
  ReleaseThroughPump(&crew, {1, 2, 0});
  WaitForAllWorkers(ps());
  EXPECT_EQ(0, ps()->RunningWorkers);
  for (HANDLE h : ps()->WorkerHandles) EXPECT_EQ(nullptr, h);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(crew.Own(i), 0));
  DWORD flags;
  for (HANDLE h : handles) EXPECT_FALSE(GetHandleInformation(h, &flags)) << "closed when removed";
}

TEST_F(Workers, EndedWorkersAreRemovedWithoutWaitingWhateverTheLimit) {
  Crew crew;
  ps()->WorkerLimit = 1;
  std::vector<HANDLE> handles;
  for (int i = 0; i < 4; ++i) {
    handles.push_back(crew.Start());
    AppendWorker(ps(), handles.back());
  }
  crew.Release(0);
  crew.Release(2);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(crew.Own(0), 5000));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(crew.Own(2), 5000));
  EXPECT_EQ(2, RemoveEndedWorkers(ps()));
  ASSERT_EQ(2, ps()->RunningWorkers);
  EXPECT_EQ(handles[1], ps()->WorkerHandles[0]);
  EXPECT_EQ(handles[3], ps()->WorkerHandles[1]);
  EXPECT_EQ(nullptr, ps()->WorkerHandles[2]);
  DWORD flags;
  EXPECT_FALSE(GetHandleInformation(handles[0], &flags));
  EXPECT_FALSE(GetHandleInformation(handles[2], &flags));

  // A full wait for one also works below a limit of 2.
  ReleaseThroughPump(&crew, {3});
  WaitForOneWorker(ps());
  ASSERT_EQ(1, ps()->RunningWorkers);
  EXPECT_EQ(handles[1], ps()->WorkerHandles[0]);
}

TEST_F(Workers, OnASingleProcessorNothingHappensAtAll) {
  Crew crew;
  ps()->WorkerLimit = 1;
  AppendWorker(ps(), crew.Start());
  AppendWorker(ps(), crew.Start());
  const HANDLE first = ps()->WorkerHandles[0];
  PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
  WaitForWorkerSlot(ps(), 0);
  WaitForAllWorkers(ps());
  StopWorkers(ps(), 0, 100);
  EXPECT_EQ(2, ps()->RunningWorkers);
  EXPECT_EQ(first, ps()->WorkerHandles[0]);
  EXPECT_EQ(0, WorkerStopFlag.load());
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE)) << "no message was pumped";
}

TEST_F(Workers, StopAsksFirstAndTerminatesOnlyAfterTheTimeOut) {
  struct Case {
    const char* what;
    LPTHREAD_START_ROUTINE proc;
    int wait;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"a worker that polls the stop flag ends by itself", PollingWorker, 0, 0},
      {"also when waited for without limit", PollingWorker, 1, 0},
      {"a worker that never looks is terminated", GatedWorker, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WorkerStopFlag = 0;
    Crew crew;
    ps()->WorkerLimit = 2;
    AppendWorker(ps(), crew.Start(c.proc));
    AppendWorker(ps(), crew.Start(PollingWorker));
    const DWORD start = GetTickCount();
    StopWorkers(ps(), c.wait, 300);
    const DWORD spent = GetTickCount() - start;
    EXPECT_EQ(1, WorkerStopFlag.load());
    EXPECT_EQ(0, ps()->RunningWorkers);
    for (HANDLE h : ps()->WorkerHandles) EXPECT_EQ(nullptr, h);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(crew.Own(0), 5000));
    DWORD code = 99;
    GetExitCodeThread(crew.Own(0), &code);
    EXPECT_EQ(c.exitCode, code);
    if (c.exitCode == 1) {
      EXPECT_GE(spent, 250u);
    } else {
      EXPECT_LT(spent, 250u);
    }
  }
}

TEST_F(Workers, LimitLeavesRoomForTheExtraWorkers) {
  const int cases[][2] = {{1, 1}, {2, 2}, {8, 8}, {60, 60}, {61, 60}, {1000, 60}, {0, 1}, {-3, 1}};
  for (const auto& c : cases) {
    SetWorkerLimit(ps(), c[0]);
    EXPECT_EQ(c[1], ps()->WorkerLimit) << c[0] << " processors";
    EXPECT_LE(ps()->WorkerLimit + kMaxExtraWorkers, kMaxWorkers);
  }
}

TEST_F(Workers, AppendRefusesANullHandleAndA65th) {
  const HANDLE fake = GetCurrentProcess();   // pseudo handle: nothing to close
  EXPECT_EQ(0, AppendWorker(ps(), nullptr));
  for (int i = 0; i < kMaxWorkers; ++i) ASSERT_EQ(1, AppendWorker(ps(), fake));
  EXPECT_EQ(0, AppendWorker(ps(), fake));
  EXPECT_EQ(kMaxWorkers, ps()->RunningWorkers);
  for (HANDLE& h : ps()->WorkerHandles) h = nullptr;
  ps()->RunningWorkers = 0;
}

}  // namespace
