// What the file choosers make of a confirmed name, platform-free: the
// directory, name, extension and drive of the path the dialog returns, the
// save proposal without its extension, the extension of the filter the user
// picked, the directory of a multi-selection and the geometry of the
// picture-open preview.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/preview_geometry.h"   // PlotRect

// Sizes every caller of the choosers provides: Path, Name and Directory hold
// kChoiceTextSize characters with the NUL, Extension kChoiceExtensionSize.
constexpr size_t kChoiceTextSize = 1024;
constexpr size_t kChoiceExtensionSize = 8;
// What the platform is told the path buffer holds.
constexpr unsigned kChooserPathLimit = 255;

// Copies at most length characters of text (stopping at its NUL) into out,
// cut to capacity - 1 characters; out is always terminated.
void CopyCut(char* out, size_t capacity, const char* text, size_t length);

// The directory part of a returned path: everything before the name offset,
// so with its trailing backslash.
void ChosenDirectory(char* out, size_t capacity, const char* path, unsigned nameOffset);
// The name with its extension, from the name offset, as typed.
void ChosenName(char* out, size_t capacity, const char* path, unsigned nameOffset);
// The typed extension without its dot, as typed; empty when none was typed
// (offset 0, or the offset of the path's end as some platforms give it).
// An extension longer than the buffer is cut: no format has one.
void ChosenExtension(char* out, size_t capacity, const char* path, unsigned extensionOffset);
// First character of the path in upper case (the drive letter).
char ChosenDrive(const char* path);
// Folds A..Z to a..z in place.
void FoldToLower(char* text);

// Before the save chooser opens: a proposal whose fourth-last character is
// "." loses that three-letter extension ("bild.fts" -> "bild"; "bild.jpeg"
// stays). 1 when it was cut.
int CutSaveProposal(char* path);

// The pattern of the index-th (from 1) description/pattern pair of a filter
// list; null when the list has no such pair.
const char* FilterPattern(const char* filter, unsigned index);
// The extension a pattern stands for: from its last "." on ("*.BMP" ->
// ".BMP", "*.FTS;*.FIT" -> ".FIT"), without the dot when !withDot. Empty
// for a pattern without "." or with a wildcard after it ("*.*").
void PatternExtension(char* out, size_t capacity, const char* pattern, bool withDot);

// The directory of a multi-selection: the buffer's first string cut at the
// name offset (one file: its directory with the backslash; several: the
// directory as returned).
void ChosenListDirectory(char* out, size_t capacity, const char* list, unsigned nameOffset);

// The frame the picture-open preview shows of a video with frameCount
// frames: index kept within 0..frameCount - 1 (0 without frames).
int32_t ClampFrameIndex(int32_t index, int32_t frameCount);

// A picture of w x h in a preview area of areaW x areaH: drawn unscaled when
// `original` and it fits inside the area less 2 pixels, otherwise reduced by
// every reduction-th sample and stretched to fit. Black bands are painted
// first (Rectangle coordinates with the null pen), then the picture at
// (x, y) in width x height.
struct PicturePreviewFit {
  bool draw;               // false for an empty area or an empty picture
  bool unscaled;
  int32_t reduction;       // n >= 1 (1 when unscaled)
  int32_t x, y, width, height;
  int bandCount;
  PlotRect bands[4];
};
PicturePreviewFit FitPicturePreview(int32_t areaW, int32_t areaH, int32_t w, int32_t h, bool original);
