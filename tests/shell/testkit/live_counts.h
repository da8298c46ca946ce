// Leak checks for dialog tests: blocks of AllocMem still alive, and GDI
// objects a test has seen that still exist. Wine 8 does not implement
// GetGuiResources, so objects are watched one by one: GetObjectType of a
// deleted handle is 0.
//
//   const long blocks = LiveMemBlocks();
//   GdiWatch bitmaps;
//   ... for every refresh: bitmaps.Note(PreviewPaneOf(dlg)->bitmap);
//   EXPECT_EQ(1, bitmaps.Alive());
//   ... after the dialog: EXPECT_EQ(blocks, LiveMemBlocks());
#pragma once

#include <windows.h>

#include <vector>

#include "imagelib/image.h"   // LiveMemBlocks

class GdiWatch {
 public:
  // Remembers a handle (null and repeated handles are ignored).
  void Note(HGDIOBJ object);
  // How many of the noted handles still name an object.
  int Alive() const;
  int Noted() const { return int(objects_.size()); }

 private:
  std::vector<HGDIOBJ> objects_;
};
