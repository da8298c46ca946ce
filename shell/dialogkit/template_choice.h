// Which size of a dialog template fits the screen: a template comes in up to
// three sizes named by a suffix ("rgbkorrektur800", "rgbkorrektur1024"); the
// first size whose limit the screen measure stays below is taken, the last
// size otherwise. Every size of one template has the same control ids.
//
//   char name[64];
//   ChooseDialogTemplate(name, sizeof name, "flatfield", kSizesByLines, gProgramState.ScreenHeight);
//
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

struct TemplateSizes {
  int count;                  // 1 to 3; 1 takes the base name as it is
  int32_t limits[2];          // size i while the measure is below limits[i]
  const char* suffixes[3];
};

// The base name alone.
constexpr TemplateSizes kSingleSize = {1, {0, 0}, {"", nullptr, nullptr}};
// "800" below 768 screen lines, "1024" from 768 on: most two-size dialogs.
constexpr TemplateSizes kSizesByLines = {2, {768, 0}, {"800", "1024", nullptr}};
// The capture dialog: "800" below 768 lines, "1024" below 1024, else "1280".
constexpr TemplateSizes kCaptureSizesByLines = {3, {768, 1024}, {"800", "1024", "1280"}};
// The RGB alignment opened from the pre-treatment page: by screen lines.
constexpr TemplateSizes kRgbSizesByLines = {3, {600, 768}, {"640", "800", "1024"}};
// The RGB alignment opened from the one-page stacking dialog: by screen width.
constexpr TemplateSizes kRgbSizesByWidth = {3, {800, 1024}, {"640", "800", "1024"}};
// The selection and pattern dialogs in preview mode: "800" below 1024 pixels of width.
constexpr TemplateSizes kSizesByWidth = {2, {1024, 0}, {"800", "1024", nullptr}};

// The suffix for a measure (screen lines or width, as the sizes say).
const char* TemplateSuffix(const TemplateSizes& sizes, int32_t measure);
// base + suffix into out (cut to capacity).
void ChooseDialogTemplate(char* out, size_t capacity, const char* base, const TemplateSizes& sizes, int32_t measure);
