// The menu commands that open dialogs, driven through the frame window with
// stand-in dialogs: what each asks or refuses with an empty or a loaded
// buffer, which template opens with which settings, and which buffer
// windows are refreshed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/buffer_slots.h"
#include "shell/frame_window.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using MenuCommandTest = AppTest;

struct Opened {
  std::string name;
  int target;
  int setupFlag;
  int classic;
  bool targetLoaded;
};

struct Recorder {
  std::vector<Opened> opened;
  INT_PTR result = 1;
};

INT_PTR Record(void* context, HWND owner, const char* name, DLGPROC) {
  auto* r = static_cast<Recorder*>(context);
  EXPECT_EQ(gFrameWindow, owner);
  const ProgramState& ps = gProgramState;
  r->opened.push_back(Opened{name, ps.TargetBuffer, ps.OpenedFromSetup, ps.Classicmode,
                             IsSlotLoaded(ps.TargetBuffer, &ps) != 0});
  return r->result;
}

constexpr int kUntouched = 7;   // Classicmode before a command that leaves it
constexpr const char* kEmpty = "Nanu Nanu ! Der Puffer A ist leer.";
constexpr const char* kOverwrite = "Soll der Puffer überladen werden ?";

struct Case {
  UINT id;
  bool loaded;            // buffer A (active) holds a picture
  int answer;             // to the question, if one comes
  const char* box;        // the one box expected, or null
  const char* boxTitle;
  const char* opens;      // template, or null when no dialog opens
  INT_PTR result;         // what the dialog ends with
  const char* refreshed;  // buffer windows refreshed afterwards
  int target;             // TargetBuffer while the dialog is open (3 before)
  int setupFlag;          // OpenedFromSetup while open (1 before)
  int classic;            // Classicmode while open
  bool undoKept;          // A's undo copy taken
  bool targetLoaded;      // the target held a picture while the dialog was open
  int screenHeight;
  int separateMethod;
  const char* file;       // work file present in the program directory
};

constexpr int U = kUntouched;
const Case kCases[] = {
    // id                  loaded  answer box         title              opens                 result refreshed t  s  c  undo   tgt  height sep file
    {IDM_CUT_OUT,           false, 0,     kEmpty,     "Programmhinweis", nullptr,              1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_CUT_OUT,           true,  0,     nullptr,    nullptr,           "bildausschneiden",   1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_GRAPHICS_FORMATS,  false, 0,     nullptr,    nullptr,           "grafiksetup",        1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_AVI_SPLIT,         false, 0,     nullptr,    nullptr,           "aviripper",          1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_TIME_LAPSE,        false, 0,     nullptr,    nullptr,           "timelapse",          1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_GPS,               false, 0,     nullptr,    nullptr,           "gpswerte",           1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_STACK_WIZARD,      false, 0,     nullptr,    nullptr,           "ueberlagermethode3", 1,  "A",    1, 0, 0, false, false, 1024, 0, nullptr},
    {IDM_STACK_WIZARD,      true,  IDNO,  kOverwrite, "Programmfrage",   nullptr,              1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_STACK_WIZARD,      true,  IDYES, kOverwrite, "Programmfrage",   "ueberlagermethode3", 0,  "",     1, 0, 0, true,  true,  1024, 0, nullptr},
    {IDM_STACK_CLASSIC,     true,  IDYES, kOverwrite, "Programmfrage",   "ueberlagermethode2", 1,  "A",    1, 0, 1, true,  true,  1024, 0, nullptr},
    {IDM_RECENTER,          false, 0,     nullptr,    nullptr,           "rezentrieren",       1,  "",     3, 0, 1, false, true,  1024, 0, nullptr},
    {IDM_RESTACK,           true,  IDYES, kOverwrite, "Programmfrage",   "bildseriereadding",  0,  "",     1, 0, 1, true,  false, 1024, 0, "recenter.tmp"},
    {IDM_RESTACK,           false, 0,     nullptr,    nullptr,           nullptr,              1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_BATCH,             false, 0,     nullptr,    nullptr,           "batchprocess",       1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_BATCH_RESUME,      false, 0,     nullptr,    nullptr,           "batchweiter",        1,  "",     3, 1, U, false, true,  1024, 0, "batch.tmp"},
    {IDM_BATCH_RESUME,      false, 0,     nullptr,    nullptr,           nullptr,              1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_HOT_PIXEL_LEARN,   false, 0,     nullptr,    nullptr,           "hotpixelmask1024",   1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_HOT_PIXEL_LEARN,   false, 0,     nullptr,    nullptr,           "hotpixelmask800",    1,  "",     3, 1, U, false, true,  767,  0, nullptr},
    {IDM_DARK_FRAME,        false, 0,     kEmpty,     "Programmhinweis", nullptr,              1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_DARK_FRAME,        true,  0,     nullptr,    nullptr,           "dunkelfeld1024",     1,  "C",    3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_DARK_FRAME,        true,  0,     nullptr,    nullptr,           "dunkelfeld800",      0,  "",     3, 1, U, false, true,  600,  0, nullptr},
    {IDM_DARK_FRAME,        true,  0,     "Dialog dunkelfeld1024 ist nicht zu öffnen !", "Fehlermeldung",
                                                                         "dunkelfeld1024",    -1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_FLAT_FIELD,        true,  0,     nullptr,    nullptr,           "flatfield1024",      1,  "C",    3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_RGB_ALIGN,         true,  0,     nullptr,    nullptr,           "rgbkorrektur1024",   2,  "C",    3, 0, U, false, true,  1024, 0, nullptr},
    {IDM_RED_WEAKNESS,      false, 0,     kEmpty,     "Programmhinweis", nullptr,              1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_RED_WEAKNESS,      true,  0,     nullptr,    nullptr,           "rotschwachcorr1024", 1,  "C",    3, 0, U, false, true,  1024, 0, nullptr},
    {IDM_FILTER,            true,  0,     nullptr,    nullptr,           "filtersetup3",       1,  "C",    3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_CONTRAST,          true,  0,     nullptr,    nullptr,           "kontrastierung2",    1,  "C",    3, 0, U, false, true,  1024, 0, nullptr},
    {IDM_SCALE_RECTIFY,     true,  0,     nullptr,    nullptr,           "vergroessern1024",   1,  "C",    3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_FLIP_MIRROR,       true,  0,     nullptr,    nullptr,           "flipmirror1024",     1,  "C",    3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_SHIFT_DIFFERENCE,  true,  0,     nullptr,    nullptr,           "shiftdifferenz1024", 1,  "C",    3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_REMOVE_STARS,      true,  0,     nullptr,    nullptr,           "removestars1024",    1,  "C",    3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_TONE_COLOUR_TEMP,  true,  0,     nullptr,    nullptr,           "farbtemp1024",       1,  "C",    3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_COLOUR_SEPARATION, true,  0,     nullptr,    nullptr,           "farbentrennen",      1,  "ABCD", 3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_COLOUR_SEPARATION, true,  0,     nullptr,    nullptr,           "farbentrennen",      1,  "C",    3, 1, U, false, true,  1024, 1, nullptr},
    {IDM_PALETTE,           false, 0,     nullptr,    nullptr,           "farbpalette",        1,  "ABCD", 3, 1, U, false, true,  1024, 0, nullptr},
    // A cancelled palette repaints too: the buffers may have been shown in the other one.
    {IDM_PALETTE,           false, 0,     nullptr,    nullptr,           "farbpalette",        0,  "ABCD", 3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_NOISE_FILTER,      false, 0,     kEmpty,     "Programmhinweis", nullptr,              1,  "",     3, 1, U, false, true,  1024, 0, nullptr},
    {IDM_NOISE_FILTER,      true,  0,     nullptr,    nullptr,           "rauschfilter",       1,  "C",    3, 0, U, false, true,  1024, 0, nullptr},
    {IDM_MANUAL_STACK,      true,  IDYES, kOverwrite, "Programmfrage",   "handanpass1024",     1,  "A",    1, 1, U, true,  false, 1024, 0, nullptr},
};

TEST_F(MenuCommandTest, DialogCommandsCheckOpenAndRefreshAsTheTableSays) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "command " << c.id << (c.loaded ? " loaded" : " empty") << " result "
                                    << c.result);
    SetUp();
    if (c.loaded) LoadPicture(1, "a.fts");
    LoadPicture(3, "c.fts");
    if (c.file) PutProgramFile(c.file, true);
    gProgramState.TargetBuffer = 3;
    gProgramState.OpenedFromSetup = 1;
    gProgramState.Classicmode = kUntouched;
    gProgramState.ScreenHeight = c.screenHeight;
    gProgramState.SeparateMethod = c.separateMethod;
    for (int b = 1; b <= 4; ++b) SetWindowTextA(BufferWindow(b), "stale");
    Recorder recorder;
    recorder.result = c.result;
    SetDialogOpener(Record, &recorder);
    MessageBoxScript boxes;
    if (c.answer) boxes.Answer(c.answer);

    SendCommand(c.id);

    if (c.box) {
      ASSERT_EQ(1u, boxes.Count());
      EXPECT_EQ(c.box, boxes.Box(0).text);
      EXPECT_EQ(c.boxTitle, boxes.Box(0).title);
    } else {
      EXPECT_EQ(0u, boxes.Count());
    }
    if (!c.opens) {
      EXPECT_TRUE(recorder.opened.empty());
    } else {
      ASSERT_EQ(1u, recorder.opened.size());
      const Opened& o = recorder.opened[0];
      EXPECT_EQ(c.opens, o.name);
      EXPECT_EQ(c.target, o.target);
      EXPECT_EQ(c.setupFlag, o.setupFlag);
      EXPECT_EQ(c.classic, o.classic);
      EXPECT_EQ(c.targetLoaded, o.targetLoaded);
    }
    std::string refreshed;
    for (int b = 1; b <= 4; ++b)
      if (Title(BufferWindow(b)) != "stale") refreshed += char('A' + b - 1);
    EXPECT_EQ(c.refreshed, refreshed);
    EXPECT_EQ(c.undoKept, IsSlotLoaded(5, &gProgramState) != 0);
  }
}

TEST_F(MenuCommandTest, RestackWithoutRecordFileGreysItsItem) {
  Recorder recorder;
  SetDialogOpener(Record, &recorder);
  EnableMenuItem(gMainMenu, IDM_RESTACK, MF_ENABLED);
  SendCommand(IDM_RESTACK);
  EXPECT_TRUE(MenuState(IDM_RESTACK) & MF_GRAYED);
  EXPECT_TRUE(recorder.opened.empty());
}

TEST_F(MenuCommandTest, TemplateSizeFollowsTheScreenLines) {
  const struct {
    const char* base;
    int sizes;
    int height;
    const char* name;
  } cases[] = {
      {"logo", 1, 600, "logo"},
      {"flipmirror", 2, 767, "flipmirror800"},
      {"flipmirror", 2, 768, "flipmirror1024"},
      {"flipmirror", 2, 1200, "flipmirror1024"},
      {"dxaufnahme", 3, 767, "dxaufnahme800"},
      {"dxaufnahme", 3, 1023, "dxaufnahme1024"},
      {"dxaufnahme", 3, 1024, "dxaufnahme1280"},
  };
  for (const auto& c : cases) {
    char name[64];
    ChooseTemplate(name, sizeof name, c.base, c.sizes, c.height);
    EXPECT_STREQ(c.name, name) << c.base << " " << c.height;
  }
}

}  // namespace
