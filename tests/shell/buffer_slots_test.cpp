// The eight buffer slots: accessors, copies, undo, clearing, header checks
// and the buffer menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "shell/buffer_slots.h"
#include "shell/menu_ids.h"
#include "state_fixture.h"
#include "tests/shell/testkit/message_script.h"

namespace {

class Slots : public testing::Test {
 protected:
  void SetUp() override { ps_ = MakeState(); }
  void TearDown() override { DisposeState(ps_.get()); }
  ProgramState* ps() { return ps_.get(); }

 private:
  std::unique_ptr<ProgramState> ps_;
};

TEST(SlotNames, NamesBufferNumbersZeroToFour) {
  const struct {
    int number;
    const char* name;
  } cases[] = {{-1, nullptr}, {0, "kein Puffer"}, {1, "Puffer A"}, {2, "Puffer B"},
               {3, "Puffer C"},  {4, "Puffer D"},  {5, nullptr},    {INT_MIN, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    if (c.name) {
      EXPECT_STREQ(c.name, GetSlotName(c.number));
    } else {
      EXPECT_EQ(nullptr, GetSlotName(c.number));
    }
  }
}

TEST_F(Slots, NumbersOutsideOneToEightChangeNothing) {
  LoadSlot(ps(), 1, 10, "a.fts");
  auto before = std::make_unique<ProgramState>();
  std::memcpy(before.get(), ps(), sizeof *ps());
  TestPicture p = MakePicture(2, 2, 0, 5, "x.fts");
  for (int slot : {INT_MIN, -1, 0, 9, 12, INT_MAX}) {
    SCOPED_TRACE(slot);
    ImageHeader h;
    std::memset(&h, 0x11, sizeof h);
    ImageMetadata md;
    std::memset(&md, 0x11, sizeof md);
    EXPECT_EQ(0, GetSlotHeader(&h, slot, ps()));
    EXPECT_EQ(0x11111111, h.width) << "the out record stays untouched";
    EXPECT_EQ(0, GetSlotMetadata(&md, slot, ps()));
    EXPECT_EQ(nullptr, GetSlotPixels(slot, ps()));
    EXPECT_EQ(0, IsSlotLoaded(slot, ps()));
    SetSlotPixels(p.samples, slot, ps());
    SetSlotLoaded(1, slot, ps());
    SetSlotHeader(&p.header, slot, ps());
    SetSlotMetadata(&p.metadata, slot, ps());
    ClearSlot(slot, ps());
    EXPECT_EQ(0, CopySlot(slot, 1, ps()));
    EXPECT_EQ(0, CopySlot(1, slot, ps()));
    EXPECT_EQ(0, InstallImage(slot, ps(), p.samples, &p.header, &p.metadata));
    EXPECT_EQ(0, std::memcmp(before.get(), ps(), sizeof *ps()));
  }
  FreeMem(&p.samples);   // the caller kept it
}

TEST_F(Slots, CopySlotTable) {
  struct Case {
    const char* what;
    int from, to;
    bool toLoaded;
    int result;
  };
  const Case cases[] = {
      {"onto itself", 2, 2, true, 1},
      {"from an empty slot", 3, 6, true, 0},
      {"into an empty slot", 2, 5, false, 1},
      {"over a loaded slot", 2, 6, true, 1},
      {"undo copy back into a buffer", 6, 1, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ps()->SlotLoaded[c.from - 1] = 0;
    if (c.from != 3) LoadSlot(ps(), c.from, 100, "from.fts");
    if (c.from != c.to) {
      ClearSlot(c.to, ps());
      if (c.toLoaded) LoadSlot(ps(), c.to, 200, "to.fts", 2, 2);
    }
    const int16_t* fromPixels = GetSlotPixels(c.from, ps());
    const int16_t* toPixels = GetSlotPixels(c.to, ps());
    ImageHeader toHeader;
    GetSlotHeader(&toHeader, c.to, ps());

    EXPECT_EQ(c.result, CopySlot(c.from, c.to, ps()));
    if (c.result == 0 || c.from == c.to) {
      EXPECT_EQ(toPixels, GetSlotPixels(c.to, ps()));
      ImageHeader after;
      GetSlotHeader(&after, c.to, ps());
      EXPECT_EQ(0, std::memcmp(&toHeader, &after, sizeof after));
      continue;
    }
    EXPECT_NE(fromPixels, GetSlotPixels(c.to, ps())) << "a deep copy has its own samples";
    EXPECT_EQ(0, std::memcmp(fromPixels, GetSlotPixels(c.to, ps()), 4 * 3 * 3 * sizeof(int16_t)));
    EXPECT_EQ(1, IsSlotLoaded(c.to, ps()));
    EXPECT_EQ(0, std::memcmp(&ps()->Slots[c.from - 1], &ps()->Slots[c.to - 1], sizeof(SlotImage)));
  }
}

TEST_F(Slots, UndoTwiceGivesTheSamePictureBothTimes) {
  LoadSlot(ps(), 2, 10, "a.fts");
  ps()->ActiveBuffer = 2;
  ASSERT_EQ(1, SaveUndo(ps()));
  GetSlotPixels(2, ps())[0] = 999;   // an edit
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(1, RestoreUndo(ps()));
    EXPECT_EQ(10, FirstSample(ps(), 2));
    EXPECT_EQ(1, IsSlotLoaded(6, ps())) << "the undo copy stays";
    EXPECT_NE(GetSlotPixels(2, ps()), GetSlotPixels(6, ps()));
    GetSlotPixels(2, ps())[0] = 999;
  }
}

TEST_F(Slots, UndoNeedsAPictureInTheRightPlace) {
  struct Case {
    const char* what;
    int active;
    bool bufferLoaded, undoLoaded;
    int save, restore;
  };
  const Case cases[] = {
      {"a cleared buffer comes back from its undo copy", 3, false, true, 0, 1},
      {"an empty undo slot restores nothing", 3, true, false, 1, 0},
      {"picture and undo copy", 3, true, true, 1, 1},
      {"nothing anywhere", 3, false, false, 0, 0},
      {"no active buffer", 0, true, true, 0, 0},
      {"active buffer out of range", 7, true, true, 0, 0},
  };
  auto setUp = [this](const Case& c) {
    for (int s = 1; s <= kSlotCount; ++s) ClearSlot(s, ps());
    if (c.bufferLoaded) LoadSlot(ps(), 3, 10, "buffer.fts");
    if (c.undoLoaded) LoadSlot(ps(), 7, 70, "undo.fts");
    ps()->ActiveBuffer = c.active;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    setUp(c);
    const int16_t* undoBefore = GetSlotPixels(7, ps());
    EXPECT_EQ(c.save, SaveUndo(ps()));
    if (c.save) {
      EXPECT_EQ(10, FirstSample(ps(), 7));
    } else {
      EXPECT_EQ(undoBefore, GetSlotPixels(7, ps())) << "undo slot unchanged";
    }

    setUp(c);
    const int16_t* bufferBefore = GetSlotPixels(3, ps());
    EXPECT_EQ(c.restore, RestoreUndo(ps()));
    if (c.restore) {
      EXPECT_EQ(70, FirstSample(ps(), 3));
      EXPECT_EQ(1, IsSlotLoaded(3, ps()));
    } else {
      EXPECT_EQ(bufferBefore, GetSlotPixels(3, ps())) << "buffer unchanged";
    }
  }
}

TEST_F(Slots, ClearingAnUndoSlotTouchesOnlyThatSlot) {
  int16_t* a = LoadSlot(ps(), 1, 10, "a.fts");
  LoadSlot(ps(), 6, 60, "f.fts");
  ClearSlot(6, ps());
  EXPECT_EQ(0, IsSlotLoaded(6, ps()));
  EXPECT_EQ(nullptr, GetSlotPixels(6, ps()));
  EXPECT_EQ(0, ps()->Slots[5].Header.colourType) << "emptied slots have colour type 0";
  EXPECT_STREQ("f.fts", ps()->Slots[5].Metadata.path) << "undo slots keep their metadata";
  EXPECT_EQ(0, IsSlotLoaded(5, ps()));
  EXPECT_EQ(a, GetSlotPixels(1, ps()));
  EXPECT_EQ(10, FirstSample(ps(), 1));

  ClearSlot(1, ps());
  ImageMetadata empty;
  InitImageMetadata(&empty);
  EXPECT_EQ(0, std::memcmp(&empty, &ps()->Slots[0].Metadata, sizeof empty)) << "working buffers lose theirs";
}

TEST_F(Slots, InstallImageTakesOwnershipOnlyWhenEverythingIsGiven) {
  TestPicture p = MakePicture(3, 2, 0, 7, "p.fts");
  EXPECT_EQ(0, InstallImage(2, ps(), nullptr, &p.header, &p.metadata));
  EXPECT_EQ(0, InstallImage(2, ps(), p.samples, nullptr, &p.metadata));
  EXPECT_EQ(0, InstallImage(2, ps(), p.samples, &p.header, nullptr));
  EXPECT_EQ(0, IsSlotLoaded(2, ps()));
  ASSERT_EQ(1, InstallImage(2, ps(), p.samples, &p.header, &p.metadata));
  EXPECT_EQ(p.samples, GetSlotPixels(2, ps()));
  EXPECT_EQ(3, ps()->Slots[1].Header.width);

  // Putting the slot's own samples back in with a new header keeps them alive.
  ImageHeader wider = p.header;
  wider.width = 2;
  wider.height = 3;
  ASSERT_EQ(1, InstallImage(2, ps(), p.samples, &wider, &ps()->Slots[1].Metadata));
  EXPECT_EQ(p.samples, GetSlotPixels(2, ps()));
  EXPECT_EQ(7, FirstSample(ps(), 2));
  EXPECT_STREQ("p.fts", ps()->Slots[1].Metadata.path);
}

TEST(AllocPixels, SizesByColourTypeAndRefusesImpossibleHeaders) {
  struct Case {
    int w, h, colourType;
    int result;
    uint32_t bytes;
  };
  const Case cases[] = {
      {640, 480, 0, 1, 640 * 480 * 2},  {640, 480, 1, 1, 640 * 480 * 6}, {640, 480, 13, 1, 640 * 480 * 2},
      {0, 480, 1, 1, 0},                {-1, 480, 0, 0, 0},              {480, -5, 1, 0, 0},
      {65536, 65536, 1, 0, 0},          {INT_MAX, 2, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " type " << c.colourType);
    ImageHeader h;
    InitImageHeader(&h);
    h.width = c.w;
    h.height = c.h;
    h.colourType = c.colourType;
    EXPECT_EQ(c.bytes, SampleBytes(&h));
    int16_t* p = reinterpret_cast<int16_t*>(1);
    EXPECT_EQ(c.result, AllocPixels(&p, &h));
    EXPECT_EQ(c.result == 1, p != nullptr);
    if (p && c.bytes) {
      EXPECT_EQ(0, p[c.bytes / 2 - 1]) << "zero-filled";
    }
    FreeMem(&p);
  }
  int16_t* p = nullptr;
  EXPECT_EQ(0, AllocPixels(&p, nullptr));
  EXPECT_EQ(nullptr, p);
}

TEST(CheckHeadersMatch, ComparesTheFieldsOfEachModeAndReportsMismatches) {
  struct Case {
    const char* difference;
    void (*change)(ImageHeader*);
    int mode0, mode1, mode2, mode3;
  };
  const Case cases[] = {
      {"none", [](ImageHeader*) {}, 1, 1, 1, 0},
      {"source bits", [](ImageHeader* h) { h->sourceBits = 8; }, 0, 1, 1, 0},
      {"colour type", [](ImageHeader* h) { h->colourType = 0; }, 0, 0, 1, 0},
      {"width", [](ImageHeader* h) { h->width = 641; }, 0, 0, 0, 0},
      {"height", [](ImageHeader* h) { h->height = 1; }, 0, 0, 0, 0},
      {"pixel aspect only", [](ImageHeader* h) { h->pixelAspect = 2.0; }, 1, 1, 1, 0},
  };
  const HWND owner = reinterpret_cast<HWND>(0x4242);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.difference);
    ImageHeader a;
    InitImageHeader(&a);
    a.width = 640;
    a.height = 480;
    a.colourType = 1;
    a.sourceBits = 24;
    ImageHeader b = a;
    c.change(&b);
    const int expected[] = {c.mode0, c.mode1, c.mode2, c.mode3};
    for (int mode = 0; mode < 4; ++mode) {
      MessageBoxScript boxes;
      EXPECT_EQ(expected[mode], CheckHeadersMatch(&a, &b, mode, "Flatfield paßt nicht zum Bild !", owner))
          << "mode " << mode;
      ASSERT_EQ(expected[mode] ? 0u : 1u, boxes.Count());
      if (expected[mode]) continue;
      const RecordedBox box = boxes.Box(0);
      EXPECT_EQ(owner, box.owner);
      EXPECT_EQ("Fehlermeldung", box.title);
      EXPECT_EQ("Flatfield paßt nicht zum Bild !", box.text);
      EXPECT_EQ(UINT(MB_ICONSTOP), box.Icon());
    }
  }
  MessageBoxScript boxes;
  ImageHeader a;
  InitImageHeader(&a);
  EXPECT_EQ(0, CheckHeadersMatch(&a, nullptr, 1, "x", nullptr));
  EXPECT_EQ(1u, boxes.Count());
}

// The buffer menu follows the global state.
class BufferMenu : public testing::Test {
 protected:
  void SetUp() override {
    std::memset(&gProgramState, 0, sizeof gProgramState);
    InitProgramState(&gProgramState);
    menu_ = CreateMenu();
    for (UINT id : {IDM_BUFFER_A, IDM_BUFFER_B, IDM_BUFFER_C, IDM_BUFFER_D, IDM_ZOOM_IN, IDM_ZOOM_OUT})
      AppendMenuA(menu_, MF_STRING, id, "x");
  }
  void TearDown() override {
    DestroyMenu(menu_);
    DisposeState(&gProgramState);
  }
  bool Checked(UINT id) { return GetMenuState(menu_, id, MF_BYCOMMAND) & MF_CHECKED; }
  bool Grayed(UINT id) { return GetMenuState(menu_, id, MF_BYCOMMAND) & MF_GRAYED; }
  HMENU menu_;
};

TEST_F(BufferMenu, TicksTheBufferAndFollowsItsPictureButOnlyOnAChange) {
  const struct {
    int buffer;
    bool loadedNow;
    UINT checked;   // 0: none
    bool zoomEnabled;
  } steps[] = {
      {3, true, IDM_BUFFER_C, true},
      {3, false, IDM_BUFFER_C, true},   // same buffer again: the emptied picture is not looked at
      {2, false, IDM_BUFFER_B, false},
      {7, false, 0, false},
      {3, false, IDM_BUFFER_C, false},
      {1, true, IDM_BUFFER_A, true},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.buffer);
    for (int b = 1; b <= 4; ++b) ClearSlot(b, &gProgramState);
    if (s.loadedNow) LoadSlot(&gProgramState, s.buffer, 1, "x.fts");
    UpdateBufferMenuChecks(menu_, s.buffer);
    for (UINT id : {IDM_BUFFER_A, IDM_BUFFER_B, IDM_BUFFER_C, IDM_BUFFER_D}) EXPECT_EQ(id == s.checked, Checked(id));
    EXPECT_EQ(!s.zoomEnabled, Grayed(IDM_ZOOM_IN));
    EXPECT_EQ(!s.zoomEnabled, Grayed(IDM_ZOOM_OUT));
  }
}

TEST(BufferWindows, MapBetweenWindowsAndBufferNumbers) {
  HWND windows[3];
  for (HWND& w : windows) w = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (int b = 1; b <= 3; ++b) RegisterBufferWindow(b, windows[b - 1]);
  RegisterBufferWindow(4, nullptr);
  RegisterBufferWindow(5, windows[0]);   // no such buffer: ignored
  for (int b = 1; b <= 3; ++b) {
    EXPECT_EQ(b, SlotOfWindow(windows[b - 1]));
    EXPECT_EQ(windows[b - 1], WindowOfSlot(b));
  }
  EXPECT_EQ(0, SlotOfWindow(nullptr)) << "an unregistered buffer does not match a null window";
  EXPECT_EQ(0, SlotOfWindow(GetDesktopWindow()));
  for (int b : {0, 4, 5, -1}) EXPECT_EQ(nullptr, WindowOfSlot(b));
  for (HWND w : windows) DestroyWindow(w);
}

}  // namespace
