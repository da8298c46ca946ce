// Hot-pixel lists in the program: a buffer repaired with a list file, lists
// of another size or broken files refused with their messages, and a list
// loaded into the settings only when it was read whole.
#include "stacking/win32/hot_pixel_commands.h"

#include <gtest/gtest.h>

#include <vector>

#include "imagelib/hot_pixels.h"
#include "shell/buffer_slots.h"
#include "stacking/frame/hot_pixel_file.h"
#include "tests/app/app_fixture.h"
#include "tests/imageio/picture_fixtures.h"
#include "shell/menu_ids.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/message_script.h"

namespace {

class HotPixelCommands : public AppTest {
 protected:
  // A list of two hot green samples and one red one, learnt on w x h.
  std::string WriteList(int32_t w, int32_t h) {
    const size_t n = 3;
    std::vector<uint8_t> block(sizeof(HotPixelList) + n * 8);
    auto* list = reinterpret_cast<HotPixelList*>(block.data());
    *list = {{'H', 'P', 'X', 0}, int32_t(n), w, h};
    const uint16_t entries[3][4] = {{2, 10, 5, 0}, {2, 11, 5, 0}, {1, 30, 20, 0}};
    std::memcpy(HotPixelEntries(list), entries, sizeof entries);
    const std::string name = dir_ / "liste.hpx";
    EXPECT_EQ(1, WriteHotPixelFile(name.c_str(), list));
    return name;
  }
  int16_t Sample(int x, int y, int c) {
    return GetSlotPixels(1, &gProgramState)[(size_t(y) * 64 + x) * 3 + c];
  }
  pictures::ScratchDir dir_;
};

TEST_F(HotPixelCommands, RepairsTheBufferInPlace) {
  LoadPicture(1, "dunkel.fts", 64, 48, 1);
  int16_t* px = GetSlotPixels(1, &gProgramState);
  px[(5 * 64 + 10) * 3 + 1] = 30000;
  px[(5 * 64 + 11) * 3 + 1] = 30000;
  const int16_t left = Sample(9, 5, 1), right = Sample(12, 5, 1);
  MessageBoxScript boxes;
  ASSERT_EQ(1, ApplyHotPixelList(1, &gProgramState, WriteList(64, 48).c_str()));
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_EQ(left + (right - left) / 3, Sample(10, 5, 1));
  EXPECT_EQ(Sample(10, 5, 1) + (right - Sample(10, 5, 1)) / 2, Sample(11, 5, 1));
}

TEST_F(HotPixelCommands, RefusesWithTheMessages) {
  LoadPicture(1, "dunkel.fts", 64, 48, 1);
  const std::vector<int16_t> before(GetSlotPixels(1, &gProgramState), GetSlotPixels(1, &gProgramState) + 64 * 48 * 3);
  pictures::WriteBytes(dir_ / "kaputt.hpx", {'H', 'P', 'X', 0, 9, 0, 0, 0, 64, 0, 0, 0, 48, 0, 0, 0});
  const struct {
    std::string file;
    const char* text;
  } cases[] = {
      {WriteList(64, 49), "Hotpixelliste paßt nicht zum Bild !"},
      {dir_ / "kaputt.hpx", "Datei ist keine Hotpixelliste !"},
      {dir_ / "fehlt.hpx", "Datei ist nicht zu öffnen !"},
  };
  for (const auto& c : cases) {
    MessageBoxScript boxes;
    EXPECT_EQ(0, ApplyHotPixelList(1, &gProgramState, c.file.c_str())) << c.text;
    ASSERT_EQ(1u, boxes.Count()) << c.text;
    EXPECT_EQ(c.text, boxes.Box(0).text);
    EXPECT_EQ("Fehlermeldung", boxes.Box(0).title);
    EXPECT_EQ(UINT(MB_ICONSTOP), boxes.Box(0).Icon());
  }
  EXPECT_TRUE(std::equal(before.begin(), before.end(), GetSlotPixels(1, &gProgramState)));
}

TEST_F(HotPixelCommands, SettingsKeepTheirListUnlessANewOneIsReadWhole) {
  ASSERT_EQ(1, LoadHotPixelListFile(nullptr, &gProgramState, WriteList(640, 480).c_str()));
  HotPixelListBlock& block = gProgramState.HotPixelList;
  EXPECT_EQ(3, block.Count);
  EXPECT_EQ(640, block.Width);
  EXPECT_EQ(480, block.Height);
  const void* entries = block.Entries;
  pictures::WriteBytes(dir_ / "kurz.hpx", {'H', 'P', 'X', 0, 2, 0, 0, 0});
  MessageBoxScript boxes;
  EXPECT_EQ(0, LoadHotPixelListFile(nullptr, &gProgramState, (dir_ / "kurz.hpx").c_str()));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Datei ist keine Hotpixelliste !", boxes.Box(0).text);
  EXPECT_EQ(entries, block.Entries);
  EXPECT_EQ(3, block.Count);
  EXPECT_EQ(640, block.Width);
}

TEST_F(HotPixelCommands, MenuCommandAsksForTheListAndRepairsTheActiveBuffer) {
  LoadPicture(1, "dunkel.fts", 64, 48, 1);
  GetSlotPixels(1, &gProgramState)[(20 * 64 + 30) * 3 + 2] = 31000;
  std::snprintf(gProgramState.CurrentPath, sizeof gProgramState.CurrentPath, "%s", dir_.path().string().c_str());
  ChooserScript choosers;
  choosers.Choose(WriteList(64, 48));
  MessageBoxScript boxes;
  SendCommand(IDM_HOT_PIXEL_APPLY);
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Hotpixelliste auswählen ...", choosers.Chooser(0).title);
  EXPECT_EQ((std::vector<std::string>{"Hotpixel-Liste", "*.HPX"}), choosers.Chooser(0).filter);
  EXPECT_EQ(dir_.path().string(), choosers.Chooser(0).initialDirectory);
  EXPECT_EQ("", choosers.Chooser(0).proposal);
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_GT(31000, Sample(30, 20, 2));
  EXPECT_EQ(0, IsSlotLoaded(5, &gProgramState)) << "no undo copy";
}

TEST_F(HotPixelCommands, MenuCommandOnAnEmptyBuffer) {
  ChooserScript choosers;
  MessageBoxScript boxes;
  SendCommand(IDM_HOT_PIXEL_APPLY);
  EXPECT_EQ(0u, choosers.Count());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Nanu Nanu ! Der Puffer A ist leer.", boxes.Box(0).text);
}

TEST_F(HotPixelCommands, SelectedListGoesIntoTheSettings) {
  ChooserScript choosers;
  choosers.Choose(WriteList(320, 240)).Cancel();
  ASSERT_EQ(1, SelectHotPixelList(Frame(), &gProgramState));
  EXPECT_EQ(320, gProgramState.HotPixelList.Width);
  const void* entries = gProgramState.HotPixelList.Entries;
  EXPECT_EQ(0, SelectHotPixelList(Frame(), &gProgramState));   // cancelled: nothing changes
  EXPECT_EQ(entries, gProgramState.HotPixelList.Entries);
}

}  // namespace
