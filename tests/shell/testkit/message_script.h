// Records every message box the program shows and answers it from a script,
// for as long as the object lives.
//
//   MessageBoxScript boxes;
//   boxes.Answer(IDNO);
//   ... code under test ...
//   ASSERT_EQ(1u, boxes.Count());
//   EXPECT_EQ("Programmfrage", boxes.Box(0).title);
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

struct RecordedBox {
  HWND owner;
  std::string title;
  std::string text;
  UINT type;
  UINT Icon() const { return type & MB_ICONMASK; }
  UINT Buttons() const { return type & MB_TYPEMASK; }
};

class MessageBoxScript {
 public:
  MessageBoxScript();
  ~MessageBoxScript();
  MessageBoxScript(const MessageBoxScript&) = delete;
  MessageBoxScript& operator=(const MessageBoxScript&) = delete;

  // Queues the answer to the next box; boxes without a scripted answer get
  // their first button (IDOK, IDYES, IDABORT, IDRETRY).
  MessageBoxScript& Answer(int id);

  size_t Count() const;
  RecordedBox Box(size_t index) const;   // copy, also from other threads' boxes
  std::vector<RecordedBox> Boxes() const;

 private:
  static int Handle(void* context, HWND owner, const char* text, const char* title, UINT type);

  mutable std::mutex mutex_;
  std::deque<int> answers_;
  std::vector<RecordedBox> boxes_;
};
