#include "dialog_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

thread_local DialogDriver* tActiveDriver = nullptr;
constexpr UINT kTickMs = 10;

bool IsDialogWindow(HWND hwnd) {
  char cls[16];
  return GetClassNameA(hwnd, cls, sizeof cls) > 0 && std::strcmp(cls, "#32770") == 0;
}

}  // namespace

DialogDriver::DialogDriver(DWORD timeLimitMs) : deadline_(GetTickCount() + timeLimitMs) {
  if (tActiveDriver) ADD_FAILURE() << "one dialog driver per thread";
  tActiveDriver = this;
  hook_ = SetWindowsHookExA(WH_CBT, &DialogDriver::CbtProc, nullptr, GetCurrentThreadId());
  timer_ = SetTimer(nullptr, 0, kTickMs, &DialogDriver::TimerProc);
  if (!hook_ || !timer_) ADD_FAILURE() << "dialog driver could not hook this thread";
}

DialogDriver::~DialogDriver() {
  if (timer_) KillTimer(nullptr, timer_);
  if (hook_) UnhookWindowsHookEx(hook_);
  tActiveDriver = nullptr;
  if (!steps_.empty() && !expired_) ADD_FAILURE() << steps_.size() << " dialog step(s) never ran";
}

DialogDriver& DialogDriver::Then(const char* title, std::function<void(HWND)> step) {
  return Until(title, [step](HWND dlg) {
    step(dlg);
    return true;
  });
}

DialogDriver& DialogDriver::Until(const char* title, std::function<bool(HWND)> poll) {
  steps_.push_back(Step{title ? title : "", title == nullptr, std::move(poll)});
  return *this;
}

void DialogDriver::Click(HWND dlg, int id) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

std::string DialogDriver::ItemText(HWND dlg, int id) {
  char text[1024] = "";
  GetDlgItemTextA(dlg, id, text, sizeof text);
  return text;
}

void DialogDriver::SetItemText(HWND dlg, int id, const char* text) { SetDlgItemTextA(dlg, id, text); }

std::string DialogDriver::Title(HWND dlg) {
  char text[256] = "";
  GetWindowTextA(dlg, text, sizeof text);
  return text;
}

int DialogDriver::CountWindows(const char* title) {
  struct Search {
    std::string title;
    int count;
  } s{title, 0};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) {
        auto* s = reinterpret_cast<Search*>(p);
        if (Title(w) == s->title) ++s->count;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.count;
}

LRESULT CALLBACK DialogDriver::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  DialogDriver* self = tActiveDriver;
  if (self) {
    const HWND hwnd = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && IsDialogWindow(hwnd)) {
      self->dialogs_.push_back(hwnd);
      ++self->seen_;
    } else if (code == HCBT_DESTROYWND) {
      self->dialogs_.erase(std::remove(self->dialogs_.begin(), self->dialogs_.end(), hwnd), self->dialogs_.end());
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogDriver::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (tActiveDriver) tActiveDriver->Tick();
}

HWND DialogDriver::Newest() const {
  // Pages of a tab control are dialogs too, but children: steps go to the
  // window that holds them.
  for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
    if (IsWindowVisible(*it) && IsWindowEnabled(*it) && !(GetWindowLongA(*it, GWL_STYLE) & WS_CHILD)) return *it;
  return nullptr;
}

void DialogDriver::Tick() {
  if (int(GetTickCount() - deadline_) >= 0) {
    if (dialogs_.empty()) return;
    if (!expired_)
      ADD_FAILURE() << "dialog \"" << Title(dialogs_.back()) << "\" still open at the time limit with "
                    << steps_.size() << " step(s) left";
    expired_ = true;
    steps_.clear();
    for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it) EndDialog(*it, IDCANCEL);
    return;
  }
  if (steps_.empty()) return;
  const HWND dlg = Newest();
  if (!dlg) return;
  if (!steps_.front().anyTitle && Title(dlg) != steps_.front().title) return;
  // Taken off first: the step may open a nested modal loop in which the next
  // ticks run the following steps.
  Step step = std::move(steps_.front());
  steps_.pop_front();
  if (!step.run(dlg)) steps_.push_front(std::move(step));
}
