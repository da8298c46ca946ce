// tyvorn.exe started from a test as a user starts it, and its top-level
// windows found by process, class and title.
#pragma once

#include <windows.h>

#include <string>

// The program at the top of the build tree.
std::string ProgramPath();
// A new empty folder in the temporary directory, to start the program in.
std::string FreshFolder();

struct Program {
  PROCESS_INFORMATION info{};
  bool started = false;

  // Started in `folder`; on the named desktop when one is given.
  explicit Program(const std::string& folder, const char* desktop = nullptr);
  ~Program();   // still running: ended
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  bool EndsWithin(DWORD ms) const;
  DWORD ExitCode() const;
};

// A visible top-level window of the process with the class and title (any
// title when null), on the given desktop or the thread's own.
HWND FindTopWindow(DWORD pid, const char* className, const char* title, HDESK desktop = nullptr);
// Waits for such a window; notes of the first paint get their OK.
HWND WaitForWindow(DWORD pid, const char* className, const char* title, DWORD ms, HDESK desktop = nullptr);
// Presses a button of a dialog of the program.
void Answer(HWND box, int button);
