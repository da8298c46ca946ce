#include "stacking/setup/step_texts.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Appends formatted text, cutting at the end of the buffer.
template <typename... Args>
void Append(char* out, size_t capacity, const char* format, Args... args) {
  const size_t used = std::strlen(out);
  if (used + 1 >= capacity) return;
  std::snprintf(out + used, capacity - used, format, args...);
}
void Append(char* out, size_t capacity, const char* text) { Append(out, capacity, "%s", text); }

void SourceText(const StackSettings& s, char* out, size_t capacity) {
  if (s.Addpicsource == 1) {
    Append(out, capacity, "1. Alle Bilder aus einem Verzeichnis");
  } else if (s.Addpicsource == 2) {
    Append(out, capacity, "1. Bilder mit aufsteigender Endnummer");
  } else {
    Append(out, capacity, "1. Bilder aus AVI");
    if (s.FitNthPic > 1) Append(out, capacity, ", jedes %ld. Bild", long(s.FitNthPic));
  }
  Append(out, capacity, s.Interlace == 1 ? ", Interlacemodus" : ", Vollbildmodus");
}

void PretreatmentText(const StackSettings& s, char* out, size_t capacity) {
  char list[kStepTextSize * 2] = "";
  const size_t n = sizeof list;
  if (s.ExcludeBorder) Append(list, n, ", Ohne Rand");
  if (s.FitImageEqualizing) {
    Append(list, n, ", Preamp");
    switch (s.Gaintype) {
      case 1: Append(list, n, " (log"); break;
      case 2: Append(list, n, " (2*log"); break;
      case 3: Append(list, n, " (Gamma = %3.1lf", s.Gaingamma); break;
      default: Append(list, n, " (lin"); break;
    }
    Append(list, n, s.Gainauto == 1 ? " - Untergrund)" : ")");
  }
  if (s.IsDarkcurrent) Append(list, n, ", Dunkelstrom");
  if (s.IsFlatfield) Append(list, n, ", Flatfield");
  if (s.IsNoisefilter) Append(list, n, ", Rauschfilter");
  if (s.RGBCorrection) Append(list, n, ", RGB-Korrektur");
  if (s.hotPixels.on) Append(list, n, ", Hotpixelmaske");
  if (!list[0])
    Append(out, capacity, "2. Keine Verarbeitung vor der Überlagerung");
  else
    Append(out, capacity, "2. %s", list + 2);
}

constexpr const char* kCentringTexts[] = {
    "3. Starre Überlagerung",           "3. Helligkeitsschwerpunkt bestimmen", "3. Zentrierung auf helle Scheibe",
    "3. Passmustersuche im gesamten Bild", "3. Passmustersuche in Umgebung",    "3. Zwei Passmuster mit Derotation",
    "3. Manuelle Koordinatenangabe",
};

void SubpixelText(const StackSettings& s, char* out, size_t capacity) {
  if (s.Subpixelfactor != 1 && s.Subpixelfactor != 2) {
    Append(out, capacity, "4. Überlagerung auf ein Pixel genau");
    return;
  }
  Append(out, capacity,
         s.Subpixelfactor == 1 ? "4. Überlagerung mit Halbpixelgenauigkeit" : "4. Überlagerung auf viertel Pixel genau");
  if (s.SubpixPart == 1) Append(out, capacity, ", nachher Bildausschnitt");
  if (s.SubpixOrigsize == 1) Append(out, capacity, ", nachher Originalgröße");
}

void QualityText(const StackSettings& s, char* out, size_t capacity) {
  if (s.CheckMethod == 1) {
    Append(out, capacity, "5. Bilder werden nach Voransicht und -auswahl überlagert");
  } else if (s.CheckMethod == 2) {
    const double w = std::floor(100 - 100 * s.Checkmix + 0.5);
    const long weight = std::isfinite(w) && std::fabs(w) < 1e9 ? long(w) : 0;
    Append(out, capacity, "5. Automatische Überlagerung von %3.1lf%%, Gewichtung (%ld/%ld)", 100 * s.CheckSelection,
           100 - weight, weight);
  } else {
    Append(out, capacity, "5. Alle Bilder werden überlagert");
  }
}

constexpr const char* kResultTexts[] = {
    "6. Mittelwert aus allen überlagerten Bildern",
    "6. Hellster Pixel aus allen überlagerten Bildern",
    "6. Bilder aufaddieren bis zur Sättigung",
};

}  // namespace

void FormatStepText(int step, const StackSettings& s, char* out, size_t capacity) {
  if (!capacity) return;
  out[0] = 0;
  switch (step) {
    case 1: SourceText(s, out, capacity); break;
    case 2: PretreatmentText(s, out, capacity); break;
    case 3: Append(out, capacity, kCentringTexts[s.FitMethod >= 0 && s.FitMethod <= 6 ? s.FitMethod : 0]); break;
    case 4: SubpixelText(s, out, capacity); break;
    case 5: QualityText(s, out, capacity); break;
    case 6: Append(out, capacity, kResultTexts[s.Imagetype >= 0 && s.Imagetype <= 2 ? s.Imagetype : 0]); break;
    default: break;
  }
}
