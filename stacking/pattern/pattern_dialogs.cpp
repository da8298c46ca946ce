// The pattern, coordinate and derotation dialogs: one implementation, the
// differences between the three in kVariants.
#include "stacking/pattern/pattern_dialogs.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "imageio/picture_files.h"
#include "imagelib/primitives.h"
#include "imagelib/statistics.h"
#include "shell/choosers/file_choosers.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/message_box.h"
#include "stacking/frame/pretreatment.h"
#include "stacking/pattern/pattern_geometry.h"
#include "stacking/pattern/pattern_ids.h"
#include "stacking/win32/win_stack_host.h"

namespace {

constexpr int32_t kHistogramBins = 32768;
constexpr COLORREF kBoxColour = RGB(255, 0, 0);
constexpr char kAviFilterWithAll[] = "AVI-Videos\0*.AVI\0Alle Dateien\0*.*\0";
constexpr char kAviFilterOnly[] = "AVI-Videos\0*.AVI\0";

struct Variant {
  const char* base;              // template name without its size
  PreviewPaneSpec pane;
  int next, cancel, choose, larger, smaller, fft;
  int corrBar, corrText, radiusBar, radiusText;
  int histogram;                 // the box histogram's frame; 0 for none
  int nearCheck;                 // "Umgebung" (Turbo); 0 for none: the radius is always offered
  int firstChannel;              // the four channel buttons (FitColor); 0 for none
  bool showFft;
  const char* aviFilter;
  const char* aviProposal;
  const int* inert;              // shown, but nothing reads them: disabled
  int inertCount;
};

constexpr int kKoordInert[] = {IDC_KOORD_XSHIFT, IDC_KOORD_XSHIFT_SPIN, IDC_KOORD_YSHIFT, IDC_KOORD_YSHIFT_SPIN,
                               IDC_KOORD_TIMED};
constexpr int kDerotInert[] = {IDC_DEROT_HISTOGRAM2};

enum VariantIndex { kPattern, kCoordinates, kDerotation, kVariantCount };

constexpr Variant kVariants[kVariantCount] = {
    {"passmuster",
     {IDC_PAT_PREVIEW, IDC_PAT_HSCROLL, IDC_PAT_VSCROLL, IDC_PAT_MINUS, IDC_PAT_PLUS, 0},
     IDC_PAT_NEXT, IDC_PAT_CANCEL, IDC_PAT_CHOOSE, IDC_PAT_LARGER, IDC_PAT_SMALLER, IDC_PAT_FFT,
     IDC_PAT_CORR_BAR, IDC_PAT_CORR_TEXT, IDC_PAT_RADIUS_BAR, IDC_PAT_RADIUS_TEXT,
     IDC_PAT_HISTOGRAM, IDC_PAT_NEAR, IDC_PAT_LUMINANCE, false, kAviFilterWithAll, "*.avi", nullptr, 0},
    {"koordadding",
     {IDC_KOORD_PREVIEW, IDC_KOORD_HSCROLL, IDC_KOORD_VSCROLL, IDC_KOORD_MINUS, IDC_KOORD_PLUS, 0},
     IDC_KOORD_NEXT, IDC_KOORD_CANCEL, IDC_KOORD_CHOOSE, IDC_KOORD_LARGER, IDC_KOORD_SMALLER, IDC_KOORD_FFT,
     IDC_KOORD_CORR_BAR, IDC_KOORD_CORR_TEXT, IDC_KOORD_RADIUS_BAR, IDC_KOORD_RADIUS_TEXT,
     0, 0, 0, true, kAviFilterOnly, "*.*", kKoordInert, int(sizeof kKoordInert / sizeof kKoordInert[0])},
    {"derotadding",
     {IDC_DEROT_PREVIEW, IDC_DEROT_HSCROLL, IDC_DEROT_VSCROLL, IDC_DEROT_MINUS, IDC_DEROT_PLUS, 0},
     IDC_DEROT_NEXT, IDC_DEROT_CANCEL, IDC_DEROT_CHOOSE, IDC_DEROT_LARGER, IDC_DEROT_SMALLER, IDC_DEROT_FFT,
     IDC_DEROT_CORR_BAR, IDC_DEROT_CORR_TEXT, IDC_DEROT_RADIUS_BAR, IDC_DEROT_RADIUS_TEXT,
     IDC_DEROT_HISTOGRAM1, 0, 0, true, kAviFilterOnly, "*.*", kDerotInert,
     int(sizeof kDerotInert / sizeof kDerotInert[0])},
};

// What one dialog holds while it is open; the reduction stays for the
// program's lifetime. One dialog of each kind at a time.
struct Session {
  const Variant* v;
  DialogFrameSpec spec;
  DialogFrame frame;
  PreviewPane pane;
  int32_t reduction;
  ImageHeader header;
  int16_t* samples;              // the pre-treated reference picture
  uint32_t* histogram;
  MarkerRecord box;              // in picture pixels
  bool hasBox;
  BarSpec bars[2];               // correlation, radius (whose range follows the picture)
  RadioSpec channels[1];
  CheckSpec nearCheck[1];
  ControlTable table;
  char extension[kChoiceExtensionSize];
  bool templateFailed;           // the last "&Weiter" could not cut the template
};

Session gSessions[kVariantCount];

ProgramState* State() { return &gProgramState; }

void SetUpTable(Session* s) {
  const Variant& v = *s->v;
  s->bars[0] = BarSpec{v.corrBar, v.corrText, 100, 200, 20, BarMap::kLinear, 0.005, BarText::kDouble, "%5.3lf",
                       KIT_FIELD(ProgramState, MinCorrelation)};
  s->bars[1] = BarSpec{v.radiusBar, v.radiusText, 10, 200, 10, BarMap::kLinear, 1.0, BarText::kLong, "%ld",
                       KIT_FIELD(ProgramState, Searchradius)};
  s->channels[0] = RadioSpec{v.firstChannel, 4, 0, KIT_FIELD(ProgramState, FitColor)};
  s->nearCheck[0] = CheckSpec{v.nearCheck, KIT_FIELD(ProgramState, Turbo), false};
  s->table = ControlTable{};
  s->table.bars = s->bars;
  if (v.firstChannel) s->table.radios = s->channels;
  if (v.nearCheck) s->table.checks = s->nearCheck;
}

void EnableItem(HWND dialog, int id, bool on) {
  if (HWND item = GetDlgItem(dialog, id)) EnableWindow(item, on);
}

void EnableChannels(Session* s, bool on) {
  if (!s->v->firstChannel) return;
  for (int i = 0; i < 4; ++i) EnableItem(s->frame.dialog, s->v->firstChannel + i, on);
}

// The radius bar is offered while the neighbourhood search is on, or always
// where the dialog has no such switch.
void EnableRadius(Session* s) {
  EnableBar(s->frame.dialog, s->bars[1], !s->v->nearCheck || State()->Turbo);
}

void Redraw(Session* s) {
  RedrawPreview(&s->pane);
  if (s->v->histogram) RepaintPlot(s->frame.dialog, s->v->histogram);
}

// The picture and everything drawn from it go together, so no paint can
// reach samples that are gone.
void DropPicture(Session* s) {
  s->hasBox = false;
  FreeMem(&s->samples);
  SetPreviewPicture(&s->pane, nullptr);
  SetPreviewBitmap(&s->pane, nullptr);
  if (s->v->histogram) RepaintPlot(s->frame.dialog, s->v->histogram);
}

void ShowPicture(Session* s) { ShowPreviewSamples(&s->pane, s->samples, &s->header); }

void DrawBox(void* context, HDC dc, const PreviewMapping* map) {
  auto* s = static_cast<Session*>(context);
  if (!s->hasBox) return;
  PlaceMarkerOnPane(&s->box, dc, map);
  DrawMarker(&s->box);
}

void PaintBoxHistogram(void* context, HDC dc, const RECT* client) {
  auto* s = static_cast<Session*>(context);
  if (!s->samples || !s->hasBox || !s->histogram || !s->pane.bitmap) {
    PaintHistogramPlot(dc, client, 0, nullptr, 0);
    return;
  }
  ImageHeader h = s->header;
  h.levels = std::clamp<int32_t>(h.levels, 1, kHistogramBins);
  const int32_t* g = s->box.geometry;
  const ImageRect r = {g[0], g[1], g[2], g[3]};
  if (ComputeRegionHistogram(&r, &h, s->samples, s->histogram) != IMG_OK) {
    PaintHistogramPlot(dc, client, 0, nullptr, 0);
    return;
  }
  PaintHistogramPlot(dc, client, h.levels, s->histogram, 0);
}

// The box side for the picture and the FFT switch, kept inside the picture.
int32_t StartSide(const Session* s) {
  const bool fft = State()->FitFFT != 0;
  return FitPatternBoxSize(PatternStartBoxSize(s->header.width, fft), s->header.width, s->header.height, fft);
}

void Open(Session* s, HWND dialog) {
  ProgramState* ps = State();
  const Variant& v = *s->v;
  s->spec = DialogFrameSpec{kHotKeyPattern, nullptr, 0, 0, v.next, 0, nullptr, nullptr};
  OpenDialogFrame(&s->frame, &s->spec, dialog, ps);
  // The template is always cut from the chosen file.
  ps->SourceBuffer = 0;
  EnableItem(dialog, v.next, false);
  s->samples = nullptr;
  s->histogram = nullptr;
  s->hasBox = false;
  s->extension[0] = '\0';
  DialogFrameOwnBlock(&s->frame, &s->samples);
  DialogFrameOwnBlock(&s->frame, &s->histogram);
  if (v.histogram) {
    s->histogram = static_cast<uint32_t*>(AllocArray(kHistogramBins, sizeof(uint32_t)));
    if (!s->histogram) {
      ShowMessageBox(dialog, "Nicht genug Speicher !", kTitleError, MB_OK | MB_ICONSTOP);
      CancelDialogFrame(&s->frame);
      return;
    }
    InitPlotPane(dialog, v.histogram, PaintBoxHistogram, s);
    DialogFrameAtExit(&s->frame, [](void* c) {
      auto* session = static_cast<Session*>(c);
      FreePlotPane(session->frame.dialog, session->v->histogram);
    }, s);
  }
  DialogFrameAtExit(&s->frame, [](void* c) { static_cast<Session*>(c)->hasBox = false; }, s);
  InitPreviewPane(&s->pane, &v.pane, dialog, &s->reduction);
  DialogFrameOwnPane(&s->frame, &s->pane);
  SetPreviewOverlay(&s->pane, DrawBox, s);

  SetUpTable(s);
  ClampTableFields(s->table, ps);
  ShowControlTable(dialog, s->table, ps);
  CheckDlgButton(dialog, v.fft, ps->FitFFT ? BST_CHECKED : BST_UNCHECKED);
  ShowWindow(GetDlgItem(dialog, v.fft), v.showFft ? SW_SHOW : SW_HIDE);
  EnableRadius(s);
  EnableChannels(s, false);
  for (int i = 0; i < v.inertCount; ++i) EnableItem(dialog, v.inert[i], false);
}

// Deinterlaced and pre-treated as the stacking run will see the frames.
void Pretreat(Session* s) {
  const ProgramState* ps = State();
  if (ps->Interlace == 1) DeinterlaceImage(s->samples, s->samples, &s->header, 1);
  const StackSettings settings = StackSettingsOf(ps);
  // The dialog holds no dark frame or flat field: those the run loads.
  PretreatFrame(s->samples, &s->header, settings, CalibrationFrames{});
  int32_t filterError = 0;
  ApplyNoiseFilterAndRgbAlignment(s->samples, &s->header, settings, nullptr, &filterError);
  ApplyPreAmplification(s->samples, &s->header, settings);
}

void Choose(Session* s) {
  ProgramState* ps = State();
  const HWND dialog = s->frame.dialog;
  const Variant& v = *s->v;
  const bool avi = ps->Addpicsource == 0;
  char name[kChoiceTextSize], directory[kChoiceTextSize], drive = 0;
  std::snprintf(ps->SeriesPath, sizeof ps->SeriesPath, "%s", avi ? v.aviProposal : "*.*");
  if (ShowPictureOpenDialog(ps->SeriesPath, name, directory, s->extension, &drive, ps->CurrentPath,
                            avi ? v.aviFilter : kPictureOpenFilter,
                            avi ? "Bild aus AVI zur Musterfestlegung laden ..."
                                : "Ein gutes Bild zur Musterfestlegung laden ...",
                            dialog) != 1) {
    EnableItem(dialog, v.next, false);
    return;
  }
  DropPicture(s);
  ImageMetadata metadata;
  InitImageMetadata(&metadata);
  InitImageHeader(&s->header);
  if (!LoadImageFile(ps->SeriesPath, s->extension, 1, &s->samples, &s->header, &metadata) || !s->samples ||
      s->header.width < 1 || s->header.height < 1) {
    FreeMem(&s->samples);
    ShowMessageBoxF(dialog, kTitleError, MB_OK | MB_ICONSTOP, "Bild %s nicht ladbar !", ps->SeriesPath);
    EnableItem(dialog, v.next, false);
    return;
  }
  EnableChannels(s, s->header.colourType == kColourRgb);
  const HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  Pretreat(s);
  const SIZE size = {s->header.width, s->header.height};
  SetPreviewPicture(&s->pane, &size);
  // The radius offered follows the picture; a value beyond it is brought in.
  SearchRadiusRange(s->header.height, &s->bars[1].min, &s->bars[1].max);
  ps->Searchradius = std::clamp(ps->Searchradius, s->bars[1].min, s->bars[1].max);
  ShowBar(dialog, s->bars[1], ps);
  const int32_t side = StartSide(s);
  InitBoxMarker(PaneMarkerView(&s->pane), -1, -1, s->header.width, s->header.height, side, side, kShapeOutline, 1,
                kBoxColour, 1.0, 0, &s->box);
  s->hasBox = true;
  EnableItem(dialog, v.next, true);
  ShowPicture(s);
  SetCursor(previous);
  Redraw(s);
}

void Click(Session* s, POINT inDialog) {
  POINT at;
  if (!s->hasBox || !PreviewPointToPicture(&s->pane, inDialog, &at)) return;
  int32_t* g = s->box.geometry;
  if (!PatternClickTaken(at.x, at.y, g[2], g[3], s->header.width, s->header.height)) return;
  g[0] = at.x - g[2] / 2;
  g[1] = at.y - g[3] / 2;
  std::memcpy(s->box.previous, g, sizeof s->box.previous);
  Redraw(s);
}

void Resize(Session* s, bool larger) {
  if (!s->hasBox) return;
  if (State()->FitFFT) {
    if (larger)
      EnlargeBoxMarker(&s->box, 2);
    else
      ReduceBoxMarker(&s->box, 2);
  } else {
    if (larger)
      GrowBoxMarker(&s->box, 4);
    else
      ShrinkBoxMarker(&s->box, 4);
  }
  Redraw(s);
}

void ToggleFft(Session* s) {
  ProgramState* ps = State();
  ps->FitFFT = !ps->FitFFT;
  CheckDlgButton(s->frame.dialog, s->v->fft, ps->FitFFT ? BST_CHECKED : BST_UNCHECKED);
  if (!s->hasBox) return;
  const int32_t side = StartSide(s);
  SetBoxMarkerSize(&s->box, side, side);
  Redraw(s);
}

ApplyOutcome CutTemplate(DialogFrame* frame, void* context) {
  auto* s = static_cast<Session*>(context);
  ProgramState* ps = frame->ps;
  if (!s->hasBox) return ApplyOutcome::kStay;
  ps->PatternFrameTried = ps->AviFrameIndex;
  const int32_t* g = s->box.geometry;
  ps->PatternRect = PatternRectOfBox(g[0], g[1], g[2], g[3], ps->Superres != 0, ps->Subpixelfactor);
  if (!PreparePatternTemplate(ps->SourceBuffer, ps->SeriesPath, s->extension, ps)) {
    s->templateFailed = true;
    return ApplyOutcome::kStay;
  }
  std::snprintf(ps->PatternFile, sizeof ps->PatternFile, "%s", ps->SeriesPath);
  ps->PatternFrameIndex = ps->AviFrameIndex;
  return ApplyOutcome::kDone;
}

void Next(Session* s) {
  s->templateFailed = false;
  CommitDialogFrame(&s->frame, CutTemplate, s);
  // No template: the dialog ends as by cancel, the settings restored.
  if (s->templateFailed) CancelDialogFrame(&s->frame);
}

BOOL Command(Session* s, int id, int notification) {
  if (!s->frame.open) return FALSE;
  const Variant& v = *s->v;
  const HWND dialog = s->frame.dialog;
  if (HandleTableCommand(dialog, s->table, State(), id, notification)) {
    if (id == v.nearCheck) EnableRadius(s);
    return TRUE;
  }
  if (HandlePreviewButton(&s->pane, id)) {
    ShowPicture(s);
    return TRUE;
  }
  if (id == v.choose) {
    Choose(s);
  } else if (id == v.larger || id == v.smaller) {
    Resize(s, id == v.larger);
  } else if (id == v.fft) {
    ToggleFft(s);
  } else if (id == v.next) {
    Next(s);
  } else if (id == v.cancel || id == IDCANCEL) {
    CancelDialogFrame(&s->frame);
  } else {
    return FALSE;
  }
  return TRUE;
}

BOOL Scroll(Session* s, HWND control, WPARAM request) {
  if (!s->frame.open) return FALSE;
  if (HandleTableScroll(s->frame.dialog, s->table, State(), control, request)) return TRUE;
  if (HandlePreviewScroll(&s->pane, control, request)) ShowPicture(s);
  return TRUE;
}

INT_PTR FamilyProc(VariantIndex which, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Session* s = &gSessions[which];
  switch (message) {
    case WM_INITDIALOG:
      s->v = &kVariants[which];
      if (s->reduction < 1) s->reduction = 1;
      Open(s, dialog);
      return TRUE;
    case WM_COMMAND:
      return Command(s, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      return Scroll(s, reinterpret_cast<HWND>(lParam), wParam);
    case WM_LBUTTONUP:
      if (s->frame.open) Click(s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    case WM_DESTROY:
      DialogFrameDestroyed(&s->frame);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK PatternDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return FamilyProc(kPattern, dialog, message, wParam, lParam);
}

INT_PTR CALLBACK CoordStackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return FamilyProc(kCoordinates, dialog, message, wParam, lParam);
}

INT_PTR CALLBACK DerotStackDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return FamilyProc(kDerotation, dialog, message, wParam, lParam);
}

INT_PTR OpenPatternFamilyDialog(HWND owner, int32_t fitMethod, const TemplateSizes& sizes, int32_t measure) {
  VariantIndex which;
  DLGPROC procedure;
  switch (fitMethod) {
    case 3:
    case 4:
      which = kPattern;
      procedure = PatternDlgProc;
      break;
    case 5:
      which = kDerotation;
      procedure = DerotStackDlgProc;
      break;
    case 6:
      which = kCoordinates;
      procedure = CoordStackDlgProc;
      break;
    default:
      return 0;
  }
  char name[32];
  ChooseDialogTemplate(name, sizeof name, kVariants[which].base, sizes, measure);
  return DialogBoxParamA(GetModuleHandleA(nullptr), name, owner, procedure, 0);
}
