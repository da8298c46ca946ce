#include "dialog_messages.h"

#include <cstdio>

#include "dialog_frame.h"
#include "shell/message_box.h"

int ShowImageResult(HWND owner, int32_t code) {
  const char* text = ImageResultText(code);
  if (!text) return 0;
  ShowMessageBox(owner, text, kTitleError, MB_OK | MB_ICONSTOP);
  return 1;
}

double CountProgress(ProgressCounter* counter, int32_t total, int32_t first, double passes) {
  if (first == 1) {
    counter->count = 0;
    return -1;
  }
  ++counter->count;
  const double divisor = double(total) * passes;
  return divisor > 0 ? 100.0 * counter->count / divisor : -1;
}

void ShowProgressPercent(HWND window, int control, const char* format, double percent) {
  HWND item = window ? GetDlgItem(window, control) : nullptr;
  if (!item) return;
  char text[64];
  std::snprintf(text, sizeof text, format, percent);
  SetWindowTextA(item, text);
  const DialogFrame* frame = DialogFrameOf(window);
  if (frame && DialogRunActive(frame))
    PumpDialogMessages();
  else
    UpdateWindow(item);
}

void PumpDialogMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The program is ending: leave the quit for the main loop.
      PostQuitMessage(int(msg.wParam));
      return;
    }
    HWND top = msg.hwnd;
    while (top && (GetWindowLongA(top, GWL_STYLE) & WS_CHILD)) top = GetParent(top);
    if (top && IsDialogMessageA(top, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
