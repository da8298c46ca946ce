#include "chosen_names.h"

#include <cmath>
#include <cstring>

void CopyCut(char* out, size_t capacity, const char* text, size_t length) {
  if (!out || capacity == 0) return;
  size_t n = 0;
  if (text)
    while (n < length && n + 1 < capacity && text[n]) ++n;
  if (n) std::memmove(out, text, n);
  out[n] = '\0';
}

void ChosenDirectory(char* out, size_t capacity, const char* path, unsigned nameOffset) {
  CopyCut(out, capacity, path, nameOffset);
}

void ChosenName(char* out, size_t capacity, const char* path, unsigned nameOffset) {
  const size_t length = path ? std::strlen(path) : 0;
  if (nameOffset > length) nameOffset = unsigned(length);
  CopyCut(out, capacity, path ? path + nameOffset : nullptr, length - nameOffset);
}

void ChosenExtension(char* out, size_t capacity, const char* path, unsigned extensionOffset) {
  const size_t length = path ? std::strlen(path) : 0;
  if (extensionOffset == 0 || extensionOffset >= length) {
    CopyCut(out, capacity, nullptr, 0);
    return;
  }
  CopyCut(out, capacity, path + extensionOffset, length - extensionOffset);
}

char ChosenDrive(const char* path) {
  const char c = path ? path[0] : '\0';
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

void FoldToLower(char* text) {
  if (!text) return;
  for (; *text; ++text)
    if (*text >= 'A' && *text <= 'Z') *text = char(*text - 'A' + 'a');
}

int CutSaveProposal(char* path) {
  if (!path) return 0;
  const size_t length = std::strlen(path);
  // A shorter proposal has no fourth-last character to look at.
  if (length < 4 || path[length - 4] != '.') return 0;
  path[length - 4] = '\0';
  return 1;
}

const char* FilterPattern(const char* filter, unsigned index) {
  if (!filter || index == 0) return nullptr;
  // Pairs of strings, the list ended by an empty one.
  for (unsigned pair = 1; *filter; ++pair) {
    const char* pattern = filter + std::strlen(filter) + 1;
    if (!*pattern) return nullptr;
    if (pair == index) return pattern;
    filter = pattern + std::strlen(pattern) + 1;
  }
  return nullptr;
}

void PatternExtension(char* out, size_t capacity, const char* pattern, bool withDot) {
  const char* dot = pattern ? std::strrchr(pattern, '.') : nullptr;
  if (!dot || std::strpbrk(dot, "*?")) {
    CopyCut(out, capacity, nullptr, 0);
    return;
  }
  if (!withDot) ++dot;
  CopyCut(out, capacity, dot, std::strlen(dot));
}

void ChosenListDirectory(char* out, size_t capacity, const char* list, unsigned nameOffset) {
  CopyCut(out, capacity, list, nameOffset);
}

int32_t ClampFrameIndex(int32_t index, int32_t frameCount) {
  if (frameCount < 1 || index < 0) return 0;
  return index >= frameCount ? frameCount - 1 : index;
}

namespace {

int32_t Round(double v) { return int32_t(std::floor(v + 0.5)); }

void AddBand(PicturePreviewFit* f, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  f->bands[f->bandCount++] = PlotRect{left, top, right, bottom};
}

}  // namespace

PicturePreviewFit FitPicturePreview(int32_t areaW, int32_t areaH, int32_t w, int32_t h, bool original) {
  PicturePreviewFit f{};
  if (areaW < 1 || areaH < 1 || w < 1 || h < 1) return f;
  f.draw = true;
  const int32_t innerW = areaW - 2, innerH = areaH - 2;
  if (original && w <= innerW && h <= innerH) {
    f.unscaled = true;
    f.reduction = 1;
    f.x = (innerW - w) / 2;
    f.y = (innerH - h) / 2;
    f.width = w;
    f.height = h;
    if (w < innerW) {
      AddBand(&f, 0, 0, f.x + 1, areaH);
      AddBand(&f, innerW - f.x - 1, 0, areaW, areaH);
    }
    if (h < innerH) {
      AddBand(&f, 0, 0, areaW, f.y + 1);
      AddBand(&f, 0, innerH - f.y - 1, areaW, areaH);
    }
    return f;
  }
  if (double(w) / h > double(areaW) / areaH) {
    f.reduction = w / areaW;
    f.width = areaW;
    f.height = Round(double(h) * areaW / w);
    f.y = (areaH - f.height) / 2;
    AddBand(&f, -1, -1, areaW + 1, f.y + 2);
    AddBand(&f, -1, f.y + f.height - 2, areaW + 1, areaH + 1);
  } else {
    f.reduction = h / areaH;
    f.height = areaH;
    f.width = Round(double(w) * areaH / h);
    f.x = (areaW - f.width) / 2;
    AddBand(&f, -1, -1, f.x + 2, areaH + 1);
    AddBand(&f, f.x + f.width - 2, -1, areaW + 1, areaH + 1);
  }
  if (f.reduction < 1) f.reduction = 1;
  return f;
}
