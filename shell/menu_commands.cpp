#include "menu_commands.h"

#include "about_dialog.h"
#include "buffer_dialogs.h"
#include "buffer_slots.h"
#include "buffer_window.h"
#include "choosers/file_choosers.h"
#include "desktop.h"
#include "dialogkit/template_choice.h"
#include "directx/tyvcap/tyvcap.h"
#include "editing/calibration/dark_frame_dialog.h"
#include "editing/calibration/flat_field_dialog.h"
#include "editing/colour/colour_dialogs.h"
#include "editing/colour/colour_temperature_dialog.h"
#include "editing/contrast/contrast_dialog.h"
#include "editing/filter_dialog.h"
#include "editing/geometry/geometry_dialogs.h"
#include "editing/stars/star_dialogs.h"
#include "frame_window.h"
#include "imageio/avi_split_dialog.h"
#include "imageio/format_options_dialog.h"
#include "imageio/capture/capture_dialog.h"
#include "imageio/gps/gps_dialog.h"
#include "imageio/picture_files.h"
#include "imageio/raw_photo_commands.h"
#include "imageio/timelapse/time_lapse_dialog.h"
#include "menu_ids.h"
#include "message_box.h"
#include "program_state.h"
#include "stacking/noise_filter_dialog.h"
#include "stacking/manual/manual_stack_dialog.h"
#include "stacking/rgb_alignment_dialog.h"
#include "stacking/batch/batch_dialogs.h"
#include "stacking/recenter/recenter_dialog.h"
#include "stacking/recenter/restack_dialog.h"
#include "stacking/setup/classic_stack_dialog.h"
#include "stacking/setup/stack_wizard_dialog.h"
#include "stacking/win32/hot_pixel_commands.h"
#include "stacking/win32/hot_pixel_dialog.h"

namespace {

// What a command needs or sets before its dialog opens, in this order.
enum Needs : unsigned {
  kNeedsRecenterFile = 1u << 0,   // "recenter.tmp" in the program directory, else the item greys
  kNeedsBatchFile = 1u << 1,      // "batch.tmp" likewise
  kNeedsCaptureDevice = 1u << 2,  // at least one capture device
  kNeedsPicture = 1u << 3,        // the active buffer holds a picture
  kAsksOverwrite = 1u << 4,       // a loaded active buffer: ask, then keep its undo copy
  kTargetIsActive = 1u << 5,
  kClearsTarget = 1u << 6,
  kSetupFlag0 = 1u << 7,          // the dialog works on the buffers, not only on settings
  kClassicOff = 1u << 8,
  kClassicOn = 1u << 9,
  kModeless = 1u << 10,
};

enum class FollowUp {
  kNone,
  kTargetOnSuccess,   // any result above 0
  kTargetOnOne,
  kAll,               // whatever the result: the palette may have been shown changed
  kSeparation,        // the target, or all four when the channels went to A..D
  kCopyBuffer,
  kDeleteBuffer,
};

struct MenuCommand {
  UINT id;
  unsigned needs;
  const char* templateName;   // base name; null for commands without a dialog
  int sizes;                  // 1: the name as it is; 2: 800/1024; 3: 800/1024/1280
  DLGPROC procedure;          // null until the dialog is part of the program
  void (*action)(HWND frame); // commands that act at once
  FollowUp followUp;
};

// --- commands that act at once

const char* ActiveName() { return GetSlotName(gProgramState.ActiveBuffer); }

void LoadPicture(HWND frame) {
  ProgramState* ps = &gProgramState;
  FileChoice& f = gFileChoice;
  char title[64];
  std::snprintf(title, sizeof title, "Bild in %s laden ...", ActiveName());
  f.Path[0] = '\0';
  if (ShowPictureOpenDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kPictureOpenFilter,
                            title, frame) != 1)
    return;
  ps->TargetBuffer = ps->ActiveBuffer;
  SaveUndo(ps);
  int16_t* samples = nullptr;
  ImageHeader header;
  ImageMetadata metadata;
  InitImageHeader(&header);
  InitImageMetadata(&metadata);
  if (!LoadImageFile(f.Path, f.Extension, 1, &samples, &header, &metadata)) {
    ShowMessageBoxF(frame, kTitleError, MB_OK | MB_ICONSTOP, "Bild %s nicht ladbar !", f.Path);
    return;
  }
  ClearSlot(ps->TargetBuffer, ps);
  if (!InstallImage(ps->TargetBuffer, ps, samples, &header, &metadata)) FreeMem(&samples);
  RefreshBufferWindow(ps->ActiveBuffer);
}

void SavePicture(HWND frame) {
  ProgramState* ps = &gProgramState;
  FileChoice& f = gFileChoice;
  const int active = ps->ActiveBuffer;
  if (!IsSlotLoaded(active, ps)) {
    ShowMessageBox(frame, "Nanu Nanu ! Speichern eines leeren Puffers ?", kTitleNote, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  char title[64];
  std::snprintf(title, sizeof title, "Bild aus %s speichern ...", ActiveName());
  // The path keeps the last name as the proposal.
  if (ShowSaveFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, ps->CurrentPath, kPictureSaveFilter,
                         title, frame) != 1)
    return;
  ImageHeader header;
  GetSlotHeader(&header, active, ps);
  SaveImageFile(f.Path, f.Extension, 1, GetSlotPixels(active, ps), &header);
  // The title names the file chosen, also when writing it failed.
  ImageMetadata metadata;
  GetSlotMetadata(&metadata, active, ps);
  std::snprintf(metadata.path, sizeof metadata.path, "%s", f.Path);
  SetSlotMetadata(&metadata, active, ps);
  RefreshBufferWindow(active);
}

void ConvertRaw(HWND) { ConvertRawPhotos(); }
void DeleteRaw(HWND) { DeleteRawFrames(); }

void ApplyHotPixels(HWND frame) {
  if (ChooseAndApplyHotPixelList(frame, &gProgramState)) RefreshBufferWindow(gProgramState.ActiveBuffer);
}

void Quit(HWND frame) {
  if (AskQuit(frame)) PostQuitMessage(0);
}

void ToggleNightMode(HWND) {
  ProgramState* ps = &gProgramState;
  ps->NightMode = !ps->NightMode;
  if (ps->NightMode)
    SetNightColours(ps);
  else
    RestoreSystemColours(ps);
  CheckMenuItem(gMainMenu, IDM_NIGHT_MODE, MF_BYCOMMAND | (ps->NightMode ? MF_CHECKED : MF_UNCHECKED));
}

void Undo(HWND) {
  // The undo copy goes back into the active buffer, so that is what changed.
  RestoreUndo(&gProgramState);
  RefreshBufferWindow(gProgramState.ActiveBuffer);
}

void Cascade(HWND frame) { CascadeBufferWindows(frame); }
void Tile(HWND frame) { TileBufferWindows(frame); }
void CloseAll(HWND) { CloseAllBufferWindows(); }
void Nothing(HWND) {}

void ChooseBuffer(int buffer) {
  const HWND window = WindowOfSlot(buffer);
  if (!IsWindow(window)) return;
  gProgramState.ActiveBuffer = SlotOfWindow(window);
  SetFocus(window);
}
void ChooseA(HWND) { ChooseBuffer(1); }
void ChooseB(HWND) { ChooseBuffer(2); }
void ChooseC(HWND) { ChooseBuffer(3); }
void ChooseD(HWND) { ChooseBuffer(4); }

void Zoom(int buttonId) {
  const int active = gProgramState.ActiveBuffer;
  const HWND window = WindowOfSlot(active);
  if (IsSlotLoaded(active, &gProgramState) && IsWindow(window)) SendMessageA(window, WM_COMMAND, buttonId, 0);
}
void ZoomIn(HWND) { Zoom(IDC_BUFFER_ZOOM_IN); }
void ZoomOut(HWND) { Zoom(IDC_BUFFER_ZOOM_OUT); }

// Dialogs of later subsystems are named here with a null procedure until
// they are part of the program; each then greys its menu item.
constexpr MenuCommand kCommands[] = {
    // "&Datei"
    {IDM_LOAD, kAsksOverwrite, nullptr, 1, nullptr, LoadPicture, FollowUp::kNone},
    {IDM_SAVE, 0, nullptr, 1, nullptr, SavePicture, FollowUp::kNone},
    {IDM_CUT_OUT, kNeedsPicture, "bildausschneiden", 1, CutOutSaveDlgProc, nullptr, FollowUp::kNone},
    {IDM_GRAPHICS_FORMATS, 0, "grafiksetup", 1, GraphicsFormatsDlgProc, nullptr, FollowUp::kNone},
    {IDM_QUIT, 0, nullptr, 1, nullptr, Quit, FollowUp::kNone},
    // "Bi&ldaufnahme"
    {IDM_CAPTURE, kNeedsCaptureDevice, "dxaufnahme", 3, CaptureDlgProc, nullptr, FollowUp::kNone},
    {IDM_AVI_SPLIT, 0, "aviripper", 1, AviToPicturesDlgProc, nullptr, FollowUp::kNone},
    {IDM_DCRAW, 0, nullptr, 1, nullptr, ConvertRaw, FollowUp::kNone},
    {IDM_TIME_LAPSE, 0, "timelapse", 1, TimeLapseDlgProc, nullptr, FollowUp::kNone},
    {IDM_DELETE_RAW, 0, nullptr, 1, nullptr, DeleteRaw, FollowUp::kNone},
    {IDM_NIGHT_MODE, 0, nullptr, 1, nullptr, ToggleNightMode, FollowUp::kNone},
    {IDM_GPS, kModeless, "gpswerte", 1, GpsDlgProc, nullptr, FollowUp::kNone},
    // "Bild&überlagern "
    {IDM_STACK_WIZARD, kAsksOverwrite | kTargetIsActive | kSetupFlag0 | kClassicOff, "ueberlagermethode3", 1,
     StackWizardDlgProc, nullptr, FollowUp::kTargetOnOne},
    {IDM_STACK_CLASSIC, kAsksOverwrite | kTargetIsActive | kSetupFlag0 | kClassicOn, "ueberlagermethode2", 1,
     ClassicStackDlgProc, nullptr, FollowUp::kTargetOnOne},
    {IDM_RECENTER, kSetupFlag0 | kClassicOn, "rezentrieren", 1, RecenterDlgProc, nullptr, FollowUp::kNone},
    {IDM_RESTACK, kNeedsRecenterFile | kAsksOverwrite | kTargetIsActive | kClearsTarget | kSetupFlag0 | kClassicOn,
     "bildseriereadding", 1, RestackDlgProc, nullptr, FollowUp::kTargetOnOne},
    {IDM_BATCH, 0, "batchprocess", 1, BatchProcessDlgProc, nullptr, FollowUp::kNone},
    {IDM_BATCH_RESUME, kNeedsBatchFile, "batchweiter", 1, BatchResumeDlgProc, nullptr, FollowUp::kNone},
    // "&Bearbeiten"
    {IDM_HOT_PIXEL_APPLY, kNeedsPicture, nullptr, 1, nullptr, ApplyHotPixels, FollowUp::kNone},
    {IDM_HOT_PIXEL_LEARN, 0, "hotpixelmask", 2, HotPixelMaskDlgProc, nullptr, FollowUp::kNone},
    {IDM_DARK_FRAME, kNeedsPicture, "dunkelfeld", 2, DarkFrameDlgProc, nullptr, FollowUp::kTargetOnSuccess},
    {IDM_FLAT_FIELD, kNeedsPicture, "flatfield", 2, FlatFieldDlgProc, nullptr, FollowUp::kTargetOnSuccess},
    {IDM_RGB_ALIGN, kNeedsPicture | kSetupFlag0, "rgbkorrektur", 2, RgbAlignmentDlgProc, nullptr,
     FollowUp::kTargetOnSuccess},
    {IDM_RED_WEAKNESS, kNeedsPicture | kSetupFlag0, "rotschwachcorr", 2, RedWeaknessDlgProc, nullptr,
     FollowUp::kTargetOnSuccess},
    {IDM_FILTER, kNeedsPicture, "filtersetup3", 1, FilterSetupDlgProc, nullptr, FollowUp::kTargetOnSuccess},
    {IDM_CONTRAST, kNeedsPicture | kSetupFlag0, "kontrastierung2", 1, ContrastDlgProc, nullptr,
     FollowUp::kTargetOnSuccess},
    {IDM_SCALE_RECTIFY, kNeedsPicture, "vergroessern", 2, ScaleRectifyDlgProc, nullptr, FollowUp::kTargetOnSuccess},
    {IDM_FLIP_MIRROR, kNeedsPicture, "flipmirror", 2, FlipMirrorDlgProc, nullptr, FollowUp::kTargetOnSuccess},
    {IDM_SHIFT_DIFFERENCE, kNeedsPicture, "shiftdifferenz", 2, ShiftDifferenceDlgProc, nullptr,
     FollowUp::kTargetOnSuccess},
    {IDM_REMOVE_STARS, kNeedsPicture, "removestars", 2, RemoveStarsDlgProc, nullptr, FollowUp::kTargetOnSuccess},
    {IDM_COLOUR_SEPARATION, kNeedsPicture, "farbentrennen", 1, ColourSeparationDlgProc, nullptr,
     FollowUp::kSeparation},
    {IDM_TONE_COLOUR_TEMP, kNeedsPicture, "farbtemp", 2, ColourTemperatureDlgProc, nullptr,
     FollowUp::kTargetOnSuccess},
    {IDM_PALETTE, 0, "farbpalette", 1, PaletteDlgProc, nullptr, FollowUp::kAll},
    {IDM_UNDO, 0, nullptr, 1, nullptr, Undo, FollowUp::kNone},
    // "&Fenster"
    {IDM_CASCADE, 0, nullptr, 1, nullptr, Cascade, FollowUp::kNone},
    {IDM_TILE, 0, nullptr, 1, nullptr, Tile, FollowUp::kNone},
    {IDM_BUFFER_A, 0, nullptr, 1, nullptr, ChooseA, FollowUp::kNone},
    {IDM_BUFFER_B, 0, nullptr, 1, nullptr, ChooseB, FollowUp::kNone},
    {IDM_BUFFER_C, 0, nullptr, 1, nullptr, ChooseC, FollowUp::kNone},
    {IDM_BUFFER_D, 0, nullptr, 1, nullptr, ChooseD, FollowUp::kNone},
    {IDM_ZOOM_IN, 0, nullptr, 1, nullptr, ZoomIn, FollowUp::kNone},
    {IDM_ZOOM_OUT, 0, nullptr, 1, nullptr, ZoomOut, FollowUp::kNone},
    {IDM_BUFFER_COPY, 0, "puffercopy", 1, BufferCopyDlgProc, nullptr, FollowUp::kCopyBuffer},
    {IDM_BUFFER_DELETE, 0, "pufferdelete", 1, BufferDeleteDlgProc, nullptr, FollowUp::kDeleteBuffer},
    // "&Info"
    {IDM_ABOUT, 0, "logo", 1, LogoDlgProc, nullptr, FollowUp::kNone},
    // without a menu item
    {IDM_NOISE_FILTER, kNeedsPicture | kSetupFlag0, "rauschfilter", 1, NoiseFilterSetupDlgProc, nullptr,
     FollowUp::kTargetOnSuccess},
    {IDM_MANUAL_STACK, kAsksOverwrite | kTargetIsActive | kClearsTarget, "handanpass", 2, ManualStackDlgProc, nullptr,
     FollowUp::kTargetOnOne},
    {IDM_CLOSE_ALL, 0, nullptr, 1, nullptr, CloseAll, FollowUp::kNone},
    {IDM_NOTHING, 0, nullptr, 1, nullptr, Nothing, FollowUp::kNone},
};

DialogOpener gOpener = nullptr;
void* gOpenerContext = nullptr;

const MenuCommand* FindCommand(UINT id) {
  for (const MenuCommand& c : kCommands)
    if (c.id == id) return &c;
  return nullptr;
}

bool Available(const MenuCommand& c) {
  if (c.templateName) return c.procedure || gOpener;
  return c.action != nullptr;
}

bool ActiveHoldsPicture() { return IsSlotLoaded(gProgramState.ActiveBuffer, &gProgramState) != 0; }

int CountCaptureDevices() {
  wchar_t** names = nullptr;
  if (!TYVCAP_AllocWcharArray(&names, 20, 84)) return 0;
  const int count = TYVCAP_EnumCaptureDevices(names);
  TYVCAP_FreeWcharArray(names);
  return count;
}

// The checks and settings before the dialog; false ends the command.
bool Prepare(HWND frame, const MenuCommand& c) {
  ProgramState* ps = &gProgramState;
  if ((c.needs & kNeedsRecenterFile) && !ProgramFileExists("recenter.tmp")) {
    EnableMenuItem(gMainMenu, c.id, MF_BYCOMMAND | MF_GRAYED);
    return false;
  }
  if ((c.needs & kNeedsBatchFile) && !ProgramFileExists("batch.tmp")) {
    EnableMenuItem(gMainMenu, c.id, MF_BYCOMMAND | MF_GRAYED);
    return false;
  }
  if (c.needs & kNeedsCaptureDevice) {
    gCaptureAvailable = CountCaptureDevices() > 0;
    if (!gCaptureAvailable) {
      ShowMessageBox(frame, "Es sind keine Kameras oder Videoeingänge vorhanden.", kTitleNote,
                     MB_OK | MB_ICONINFORMATION);
      return false;
    }
  }
  if ((c.needs & kNeedsPicture) && !ActiveHoldsPicture()) {
    ShowMessageBoxF(frame, kTitleNote, MB_OK | MB_ICONEXCLAMATION, "Nanu Nanu ! Der %s ist leer.", ActiveName());
    return false;
  }
  if ((c.needs & kAsksOverwrite) && ActiveHoldsPicture()) {
    if (ShowMessageBox(frame, "Soll der Puffer überladen werden ?", kTitleQuestion, MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
      return false;
    SaveUndo(ps);
  }
  if (c.needs & kTargetIsActive) ps->TargetBuffer = ps->ActiveBuffer;
  if (c.needs & kClearsTarget) ClearSlot(ps->TargetBuffer, ps);
  if (c.needs & kSetupFlag0) ps->OpenedFromSetup = 0;
  if (c.needs & kClassicOff) ps->Classicmode = 0;
  if (c.needs & kClassicOn) ps->Classicmode = 1;
  return true;
}

void RefreshAllBuffers() {
  for (int b = 1; b <= kBufferCount; ++b) RefreshBufferWindow(b);
}

// "Soll %s ... werden ?" for a loaded target; true to go on.
bool ConfirmTarget(HWND frame, const char* format) {
  const int target = gProgramState.TargetBuffer;
  if (!IsSlotLoaded(target, &gProgramState)) return true;
  return ShowMessageBoxF(frame, kTitleQuestion, MB_YESNO | MB_ICONQUESTION, format, GetSlotName(target)) == IDYES;
}

void CopyIntoTarget(HWND frame) {
  ProgramState* ps = &gProgramState;
  if (!ConfirmTarget(frame, "Soll %s überschrieben werden ?")) return;
  SaveUndo(ps);
  if (!CopySlot(ps->SourceBuffer, ps->TargetBuffer, ps) && IsSlotLoaded(ps->SourceBuffer, ps))
    ShowMessageBox(frame, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
  RefreshBufferWindow(ps->TargetBuffer);
}

void DeleteTarget(HWND frame) {
  ProgramState* ps = &gProgramState;
  if (!ConfirmTarget(frame, "Soll %s gelöscht werden ?")) return;
  SaveUndo(ps);
  ClearSlot(ps->TargetBuffer, ps);
  RefreshBufferWindow(ps->TargetBuffer);
  if (const HWND window = WindowOfSlot(ps->TargetBuffer)) UpdateWindow(window);
}

void Finish(HWND frame, const MenuCommand& c, INT_PTR result) {
  const int target = gProgramState.TargetBuffer;
  switch (c.followUp) {
    case FollowUp::kNone:
      break;
    case FollowUp::kTargetOnSuccess:
      if (result > 0) RefreshBufferWindow(target);
      break;
    case FollowUp::kTargetOnOne:
      if (result == 1) RefreshBufferWindow(target);
      break;
    case FollowUp::kAll:
      RefreshAllBuffers();
      break;
    case FollowUp::kSeparation:
      if (result <= 0) break;
      if (gProgramState.SeparateMethod)
        RefreshBufferWindow(target);
      else
        RefreshAllBuffers();
      break;
    case FollowUp::kCopyBuffer:
      if (result > 0) CopyIntoTarget(frame);
      break;
    case FollowUp::kDeleteBuffer:
      if (result > 0) DeleteTarget(frame);
      break;
  }
}

INT_PTR OpenDialog(HWND frame, const MenuCommand& c, const char* name) {
  // The GPS dialog exists once: the command brings it to the front.
  if ((c.needs & kModeless) && IsWindow(gGpsDialog)) {
    ShowWindow(gGpsDialog, SW_SHOWNORMAL);
    SetActiveWindow(gGpsDialog);
    return 1;
  }
  if (gOpener) return gOpener(gOpenerContext, frame, name, c.procedure);
  if (c.needs & kModeless) {
    gGpsDialog = CreateDialogParamA(gInstance, name, frame, c.procedure, 0);
    return gGpsDialog ? 1 : -1;
  }
  return DialogBoxParamA(gInstance, name, frame, c.procedure, 0);
}

}  // namespace

void ChooseTemplate(char* out, size_t capacity, const char* base, int sizes, int screenHeight) {
  const TemplateSizes& by = sizes >= 3 ? kCaptureSizesByLines : sizes == 2 ? kSizesByLines : kSingleSize;
  ChooseDialogTemplate(out, capacity, base, by, screenHeight);
}

int DispatchMenuCommand(HWND frame, UINT id) {
  const MenuCommand* c = FindCommand(id);
  if (!c) return 0;
  if (!Available(*c) || !Prepare(frame, *c)) return 1;
  if (c->action) {
    c->action(frame);
    return 1;
  }
  char name[64];
  ChooseTemplate(name, sizeof name, c->templateName, c->sizes, gProgramState.ScreenHeight);
  const INT_PTR result = OpenDialog(frame, *c, name);
  if (result == -1) {
    // No dialog ran, so nothing may be taken as done.
    ShowMessageBoxF(frame, kTitleError, MB_OK | MB_ICONSTOP, "Dialog %s ist nicht zu öffnen !", name);
    return 1;
  }
  Finish(frame, *c, result);
  return 1;
}

int IsCommandAvailable(UINT id) {
  const MenuCommand* c = FindCommand(id);
  return c && Available(*c);
}

void EnableCommandItem(HMENU menu, UINT id, int enable) {
  EnableMenuItem(menu, id, MF_BYCOMMAND | (enable && IsCommandAvailable(id) ? MF_ENABLED : MF_GRAYED));
}

void EnableColourOnlyCommands(HMENU menu, int enable) {
  static constexpr UINT kColourOnly[] = {IDM_RGB_ALIGN, IDM_RED_WEAKNESS, IDM_COLOUR_SEPARATION,
                                         IDM_TONE_COLOUR_TEMP};
  for (UINT id : kColourOnly) EnableCommandItem(menu, id, enable);
}

void GreyUnavailableCommands(HMENU menu) {
  for (const MenuCommand& c : kCommands)
    if (!Available(c)) EnableMenuItem(menu, c.id, MF_BYCOMMAND | MF_GRAYED);
}

void SetDialogOpener(DialogOpener opener, void* context) {
  gOpener = opener;
  gOpenerContext = context;
}
