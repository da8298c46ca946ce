#include "private_desktop.h"

PrivateDesktop::PrivateDesktop(const char* name)
    : name_(name),
      ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      leave_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  std::string command = "explorer.exe /desktop=" + name_ + ",1280x1024,null";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION explorer{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &explorer)) return;
  // Idle once its desktop window is made; a thread that asked for the window
  // before would start a second desktop process.
  WaitForInputIdle(explorer.hProcess, 20000);
  CloseHandle(explorer.hThread);
  CloseHandle(explorer.hProcess);
  // On a busy machine it makes its window the foreground window only a while
  // later, which would take the activation from the test's windows: the
  // keeper waits for that. It has a handle of its own, as Wine closes a
  // thread's desktop handle when the thread ends.
  keeper_ = std::thread([this] {
    const HDESK desktop = OpenDesktopA(name_.c_str(), 0, FALSE, GENERIC_ALL);
    if (!desktop || !SetThreadDesktop(desktop)) {
      SetEvent(ready_);
      return;
    }
    const HWND window = GetDesktopWindow();
    const DWORD end = GetTickCount() + 20000;
    while (GetForegroundWindow() != window && int(GetTickCount() - end) < 0) Sleep(10);
    if (GetForegroundWindow() == window) handle_ = OpenDesktopA(name_.c_str(), 0, FALSE, GENERIC_ALL);
    SetEvent(ready_);
    WaitForSingleObject(leave_, INFINITE);
  });
  WaitForSingleObject(ready_, INFINITE);
}

PrivateDesktop::~PrivateDesktop() {
  SetEvent(leave_);
  if (keeper_.joinable()) keeper_.join();
  if (handle_) CloseDesktop(handle_);
  CloseHandle(ready_);
  CloseHandle(leave_);
}

namespace {

constexpr char kRerunMarker[] = "TYVORN_PRIVATE_DESKTOP";

HANDLE Inheritable(DWORD which) {
  const HANDLE h = GetStdHandle(which);
  if (h && h != INVALID_HANDLE_VALUE) SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  return h;
}

}  // namespace

int RerunOnPrivateDesktop(int argc, char** argv) {
  char marker[8];
  if (GetEnvironmentVariableA(kRerunMarker, marker, sizeof marker)) return -1;
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]).rfind("--gtest_list_tests", 0) == 0) return -1;
  const PrivateDesktop own(("tyvtest-" + std::to_string(GetCurrentProcessId())).c_str());
  if (!own.handle()) return 1;
  SetEnvironmentVariableA(kRerunMarker, "1");
  std::string desktop = own.name();
  std::string command = GetCommandLineA();
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.lpDesktop = &desktop[0];
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = Inheritable(STD_INPUT_HANDLE);
  si.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
  si.hStdError = Inheritable(STD_ERROR_HANDLE);
  PROCESS_INFORMATION run{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &run)) return 1;
  WaitForSingleObject(run.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(run.hProcess, &code);
  CloseHandle(run.hThread);
  CloseHandle(run.hProcess);
  return int(code);
}
