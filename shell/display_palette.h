// The program palette: a logical palette of 236 entries that every picture,
// colour bar and colour swatch selects and realises, so that a screen of 256
// colours can show the false colours of grey pictures.
//
//   0..127    grey ramp in the colours of the palette type (entry i: level 2i)
//   128..227  a 5 x 5 x 4 colour cube
//   228, 229  black
//   230..235  Lettercolor, Gridcolor, Inviscolor, FirstColor, LastColor, Isophotcolor
#pragma once

#include <windows.h>

#include <cstdint>

#include "display_mapping.h"
#include "palette_colours.h"
#include "program_state.h"

constexpr int kProgramPaletteSize = 236;
constexpr int kPaletteRampSize = 128;
constexpr int kPaletteFirstColourEntry = 233;   // entries 230..235 in the order above

// The [Palette] and display settings of a state as the mapping needs them.
LevelColourSettings LevelColourSettingsOf(const ProgramState* ps);
DisplaySettings DisplaySettingsOf(const ProgramState* ps);

// Colour of level 0..255 in palette type 0..25 as blue, green, red; the level
// curve and the ends of type 25 come from the program's state.
void GetPaletteColour(BYTE out[3], int level, int paletteType);

// The palette for the program's state, ramp entries at the lower end of their
// colour steps, halved in night mode. 0 when it cannot be made.
HPALETTE CreateProgramPalette(const ProgramState* ps);

// Rewrites the ramp and entries 230..235 of ps->PaletteHandle from the
// settings; halve non-zero halves the ramp (night mode). Returns 1.
int FillPalette(const ProgramState* ps, int halve);
// As FillPalette, with another palette type than the setting.
int FillPaletteAs(const ProgramState* ps, int halve, int paletteType);

// Selects the program palette into hdc (foreground) and realises it; returns
// the palette to give back to RestorePalette.
HPALETTE SelectProgramPalette(HDC hdc, const ProgramState* ps);
void RestorePalette(HDC hdc, HPALETTE old);

// Fills the window's client area with one colour: 0 FirstColor, 1 LastColor,
// 2 black, 3 dark blue, 4 orange, 5 palette entry 0, 6 Lettercolor,
// 7 Gridcolor, 8 Inviscolor. Other codes draw nothing.
void FillWindowColour(HWND window, int colourCode, const ProgramState* ps);
// The same into rectangle `area` of a device context.
void PaintWindowColour(HDC hdc, const RECT* area, int colourCode, const ProgramState* ps);

// Colour bar of the current palette: the levels from dark to bright across
// the area (upwards when vertical). curve, when given, holds 256 levels by
// which each level is looked up first.
void DrawColourBar(HWND window, const ProgramState* ps, int vertical, const double* curve);
void PaintColourBar(HDC hdc, int left, int top, int right, int bottom, const ProgramState* ps, int vertical,
                    const double* curve);
// The bar as a device bitmap one row higher than the area and as wide as the
// area rounded up to 4; 0 when it cannot be made.
HBITMAP CreateColourBarBitmap(HDC hdc, int left, int top, int right, int bottom, const ProgramState* ps,
                              int vertical, const double* curve);
