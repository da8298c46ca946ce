// Drives modal dialogs from a test: a CBT hook notes every dialog this
// thread creates, and a thread timer, which fires inside any modal loop or
// message pump of the thread, runs the scripted steps one after the other on
// the newest open dialog.
//
//   DialogDriver driver;
//   driver.Then("Titel", [](HWND dlg) { DialogDriver::SetItemText(dlg, 101, "7");
//                                        DialogDriver::Click(dlg, IDOK); });
//   INT_PTR r = DialogBoxIndirectParamA(...);   // returns once the steps closed it
//
// A watchdog ends every dialog still open after the time limit and reports a
// failure, so a test never hangs in a modal loop.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class DialogDriver {
 public:
  explicit DialogDriver(DWORD timeLimitMs = 20000);
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  // Runs `step` once on the newest visible, enabled top-level dialog (tab
  // pages are skipped), when its title is `title` (any title when null).
  DialogDriver& Then(const char* title, std::function<void(HWND)> step);
  // Calls `poll` at every tick until it returns true. It should press buttons
  // only on the call that returns true.
  DialogDriver& Until(const char* title, std::function<bool(HWND)> poll);

  bool Done() const { return steps_.empty(); }
  size_t DialogsSeen() const { return seen_; }

  // Presses a button the way a click does: WM_COMMAND with BN_CLICKED, sent.
  static void Click(HWND dlg, int id);
  static std::string ItemText(HWND dlg, int id);
  static void SetItemText(HWND dlg, int id, const char* text);
  static std::string Title(HWND dlg);
  // Top-level windows of this thread with exactly this title.
  static int CountWindows(const char* title);

 private:
  struct Step {
    std::string title;
    bool anyTitle;
    std::function<bool(HWND)> run;
  };
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
  void Tick();
  HWND Newest() const;

  HHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
  DWORD deadline_;
  bool expired_ = false;
  size_t seen_ = 0;
  std::vector<HWND> dialogs_;   // in order of creation, still alive
  std::deque<Step> steps_;
};
