// "Sterne aus- und einmaskieren": "Ausmaskieren" shows the visible section
// without its stars (radii scaled to the preview), "Einmaskieren" puts them
// back from the mask in memory or from a mask file, and "&Übernehmen" does to
// the whole picture what the preview shows, into the chosen buffer.
#include <cstdio>
#include <cstring>

#include "editing/stars/star_corrections_core.h"
#include "editing/stars/star_dialogs.h"
#include "editing/stars/star_ids.h"
#include "imageio/picture_files.h"
#include "imagelib/stars.h"
#include "shell/buffer_slots.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/dialogkit/section_preview.h"
#include "shell/message_box.h"

namespace {

constexpr char kFitsFilter[] = "FITS-Bilder\0*.FTS;*.FIT\0";

// The settings reach "tyvorn.ini" with all others, not from here.
constexpr DialogFrameSpec kSpec = {
    kNoHotKeyEntry, nullptr, 0, IDC_STARS_TARGET_A, IDC_STARS_APPLY,
    kFrameNeedsPicture | kFrameEndsOnRefusal | kFrameUndoTarget, nullptr, nullptr,
};
constexpr PreviewPaneSpec kPane = {IDC_STARS_PREVIEW, IDC_STARS_HSCROLL, IDC_STARS_VSCROLL,
                                   IDC_STARS_MINUS,   IDC_STARS_PLUS,    IDC_STARS_STATUS};
constexpr BarSpec kBars[] = {
    {IDC_STARS_RADIUS_BAR, IDC_STARS_RADIUS_VALUE, 1, 14, 2, BarMap::kLinear, 1.0, BarText::kLong, "%ld",
     KIT_FIELD(ProgramState, Maskradius)},
    {IDC_STARS_BLUE_BAR, IDC_STARS_BLUE_VALUE, 0, 6, 1, BarMap::kLinear, 1.0, BarText::kLong, "%ld",
     KIT_FIELD(ProgramState, Blueradius)},
    {IDC_STARS_LEVEL_BAR, IDC_STARS_LEVEL_VALUE, 2, 18, 2, BarMap::kLinear, 0.05, BarText::kDouble, "%4.2lf",
     KIT_FIELD(ProgramState, Masklevel)},
};
constexpr CheckSpec kChecks[] = {{IDC_STARS_BLUE_LIMB, KIT_FIELD(ProgramState, IsBlueLimb), false}};
constexpr ControlTable kTable = {kBars, {}, kChecks, {}};

enum class MaskState { kNone, kOut, kIn };

DialogFrame gFrame;
PreviewPane gPane;
int32_t gReduction = 1;             // kept between openings
SectionPreview gView;
int16_t* gMask = nullptr;           // of the section after "Ausmaskieren"
int16_t* gResult = nullptr;         // the whole picture with the stars of a mask file
MaskState gState = MaskState::kNone;
bool gMaskFromFile = false;
char gMaskFile[kChoiceTextSize] = "";
char gMaskFileExtension[kChoiceExtensionSize] = "";
char gSaveName[kChoiceTextSize] = "";
char gSaveExtension[kChoiceExtensionSize] = "";

ProgramState* State() { return &gProgramState; }
const int16_t* Source() { return GetSlotPixels(State()->SourceBuffer, State()); }

int32_t BlueRadius(const ProgramState* ps) { return ps->IsBlueLimb ? ps->Blueradius : 0; }

void EnableBlue(HWND dialog) {
  const bool on = State()->IsBlueLimb != 0;
  EnableWindow(GetDlgItem(dialog, IDC_STARS_BLUE_LABEL), on);
  EnableBar(dialog, kBars[1], on);
}

// The preview's stars go with the radii the reduction leaves them; the mask
// of the section stays in memory for "Einmaskieren".
ImageResult MaskSection(const int16_t* source, int16_t* result, const ImageHeader* header) {
  const ProgramState* ps = State();
  return MaskStars(result, source, header, ps->Masklevel, PreviewStarRadius(ps->Maskradius, gReduction),
                   PreviewStarRadius(BlueRadius(ps), gReduction), &gMask);
}

// The section again, from the picture the state says, masked while the
// stars are out.
void Refresh() {
  if (!gFrame.open) return;
  const bool fromResult = gState == MaskState::kIn && gMaskFromFile && gResult;
  // A mask in memory belongs to the section it was made of.
  if (gState != MaskState::kOut) FreeMem(&gMask);
  ShowCorrectedSection(&gPane, &gView, fromResult ? gResult : Source(),
                       gState == MaskState::kOut ? MaskSection : nullptr);
}

// Loads the mask file into *mask and checks it against the source; false
// after the box that says why.
bool LoadMaskFile(int16_t** mask) {
  ImageHeader header;
  ImageMetadata metadata;
  InitImageHeader(&header);
  InitImageMetadata(&metadata);
  if (!LoadImageFile(gMaskFile, gMaskFileExtension, 0, mask, &header, &metadata)) {
    ShowMessageBoxF(gFrame.dialog, kTitleError, MB_OK | MB_ICONSTOP, "Sternmaske %s nicht ladbar !", gMaskFile);
    return false;
  }
  if (header.width != gView.header.width || header.height != gView.header.height ||
      header.colourType != gView.header.colourType) {
    FreeMem(mask);
    ShowMessageBox(gFrame.dialog, "Sternmaske paßt nicht zum Bild", kTitleError, MB_OK | MB_ICONSTOP);
    return false;
  }
  return true;
}

// The whole-picture block; false after "Nicht genug Speicher !".
bool HaveResult() {
  if (gResult || AllocPixels(&gResult, &gView.header)) return true;
  ShowMessageBox(gFrame.dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
  return false;
}

// The stars of the mask file into the whole picture, into gResult.
bool ApplyMaskFile() {
  int16_t* mask = nullptr;
  if (!LoadMaskFile(&mask)) return false;
  bool done = false;
  if (HaveResult()) done = !ShowImageResult(gFrame.dialog, ReplaceMaskedPixels(gResult, Source(), mask, &gView.header));
  FreeMem(&mask);
  return done;
}

void MaskOut() {
  gState = MaskState::kOut;
  Refresh();
}

void MaskIn(HWND dialog) {
  if (gMask) {
    ReplaceMaskedPixels(gView.section, gView.section, gMask, &gView.sectionHeader);
    gMaskFromFile = false;
    gState = MaskState::kIn;
    ShowSectionPreview(&gPane, gView.section, &gView.sectionHeader);
    return;
  }
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  if (ShowPictureOpenDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, State()->CurrentPath, kFitsFilter,
                            "Sternmaske laden ...", dialog) != 1)
    return;
  std::snprintf(gMaskFile, sizeof gMaskFile, "%s", f.Path);
  std::snprintf(gMaskFileExtension, sizeof gMaskFileExtension, "%s", f.Extension);
  if (!ApplyMaskFile()) return;
  gMaskFromFile = true;
  gState = MaskState::kIn;
  Refresh();
}

void ChooseSaveName(HWND dialog) {
  FileChoice& f = gFileChoice;
  f.Path[0] = '\0';
  if (ShowSaveFileDialog(f.Path, f.Name, f.Directory, f.Extension, &f.Drive, State()->CurrentPath, kFitsFilter,
                         "Sternmaske abspeichern ...", dialog) != 1)
    return;
  std::snprintf(gSaveName, sizeof gSaveName, "%s", f.Path);
  std::snprintf(gSaveExtension, sizeof gSaveExtension, "%s", f.Extension);
}

ApplyOutcome Apply(DialogFrame* frame, void*) {
  ProgramState* ps = frame->ps;
  FreeMem(&gMask);
  if (gState == MaskState::kOut) {
    if (!HaveResult()) return ApplyOutcome::kStay;
    int16_t* mask = nullptr;
    const ImageResult r =
        MaskStars(gResult, Source(), &gView.header, ps->Masklevel, ps->Maskradius, BlueRadius(ps), &mask);
    if (ShowImageResult(frame->dialog, r)) return ApplyOutcome::kStay;
    if (gSaveName[0]) SaveImageFile(gSaveName, gSaveExtension, 1, mask, &gView.header);
    FreeMem(&mask);
  } else if (gState == MaskState::kIn && gMaskFromFile) {
    // The file again: it may have changed since "Einmaskieren".
    if (!ApplyMaskFile()) return ApplyOutcome::kStay;
  } else {
    if (!HaveResult()) return ApplyOutcome::kStay;
    std::memcpy(gResult, Source(), SampleBytes(&gView.header));
  }
  if (InstallImage(ps->TargetBuffer, ps, gResult, &gView.header, &gView.metadata)) gResult = nullptr;
  return ApplyOutcome::kDone;
}

void Open(HWND dialog) {
  gState = MaskState::kNone;
  gMaskFromFile = false;
  gMaskFile[0] = gSaveName[0] = '\0';
  if (OpenDialogFrame(&gFrame, &kSpec, dialog) != FrameSource::kOk) return;
  InitPreviewPane(&gPane, &kPane, dialog, &gReduction);
  DialogFrameOwnPane(&gFrame, &gPane);
  DialogFrameOwnBlock(&gFrame, &gMask);
  DialogFrameOwnBlock(&gFrame, &gResult);
  if (!TakeSectionPreview(&gFrame, &gPane, &gView)) return;
  ClampTableFields(kTable, State());
  ShowControlTable(dialog, kTable, State());
  EnableBlue(dialog);
  Refresh();
}

BOOL Command(HWND dialog, int id, int notification) {
  if (!gFrame.open) return FALSE;
  if (HandleTargetRadio(&gFrame, id)) return TRUE;
  if (HandleTableCommand(dialog, kTable, State(), id, notification)) {
    EnableBlue(dialog);
    Refresh();
    return TRUE;
  }
  if (HandlePreviewButton(&gPane, id)) {
    Refresh();
    return TRUE;
  }
  switch (id) {
    case IDC_STARS_MASK_OUT:
      MaskOut();
      return TRUE;
    case IDC_STARS_MASK_IN:
      MaskIn(dialog);
      return TRUE;
    case IDC_STARS_SAVE_MASK:
      ChooseSaveName(dialog);
      return TRUE;
    case IDC_STARS_APPLY:
      CommitDialogFrame(&gFrame, Apply, nullptr);
      return TRUE;
    case IDC_STARS_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK RemoveStarsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (HandleTableScroll(dialog, kTable, State(), reinterpret_cast<HWND>(lParam), wParam) ||
          HandlePreviewScroll(&gPane, reinterpret_cast<HWND>(lParam), wParam))
        Refresh();
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
