// "Farb&palette für SW-Bilder einstellen": the false colours grey pictures
// are shown and saved in. Every change redraws the palette strip at once;
// the colours themselves come from the [Palette] settings through the
// program palette (shell/display_palette.h).
#include "editing/colour/colour_dialogs.h"
#include "editing/colour/colour_ids.h"
#include "shell/dialogkit/dialog_kit.h"
#include "shell/display_palette.h"
#include "shell/settings.h"

namespace {

#define FIELD(member) KIT_FIELD(ProgramState, member)
constexpr int32_t kSteps[] = {8, 16, 32, 64, 128, 256};
constexpr int32_t kDistances[] = {32, 64, 128};
// Another step count or distance from the file checks no radio.
constexpr RadioSpec kRadios[] = {{IDC_PAL_STEPS_8, 6, 0, FIELD(Colorstep), kSteps},
                                 {IDC_PAL_EVERY_32, 3, 0, FIELD(Isophotdistance), kDistances}};
constexpr BarSpec ColourBar(int bar, int text, FieldRef channel) {
  return {bar, text, 0, 255, 16, BarMap::kLinear, 1.0, BarText::kLong, "%ld", channel};
}
constexpr BarSpec kFirstBars[] = {ColourBar(IDC_PAL_FIRST_R, IDC_PAL_FIRST_R_TEXT, FIELD(FirstColor.rgbRed)),
                                  ColourBar(IDC_PAL_FIRST_G, IDC_PAL_FIRST_G_TEXT, FIELD(FirstColor.rgbGreen)),
                                  ColourBar(IDC_PAL_FIRST_B, IDC_PAL_FIRST_B_TEXT, FIELD(FirstColor.rgbBlue)),
                                  ColourBar(IDC_PAL_LAST_R, IDC_PAL_LAST_R_TEXT, FIELD(LastColor.rgbRed)),
                                  ColourBar(IDC_PAL_LAST_G, IDC_PAL_LAST_G_TEXT, FIELD(LastColor.rgbGreen)),
                                  ColourBar(IDC_PAL_LAST_B, IDC_PAL_LAST_B_TEXT, FIELD(LastColor.rgbBlue))};
#undef FIELD
constexpr ControlTable kTable = {kFirstBars, kRadios, {}, {}};

constexpr DialogFrameSpec kSpec = {kHotKeyPalette, nullptr, kSectionPalette, 0, IDC_PAL_OK, 0, nullptr, nullptr};

// What a palette button switches off besides choosing its type.
enum ButtonEffect : unsigned { kLogOff = 1u << 0, kIsophotesOff = 1u << 1 };
struct PaletteButton {
  int id;
  int32_t type;
  unsigned effects;
};
constexpr PaletteButton kButtons[] = {
    {IDC_PAL_GREY, 0, 0},          {IDC_PAL_INVERSE, 1, 0},
    {IDC_PAL_RED_TINT, 2, 0},      {IDC_PAL_GREEN_TINT, 3, 0},
    {IDC_PAL_BLUE_TINT, 4, 0},     {IDC_PAL_MAP2, 8, 0},
    {IDC_PAL_POLAR, 9, 0},         {IDC_PAL_SEA, 10, 0},
    {IDC_PAL_TOPOGRAPHY, 11, 0},   {IDC_PAL_MAP1, 12, 0},
    {IDC_PAL_PLUS_MINUS, 13, 0},   {IDC_PAL_VIOLET_TINT, 14, 0},
    {IDC_PAL_GLOW, 15, kLogOff},   {IDC_PAL_THERMO, 16, 0},
    {IDC_PAL_PLANCK, 17, kLogOff}, {IDC_PAL_RED_STAIRS, 18, kLogOff | kIsophotesOff},
    {IDC_PAL_GREEN_STAIRS, 19, kLogOff | kIsophotesOff},
    {IDC_PAL_RAINBOW, 22, kLogOff}, {IDC_PAL_COLOUR_CIRCLE, 23, kLogOff},
    {IDC_PAL_OWN, 25, 0},
};
constexpr int32_t kOwnScale = 25;
constexpr int32_t kRedStairs = 18;
// Types whose colours a logarithmic scale would spoil.
constexpr int32_t kNoLogTypes[] = {15, 17, 18, 20};

// The isophote colour radios: "Erste Farbe" copies the first colour.
struct IsophoteColour {
  int id;
  BYTE r, g, b;
};
constexpr IsophoteColour kIsophoteColours[] = {
    {IDC_PAL_ISO_GREEN, 0, 255, 0}, {IDC_PAL_ISO_RED, 255, 0, 0}, {IDC_PAL_ISO_BLUE, 0, 0, 255}};

DialogFrame gFrame;

ProgramState* State() { return &gProgramState; }

void Redraw(HWND dialog, int id) { InvalidateRect(GetDlgItem(dialog, id), nullptr, FALSE); }

bool Is(const RGBQUAD& c, BYTE r, BYTE g, BYTE b) { return c.rgbRed == r && c.rgbGreen == g && c.rgbBlue == b; }

void ShowIsophoteColour(HWND dialog) {
  int checked = IDC_PAL_ISO_FIRST;
  for (const IsophoteColour& c : kIsophoteColours)
    if (Is(State()->Isophotcolor, c.r, c.g, c.b)) checked = c.id;
  CheckRadioButton(dialog, IDC_PAL_ISO_FIRST, IDC_PAL_ISO_BLUE, checked);
}

void ShowChecks(HWND dialog) {
  CheckDlgButton(dialog, IDC_PAL_ISOPHOTES, State()->IsIsophots ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_PAL_LOG, State()->Logscale ? BST_CHECKED : BST_UNCHECKED);
}

void Open(HWND dialog) {
  OpenDialogFrame(&gFrame, &kSpec, dialog);
  ShowControlTable(dialog, kTable, State());
  ShowChecks(dialog);
  ShowIsophoteColour(dialog);
}

bool ChoosePalette(HWND dialog, int id) {
  ProgramState* ps = State();
  for (const PaletteButton& b : kButtons) {
    if (b.id != id) continue;
    ps->Palettetype = b.type;
    if (b.effects & kLogOff) ps->Logscale = 0;
    if (b.effects & kIsophotesOff) ps->IsIsophots = 0;
    ShowChecks(dialog);
    if (b.type == kOwnScale) {
      Redraw(dialog, IDC_PAL_FIRST_SWATCH);
      Redraw(dialog, IDC_PAL_LAST_SWATCH);
    }
    return true;
  }
  return false;
}

bool ChooseIsophoteColour(int id) {
  ProgramState* ps = State();
  if (id == IDC_PAL_ISO_FIRST) {
    ps->Isophotcolor = ps->FirstColor;
    return true;
  }
  for (const IsophoteColour& c : kIsophoteColours) {
    if (c.id != id) continue;
    ps->Isophotcolor = RGBQUAD{c.b, c.g, c.r, 0};
    return true;
  }
  return false;
}

bool LogForbidden(int32_t type) {
  for (int32_t t : kNoLogTypes)
    if (t == type) return true;
  return false;
}

// The two check boxes switch off at any time, on only where the type allows.
bool Toggle(int id) {
  ProgramState* ps = State();
  if (id == IDC_PAL_ISOPHOTES) {
    ps->IsIsophots = !ps->IsIsophots && ps->Palettetype != kRedStairs;
    return true;
  }
  if (id == IDC_PAL_LOG) {
    ps->Logscale = !ps->Logscale && !LogForbidden(ps->Palettetype);
    return true;
  }
  return false;
}

BOOL Command(HWND dialog, int id, int notification) {
  if (ChoosePalette(dialog, id) || HandleTableCommand(dialog, kTable, State(), id, notification) || Toggle(id) ||
      ChooseIsophoteColour(id)) {
    ShowChecks(dialog);
    ShowIsophoteColour(dialog);
    Redraw(dialog, IDC_PAL_STRIP);
    return TRUE;
  }
  switch (id) {
    case IDC_PAL_OK:
      CommitDialogFrame(&gFrame, nullptr, nullptr);
      return TRUE;
    case IDC_PAL_CANCEL:
    case IDCANCEL:
      CancelDialogFrame(&gFrame);
      return TRUE;
  }
  return FALSE;
}

void Scroll(HWND dialog, HWND bar, WPARAM request) {
  if (!HandleTableScroll(dialog, kTable, State(), bar, request)) return;
  if (State()->Palettetype == kOwnScale) Redraw(dialog, IDC_PAL_STRIP);
  Redraw(dialog, IDC_PAL_FIRST_SWATCH);
  Redraw(dialog, IDC_PAL_LAST_SWATCH);
}

// The strip and the two swatches are drawn from the settings as they are now.
BOOL DrawItem(const DRAWITEMSTRUCT* item) {
  const RECT& r = item->rcItem;
  switch (item->CtlID) {
    case IDC_PAL_STRIP:
      PaintColourBar(item->hDC, r.left, r.top, r.right, r.bottom, State(), 0, nullptr);
      return TRUE;
    case IDC_PAL_FIRST_SWATCH:
    case IDC_PAL_LAST_SWATCH:
      PaintWindowColour(item->hDC, &r, item->CtlID == IDC_PAL_FIRST_SWATCH ? 0 : 1, State());
      return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR CALLBACK PaletteDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Open(dialog);
      return TRUE;
    case WM_COMMAND:
      return Command(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
      Scroll(dialog, reinterpret_cast<HWND>(lParam), wParam);
      return TRUE;
    case WM_DRAWITEM:
      return DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_DESTROY:
      DialogFrameDestroyed(&gFrame);
      return FALSE;
  }
  return FALSE;
}
