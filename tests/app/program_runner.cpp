#include "program_runner.h"

#include <cstdio>
#include <cstring>

std::string ProgramPath() {
  // The tests lie in tests/app of the build tree, the program at its top.
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  for (int i = 0; i < 3; ++i) p.erase(p.find_last_of('\\'));
  return p + "\\tyvorn.exe";
}

std::string FreshFolder() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  char dir[MAX_PATH];
  std::snprintf(dir, sizeof dir, "%styvprog-%lu-%lu", temp, GetCurrentProcessId(), GetTickCount());
  CreateDirectoryA(dir, nullptr);
  return dir;
}

Program::Program(const std::string& folder, const char* desktop) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string desktopName = desktop ? desktop : "";
  if (desktop) si.lpDesktop = &desktopName[0];
  std::string command = "\"" + ProgramPath() + "\"";
  started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &info);
}

Program::~Program() {
  if (!started) return;
  if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

bool Program::EndsWithin(DWORD ms) const { return WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0; }

DWORD Program::ExitCode() const {
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  return code;
}

namespace {

struct Search {
  DWORD pid;
  const char* className;
  const char* title;   // null: any
  HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[64] = "", title[256] = "";
  GetClassNameA(window, cls, sizeof cls);
  GetWindowTextA(window, title, sizeof title);
  // Shown by its own style: on a desktop other than the caller's the
  // desktop window is hidden, and with it everything for IsWindowVisible.
  const bool shown = (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (pid == s->pid && !std::strcmp(cls, s->className) && (!s->title || !std::strcmp(title, s->title)) && shown) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindTopWindow(DWORD pid, const char* className, const char* title, HDESK desktop) {
  Search s{pid, className, title, nullptr};
  if (desktop)
    EnumDesktopWindows(desktop, Match, reinterpret_cast<LPARAM>(&s));
  else
    EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitForWindow(DWORD pid, const char* className, const char* title, DWORD ms, HDESK desktop) {
  const DWORD end = GetTickCount() + ms;
  while (int(GetTickCount() - end) < 0) {
    if (HWND w = FindTopWindow(pid, className, title, desktop)) return w;
    if (HWND note = FindTopWindow(pid, "#32770", "Programmhinweis", desktop)) PostMessageA(note, WM_COMMAND, IDOK, 0);
    Sleep(50);
  }
  return nullptr;
}

void Answer(HWND box, int button) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}
