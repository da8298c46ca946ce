#include "stacking/win32/hot_pixel_commands.h"

#include "imagelib/hot_pixels.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/file_choosers.h"
#include "shell/message_box.h"
#include "stacking/frame/hot_pixel_file.h"
#include "stacking/win32/win_stack_host.h"

namespace {

void Error(HWND owner, const char* text) { ShowMessageBox(owner, text, kTitleError, MB_OK | MB_ICONSTOP); }

// The open chooser for a list, with an empty proposal.
bool ChooseList(HWND owner, ProgramState* ps) {
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  return ShowOpenFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kHotPixelFilter,
                            "Hotpixelliste auswählen ...", owner) == 1;
}

}  // namespace

int ApplyHotPixelList(int slot, ProgramState* ps, const char* fileName) {
  ImageHeader h;
  int16_t* samples = GetSlotPixels(slot, ps);
  if (!samples || !IsSlotLoaded(slot, ps) || !GetSlotHeader(&h, slot, ps)) return 0;
  const HWND owner = ProgramFrame();
  HotPixelFileList list;
  HpxError error = HpxError::kNone;
  if (!ReadHotPixelFile(fileName, &list, &error)) {
    Error(owner, HotPixelFileMessage(error));
    return 0;
  }
  if (list.width != h.width || list.height != h.height) {
    FreeMem(&list.entries);
    Error(owner, "Hotpixelliste paßt nicht zum Bild !");
    return 0;
  }
  RepairHotPixels(&h, samples, samples, reinterpret_cast<const HotPixelEntry*>(list.entries), list.count);
  FreeMem(&list.entries);
  return 1;
}

int LoadHotPixelListFile(HWND owner, ProgramState* ps, const char* fileName) {
  HotPixelFileList list;
  HpxError error = HpxError::kNone;
  if (!ReadHotPixelFile(fileName, &list, &error)) {
    Error(owner, HotPixelFileMessage(error));
    return 0;
  }
  HotPixelListBlock& block = ps->HotPixelList;
  ReleaseStateBuffer(ps, &block.Entries);
  block.Entries = list.entries;
  block.Count = list.count;
  block.Width = list.width;
  block.Height = list.height;
  return 1;
}

int ChooseAndApplyHotPixelList(HWND owner, ProgramState* ps) {
  if (!ChooseList(owner, ps)) return 0;
  return ApplyHotPixelList(ps->ActiveBuffer, ps, gFileChoice.Path);
}

int SelectHotPixelList(HWND owner, ProgramState* ps) {
  if (!ChooseList(owner, ps)) return 0;
  return LoadHotPixelListFile(owner, ps, gFileChoice.Path);
}
