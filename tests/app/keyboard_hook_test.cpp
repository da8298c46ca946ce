// The keyboard hook on real dialogs: every key of its tables on a dialog of
// every template that registers, the capture dialog's full screen, and keys
// typed into "puffercopy", "pufferdelete" and the frame with the hook that
// start-up installs.
//
// The program runs itself on a desktop of its own (private_desktop.h).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "shell/frame_window.h"
#include "shell/hotkey_titles.h"
#include "shell/keyboard_hook.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/dialog_template.h"
#include "tests/shell/testkit/message_script.h"
#include "tests/shell/testkit/private_desktop.h"

namespace {

std::string Pid() { return std::to_string(GetCurrentProcessId()); }

// --- typing and waiting

void Press(UINT key, std::initializer_list<UINT> modifiers = {}) {
  for (UINT m : modifiers) keybd_event(BYTE(m), 0, 0, 0);
  keybd_event(BYTE(key), 0, 0, 0);
  keybd_event(BYTE(key), 0, KEYEVENTF_KEYUP, 0);
  for (UINT m : modifiers) keybd_event(BYTE(m), 0, KEYEVENTF_KEYUP, 0);
}

void PumpFor(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (int(GetTickCount() - end) < 0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  }
}

// The modifiers the hook sees, without typing them.
void Hold(std::initializer_list<UINT> modifiers) {
  BYTE state[256];
  GetKeyboardState(state);
  for (UINT m : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_LCONTROL, VK_LMENU}) state[m] = 0;
  for (UINT m : modifiers) state[m] = 0x80;
  SetKeyboardState(state);
}

// --- dialogs that register under a family and note the commands they get

struct Registered {
  int family = -1;           // -1: does not register
  int endOn = 0;             // a modal dialog ends on this command
  UINT pressAtStart = 0;     // a key typed once the dialog is up
  UINT waitMs = 5000;        // after it, how long a modal dialog waits for its command
  bool pumpOnCommand = false;
  int depth = 0;
  std::vector<int> commands;
};

INT_PTR CALLBACK RecordingProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* r = reinterpret_cast<Registered*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      r = reinterpret_cast<Registered*>(lParam);
      // Titles of this process only.
      char title[64] = "";
      GetWindowTextA(dlg, title, sizeof title);
      if (title[0]) SetWindowTextA(dlg, (std::string(title) + " " + Pid()).c_str());
      if (r->family >= 0) RegisterHotKeyDialog(HotKeyFamily(r->family), dlg);
      if (r->pressAtStart) SetTimer(dlg, 1, 50, nullptr);
      return TRUE;
    }
    case WM_TIMER:
      KillTimer(dlg, wParam);
      if (wParam == 1) {
        Press(r->pressAtStart);
        SetTimer(dlg, 2, r->waitMs, nullptr);
      } else {
        EndDialog(dlg, -1);   // the key never came
      }
      return TRUE;
    case WM_COMMAND:
      if (!r || lParam) return FALSE;   // control notifications
      r->commands.push_back(LOWORD(wParam));
      if (r->endOn && LOWORD(wParam) == r->endOn) EndDialog(dlg, 1);
      // A long run that keeps the window alive, started once.
      if (r->pumpOnCommand && r->depth++ == 0) PumpFor(300);
      return TRUE;
  }
  return FALSE;
}

// A modeless dialog of the template, made active: the program's own
// template where it has one, else a stand-in titled like the template.
HWND OpenActive(const char* templateName, Registered* r) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const LPARAM param = reinterpret_cast<LPARAM>(r);
  HWND dlg = nullptr;
  if (FindResourceA(instance, templateName, RT_DIALOG)) {
    dlg = CreateDialogParamA(instance, templateName, nullptr, RecordingProc, param);
  } else {
    const DialogTemplate stand(templateName, 160, 80, WS_POPUP | WS_CAPTION | WS_SYSMENU);
    dlg = CreateDialogIndirectParamA(instance, stand.Get(), nullptr, RecordingProc, param);
  }
  ShowWindow(dlg, SW_SHOW);
  SetForegroundWindow(dlg);
  SetActiveWindow(dlg);
  return dlg;
}

INT_PTR RunModal(const char* title, Registered* r, HWND owner = nullptr) {
  const DialogTemplate stand(title, 160, 80, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), stand.Get(), owner, RecordingProc,
                                 reinterpret_cast<LPARAM>(r));
}

// --- every key on every template

// The keys of each family as the dialogs' own descriptions give them: Esc,
// F12 (0: nothing) and the other keys with their modifier.
struct FamilyKeys {
  HotKeyFamily family;
  std::vector<const char*> templates;
  int escape, f12;
  std::map<std::string, int> others;
};

const std::vector<FamilyKeys>& AllFamilies() {
  static const std::vector<FamilyKeys> families = {
      {kHotKeyFilter, {"filtersetup3"}, 102, 101, {}},
      {kHotKeyContrast, {"kontrastierung2"}, 102, 101, {}},
      {kHotKeyPalette, {"farbpalette"}, 131, 130, {}},
      {kHotKeyNoise, {"rauschfilter"}, 101, 102, {}},
      {kHotKeyPointSpread,
       {"POINTSPREADFCT800", "POINTSPREADFCT1024"},
       102,
       103,
       {{"Up", 122}, {"Down", 119}, {"Left", 121}, {"Right", 120}, {"Shift+Up", 204}, {"Shift+Down", 201},
        {"Shift+Left", 203}, {"Shift+Right", 202}}},
      {kHotKeyPattern,
       {"passmuster800", "passmuster1024", "koordadding800", "koordadding1024", "derotadding800",
        "derotadding1024"},
       102,
       104,
       {{"Ctrl+PgUp", 105}, {"Ctrl+PgDn", 106}}},
      {kHotKeyEnlarge,
       {"vergroessern800", "vergroessern1024"},
       102,
       103,
       {{"Up", 114}, {"Down", 111}, {"Left", 113}, {"Right", 112}, {"Shift+Up", 204}, {"Shift+Down", 201},
        {"Shift+Left", 203}, {"Shift+Right", 202}, {"Ctrl+Left", 122}, {"Ctrl+Right", 121}, {"Alt+Left", 206},
        {"Alt+Right", 205}}},
      {kHotKeyMirror, {"flipmirror800", "flipmirror1024"}, 0, 0, {}},
      {kHotKeySeries, {"ueberlagermethode2", "rezentrieren", "bildseriereadding"}, 102, 103, {}},
      {kHotKeyFlat, {"flatfield800", "flatfield1024"}, 103, 104, {}},
      {kHotKeyDark, {"dunkelfeld800", "dunkelfeld1024"}, 107, 108, {}},
      {kHotKeyManual,
       {"handanpass800", "handanpass1024"},
       113,
       102,
       {{"Up", 108}, {"Down", 105}, {"Left", 107}, {"Right", 106}}},
      {kHotKeySelect, {"bildanpass800", "bildanpass1024"}, 103, 104, {}},
      {kHotKeyShift,
       {"shiftdifferenz800", "shiftdifferenz1024"},
       104,
       105,
       {{"Up", 121}, {"Down", 118}, {"Left", 120}, {"Right", 119}, {"Shift+Up", 204}, {"Shift+Down", 201},
        {"Shift+Left", 203}, {"Shift+Right", 202}}},
      {kHotKeyCopy, {"puffercopy"}, 109, 110, {}},
      {kHotKeyDelete, {"pufferdelete"}, 106, 105, {}},
      {kHotKeyRgb,
       {"rgbkorrektur800", "rgbkorrektur1024"},
       0,
       104,
       {{"Ctrl+Up", 117}, {"Ctrl+Down", 114}, {"Ctrl+Left", 116}, {"Ctrl+Right", 115}, {"Alt+Up", 111},
        {"Alt+Down", 108}, {"Alt+Left", 110}, {"Alt+Right", 109}, {"Ctrl+PgUp", 118}, {"Ctrl+PgDn", 113},
        {"Alt+PgUp", 106}, {"Alt+PgDn", 107}}},
      {kHotKeyFormats, {"grafiksetup"}, 0, 0, {}},
      {kHotKeyAvi, {"aviripper"}, 0, 0, {}},
      {kHotKeyBatch, {"batchprocess", "batchweiter"}, 101, 0, {}},
      {kHotKeyCapture, {"dxaufnahme800", "dxaufnahme1024", "dxaufnahme1280"}, 112, 0, {}},
      {kHotKeyStacking, {"ueberlagermethode3"}, 0, 0, {}},
  };
  return families;
}

struct Key {
  const char* name;
  UINT vk;
};
constexpr Key kKeys[] = {{"Esc", VK_ESCAPE}, {"F12", VK_F12},  {"Up", VK_UP},     {"Down", VK_DOWN},
                         {"Left", VK_LEFT},  {"Right", VK_RIGHT}, {"PgUp", VK_PRIOR}, {"PgDn", VK_NEXT},
                         {"F1", VK_F1},      {"F11", VK_F11},   {"A", 'A'},         {"K", 'K'}};

struct Held {
  const char* name;
  std::vector<UINT> keys;
};
const Held kHeld[] = {{"", {}},
                      {"Shift", {VK_SHIFT}},
                      {"Ctrl", {VK_CONTROL}},
                      {"Alt", {VK_MENU}},
                      {"Ctrl+Alt", {VK_CONTROL, VK_MENU}},
                      {"Ctrl+Shift", {VK_CONTROL, VK_SHIFT}},
                      {"Alt+Shift", {VK_MENU, VK_SHIFT}},
                      {"Ctrl+Alt+Shift", {VK_CONTROL, VK_MENU, VK_SHIFT}}};

bool Has(const Held& h, UINT vk) {
  for (UINT k : h.keys)
    if (k == vk) return true;
  return false;
}

// What the family's dialog should get: the modifier that decides is the
// first held of Ctrl, Alt, Shift (Up, Down), Ctrl, Shift, Alt (Left, Right)
// or Ctrl, Alt (pages).
int Expected(const FamilyKeys& f, const Key& key, const Held& held) {
  const std::string name = key.name;
  if (name == "Esc") return f.escape;
  if (name == "F12") return f.f12;
  std::vector<std::pair<const char*, UINT>> order;
  if (name == "Up" || name == "Down") order = {{"Ctrl", VK_CONTROL}, {"Alt", VK_MENU}, {"Shift", VK_SHIFT}};
  else if (name == "Left" || name == "Right") order = {{"Ctrl", VK_CONTROL}, {"Shift", VK_SHIFT}, {"Alt", VK_MENU}};
  else if (name == "PgUp" || name == "PgDn") order = {{"Ctrl", VK_CONTROL}, {"Alt", VK_MENU}};
  else return 0;
  std::string decided = name;
  for (const auto& m : order)
    if (Has(held, m.second)) {
      decided = std::string(m.first) + "+" + name;
      break;
    }
  const auto it = f.others.find(decided);
  return it == f.others.end() ? 0 : it->second;
}

class HotKeyTable : public testing::Test {
 protected:
  void TearDown() override {
    Hold({});
    gProgramState.CaptureFullScreen = 0;
  }
  static std::vector<int> Hit(Registered* r, UINT vk, std::initializer_list<UINT> held = {}, LPARAM flags = 1,
                              int code = HC_ACTION) {
    r->commands.clear();
    Hold(held);
    KeyboardHookProc(code, vk, flags);
    Hold({});
    return r->commands;
  }
};

TEST_F(HotKeyTable, RunsWhereNoOtherProgramTakesItsKeys) {
  // No X window: another program taking the X focus would take our
  // foreground with it.
  EXPECT_EQ(nullptr, GetModuleHandleA("winex11.drv"));
  char desktop[64] = "";
  GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop, sizeof desktop, nullptr);
  EXPECT_EQ(0, std::strncmp(desktop, "tyvtest-", 8)) << desktop;
}

// Every key with every set of modifiers on the first template of each
// family; Escape and F12 on the others, which share the family's entry.
TEST_F(HotKeyTable, EveryKeyOnADialogOfEveryTemplate) {
  int mismatches = 0;
  for (const FamilyKeys& f : AllFamilies())
    for (const char* name : f.templates) {
      Registered r;
      r.family = f.family;
      const HWND dlg = OpenActive(name, &r);
      ASSERT_EQ(dlg, GetActiveWindow()) << name;
      EXPECT_STREQ(DialogDriver::Title(dlg).c_str(), HotKeyDialogTitle[f.family]) << name;
      const bool first = name == f.templates.front();
      for (const Key& key : kKeys)
        for (const Held& held : kHeld) {
          if (!first && (held.keys.size() > 1 || (std::strcmp(key.name, "Esc") && std::strcmp(key.name, "F12"))))
            continue;
          r.commands.clear();
          BYTE state[256];
          GetKeyboardState(state);
          for (UINT m : {VK_SHIFT, VK_CONTROL, VK_MENU}) state[m] = Has(held, m) ? 0x80 : 0;
          SetKeyboardState(state);
          KeyboardHookProc(HC_ACTION, key.vk, 1);
          const int want = Expected(f, key, held);
          const std::vector<int> expected = want ? std::vector<int>{want} : std::vector<int>{};
          if (r.commands != expected && ++mismatches <= 20)
            ADD_FAILURE() << name << ": " << held.name << (held.name[0] ? "+" : "") << key.name << " gave "
                          << (r.commands.empty() ? 0 : r.commands[0]) << " of " << r.commands.size()
                          << ", expected " << want;
        }
      Hold({});
      DestroyWindow(dlg);
    }
  EXPECT_EQ(0, mismatches);
}

TEST_F(HotKeyTable, OnlyKeysTakenOutOfTheQueueAndGoingDown) {
  Registered r;
  r.family = kHotKeyCopy;
  const HWND dlg = OpenActive("puffercopy", &r);
  EXPECT_EQ(std::vector<int>{}, Hit(&r, VK_ESCAPE, {}, 1, HC_NOREMOVE)) << "a peek";
  EXPECT_EQ(std::vector<int>{}, Hit(&r, VK_ESCAPE, {}, 1, -1)) << "a code not ours";
  EXPECT_EQ(std::vector<int>{}, Hit(&r, VK_ESCAPE, {}, LPARAM(0xC0000001u))) << "a release";
  EXPECT_EQ(std::vector<int>{}, Hit(&r, VK_MENU, {}, LPARAM(0xC0000001u))) << "Alt released";
  EXPECT_EQ(std::vector<int>{109}, Hit(&r, VK_ESCAPE));
  EXPECT_EQ(std::vector<int>{109}, Hit(&r, VK_ESCAPE)) << "the same key again";
  DestroyWindow(dlg);
}

TEST_F(HotKeyTable, EmptyEntriesMatchNoUntitledDialog) {
  std::memset(HotKeyDialogTitle, 0, sizeof HotKeyDialogTitle);
  Registered r;   // registers nowhere
  const HWND dlg = OpenActive("", &r);
  ASSERT_EQ(dlg, GetActiveWindow());
  EXPECT_EQ(std::vector<int>{}, Hit(&r, VK_ESCAPE));
  EXPECT_EQ(std::vector<int>{}, Hit(&r, VK_F12));
  // Registered without a title it stays unknown too.
  RegisterHotKeyDialog(kHotKeyCopy, dlg);
  EXPECT_EQ(std::vector<int>{}, Hit(&r, VK_ESCAPE));
  DestroyWindow(dlg);
}

TEST_F(HotKeyTable, TheFirstFamilyInTheTableWins) {
  Registered r;
  r.family = kHotKeyCopy;
  const HWND dlg = OpenActive("puffercopy", &r);
  RegisterHotKeyDialog(kHotKeyFilter, dlg);   // the same title in an earlier family
  EXPECT_EQ(std::vector<int>{102}, Hit(&r, VK_ESCAPE));
  EXPECT_EQ(std::vector<int>{101}, Hit(&r, VK_F12));
  DestroyWindow(dlg);
  std::memset(HotKeyDialogTitle[kHotKeyFilter], 0, kHotKeyTitleSize);
}

TEST_F(HotKeyTable, CaptureInFullScreenTakesEscapeWhereverTheFocusIs) {
  Registered capture;
  capture.family = kHotKeyCapture;
  const HWND captureDlg = OpenActive("dxaufnahme1024", &capture);
  EXPECT_EQ(captureDlg, RegisteredHotKeyDialog(kHotKeyCapture));
  EXPECT_EQ(std::vector<int>{112}, Hit(&capture, VK_ESCAPE));
  gProgramState.CaptureFullScreen = 1;
  EXPECT_EQ(std::vector<int>{200}, Hit(&capture, VK_ESCAPE));

  Registered other;   // a window of no family in front
  const HWND otherDlg = OpenActive("anderes", &other);
  ASSERT_EQ(otherDlg, GetActiveWindow());
  capture.commands.clear();
  EXPECT_EQ(std::vector<int>{}, Hit(&other, VK_ESCAPE));
  EXPECT_EQ(std::vector<int>{200}, capture.commands);
  gProgramState.CaptureFullScreen = 0;
  capture.commands.clear();
  Hit(&other, VK_ESCAPE);
  EXPECT_EQ(std::vector<int>{}, capture.commands) << "not in full screen";

  DestroyWindow(captureDlg);
  EXPECT_EQ(nullptr, RegisteredHotKeyDialog(kHotKeyCapture));
  gProgramState.CaptureFullScreen = 1;
  EXPECT_EQ(std::vector<int>{}, Hit(&other, VK_ESCAPE)) << "the closed capture dialog is not looked for";
  DestroyWindow(otherDlg);
}

// --- typed keys with the hook of start-up

// WM_COMMAND ids that reach dialogs of a title while the log lives, sent or
// posted.
class CommandLog {
 public:
  explicit CommandLog(const char* title) : title_(title) {
    tLog = this;
    sent_ = SetWindowsHookExA(WH_CALLWNDPROC, Sent, nullptr, GetCurrentThreadId());
    posted_ = SetWindowsHookExA(WH_GETMESSAGE, Posted, nullptr, GetCurrentThreadId());
  }
  ~CommandLog() {
    UnhookWindowsHookEx(sent_);
    UnhookWindowsHookEx(posted_);
    tLog = nullptr;
  }
  std::vector<int> Ids() const { return ids_; }

 private:
  void Note(HWND window, UINT message, WPARAM wParam) {
    if (message == WM_COMMAND && DialogDriver::Title(window) == title_) ids_.push_back(LOWORD(wParam));
  }
  static LRESULT CALLBACK Sent(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && tLog) tLog->Note(m->hwnd, m->message, m->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static LRESULT CALLBACK Posted(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && tLog) tLog->Note(m->hwnd, m->message, m->wParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static thread_local CommandLog* tLog;
  std::string title_;
  HHOOK sent_, posted_;
  std::vector<int> ids_;
};
thread_local CommandLog* CommandLog::tLog = nullptr;

class KeyboardHookTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    // The frame's first paint probes DirectX, which makes and ends windows
    // of its own: done here, it cannot take the activation mid-test.
    SetDirectXProbe([] { return 1; });
    ASSERT_TRUE(InstallKeyboardHook());
  }
  static void ShowFrame() {
    ShowWindow(Frame(), SW_SHOW);
    UpdateWindow(Frame());
    SetForegroundWindow(Frame());
  }
  void TearDown() override {
    RemoveKeyboardHook();
    ShowWindow(Frame(), SW_HIDE);
    AppTest::TearDown();
  }
};

TEST_F(KeyboardHookTest, EscapeAndF12ReachTheBufferDialogsOnceEach) {
  const struct {
    UINT command;
    const char* title;
    HotKeyFamily family;
    UINT key;
    int id;
  } cases[] = {
      {IDM_BUFFER_COPY, "Puffer kopieren", kHotKeyCopy, VK_ESCAPE, 109},
      {IDM_BUFFER_COPY, "Puffer kopieren", kHotKeyCopy, VK_F12, 110},
      {IDM_BUFFER_DELETE, "Puffer löschen", kHotKeyDelete, VK_ESCAPE, 106},
      {IDM_BUFFER_DELETE, "Puffer löschen", kHotKeyDelete, VK_F12, 105},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.title) + (c.key == VK_F12 ? " F12" : " Esc"));
    LoadPicture(1, "a.fts");   // "&Gut" of the copy needs a picture
    std::memset(HotKeyDialogTitle[c.family], 0, kHotKeyTitleSize);
    CommandLog log(c.title);
    MessageBoxScript boxes;
    boxes.Answer(IDNO);   // the frame's question after "&Gut"
    DialogDriver driver(8000);
    const UINT key = c.key;
    driver.Then(c.title, [key](HWND dlg) {
      SetForegroundWindow(dlg);
      Press(key);
    });
    SendCommand(c.command);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(std::vector<int>{c.id}, log.Ids());
    EXPECT_STREQ(c.title, HotKeyDialogTitle[c.family]) << "the dialog registered its title";
  }
}

TEST_F(KeyboardHookTest, F12SparesADialogDisabledByAModalChild) {
  LoadPicture(1, "a.fts");
  CommandLog log("Puffer kopieren");
  // The child takes F12 itself and ends on it.
  Registered child;
  child.family = kHotKeyFlat;
  child.endOn = 104;
  child.pressAtStart = VK_F12;
  DialogDriver driver(20000);
  driver.Then("Puffer kopieren", [&child, &log](HWND dlg) {
    SetForegroundWindow(dlg);
    EXPECT_EQ(1, RunModal("Kind", &child, dlg));
    EXPECT_EQ(std::vector<int>{104}, child.commands);
    EXPECT_EQ(std::vector<int>{}, log.Ids()) << "nothing for the dialog the child disabled";
    // Disabled while it is still the active window: F12 is spared, Escape not.
    EnableWindow(dlg, FALSE);
    HandleKeyF12(dlg);
    EXPECT_EQ(std::vector<int>{}, log.Ids());
    HandleKeyEscape(dlg);
  });
  SendCommand(IDM_BUFFER_COPY);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(std::vector<int>{109}, log.Ids());
}

struct OpenedTemplates {
  std::vector<std::string> names;
  HWND focusInside = nullptr;
  Registered* nested = nullptr;   // a dialog the command opens, when set
};

INT_PTR RecordOpen(void* context, HWND, const char* templateName, DLGPROC) {
  auto* o = static_cast<OpenedTemplates*>(context);
  o->names.push_back(templateName);
  // The dialog takes the focus while it is open.
  SetFocus(gFrameWindow);
  if (o->nested) return RunModal(templateName, o->nested);
  return 0;
}

TEST_F(KeyboardHookTest, CtrlKFPOpenTheirDialogsFromTheFrameAndGiveTheFocusBack) {
  LoadPicture(1, "a.fts");   // contrast and filters need a picture
  ShowFrame();
  SetFocus(BufferWindow(1));
  ASSERT_EQ(Frame(), GetActiveWindow());
  const HWND focus = GetFocus();
  const struct {
    UINT key;
    bool ctrl;
    const char* opened;   // null: nothing
  } cases[] = {{'K', true, "kontrastierung2"}, {'F', true, "filtersetup3"}, {'P', true, "farbpalette"},
               {'P', false, nullptr},          {'A', true, nullptr},          {VK_F5, true, nullptr}};
  for (const auto& c : cases) {
    OpenedTemplates opened;
    SetDialogOpener(RecordOpen, &opened);
    if (c.ctrl)
      Press(c.key, {VK_CONTROL});
    else
      Press(c.key);
    PumpFor(300);
    const std::vector<std::string> expected =
        c.opened ? std::vector<std::string>{c.opened} : std::vector<std::string>{};
    EXPECT_EQ(expected, opened.names) << char(c.key) << (c.ctrl ? " with Ctrl" : "");
    EXPECT_EQ(focus, GetFocus()) << "the focus is back after " << char(c.key);
  }
  // With Ctrl held and a buffer window handed over as the active window.
  OpenedTemplates opened;
  SetDialogOpener(RecordOpen, &opened);
  Hold({VK_CONTROL});
  HandleKeyCtrlP(BufferWindow(1));
  HandleKeyCtrlA(Frame());
  Hold({});
  EXPECT_EQ(std::vector<std::string>{}, opened.names);
}

TEST_F(KeyboardHookTest, ADialogOpenedByAHotKeyTakesHotKeysItself) {
  ShowFrame();
  Registered palette;
  palette.family = kHotKeyPalette;
  palette.endOn = 131;
  palette.pressAtStart = VK_ESCAPE;
  OpenedTemplates opened;
  opened.nested = &palette;
  SetDialogOpener(RecordOpen, &opened);
  Press('P', {VK_CONTROL});
  PumpFor(500);
  EXPECT_EQ(std::vector<std::string>{"farbpalette"}, opened.names);
  EXPECT_EQ(std::vector<int>{131}, palette.commands) << "Escape in the palette dialog opened by Ctrl+P";
}

TEST_F(KeyboardHookTest, ACommandThatPumpsMessagesGetsItsKeyOnce) {
  Registered flat;
  flat.family = kHotKeyFlat;
  flat.pumpOnCommand = true;
  const HWND dlg = OpenActive("flatfield1024", &flat);
  ASSERT_EQ(dlg, GetActiveWindow());
  Press(VK_F12);
  PumpFor(800);
  EXPECT_EQ(std::vector<int>{104}, flat.commands);
  DestroyWindow(dlg);
}

}  // namespace

int main(int argc, char** argv) {
  const int rerun = RerunOnPrivateDesktop(argc, argv);
  if (rerun >= 0) return rerun;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
