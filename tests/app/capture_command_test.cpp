// "&Aufnahme von AVIs..." asks the capture library for devices first.
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/frame_window.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using CaptureCommandTest = AppTest;

INT_PTR Opened(void* context, HWND, const char*, DLGPROC) {
  ++*static_cast<int*>(context);
  return 1;
}

TEST_F(CaptureCommandTest, WithoutDevicesANoteComesInsteadOfTheDialog) {
  int opened = 0;
  SetDialogOpener(Opened, &opened);
  MessageBoxScript boxes;
  SendCommand(IDM_CAPTURE);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Es sind keine Kameras oder Videoeingänge vorhanden.", boxes.Box(0).text);
  EXPECT_EQ("Programmhinweis", boxes.Box(0).title);
  EXPECT_EQ(UINT(MB_ICONINFORMATION), boxes.Box(0).Icon());
  EXPECT_EQ(Frame(), boxes.Box(0).owner);
  EXPECT_EQ(0, opened);
  EXPECT_EQ(0, gCaptureAvailable);
}

}  // namespace
