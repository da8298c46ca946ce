// What the choosers make of a confirmed name, the filter's extension, the
// save proposal and the preview's geometry.
#include "shell/choosers/chosen_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

bool operator==(const PlotRect& a, const PlotRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

struct Split {
  const char* path;
  unsigned nameOffset, extensionOffset;   // as the platform returns them
  const char* directory;
  const char* name;                       // folded
  const char* extension;
  char drive;
};

TEST(ChosenNames, SplitsTheConfirmedPath) {
  const Split kRows[] = {
      {"C:\\Bilder\\Jupiter.PNG", 10, 18, "C:\\Bilder\\", "jupiter.png", "PNG", 'C'},
      {"d:\\serie\\mond", 9, 0, "d:\\serie\\", "mond", "", 'D'},
      {"d:\\serie\\mond", 9, 13, "d:\\serie\\", "mond", "", 'D'},            // offset of the end: none typed
      {"C:\\a.b", 3, 5, "C:\\", "a.b", "b", 'C'},
      {"C:\\x\\bild.abcdefghijk", 5, 10, "C:\\x\\", "bild.abcdefghijk", "abcdefg", 'C'},   // cut to the buffer
      {"C:\\x\\Bild", 99, 99, "C:\\x\\Bild", "", "", 'C'},                  // offsets past the end stay inside
  };
  for (const Split& r : kRows) {
    char directory[kChoiceTextSize], name[kChoiceTextSize], extension[kChoiceExtensionSize];
    ChosenDirectory(directory, sizeof directory, r.path, r.nameOffset);
    ChosenName(name, sizeof name, r.path, r.nameOffset);
    FoldToLower(name);
    ChosenExtension(extension, sizeof extension, r.path, r.extensionOffset);
    EXPECT_STREQ(r.directory, directory) << r.path;
    EXPECT_STREQ(r.name, name) << r.path;
    EXPECT_STREQ(r.extension, extension) << r.path;
    EXPECT_EQ(r.drive, ChosenDrive(r.path)) << r.path;
  }
}

TEST(ChosenNames, CopiesStayInsideTheirBuffers) {
  const std::string longPath = "C:\\" + std::string(2000, 'd') + "\\" + std::string(1500, 'n') + ".fts";
  char small[16];
  std::memset(small, 'x', sizeof small);
  ChosenDirectory(small, sizeof small, longPath.c_str(), 2004);
  EXPECT_EQ(15u, std::strlen(small));
  ChosenName(small, sizeof small, longPath.c_str(), 2004);
  EXPECT_EQ(std::string(15, 'n'), small);
}

TEST(ChosenNames, SaveProposalLosesOnlyAThreeLetterExtension) {
  const struct {
    const char* proposal;
    const char* opens;
  } kRows[] = {{"bild.fts", "bild"}, {"bild.jpeg", "bild.jpeg"}, {"bild.fz", "bild.fz"},
               {"a.b", "a.b"},       {".bmp", ""},               {"ab", "ab"},
               {"", ""},             {"C:\\x.y\\bild", "C:\\x.y\\bild"}};
  for (const auto& r : kRows) {
    char path[32];
    std::snprintf(path, sizeof path, "%s", r.proposal);
    CutSaveProposal(path);
    EXPECT_STREQ(r.opens, path) << r.proposal;
  }
}

constexpr char kFilter[] =
    "Bildformate\0*.BMP;*.FTS;*.FIT;*.PNG\0FITS-Bilder\0*.FTS;*.FIT\0Windows-Bitmaps\0*.BMP\0Alle Dateien\0*.*\0";

TEST(ChosenNames, ChosenFilterGivesItsExtension) {
  const struct {
    unsigned index;
    const char* withDot;
    const char* withoutDot;
  } kRows[] = {{1, ".PNG", "PNG"}, {2, ".FIT", "FIT"}, {3, ".BMP", "BMP"}, {4, "", ""}, {5, "", ""}, {0, "", ""}};
  for (const auto& r : kRows) {
    char ext[kChoiceExtensionSize];
    PatternExtension(ext, sizeof ext, FilterPattern(kFilter, r.index), true);
    EXPECT_STREQ(r.withDot, ext) << r.index;
    PatternExtension(ext, sizeof ext, FilterPattern(kFilter, r.index), false);
    EXPECT_STREQ(r.withoutDot, ext) << r.index;
  }
  EXPECT_EQ(nullptr, FilterPattern("Kaputt\0", 1));   // a description without pattern
  char ext[kChoiceExtensionSize];
  PatternExtension(ext, sizeof ext, "Alles", true);    // no "." at all
  EXPECT_STREQ("", ext);
}

TEST(ChosenNames, MultiSelectionDirectory) {
  char directory[kChoiceTextSize];
  const char kSeveral[] = "C:\\serie\0a.bmp\0b.bmp\0";
  ChosenListDirectory(directory, sizeof directory, kSeveral, 9);
  EXPECT_STREQ("C:\\serie", directory);
  ChosenListDirectory(directory, sizeof directory, "C:\\serie\\a.bmp", 9);
  EXPECT_STREQ("C:\\serie\\", directory);
}

TEST(ChosenNames, FrameIndexStaysInTheVideo) {
  const struct {
    int32_t index, count, kept;
  } kRows[] = {{15, 20, 15}, {15, 5, 4}, {4, 5, 4}, {-3, 5, 0}, {7, 0, 0}, {0, 1, 0}};
  for (const auto& r : kRows) EXPECT_EQ(r.kept, ClampFrameIndex(r.index, r.count)) << r.index << " of " << r.count;
}

TEST(ChosenNames, PreviewFitsTheWiderSideAndCentres) {
  const PicturePreviewFit f = FitPicturePreview(300, 300, 640, 480, false);
  ASSERT_TRUE(f.draw);
  EXPECT_FALSE(f.unscaled);
  EXPECT_EQ(2, f.reduction);
  EXPECT_EQ(0, f.x);
  EXPECT_EQ(37, f.y);
  EXPECT_EQ(300, f.width);
  EXPECT_EQ(225, f.height);
  ASSERT_EQ(2, f.bandCount);
  EXPECT_EQ((PlotRect{-1, -1, 301, 39}), f.bands[0]);   // 2 into the picture, 1 beyond the area
  EXPECT_EQ((PlotRect{-1, 260, 301, 301}), f.bands[1]);

  const PicturePreviewFit tall = FitPicturePreview(300, 200, 100, 400, false);
  EXPECT_EQ(2, tall.reduction);
  EXPECT_EQ(50, tall.width);
  EXPECT_EQ(200, tall.height);
  EXPECT_EQ(125, tall.x);
  EXPECT_EQ(1, FitPicturePreview(300, 300, 100, 80, false).reduction);   // enlarged, never below 1
}

TEST(ChosenNames, PreviewOneToOneWhenThePictureFits) {
  const PicturePreviewFit f = FitPicturePreview(300, 200, 100, 50, true);
  ASSERT_TRUE(f.unscaled);
  EXPECT_EQ(1, f.reduction);
  EXPECT_EQ(99, f.x);
  EXPECT_EQ(74, f.y);
  ASSERT_EQ(4, f.bandCount);
  EXPECT_EQ((PlotRect{0, 0, 100, 200}), f.bands[0]);
  EXPECT_EQ((PlotRect{198, 0, 300, 200}), f.bands[1]);
  EXPECT_EQ((PlotRect{0, 0, 300, 75}), f.bands[2]);
  EXPECT_EQ((PlotRect{0, 123, 300, 200}), f.bands[3]);
  // Too large for the area less its 2 pixels: fitted instead.
  EXPECT_FALSE(FitPicturePreview(300, 200, 299, 50, true).unscaled);
  const PicturePreviewFit exact = FitPicturePreview(300, 200, 298, 198, true);
  EXPECT_TRUE(exact.unscaled);
  EXPECT_EQ(0, exact.bandCount);
}

TEST(ChosenNames, EmptyPreviewOrPictureDrawsNothing) {
  const int32_t kSizes[][4] = {{0, 300, 640, 480}, {300, 0, 640, 480}, {300, 300, 0, 480},
                               {300, 300, 640, 0}, {-5, 300, 640, 480}};
  for (const auto& s : kSizes) {
    for (bool original : {false, true}) {
      const PicturePreviewFit f = FitPicturePreview(s[0], s[1], s[2], s[3], original);
      EXPECT_FALSE(f.draw) << s[0] << "x" << s[1] << " " << s[2] << "x" << s[3];
    }
  }
}

}  // namespace
