// "puffercopy" and "pufferdelete" opened from the menu, driven like a user:
// the choices they offer, what "&Abbruch" leaves, and the frame's question
// and copy or clearing afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "shell/buffer_slots.h"
#include "shell/buffer_window.h"
#include "shell/frame_window.h"
#include "shell/menu_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/dialog_driver.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using BufferDialogTest = AppTest;

bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != 0; }

std::string PathOf(int slot) {
  ImageMetadata m;
  GetSlotMetadata(&m, slot, &gProgramState);
  return IsSlotLoaded(slot, &gProgramState) ? m.path : "";
}

TEST_F(BufferDialogTest, CopyOffersOnlyLoadedSourcesAndCopiesIntoTheChosenTarget) {
  LoadPicture(3, "c.fts");
  gProgramState.ActiveBuffer = 4;
  DialogDriver driver;
  driver.Then("Puffer kopieren", [](HWND dlg) {
    for (int b = 1; b <= 4; ++b) {
      EXPECT_EQ(b == 3, Checked(dlg, IDC_COPY_SOURCE_A - 1 + b)) << b;
      EXPECT_EQ(b == 3, Enabled(dlg, IDC_COPY_SOURCE_A - 1 + b)) << b;
      EXPECT_EQ(b == 4, Checked(dlg, IDC_COPY_TARGET_A - 1 + b)) << "the active buffer is the target";
    }
    EXPECT_TRUE(Enabled(dlg, IDC_COPY_OK));
    DialogDriver::Click(dlg, IDC_COPY_TARGET_A + 1);
    EXPECT_TRUE(Checked(dlg, IDC_COPY_TARGET_A + 1));
    EXPECT_FALSE(Checked(dlg, IDC_COPY_TARGET_D));
    DialogDriver::Click(dlg, IDC_COPY_OK);
  });
  MessageBoxScript boxes;
  SendCommand(IDM_BUFFER_COPY);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(0u, boxes.Count()) << "an empty target is not asked for";
  EXPECT_EQ(3, gProgramState.SourceBuffer);
  EXPECT_EQ(2, gProgramState.TargetBuffer);
  EXPECT_EQ("c.fts", PathOf(2));
  EXPECT_EQ("c.fts", PathOf(3));
  EXPECT_EQ("Puffer B mit c.fts", Title(BufferWindow(2)));
}

TEST_F(BufferDialogTest, CopyWithoutPicturesCannotConfirmAndCancelChangesNothing) {
  gProgramState.SourceBuffer = 2;
  gProgramState.TargetBuffer = 4;
  DialogDriver driver;
  driver.Then("Puffer kopieren", [](HWND dlg) {
    EXPECT_FALSE(Enabled(dlg, IDC_COPY_OK));
    DialogDriver::Click(dlg, IDC_COPY_TARGET_A + 2);
    DialogDriver::Click(dlg, IDC_COPY_CANCEL);
  });
  SendCommand(IDM_BUFFER_COPY);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(2, gProgramState.SourceBuffer);
  EXPECT_EQ(4, gProgramState.TargetBuffer);
}

TEST_F(BufferDialogTest, CopyOverALoadedTargetAsksFirst) {
  for (int answer : {IDNO, IDYES}) {
    SetUp();
    LoadPicture(1, "a.fts");
    LoadPicture(2, "b.fts");
    DialogDriver driver;
    driver.Then("Puffer kopieren", [](HWND dlg) {
      DialogDriver::Click(dlg, IDC_COPY_SOURCE_A + 1);
      DialogDriver::Click(dlg, IDC_COPY_TARGET_A);
      DialogDriver::Click(dlg, IDC_COPY_OK);
    });
    MessageBoxScript boxes;
    boxes.Answer(answer);
    SendCommand(IDM_BUFFER_COPY);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Soll Puffer A überschrieben werden ?", boxes.Box(0).text);
    EXPECT_EQ("Programmfrage", boxes.Box(0).title);
    EXPECT_EQ(answer == IDYES ? "b.fts" : "a.fts", PathOf(1));
    // The active buffer's undo copy holds what the copy replaced.
    EXPECT_EQ(answer == IDYES ? "a.fts" : "", PathOf(5));
  }
}

TEST_F(BufferDialogTest, DeleteClearsTheChosenBufferAfterTheQuestion) {
  const struct {
    int button;
    int answer;
    bool cleared;
  } cases[] = {{IDC_DELETE_OK, IDYES, true}, {IDC_DELETE_OK, IDNO, false}, {IDC_DELETE_CANCEL, 0, false}};
  for (const auto& c : cases) {
    SetUp();
    LoadPicture(1, "a.fts");
    LoadPicture(3, "c.fts");
    RefreshBufferWindow(3);
    const int button = c.button;
    DialogDriver driver;
    driver.Then("Puffer löschen", [button](HWND dlg) {
      EXPECT_TRUE(Checked(dlg, IDC_DELETE_TARGET_A)) << "the active buffer first";
      DialogDriver::Click(dlg, IDC_DELETE_TARGET_A + 2);
      EXPECT_TRUE(Checked(dlg, IDC_DELETE_TARGET_A + 2));
      EXPECT_FALSE(Checked(dlg, IDC_DELETE_TARGET_A));
      DialogDriver::Click(dlg, button);
    });
    MessageBoxScript boxes;
    if (c.answer) boxes.Answer(c.answer);
    SendCommand(IDM_BUFFER_DELETE);
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(c.answer ? 1u : 0u, boxes.Count());
    if (c.answer) {
      EXPECT_EQ("Soll Puffer C gelöscht werden ?", boxes.Box(0).text);
    }
    EXPECT_EQ(c.cleared ? "" : "c.fts", PathOf(3));
    EXPECT_EQ(c.cleared ? "Puffer C" : "Puffer C mit c.fts", Title(BufferWindow(3)));
    EXPECT_EQ(c.button == IDC_DELETE_CANCEL ? 1 : 3, gProgramState.TargetBuffer);
    EXPECT_EQ("a.fts", PathOf(1));
  }
}

}  // namespace
