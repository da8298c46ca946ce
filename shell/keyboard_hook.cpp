#include "keyboard_hook.h"

#include <cstdint>
#include <initializer_list>
#include <iterator>

#include "frame_window.h"
#include "hotkey_titles.h"
#include "menu_ids.h"
#include "program_state.h"

HHOOK gKeyboardHook;

namespace {

struct FamilyCommand {
  HotKeyFamily family;
  int id;
};

// Escape, in matching order; the capture dialog goes back from full screen
// (200) instead while it shows it.
constexpr FamilyCommand kEscape[] = {
    {kHotKeyFilter, 102}, {kHotKeyContrast, 102}, {kHotKeyPalette, 131}, {kHotKeyNoise, 101},
    {kHotKeyPointSpread, 102}, {kHotKeyPattern, 102}, {kHotKeyEnlarge, 102}, {kHotKeySeries, 102},
    {kHotKeyFlat, 103}, {kHotKeyDark, 107}, {kHotKeyManual, 113}, {kHotKeySelect, 103},
    {kHotKeyShift, 104}, {kHotKeyCopy, 109}, {kHotKeyDelete, 106}, {kHotKeyBatch, 101},
    {kHotKeyCapture, 112},
};
constexpr int kCaptureBackFromFullScreen = 200;

constexpr FamilyCommand kF12[] = {
    {kHotKeyFilter, 101}, {kHotKeyContrast, 101}, {kHotKeyPalette, 130}, {kHotKeyNoise, 102},
    {kHotKeyPointSpread, 103}, {kHotKeyPattern, 104}, {kHotKeyEnlarge, 103}, {kHotKeySeries, 103},
    {kHotKeyFlat, 104}, {kHotKeyDark, 108}, {kHotKeyManual, 102}, {kHotKeySelect, 104},
    {kHotKeyShift, 105}, {kHotKeyCopy, 110}, {kHotKeyDelete, 105}, {kHotKeyRgb, 104},
};

enum Modifier { kNoModifier, kShift, kCtrl, kAlt };

// A key with the modifier that decided, and the command of each family of
// its table (0: none), in the table's column order.
struct KeyRow {
  UINT key;
  Modifier modifier;
  int ids[5];
};

constexpr HotKeyFamily kArrowFamilies[] = {kHotKeyManual, kHotKeyShift, kHotKeyPointSpread, kHotKeyEnlarge,
                                           kHotKeyRgb};
constexpr KeyRow kArrowRows[] = {
    {VK_UP, kNoModifier, {108, 121, 122, 114, 0}},    {VK_UP, kShift, {0, 204, 204, 204, 0}},
    {VK_UP, kCtrl, {0, 0, 0, 0, 117}},                 {VK_UP, kAlt, {0, 0, 0, 0, 111}},
    {VK_DOWN, kNoModifier, {105, 118, 119, 111, 0}},  {VK_DOWN, kShift, {0, 201, 201, 201, 0}},
    {VK_DOWN, kCtrl, {0, 0, 0, 0, 114}},               {VK_DOWN, kAlt, {0, 0, 0, 0, 108}},
    {VK_LEFT, kNoModifier, {107, 120, 121, 113, 0}},  {VK_LEFT, kShift, {0, 203, 203, 203, 0}},
    {VK_LEFT, kCtrl, {0, 0, 0, 122, 116}},             {VK_LEFT, kAlt, {0, 0, 0, 206, 110}},
    {VK_RIGHT, kNoModifier, {106, 119, 120, 112, 0}}, {VK_RIGHT, kShift, {0, 202, 202, 202, 0}},
    {VK_RIGHT, kCtrl, {0, 0, 0, 121, 115}},            {VK_RIGHT, kAlt, {0, 0, 0, 205, 109}},
};

constexpr HotKeyFamily kPageFamilies[] = {kHotKeyPattern, kHotKeyRgb};
constexpr KeyRow kPageRows[] = {
    {VK_PRIOR, kCtrl, {105, 118}},
    {VK_PRIOR, kAlt, {0, 106}},
    {VK_NEXT, kCtrl, {106, 113}},
    {VK_NEXT, kAlt, {0, 107}},
};

// Modifiers as the thread's key state has them at this key. Under Wine the
// asynchronous state misses injected modifiers; this one sees them.
bool Held(Modifier m) {
  static constexpr int kKeys[] = {0, VK_SHIFT, VK_CONTROL, VK_MENU};
  return m != kNoModifier && GetKeyState(kKeys[m]) < 0;
}

Modifier FirstHeld(std::initializer_list<Modifier> order) {
  for (Modifier m : order)
    if (Held(m)) return m;
  return kNoModifier;
}

// The active window and its class, matched against the registered titles.
class ActiveWindow {
 public:
  explicit ActiveWindow(HWND window) : window_(window) {
    if (!window || !GetClassNameA(window, class_, sizeof class_)) window_ = nullptr;
  }
  // 1 when the family's dialog is the active window: the top-level window
  // of the active window's class with the family's title. An empty entry
  // matches nothing; FindWindow would take it for any untitled window.
  bool Is(HotKeyFamily family) const {
    const char* title = HotKeyDialogTitle[family];
    return window_ && title[0] && FindWindowA(class_, title) == window_;
  }
  HWND window() const { return window_; }

 private:
  HWND window_;
  char class_[kHotKeyTitleSize] = "";
};

void SendCommand(HWND window, int id) { SendMessageA(window, WM_COMMAND, WPARAM(id), 0); }

void SendFromRows(HWND active, UINT key, Modifier modifier, const KeyRow* rows, size_t rowCount,
                  const HotKeyFamily* families, size_t familyCount) {
  for (size_t r = 0; r < rowCount; ++r) {
    if (rows[r].key != key || rows[r].modifier != modifier) continue;
    const ActiveWindow a(active);
    for (size_t f = 0; f < familyCount; ++f)
      if (rows[r].ids[f] && a.Is(families[f])) return SendCommand(active, rows[r].ids[f]);
    return;
  }
}

void Arrow(HWND active, UINT key, Modifier modifier) {
  SendFromRows(active, key, modifier, kArrowRows, std::size(kArrowRows), kArrowFamilies, std::size(kArrowFamilies));
}

void Page(HWND active, UINT key) {
  SendFromRows(active, key, FirstHeld({kCtrl, kAlt}), kPageRows, std::size(kPageRows), kPageFamilies,
               std::size(kPageFamilies));
}

// A set-up dialog of the frame, opened with the focus kept.
void OpenFromFrame(HWND active, UINT command) {
  if (!Held(kCtrl) || !active || active != gFrameWindow) return;
  const HWND focus = GetFocus();
  SendMessageA(gFrameWindow, WM_COMMAND, command, 0);
  if (IsWindow(focus)) SetFocus(focus);
}

struct KeyHandler {
  UINT key;
  void (*handle)(HWND active);
};

constexpr KeyHandler kHandlers[] = {
    {VK_ESCAPE, HandleKeyEscape}, {VK_PRIOR, HandleKeyPageUp}, {VK_NEXT, HandleKeyPageDown},
    {VK_LEFT, HandleKeyLeft},     {VK_UP, HandleKeyUp},        {VK_RIGHT, HandleKeyRight},
    {VK_DOWN, HandleKeyDown},     {'A', HandleKeyCtrlA},       {'F', HandleKeyCtrlF},
    {'K', HandleKeyCtrlK},        {'P', HandleKeyCtrlP},       {VK_F1, HandleKeyF1},
    {VK_F2, HandleKeyF2},         {VK_F3, HandleKeyF3},        {VK_F4, HandleKeyF4},
    {VK_F5, HandleKeyF5},         {VK_F6, HandleKeyF6},        {VK_F7, HandleKeyF7},
    {VK_F8, HandleKeyF8},         {VK_F9, HandleKeyF9},        {VK_F10, HandleKeyF10},
    {VK_F11, HandleKeyF11},       {VK_F12, HandleKeyF12},
};

// The key whose handler runs. Wine calls the hook while the key is still at
// the head of the queue, so a command that runs a message loop of its own (a
// question box, a dialog, a run that pumps messages) meets the same key once
// more there; that second call passes it on untouched, or the command would
// start again inside itself.
struct KeyInHand {
  WPARAM key;
  LPARAM flags;
  bool pending;   // its second call has not come yet
};
KeyInHand gInHand;

void Dispatch(WPARAM key, LPARAM flags) {
  for (const KeyHandler& h : kHandlers) {
    if (h.key != key) continue;
    const KeyInHand outer = gInHand;
    gInHand = {key, flags, true};
    h.handle(GetActiveWindow());
    gInHand = outer;
    return;
  }
}

}  // namespace

int InstallKeyboardHook() {
  if (!gKeyboardHook)
    gKeyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, nullptr, GetCurrentThreadId());
  return gKeyboardHook != nullptr;
}

void RemoveKeyboardHook() {
  if (gKeyboardHook) UnhookWindowsHookEx(gKeyboardHook);
  gKeyboardHook = nullptr;
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM virtualKey, LPARAM keyFlags) {
  // Only keys taken out of the queue: a peek (HC_NOREMOVE) would run a step
  // twice, and negative codes are not ours to look at. Releases do nothing.
  const bool released = (static_cast<uint32_t>(keyFlags) & 0x80000000u) != 0;
  if (code == HC_ACTION && !released) {
    if (gInHand.pending && gInHand.key == virtualKey && gInHand.flags == keyFlags)
      gInHand.pending = false;
    else
      Dispatch(virtualKey, keyFlags);
  }
  return CallNextHookEx(gKeyboardHook, code, virtualKey, keyFlags);
}

void HandleKeyEscape(HWND active) {
  const ActiveWindow a(active);
  for (const FamilyCommand& c : kEscape) {
    if (!a.Is(c.family)) continue;
    const bool back = c.family == kHotKeyCapture && gProgramState.CaptureFullScreen;
    return SendCommand(active, back ? kCaptureBackFromFullScreen : c.id);
  }
  // The full-screen picture takes Escape wherever the focus is.
  if (gProgramState.CaptureFullScreen == 1) {
    if (const HWND capture = RegisteredHotKeyDialog(kHotKeyCapture)) SendCommand(capture, kCaptureBackFromFullScreen);
  }
}

void HandleKeyF12(HWND active) {
  const ActiveWindow a(active);
  for (const FamilyCommand& c : kF12) {
    if (!a.Is(c.family)) continue;
    // A dialog disabled by a modal child of its own gets nothing.
    if (IsWindowEnabled(active)) SendCommand(active, c.id);
    return;
  }
}

void HandleKeyUp(HWND active) { Arrow(active, VK_UP, FirstHeld({kCtrl, kAlt, kShift})); }
void HandleKeyDown(HWND active) { Arrow(active, VK_DOWN, FirstHeld({kCtrl, kAlt, kShift})); }
void HandleKeyLeft(HWND active) { Arrow(active, VK_LEFT, FirstHeld({kCtrl, kShift, kAlt})); }
void HandleKeyRight(HWND active) { Arrow(active, VK_RIGHT, FirstHeld({kCtrl, kShift, kAlt})); }
void HandleKeyPageUp(HWND active) { Page(active, VK_PRIOR); }
void HandleKeyPageDown(HWND active) { Page(active, VK_NEXT); }

void HandleKeyCtrlA(HWND) {}
void HandleKeyCtrlF(HWND active) { OpenFromFrame(active, IDM_FILTER); }
void HandleKeyCtrlK(HWND active) { OpenFromFrame(active, IDM_CONTRAST); }
void HandleKeyCtrlP(HWND active) { OpenFromFrame(active, IDM_PALETTE); }

void HandleKeyF1(HWND) {}
void HandleKeyF2(HWND) {}
void HandleKeyF3(HWND) {}
void HandleKeyF4(HWND) {}
void HandleKeyF5(HWND) {}
void HandleKeyF6(HWND) {}
void HandleKeyF7(HWND) {}
void HandleKeyF8(HWND) {}
void HandleKeyF9(HWND) {}
void HandleKeyF10(HWND) {}
void HandleKeyF11(HWND) {}
