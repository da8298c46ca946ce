// "Bild &laden ..." and "Bild &speichern ..." through the frame window, with
// the choosers answered by a script: what each command asks, what lands in
// the buffer, and what the buffer's title shows afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imageio/picture_files.h"
#include "shell/buffer_slots.h"
#include "shell/menu_ids.h"
#include "shell/settings.h"
#include "tests/app/app_fixture.h"
#include "tests/shell/testkit/chooser_script.h"
#include "tests/shell/testkit/message_script.h"

namespace {

class FileMenuTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_TRUE(LoadSettings(&gProgramState, 0, "tyvorn.ini"));   // none there: the defaults
    std::snprintf(gProgramState.CurrentPath, kPathSize, "%s\\", gProgramState.ProgramDirectory);
    dir_ = gProgramState.CurrentPath;
  }
  std::string At(const char* name) const { return dir_ + name; }
  // A grey picture of w x h with a ramp, written through the save dispatcher.
  void WritePicture(const char* name, const char* extension, int w, int h) const {
    ImageHeader header;
    InitImageHeader(&header);
    header.width = w;
    header.height = h;
    std::vector<int16_t> samples(size_t(w) * h);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t((i * 131) & 32767);
    ASSERT_EQ(1, SaveImageFile(At(name).c_str(), extension, 1, samples.data(), &header));
  }
  static ImageMetadata Metadata(int buffer) {
    ImageMetadata m;
    GetSlotMetadata(&m, buffer, &gProgramState);
    return m;
  }

  std::string dir_;
};

const std::vector<std::string> kOpenFilter = {
    "Bildformate", "*.BMP;*.FTS;*.FIT;*.TIF;*.GIF;*.PCX;*.JPG;*.PPM;*.PNG;*.AVI", "FITS-Bilder", "*.FTS;*.FIT",
    "Windows-Bitmaps", "*.BMP", "AVI-Videos", "*.AVI", "GIF-Format", "*.GIF", "JPEG-Format", "*.JPG",
    "Paintbrush-Format", "*.PCX", "TIFF-Format", "*.TIF", "Portable Pixelmap", "*.PPM", "PortableNetworkGraphics",
    "*.PNG", "Alle Dateien", "*.*"};
const std::vector<std::string> kSaveFilter = {
    "Bildformate", "*.BMP;*.FTS;*.FIT;*.TIF;*.GIF;*.PCX;*.JPG;*.PPM;*.PNG", "FITS-Bilder", "*.FTS;*.FIT",
    "Windows-Bitmaps", "*.BMP", "GIF-Format", "*.GIF", "JPEG-Format", "*.JPG", "Paintbrush-Format", "*.PCX",
    "TIFF-Format", "*.TIF", "Portable Pixelmap", "*.PPM", "PortableNetworkGraphics", "*.PNG", "Alle Dateien", "*.*"};

TEST_F(FileMenuTest, LoadPutsThePictureIntoTheActiveBuffer) {
  WritePicture("mond.png", "PNG", 40, 30);
  gProgramState.ActiveBuffer = 2;
  MessageBoxScript boxes;
  ChooserScript choosers;
  choosers.Choose(At("mond.png"));
  SendCommand(IDM_LOAD);
  ASSERT_EQ(1u, choosers.Count());
  const RecordedChooser c = choosers.Chooser(0);
  EXPECT_EQ(ChooserKind::PictureOpen, c.kind);
  EXPECT_EQ("Bild in Puffer B laden ...", c.title);
  EXPECT_EQ(kOpenFilter, c.filter);
  EXPECT_EQ(dir_, c.initialDirectory);
  EXPECT_EQ("", c.proposal);
  EXPECT_EQ(Frame(), c.owner);
  EXPECT_EQ(0u, boxes.Count());
  ASSERT_TRUE(IsSlotLoaded(2, &gProgramState));
  ImageHeader h;
  GetSlotHeader(&h, 2, &gProgramState);
  EXPECT_EQ(40, h.width);
  EXPECT_EQ(30, h.height);
  EXPECT_EQ(2, gProgramState.TargetBuffer);
  EXPECT_STREQ("mond.png", Metadata(2).fileName);
  EXPECT_NE(std::string::npos, Title(BufferWindow(2)).find("mond.png")) << Title(BufferWindow(2));
}

TEST_F(FileMenuTest, LoadIntoALoadedBufferAsksFirst) {
  WritePicture("neu.png", "PNG", 8, 8);
  const struct {
    int answer;
    bool chooserOpens;
  } kRows[] = {{IDNO, false}, {IDYES, true}};
  for (const auto& r : kRows) {
    LoadPicture(1, "alt.fts", 64, 48);
    MessageBoxScript boxes;
    boxes.Answer(r.answer);
    ChooserScript choosers;
    if (r.chooserOpens) choosers.Cancel();
    SendCommand(IDM_LOAD);
    ASSERT_GE(boxes.Count(), 1u);
    EXPECT_EQ("Soll der Puffer überladen werden ?", boxes.Box(0).text);
    EXPECT_EQ(r.chooserOpens ? 1u : 0u, choosers.Count());
    // Declined or cancelled: the old picture stays.
    ImageHeader h;
    GetSlotHeader(&h, 1, &gProgramState);
    EXPECT_EQ(64, h.width);
    EXPECT_EQ(r.answer == IDYES, IsSlotLoaded(5, &gProgramState) != 0);   // the undo copy was taken
    ClearSlot(5, &gProgramState);
  }
}

TEST_F(FileMenuTest, UnreadablePictureSaysSoAndLeavesTheBuffer) {
  const std::string path = At("kaputt.png");
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("kein PNG", f);
  std::fclose(f);
  MessageBoxScript boxes;
  ChooserScript choosers;
  choosers.Choose(path);
  SendCommand(IDM_LOAD);
  ASSERT_GE(boxes.Count(), 1u);
  const RecordedBox last = boxes.Box(boxes.Count() - 1);
  EXPECT_EQ("Bild " + path + " nicht ladbar !", last.text);
  EXPECT_EQ("Fehlermeldung", last.title);
  EXPECT_EQ(UINT(MB_ICONSTOP), last.Icon());
  EXPECT_FALSE(IsSlotLoaded(1, &gProgramState));
}

TEST_F(FileMenuTest, SavingAnEmptyBufferIsRefused) {
  MessageBoxScript boxes;
  ChooserScript choosers;
  SendCommand(IDM_SAVE);
  EXPECT_EQ(0u, choosers.Count());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Nanu Nanu ! Speichern eines leeren Puffers ?", boxes.Box(0).text);
  EXPECT_EQ("Programmhinweis", boxes.Box(0).title);
  EXPECT_EQ(UINT(MB_ICONEXCLAMATION), boxes.Box(0).Icon());
}

TEST_F(FileMenuTest, SaveWritesTheFileAndTheTitleShowsIt) {
  LoadPicture(1, "C:\\alt\\mond.fts", 32, 24, 0);
  MessageBoxScript boxes;
  ChooserScript choosers;
  choosers.Choose(At("mond"), 7);   // "TIFF-Format"
  SendCommand(IDM_SAVE);
  ASSERT_EQ(1u, choosers.Count());
  EXPECT_EQ("Bild aus Puffer A speichern ...", choosers.Chooser(0).title);
  EXPECT_EQ(kSaveFilter, choosers.Chooser(0).filter);
  EXPECT_EQ(0u, boxes.Count());
  const std::string written = At("mond.TIF");
  EXPECT_EQ(written, Metadata(1).path);
  EXPECT_NE(std::string::npos, Title(BufferWindow(1)).find(written)) << Title(BufferWindow(1));
  int16_t* samples = nullptr;
  ImageHeader h;
  ImageMetadata m;
  ASSERT_EQ(1, LoadImageFile(written.c_str(), "TIF", 1, &samples, &h, &m));
  EXPECT_EQ(32, h.width);
  FreeMem(&samples);
  // The proposal of the next save is the last name.
  choosers.Cancel();
  SendCommand(IDM_SAVE);
  EXPECT_EQ(At("mond"), choosers.Chooser(1).proposal);
}

TEST_F(FileMenuTest, SaveUnderAllFilesWithoutExtensionNamesNoFormat) {
  LoadPicture(1, "mond.fts", 16, 16, 0);
  MessageBoxScript boxes;
  ChooserScript choosers;
  choosers.Choose(At("mond"), 10);   // "Alle Dateien"
  SendCommand(IDM_SAVE);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ(At("mond") + "\nhat ein unbekanntes Format !", boxes.Box(0).text);
  EXPECT_EQ(0, GetFileAttributesA(At("mond").c_str()) != INVALID_FILE_ATTRIBUTES);
  // The title names the path chosen all the same.
  EXPECT_EQ(At("mond"), Metadata(1).path);
}

}  // namespace
