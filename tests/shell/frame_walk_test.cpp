// The walk of long jobs: open, frames, close on every path, messages pumped
// before each frame, an abort seen before the next frame.
#include "shell/frame_walk.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct FakeJob {
  int opens = 1;          // what open returns
  int32_t count = 5;
  int32_t failAt = -1;    // frame whose step returns 0
  int32_t abortAfter = -1;// frame after which a posted message asks to stop
  BOOL abort = FALSE;
  std::string log;
};

FakeJob Job(int opens, int32_t count, int32_t failAt = -1, int32_t abortAfter = -1) {
  FakeJob j;
  j.opens = opens;
  j.count = count;
  j.failAt = failAt;
  j.abortAfter = abortAfter;
  return j;
}

FakeJob* gJob = nullptr;

// A message-only window: what it receives arrives only through a pump.
LRESULT CALLBACK StopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) {
    gJob->abort = TRUE;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND StopWindow() {
  static HWND window = [] {
    WNDCLASSA c{};
    c.lpfnWndProc = StopWindowProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "FrameWalkStop";
    RegisterClassA(&c);
    return CreateWindowA("FrameWalkStop", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, c.hInstance, nullptr);
  }();
  return window;
}

int Open(void* j, int32_t* count) {
  auto* job = static_cast<FakeJob*>(j);
  job->log += "o";
  *count = job->count;
  return job->opens;
}
int Frame(void* j, int32_t i) {
  auto* job = static_cast<FakeJob*>(j);
  job->log += std::to_string(i);
  if (i == job->abortAfter) PostMessageA(StopWindow(), WM_APP, 0, 0);
  return i == job->failAt ? 0 : 1;
}
void Close(void* j) { static_cast<FakeJob*>(j)->log += "c"; }

TEST(FrameWalk, EveryPathClosesWhatWasOpened) {
  struct Case {
    const char* what;
    FakeJob job;
    WalkEnd end;
    const char* log;
  };
  Case cases[] = {
      {"all frames", Job(1, 5), WalkEnd::Done, "o01234c"},
      {"open fails", Job(0, 5), WalkEnd::NotOpened, "o"},
      {"no frames", Job(1, 0), WalkEnd::Done, "oc"},
      {"a frame fails", Job(1, 5, 2), WalkEnd::Failed, "o012c"},
      {"stopped through the pump", Job(1, 5, -1, 1), WalkEnd::Aborted, "o01c"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    gJob = &c.job;
    const FrameWalk walk{&c.job, Open, Frame, Close};
    EXPECT_EQ(c.end, RunFrameWalk(walk, &c.job.abort));
    EXPECT_EQ(c.log, c.job.log);
  }
}

}  // namespace
