// The frame window: its menu, the checks of the first paint, closing, the
// window arrangements, the buffer choice and commands it passes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/buffer_slots.h"
#include "shell/buffer_window.h"
#include "shell/frame_window.h"
#include "shell/menu_commands.h"
#include "shell/menu_ids.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/message_script.h"

namespace {

using FrameTest = AppTest;

std::string MenuText(HMENU menu, UINT item, UINT by) {
  char text[256] = "";
  GetMenuStringA(menu, item, text, sizeof text, by);
  return text;
}

TEST_F(FrameTest, MenuHoldsEveryCommandWithItsText) {
  const HMENU menu = gMainMenu;
  const char* const popups[] = {"&Datei", "Bi&ldaufnahme", "Bild&überlagern ", "&Bearbeiten", "&Fenster", "&Info"};
  ASSERT_EQ(6, GetMenuItemCount(menu));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(popups[i], MenuText(menu, i, MF_BYPOSITION)) << i;
  EXPECT_EQ(GetSubMenu(menu, kWindowMenuIndex), gWindowMenu);

  const struct {
    int popup;
    UINT id;
    const char* text;
  } items[] = {
      {0, IDM_LOAD, "Bild &laden ..."},
      {0, IDM_SAVE, "Bild &speichern ..."},
      {0, IDM_CUT_OUT, "Bild a&usschneiden ..."},
      {0, IDM_GRAPHICS_FORMATS, "Grafikformate ..."},
      {0, IDM_QUIT, "Programm&ende ..."},
      {1, IDM_CAPTURE, "&Aufnahme von AVIs..."},
      {1, IDM_AVI_SPLIT, "A&VI zerlegen ..."},
      {1, IDM_DCRAW, "&Digitalfotos mit DCRaw konvertieren ..."},
      {1, IDM_TIME_LAPSE, "&Bildreihen für Chronoreel generieren ..."},
      {1, IDM_DELETE_RAW, "Alte Rohbilder &löschen"},
      {1, IDM_NIGHT_MODE, "&Nachtmodus"},
      {1, IDM_GPS, "&GPS einstellen"},
      {2, IDM_STACK_WIZARD, "Überl&agere Bilder automatisch ..."},
      {2, IDM_STACK_CLASSIC, "Überlagere Bilder (Tyvorn &Classic) ..."},
      {2, IDM_RECENTER, "&Vorverarbeitung && Renzentrierung ..."},
      {2, IDM_RESTACK, "Erneut &überlagern ohne Zentrierung ..."},
      {2, IDM_BATCH, "&Batchverarbeitung ..."},
      {2, IDM_BATCH_RESUME, "Ba&tch wiederaufnehmen"},
      {3, IDM_HOT_PIXEL_APPLY, "Hotpi&xel ausfiltern"},
      {3, IDM_HOT_PIXEL_LEARN, "Hotpixelmaske ein&messen ..."},
      {3, IDM_DARK_FRAME, "&Dunkelfeld abziehen ..."},
      {3, IDM_FLAT_FIELD, "&Flatfield korigieren ..."},
      {3, IDM_RGB_ALIGN, "RGB in Lage und &Größe korrigieren ..."},
      {3, IDM_RED_WEAKNESS, "Rotschw&äche korrigieren ..."},
      {3, IDM_FILTER, "&Schärfen und Filtern ..."},
      {3, IDM_CONTRAST, "&Kontrast einstellen ..."},
      {3, IDM_SCALE_RECTIFY, "Aufrichten, &Entzerren, Vergrößern ..."},
      {3, IDM_FLIP_MIRROR, "&Spiegeln und Drehen ..."},
      {3, IDM_SHIFT_DIFFERENCE, "Shift-&Differenz abziehen ..."},
      {3, IDM_REMOVE_STARS, "Sterne maskiere&n ..."},
      {3, IDM_COLOUR_SEPARATION, "Farbkan&äle trennen ..."},
      {3, IDM_TONE_COLOUR_TEMP, "Ton&wertkorrektur ..."},
      {3, IDM_PALETTE, "Farb&palette für SW-Bilder einstellen"},
      {3, IDM_UNDO, "&Undo"},
      {4, IDM_CASCADE, "Fenster s&tapeln"},
      {4, IDM_TILE, "Fenster &schachteln"},
      {4, IDM_BUFFER_A, "Arbeitspuffer A"},
      {4, IDM_BUFFER_B, "Arbeitspuffer B"},
      {4, IDM_BUFFER_C, "Arbeitspuffer C"},
      {4, IDM_BUFFER_D, "Arbeitspuffer D"},
      {4, IDM_ZOOM_IN, "&Größer zoomen"},
      {4, IDM_ZOOM_OUT, "&Kleiner zoomen"},
      {4, IDM_BUFFER_COPY, "Puffer kop&ieren ..."},
      {4, IDM_BUFFER_DELETE, "P&uffer löschen ..."},
      {5, IDM_ABOUT, "&Programminfo"},
  };
  int counted[6] = {};
  for (const auto& item : items) {
    EXPECT_EQ(item.text, MenuText(GetSubMenu(menu, item.popup), item.id, MF_BYCOMMAND)) << item.id;
    ++counted[item.popup];
  }
  // Nothing else but separators.
  for (int p = 0; p < 6; ++p) {
    const HMENU popup = GetSubMenu(menu, p);
    int commands = 0;
    for (int i = 0; i < GetMenuItemCount(popup); ++i)
      if (!(GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR)) ++commands;
    EXPECT_EQ(counted[p], commands) << p;
  }
}

TEST_F(FrameTest, ItemsOfMissingDialogsAreGreyedAndTheirCommandsDoNothing) {
  // The about picture is part of the shell; some dialogs are not yet.
  EXPECT_TRUE(IsCommandAvailable(IDM_ABOUT));
  EXPECT_FALSE(MenuState(IDM_ABOUT) & MF_GRAYED);
  UINT missing = 0;
  for (UINT id : {IDM_CUT_OUT, IDM_SCALE_RECTIFY, IDM_FLIP_MIRROR, IDM_SHIFT_DIFFERENCE, IDM_PALETTE,
                  IDM_TONE_COLOUR_TEMP, IDM_REMOVE_STARS, IDM_BATCH, IDM_TIME_LAPSE})
    if (!missing && !IsCommandAvailable(id)) missing = id;
  if (!missing) GTEST_SKIP() << "every dialog exists";
  EXPECT_TRUE(MenuState(missing) & MF_GRAYED);
  LoadPicture(1, "mond.fts", 8, 8, 0);
  MessageBoxScript boxes;
  SendCommand(missing);
  EXPECT_EQ(0u, boxes.Count());
  // A colour picture does not enable the items of missing dialogs either.
  LoadPicture(1, "jupiter.fts", 8, 8, 1);
  RefreshBufferWindow(1);
  for (UINT id : {IDM_RGB_ALIGN, IDM_COLOUR_SEPARATION})
    EXPECT_EQ(!IsCommandAvailable(id), (MenuState(id) & MF_GRAYED) != 0) << id;
}

INT_PTR StandInDialog(void*, HWND, const char*, DLGPROC) { return 1; }
int ProbeFails() { return 0; }
int ProbeSucceeds() { return 1; }

TEST_F(FrameTest, FirstPaintFollowsTheDirectXProbeAndTheWorkFiles) {
  // Every dialog stands in, so only the checks decide.
  SetDialogOpener(StandInDialog, nullptr);
  const struct {
    int (*probe)();
    bool recenter, batch;
  } cases[] = {{ProbeSucceeds, false, false}, {ProbeSucceeds, true, false}, {ProbeFails, false, true}};
  for (const auto& c : cases) {
    for (UINT id : {IDM_CAPTURE, IDM_AVI_SPLIT, IDM_RESTACK, IDM_BATCH_RESUME}) EnableMenuItem(gMainMenu, id, MF_ENABLED);
    gCaptureAvailable = 1;
    SetDirectXProbe(c.probe);
    PutProgramFile("recenter.tmp", c.recenter);
    PutProgramFile("batch.tmp", c.batch);
    MessageBoxScript boxes;
    RunStartupChecks(Frame());
    const bool dx = c.probe == ProbeSucceeds;
    EXPECT_EQ(!dx, (MenuState(IDM_CAPTURE) & MF_GRAYED) != 0);
    EXPECT_EQ(!dx, (MenuState(IDM_AVI_SPLIT) & MF_GRAYED) != 0);
    EXPECT_EQ(!c.recenter, (MenuState(IDM_RESTACK) & MF_GRAYED) != 0);
    EXPECT_EQ(!c.batch, (MenuState(IDM_BATCH_RESUME) & MF_GRAYED) != 0);
    for (UINT id : {IDM_RGB_ALIGN, IDM_RED_WEAKNESS, IDM_COLOUR_SEPARATION, IDM_TONE_COLOUR_TEMP})
      EXPECT_TRUE(MenuState(id) & MF_GRAYED) << id;
    ASSERT_EQ(dx ? 0u : 1u, boxes.Count());
    if (!dx) {
      EXPECT_EQ("Programmhinweis", boxes.Box(0).title);
      EXPECT_EQ(0u, boxes.Box(0).text.find("DirectX nicht vorhanden oder Version zu alt !\n\n"
                                           "Bitte mindestens DirectX 8.1 oder höher installieren ..."));
      EXPECT_EQ(UINT(MB_ICONEXCLAMATION), boxes.Box(0).Icon());
    }
  }
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(int(info.dwNumberOfProcessors), gProgramState.WorkerLimit);
}

TEST_F(FrameTest, SmallScreenNoteAsksToCloseAndNoKeepsTheProgram) {
  SetDirectXProbe(ProbeSucceeds);
  gProgramState.ScreenWidth = 640;
  gProgramState.ScreenHeight = 480;
  MessageBoxScript boxes;
  boxes.Answer(IDOK).Answer(IDNO);
  RunStartupChecks(Frame());
  ASSERT_EQ(2u, boxes.Count());
  EXPECT_EQ("Tyvorn 2.21 läuft sinnvollerweise erst ab 800 * 600 Pixeln ...", boxes.Box(0).text);
  EXPECT_EQ("Programmhinweis", boxes.Box(0).title);
  EXPECT_EQ("Willst Du abbrechen ?", boxes.Box(1).text);
  EXPECT_EQ("Programmfrage", boxes.Box(1).title);
  EXPECT_EQ(UINT(MB_YESNO), boxes.Box(1).Buttons());
  EXPECT_FALSE(QuitPosted());
  EXPECT_TRUE(IsWindow(BufferWindow(4)));
}

TEST_F(FrameTest, ClosingAsksUnlessABatchRunEndsTheProgram) {
  struct Case {
    UINT message;
    BOOL quitWithoutAsking;
    int answer;
    size_t boxes;
    bool quits;
    LRESULT result;
  };
  // Last cases end the windows; the fixture makes new ones for the next test.
  const Case cases[] = {
      {WM_CLOSE, FALSE, IDNO, 1, false, 0},
      {WM_QUERYENDSESSION, FALSE, IDNO, 1, false, FALSE},   // the session may not end under it
      {WM_SYSCOMMAND, FALSE, IDNO, 1, false, 0},
      {WM_SYSCOMMAND, TRUE, IDNO, 1, false, 0},             // the system menu always asks
      {WM_QUERYENDSESSION, TRUE, IDNO, 0, true, TRUE},      // agreed: log-off is not vetoed
      {WM_CLOSE, TRUE, IDNO, 0, true, 0},
  };
  for (const Case& c : cases) {
    gProgramState.QuitWithoutAsking = c.quitWithoutAsking;
    MessageBoxScript boxes;
    boxes.Answer(c.answer);
    const LRESULT r = SendMessageA(Frame(), c.message, c.message == WM_SYSCOMMAND ? SC_CLOSE : 0, 0);
    EXPECT_EQ(c.boxes, boxes.Count()) << c.message;
    if (c.boxes) {
      EXPECT_EQ("Willst Du abbrechen ?", boxes.Box(0).text);
    }
    EXPECT_EQ(c.result, r) << c.message;
    EXPECT_EQ(c.quits, QuitPosted()) << c.message;
  }
  // The buffer windows were closed on the way out.
  EXPECT_FALSE(IsWindow(BufferWindow(1)));
}

TEST_F(FrameTest, QuitCommandEndsTheLoopOnlyOnYes) {
  for (int answer : {IDNO, IDYES}) {
    MessageBoxScript boxes;
    boxes.Answer(answer);
    SendCommand(IDM_QUIT);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Willst Du abbrechen ?", boxes.Box(0).text);
    EXPECT_EQ(answer == IDYES, QuitPosted());
  }
}

RECT RectInClient(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(FrameTest, TilingAndCascadingPlaceTheFourWindows) {
  RECT client;
  GetClientRect(Frame(), &client);
  SendCommand(IDM_TILE);
  const int w = client.right / 2, h = client.bottom / 2;
  const POINT tiled[] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
  for (int b = 1; b <= 4; ++b) {
    const RECT r = RectInClient(BufferWindow(b));
    EXPECT_EQ(tiled[b - 1].x, r.left) << b;
    EXPECT_EQ(tiled[b - 1].y, r.top) << b;
    EXPECT_EQ(w, r.right - r.left) << b;
    EXPECT_EQ(h, r.bottom - r.top) << b;
  }
  SendCommand(IDM_CASCADE);
  const int dx = GetSystemMetrics(SM_CXVSCROLL) + GetSystemMetrics(SM_CXFRAME);
  const int dy = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
  for (int b = 1; b <= 4; ++b) {
    const RECT r = RectInClient(BufferWindow(b));
    EXPECT_EQ((b - 1) * dx, r.left) << b;
    EXPECT_EQ((b - 1) * dy, r.top) << b;
    EXPECT_EQ(client.right - 3 * dx, r.right - r.left) << b;
    EXPECT_EQ(client.bottom - 3 * dy, r.bottom - r.top) << b;
  }
}

TEST_F(FrameTest, BufferItemsChooseTheActiveBuffer) {
  const struct {
    UINT id;
    int buffer;
  } items[] = {{IDM_BUFFER_C, 3}, {IDM_BUFFER_B, 2}, {IDM_BUFFER_D, 4}, {IDM_BUFFER_A, 1}};
  for (const auto& item : items) {
    SendCommand(item.id);
    EXPECT_EQ(item.buffer, gProgramState.ActiveBuffer) << item.id;
  }
}

TEST_F(FrameTest, CommandsOfNoTableGoToTheActiveBufferWindow) {
  // The zoom button's id is no frame command: the active window zooms out.
  SendCommand(IDM_BUFFER_B);
  SendMessageA(gMdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(BufferWindow(2)), 0);
  SendCommand(IDC_BUFFER_ZOOM_OUT);
  EXPECT_EQ(2, BufferReduction(2));
  EXPECT_EQ(1, BufferReduction(1));
}

TEST_F(FrameTest, UndoRefreshesTheBufferItRestored) {
  LoadPicture(1, "alt.fts");
  ASSERT_TRUE(SaveUndo(&gProgramState));
  LoadPicture(1, "neu.fts");
  RefreshBufferWindow(1);
  gProgramState.TargetBuffer = 3;
  SetWindowTextA(BufferWindow(3), "stale");
  SendCommand(IDM_UNDO);
  EXPECT_EQ("Puffer A mit alt.fts", Title(BufferWindow(1)));
  EXPECT_EQ("stale", Title(BufferWindow(3)));
}

TEST_F(FrameTest, ZoomItemsActOnlyOnALoadedActiveBuffer) {
  SendCommand(IDM_ZOOM_OUT);
  EXPECT_EQ(1, BufferReduction(1));
  LoadPicture(1, "saturn.fts");
  SendCommand(IDM_ZOOM_OUT);
  SendCommand(IDM_ZOOM_OUT);
  EXPECT_EQ(3, BufferReduction(1));
  SendCommand(IDM_ZOOM_IN);
  EXPECT_EQ(2, BufferReduction(1));
}

}  // namespace
