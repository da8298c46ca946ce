// A desktop of a test's own. Keys typed with keybd_event go to the
// foreground window of the typing thread's desktop, and FindWindow searches
// only there, so dialogs of test programs running beside it neither take its
// keys nor answer to its titles. Wine's desktop process runs it with the null
// display driver: there is no X window whose focus another program could
// take, and with it the foreground.
#pragma once

#include <windows.h>

#include <string>
#include <thread>

class PrivateDesktop {
 public:
  // Starts the desktop (the name should hold the process id) and waits until
  // it is settled, its own window the foreground window. A thread of this
  // object stays on it while the object lives: Wine ends a desktop shortly
  // after no thread uses it any more.
  explicit PrivateDesktop(const char* name);
  ~PrivateDesktop();
  PrivateDesktop(const PrivateDesktop&) = delete;
  PrivateDesktop& operator=(const PrivateDesktop&) = delete;

  // A handle for the caller; null when the desktop did not come up in 20 s.
  HDESK handle() const { return handle_; }
  const char* name() const { return name_.c_str(); }

 private:
  std::string name_;
  HDESK handle_ = nullptr;
  HANDLE ready_, leave_;
  std::thread keeper_;
};

// For a test program whose tests type keys into its own windows: runs the
// program again with the same arguments on a desktop of its own, its output
// going where this one's goes, and gives its exit code; -1 when this is that
// run already, or when it only lists its tests. The switch has to come with
// the start: Wine picks a process's display driver once, when it first needs
// one, and the capture library's COM start-up needs it before main.
int RerunOnPrivateDesktop(int argc, char** argv);
