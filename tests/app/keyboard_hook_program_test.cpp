// The keyboard hook of tyvorn.exe itself: start-up installs it, so F12
// presses "&Gut" of "pufferdelete", which no key does without it. The
// program runs on a desktop of its own (private_desktop.h), where the keys
// typed go.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "shell/menu_ids.h"
#include "tests/app/program_runner.h"
#include "tests/shell/testkit/private_desktop.h"

namespace {

// A key typed on the named desktop once `window` is its foreground window,
// by a thread that lives there. It opens a handle of its own: Wine closes a
// thread's desktop handle when the thread ends.
void TypeInto(const char* desktopName, HWND window, UINT key) {
  std::thread typist([desktopName, window, key] {
    const HDESK desktop = OpenDesktopA(desktopName, 0, FALSE, GENERIC_ALL);
    if (!desktop || !SetThreadDesktop(desktop)) return;
    const DWORD end = GetTickCount() + 5000;
    while (GetForegroundWindow() != window && int(GetTickCount() - end) < 0) Sleep(10);
    keybd_event(BYTE(key), 0, 0, 0);
    keybd_event(BYTE(key), 0, KEYEVENTF_KEYUP, 0);
  });
  typist.join();
}

bool GoneWithin(HWND window, DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (IsWindow(window) && int(GetTickCount() - end) < 0) Sleep(20);
  return !IsWindow(window);
}

TEST(ProgramKeys, StartUpInstallsTheHookThatPressesGutOnF12) {
  const PrivateDesktop own(("tyvprogkeys-" + std::to_string(GetCurrentProcessId())).c_str());
  const HDESK desktop = own.handle();
  ASSERT_TRUE(desktop);
  const char* name = own.name();
  Program program(FreshFolder(), name);
  ASSERT_TRUE(program.started) << ProgramPath();
  const DWORD pid = program.info.dwProcessId;
  const HWND frame = WaitForWindow(pid, "HauptFenster", nullptr, 30000, desktop);
  ASSERT_TRUE(frame) << "no frame window";

  PostMessageA(frame, WM_COMMAND, IDM_BUFFER_DELETE, 0);
  const HWND dialog = WaitForWindow(pid, "#32770", "Puffer löschen", 10000, desktop);
  ASSERT_TRUE(dialog) << "no delete dialog";
  TypeInto(name, dialog, VK_F12);
  EXPECT_TRUE(GoneWithin(dialog, 5000)) << "F12 did not press \"&Gut\"";
  if (IsWindow(dialog)) Answer(dialog, IDCANCEL);

  PostMessageA(frame, WM_CLOSE, 0, 0);
  const HWND question = WaitForWindow(pid, "#32770", "Programmfrage", 10000, desktop);
  ASSERT_TRUE(question) << "no close question";
  Answer(question, IDYES);
  EXPECT_TRUE(program.EndsWithin(20000));
}

}  // namespace
