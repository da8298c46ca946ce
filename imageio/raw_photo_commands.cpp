#include "raw_photo_commands.h"

#include <new>
#include <vector>

#include "picture_files.h"
#include "raw_photos.h"
#include "shell/choosers/file_choosers.h"
#include "shell/program_state.h"

namespace {

// Lets the user pick files into list; 1 when confirmed.
int ChooseFiles(std::vector<char>* list, const char* filter, const char* title, int okMode) {
  try {
    list->assign(kChoiceListSize + 1, '\0');
  } catch (const std::bad_alloc&) {
    return 0;
  }
  char directory[kChoiceTextSize];
  char drive = 0;
  return ShowMultiOpenDialog(list->data(), directory, &drive, gProgramState.CurrentPath, filter, title, okMode,
                             PictureOwnerWindow());
}

}  // namespace

int ConvertRawPhotos() {
  static constexpr char kFilter[] =
      "Digitale RAW-Formate\0*.CRW;*.CR2;*.NEF;*.ARW\0Canon-RAW\0*.CRW;*.CR2\0Nikon-RAW\0*.NEF\0"
      "Sony-RAW\0*.ARW\0Alle Dateien\0*.*\0";
  std::vector<char> list;
  if (!ChooseFiles(&list, kFilter, "Zu konvertierende Digitalfotos auswählen", 0)) return 0;
  return ConvertChosenRawPhotos(list.data(), list.size());
}

int DeleteRawFrames() {
  std::vector<char> list;
  if (!ChooseFiles(&list, kPictureOpenFilter, "Zu löschende Rohbilder auswählen", 2)) return 0;
  return DeleteChosenFiles(list.data(), list.size());
}
