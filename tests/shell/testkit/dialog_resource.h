// A dialog template of the program's resources, made into a real dialog
// with a procedure that does nothing, so a test can read what the compiled
// template holds: every control's id, class and text, and the dialog's size
// on this screen. Child templates (tab pages) get a hidden owner window.
//
//   DialogResourceProbe probe("rauschfilter");
//   ASSERT_TRUE(probe.Ok());
//   EXPECT_EQ("&Gut", probe.Text(102));
//   EXPECT_LE(probe.Size().cx, 800);
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class DialogResourceProbe {
 public:
  explicit DialogResourceProbe(const char* templateName);
  ~DialogResourceProbe();
  DialogResourceProbe(const DialogResourceProbe&) = delete;
  DialogResourceProbe& operator=(const DialogResourceProbe&) = delete;

  bool Ok() const { return dialog_ != nullptr; }
  HWND Dialog() const { return dialog_; }
  bool Has(int id) const { return GetDlgItem(dialog_, id) != nullptr; }
  std::string Text(int id) const;
  std::string ClassOf(int id) const;   // "Button", "Static", "ScrollBar", "SysTabControl32" ...
  DWORD StyleOf(int id) const;
  std::string Title() const;
  // Outer size of the dialog in pixels.
  SIZE Size() const;
  // Every text of the dialog's controls (labels without an id too).
  std::vector<std::string> Texts() const;

 private:
  HWND owner_ = nullptr;
  HWND dialog_ = nullptr;
};
