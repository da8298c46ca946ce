// The six summary lines of a stacking set-up, built from the settings.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "stacking/setup/step_texts.h"

namespace {

std::string Text(int step, const std::function<void(StackSettings&)>& set) {
  StackSettings s;
  set(s);
  char out[kStepTextSize];
  FormatStepText(step, s, out, sizeof out);
  return out;
}

TEST(StepTextsTest, EveryStepReadsItsSettings) {
  const struct {
    int step;
    std::function<void(StackSettings&)> set;
    const char* text;
  } cases[] = {
      {1, [](StackSettings& s) { s.Addpicsource = 0, s.FitNthPic = 1; }, "1. Bilder aus AVI, Vollbildmodus"},
      {1, [](StackSettings& s) { s.Addpicsource = 0, s.FitNthPic = 2, s.Interlace = 1; },
       "1. Bilder aus AVI, jedes 2. Bild, Interlacemodus"},
      {1, [](StackSettings& s) { s.Addpicsource = 1, s.FitNthPic = 5; }, "1. Alle Bilder aus einem Verzeichnis, Vollbildmodus"},
      {1, [](StackSettings& s) { s.Addpicsource = 2, s.Interlace = 1; },
       "1. Bilder mit aufsteigender Endnummer, Interlacemodus"},
      {2, [](StackSettings& s) { s.ExcludeBorder = 0; }, "2. Keine Verarbeitung vor der Überlagerung"},
      {2, [](StackSettings& s) { s.FitImageEqualizing = 1, s.Gaintype = 3, s.Gaingamma = 2.0, s.Gainauto = 1; },
       "2. Preamp (Gamma = 2.0 - Untergrund)"},
      {2,
       [](StackSettings& s) {
         s.ExcludeBorder = s.FitImageEqualizing = s.IsDarkcurrent = s.IsFlatfield = s.IsNoisefilter = 1;
         s.RGBCorrection = 1, s.hotPixels.on = true, s.Gaintype = 2;
       },
       "2. Ohne Rand, Preamp (2*log), Dunkelstrom, Flatfield, Rauschfilter, RGB-Korrektur, Hotpixelmaske"},
      {2, [](StackSettings& s) { s.FitImageEqualizing = 1, s.Gaintype = 1; }, "2. Preamp (log)"},
      {2, [](StackSettings& s) { s.hotPixels.on = true; }, "2. Hotpixelmaske"},
      {3, [](StackSettings& s) { s.FitMethod = 0; }, "3. Starre Überlagerung"},
      {3, [](StackSettings& s) { s.FitMethod = 4; }, "3. Passmustersuche in Umgebung"},
      {3, [](StackSettings& s) { s.FitMethod = 6; }, "3. Manuelle Koordinatenangabe"},
      {3, [](StackSettings& s) { s.FitMethod = 9; }, "3. Starre Überlagerung"},
      {4, [](StackSettings& s) { s.Subpixelfactor = 0, s.SubpixPart = 1; }, "4. Überlagerung auf ein Pixel genau"},
      {4, [](StackSettings& s) { s.Subpixelfactor = 1, s.SubpixPart = 1; },
       "4. Überlagerung mit Halbpixelgenauigkeit, nachher Bildausschnitt"},
      {4, [](StackSettings& s) { s.Subpixelfactor = 2, s.SubpixOrigsize = 1; },
       "4. Überlagerung auf viertel Pixel genau, nachher Originalgröße"},
      {5, [](StackSettings& s) { s.CheckMethod = 0; }, "5. Alle Bilder werden überlagert"},
      {5, [](StackSettings& s) { s.CheckMethod = 1; }, "5. Bilder werden nach Voransicht und -auswahl überlagert"},
      {5, [](StackSettings& s) { s.CheckMethod = 2, s.CheckSelection = 0.1, s.Checkmix = 0.5; },
       "5. Automatische Überlagerung von 10.0%, Gewichtung (50/50)"},
      {5, [](StackSettings& s) { s.CheckMethod = 2, s.CheckSelection = 0.002, s.Checkmix = 0.7; },
       "5. Automatische Überlagerung von 0.2%, Gewichtung (70/30)"},
      {6, [](StackSettings& s) { s.Imagetype = 0; }, "6. Mittelwert aus allen überlagerten Bildern"},
      {6, [](StackSettings& s) { s.Imagetype = 1; }, "6. Hellster Pixel aus allen überlagerten Bildern"},
      {6, [](StackSettings& s) { s.Imagetype = 2; }, "6. Bilder aufaddieren bis zur Sättigung"},
      {7, [](StackSettings&) {}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, Text(c.step, c.set)) << "step " << c.step;
}

TEST(StepTextsTest, AHugeGammaIsCutToTheLineNotPastIt) {
  StackSettings s;
  s.FitImageEqualizing = 1, s.Gaintype = 3, s.Gaingamma = 1e300;
  char out[kStepTextSize + 8];
  std::memset(out, 'x', sizeof out);
  FormatStepText(2, s, out, kStepTextSize);
  EXPECT_EQ(kStepTextSize - 1, int(std::strlen(out)));
  EXPECT_EQ('x', out[kStepTextSize]);
}

}  // namespace
