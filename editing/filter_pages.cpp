#include "filter_pages.h"

#include <initializer_list>

#include "editing/filter_ids.h"
#include "shell/dialogkit/dialog_kit.h"
#include "stacking/noise_filter_dialog.h"

namespace {

#define FIELD(member) KIT_FIELD(ProgramState, member)

// Strength of blur and effects 0..100 %, of sharpening 0..2000 %.
constexpr BarSpec kSoftStrength = {IDC_SHEET_STRENGTH, IDC_SHEET_STRENGTH_TEXT, 0, 100, 10, BarMap::kLinear, 0.01,
                                   BarText::kPercent, "%ld %%", FIELD(Maskeffect0)};
constexpr BarSpec kSharpStrength = {IDC_SHEET_STRENGTH, IDC_SHEET_STRENGTH_TEXT, 0, 290, 10, BarMap::kStrength, 1.0,
                                    BarText::kPercent, "%ld %%", FIELD(Maskeffect1)};

constexpr BarSpec kAstigSize = {IDC_SHEET_ASTIG_SIZE, IDC_SHEET_ASTIG_SIZE_TEXT, 1, 15, 1, BarMap::kLinear, 1.0,
                                BarText::kLong, "%ld", FIELD(Astigsize)};
constexpr BarSpec kAstigAngle = {IDC_SHEET_ASTIG_ANGLE, IDC_SHEET_ASTIG_ANGLE_TEXT, -90, 90, 15, BarMap::kLinear, 1.0,
                                 BarText::kLong, "%ld°", FIELD(Astigposwin)};
constexpr BarSpec kBlue = {IDC_SHEET_BLUE, IDC_SHEET_BLUE_TEXT, 0, 7, 1, BarMap::kEven, 1.0, BarText::kLong, "%ld",
                           FIELD(MaskingBlueRadius)};
constexpr BarSpec kRed = {IDC_SHEET_RED, IDC_SHEET_RED_TEXT, 0, 7, 1, BarMap::kEven, 1.0, BarText::kLong, "%ld",
                          FIELD(RedRadius)};
// Coma: kept and shown nowhere.
constexpr BarSpec kComaSize = {IDC_SHEET_COMA_SIZE, 0, 1, 15, 1, BarMap::kLinear, 1.0, BarText::kNone, nullptr,
                               FIELD(Komasize)};
constexpr BarSpec kComaAngle = {IDC_SHEET_COMA_ANGLE, 0, -90, 90, 15, BarMap::kLinear, 1.0, BarText::kNone, nullptr,
                                FIELD(Komaposwin)};

// --- blur
constexpr BarSpec kBlurBars[] = {
    {IDC_BLUR_SIZE, IDC_BLUR_SIZE_TEXT, 1, 22, 1, BarMap::kOdd, 1.0, BarText::kLong, "%ld", FIELD(LowCutoff)},
    kSoftStrength,
};
constexpr RadioSpec kBlurRadios[] = {{IDC_BLUR_MEDIAN, 4, 0, FIELD(Lowpasstype)}};
constexpr ControlTable kBlurTable = {kBlurBars, kBlurRadios, {}, {}};

// --- sharpen; "Rechteckanteil" reaches down to 1, so a filter of 3 keeps one below it
constexpr BarSpec kSharpenSize = {IDC_SHARPEN_SIZE, IDC_SHARPEN_SIZE_TEXT, 1, 22, 1, BarMap::kOdd, 1.0,
                                  BarText::kLong, "%ld", FIELD(HighCutoff)};
constexpr BarSpec kSharpenRect = {IDC_SHARPEN_RECT, IDC_SHARPEN_RECT_TEXT, 0, 21, 1, BarMap::kOdd, 1.0,
                                  BarText::kLong, "%ld", FIELD(HighRectpart)};
constexpr BarSpec kSharpenBars[] = {kSharpenSize, kSharpenRect, kSharpStrength, kAstigSize,
                                    kAstigAngle,  kBlue,        kRed,           kComaSize, kComaAngle};
constexpr RadioSpec kSharpenRadios[] = {{IDC_SHARPEN_FORM_FIRST, 4, 0, FIELD(Highpasstype)},
                                        {IDC_SHARPEN_CHAR_FIRST, 4, 0, FIELD(Highpasschar)}};
constexpr CheckSpec kCorrectionChecks[] = {{IDC_SHEET_ADAPTIVE, FIELD(IsAdaptiv), false},
                                           {IDC_SHEET_ASTIG, FIELD(Astigmatism), false},
                                           {IDC_SHEET_SPECTRUM, FIELD(SekSpectrum), false},
                                           {IDC_SHEET_COMA, FIELD(Komacorr), false}};
constexpr ControlTable kSharpenTable = {kSharpenBars, kSharpenRadios, kCorrectionChecks, {}};

// --- Mexican hat
constexpr BarSpec kHatSize = {IDC_HAT_SIZE, IDC_HAT_SIZE_TEXT, 2, 22, 1, BarMap::kOdd, 1.0, BarText::kLong, "%ld",
                              FIELD(Bandpassampradius)};
constexpr BarSpec kHatRect = {IDC_HAT_RECT, IDC_HAT_RECT_TEXT, 1, 21, 1, BarMap::kOdd, 1.0, BarText::kLong, "%ld",
                              FIELD(Bandpassrectpart)};
constexpr BarSpec kHatCentre = {IDC_HAT_CENTRE, IDC_HAT_CENTRE_TEXT, 1, 21, 1, BarMap::kOdd, 1.0, BarText::kLong,
                                "%ld", FIELD(Bandpassfiltradius)};
constexpr BarSpec kHatBars[] = {kHatSize, kHatRect, kHatCentre, kSharpStrength, kAstigSize,
                                kAstigAngle, kBlue, kRed,      kComaSize,      kComaAngle};
constexpr RadioSpec kHatRadios[] = {{IDC_HAT_FORM_FIRST, 4, 0, FIELD(Bandpassamptype)},
                                    {IDC_HAT_CHAR_FIRST, 4, 0, FIELD(Bandpasschar)},
                                    {IDC_HAT_CENTRE_GAUSS, 2, 0, FIELD(Bandpassfilttype)}};
constexpr ControlTable kHatTable = {kHatBars, kHatRadios, kCorrectionChecks, {}};

// --- effect filters
constexpr BarSpec kEffectBars[] = {kSoftStrength};
constexpr RadioSpec kEffectRadios[] = {{IDC_EFFECT_FIRST, 10, 0, FIELD(EffectFilter)}};
constexpr CheckSpec kEffectChecks[] = {{IDC_EFFECT_AUTO, FIELD(AutoContrast), false},
                                       {IDC_EFFECT_LOG, FIELD(EffectLog), false}};
constexpr ControlTable kEffectTable = {kEffectBars, kEffectRadios, kEffectChecks, {}};

#undef FIELD

ProgramState* State() { return &gProgramState; }

void EnableIds(HWND page, std::initializer_list<int> ids, bool on) {
  for (int id : ids)
    if (HWND c = GetDlgItem(page, id)) EnableWindow(c, on);
}

// One bar's setting corrected and shown again.
void Correct(HWND page, const BarSpec& bar, int32_t value) {
  WriteField(State(), bar.field, value);
  ShowBar(page, bar, State());
}

// The flat part of a kernel stays inside it: inner <= size - 2.
void KeepInnerBelow(HWND page, const BarSpec& inner, int32_t innerValue, int32_t size) {
  if (innerValue >= size) Correct(page, inner, size - 2);
}

// What differs between the pages: their table and the checks after a change.
struct PageKind {
  const ControlTable* table;
  void (*atCreation)(HWND page);   // before the controls are set
  void (*afterMove)(HWND page, const BarSpec& bar);
  void (*update)(HWND page);       // enabling after any change
};

INT_PTR PageProc(const PageKind& kind, HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      RenewProgramStateBackup(State());
      if (kind.atCreation) kind.atCreation(page);
      ShowControlTable(page, *kind.table, State());
      if (kind.update) kind.update(page);
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (const BarSpec* bar = HandleTableScroll(page, *kind.table, State(), reinterpret_cast<HWND>(lParam), wParam)) {
        if (kind.afterMove) kind.afterMove(page, *bar);
        if (kind.update) kind.update(page);
        RequestPreview(page);
      }
      return TRUE;
    case WM_COMMAND:
      if (HandleTableCommand(page, *kind.table, State(), LOWORD(wParam), HIWORD(wParam))) {
        if (kind.update) kind.update(page);
        RequestPreview(page);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

// --- sharpen

void SharpenAtCreation(HWND) {
  ProgramState* ps = State();
  if (ps->HighRectpart >= ps->HighCutoff) ps->HighRectpart = ps->HighCutoff - 2;
}

void SharpenAfterMove(HWND page, const BarSpec& bar) {
  const ProgramState* ps = State();
  if (bar.bar == IDC_SHARPEN_RECT || bar.bar == IDC_SHARPEN_SIZE)
    KeepInnerBelow(page, kSharpenRect, ps->HighRectpart, ps->HighCutoff);
}

// --- Mexican hat

void HatAtCreation(HWND) {
  ProgramState* ps = State();
  if (ps->Bandpassfiltradius >= ps->Bandpassampradius) ps->Bandpassfiltradius = ps->Bandpassampradius - 2;
  if (ps->Bandpassrectpart >= ps->Bandpassampradius) ps->Bandpassrectpart = ps->Bandpassampradius - 2;
}

void HatAfterMove(HWND page, const BarSpec& bar) {
  const ProgramState* ps = State();
  switch (bar.bar) {
    case IDC_HAT_SIZE:
      // The filter does not shrink onto its centre filter; the flat part follows it down.
      if (ps->Bandpassampradius <= ps->Bandpassfiltradius) Correct(page, kHatSize, ps->Bandpassfiltradius + 2);
      KeepInnerBelow(page, kHatRect, ps->Bandpassrectpart, ps->Bandpassampradius);
      break;
    case IDC_HAT_CENTRE:
      KeepInnerBelow(page, kHatCentre, ps->Bandpassfiltradius, ps->Bandpassampradius);
      break;
    case IDC_HAT_RECT:
      KeepInnerBelow(page, kHatRect, ps->Bandpassrectpart, ps->Bandpassampradius);
      break;
  }
}

constexpr PageKind kBlurPage = {&kBlurTable, nullptr, nullptr, nullptr};
constexpr PageKind kSharpenPage = {&kSharpenTable, SharpenAtCreation, SharpenAfterMove, UpdateSharpenSheetControls};
constexpr PageKind kHatPage = {&kHatTable, HatAtCreation, HatAfterMove, UpdateSharpenSheetControls};
constexpr PageKind kEffectPage = {&kEffectTable, nullptr, nullptr, nullptr};
constexpr PageKind kNoisePage = {&kNoiseFilterControls, nullptr, nullptr, nullptr};

}  // namespace

void UpdateSharpenSheetControls(HWND page) {
  const ProgramState* ps = State();
  const bool hat = ps->Masktype == 2;
  const ControlTable& table = hat ? kHatTable : kSharpenTable;
  for (const RadioSpec& r : table.radios) {
    const int value = int(ReadField(ps, r.field));
    for (int i = 0; i < r.count; ++i)
      CheckDlgButton(page, r.firstId + i, value == r.firstValue + i ? BST_CHECKED : BST_UNCHECKED);
  }
  EnableBar(page, hat ? kHatRect : kSharpenRect, (hat ? ps->Bandpassamptype : ps->Highpasstype) == 3);
  const bool astig = ps->Astigmatism != 0, spectrum = ps->SekSpectrum != 0;
  CheckDlgButton(page, IDC_SHEET_ASTIG, astig ? BST_CHECKED : BST_UNCHECKED);
  EnableBar(page, kAstigSize, astig);
  EnableBar(page, kAstigAngle, astig);
  EnableIds(page, {IDC_SHEET_ASTIG_SIZE_LABEL, IDC_SHEET_ASTIG_ANGLE_LABEL}, astig);
  CheckDlgButton(page, IDC_SHEET_SPECTRUM, spectrum ? BST_CHECKED : BST_UNCHECKED);
  EnableBar(page, kBlue, spectrum);
  EnableBar(page, kRed, spectrum);
  EnableIds(page, {IDC_SHEET_BLUE_LABEL, IDC_SHEET_RED_LABEL}, spectrum);
  // Adaptive filtering only means something above 100 %; the setting itself stays.
  const bool strong = ps->Maskeffect1 > 1.0;
  EnableIds(page, {IDC_SHEET_ADAPTIVE}, strong);
  CheckDlgButton(page, IDC_SHEET_ADAPTIVE, strong && ps->IsAdaptiv ? BST_CHECKED : BST_UNCHECKED);
}

int ClampFilterSettings(ProgramState* ps) {
  int changed = 0;
  for (const ControlTable* t : {&kBlurTable, &kSharpenTable, &kHatTable, &kEffectTable, &kNoiseFilterControls})
    changed += ClampTableFields(*t, ps);
  return changed;
}

INT_PTR CALLBACK BlurSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProc(kBlurPage, page, message, wParam, lParam);
}

INT_PTR CALLBACK SharpenSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProc(kSharpenPage, page, message, wParam, lParam);
}

INT_PTR CALLBACK MexicanHatSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProc(kHatPage, page, message, wParam, lParam);
}

INT_PTR CALLBACK EffectSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProc(kEffectPage, page, message, wParam, lParam);
}

INT_PTR CALLBACK NoiseSheetDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProc(kNoisePage, page, message, wParam, lParam);
}
