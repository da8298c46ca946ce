// The one numbering of the output formats that the AVI splitting, the
// cut-out, the re-centring run and the batch jobs store in RecenterFormat.
#include "imageio/recenter_formats.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RecenterFormats, IndexGivesTheListTextAndTheExtension) {
  const struct {
    int index;
    const char* text;
    const char* extension;
  } cases[] = {
      {0, "Bitmaps (*.BMP)", ".bmp"},     {1, "FITS-Bilder (*.FIT)", ".fts"}, {2, "GIF-Format (*.GIF)", ".gif"},
      {3, "JPEG-Bilder (*.JPG)", ".jpg"}, {4, "PCX-Format (*.PCX)", ".pcx"},  {5, "PNG-Format (*.PNG)", ".png"},
      {6, "TIFF-Format (*.TIF)", ".tif"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.text, kRecenterFormats[c.index].listText);
    EXPECT_STREQ(c.extension, RecenterFormatExtension(c.index));
    EXPECT_EQ(c.index, ValidRecenterFormat(c.index));
  }
  EXPECT_EQ(nullptr, RecenterFormatExtension(-1));
  EXPECT_EQ(nullptr, RecenterFormatExtension(kRecenterFormatCount));
  EXPECT_EQ(0, ValidRecenterFormat(-3));
  EXPECT_EQ(0, ValidRecenterFormat(7));
}

// Every format list is a sorted combo box: its index is the table's only
// while the table itself is in the order the box sorts in.
TEST(RecenterFormats, TheTableIsInTheOrderOfASortedList) {
  for (int i = 1; i < kRecenterFormatCount; ++i)
    EXPECT_LT(std::string(kRecenterFormats[i - 1].listText), std::string(kRecenterFormats[i].listText)) << i;
}

}  // namespace
