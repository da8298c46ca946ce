// The eight buffer slots of ProgramState: slots 1..4 are the working buffers
// A..D, slot n + 4 holds the undo copy of slot n. A loaded slot owns its
// sample buffer (width x height samples, three per pixel for colour type 1);
// an empty slot has none. Slot numbers outside 1..8 make getters return 0 and
// setters do nothing.
#pragma once

#include <windows.h>

#include "program_state.h"

constexpr int kBufferCount = 4;

// Name of buffer number 0..4 ("kein Puffer", "Puffer A".."Puffer D"), null otherwise.
const char* GetSlotName(int number);

// The buffer windows A..D, registered by the frame when it creates them.
void RegisterBufferWindow(int buffer, HWND window);
// 1..4 for the buffer window of A..D, else 0.
int SlotOfWindow(HWND window);
// The buffer window of buffer 1..4, else null.
HWND WindowOfSlot(int buffer);

int16_t* GetSlotPixels(int slot, const ProgramState* ps);
// Stores the pointer; frees nothing.
void SetSlotPixels(int16_t* pixels, int slot, ProgramState* ps);
int IsSlotLoaded(int slot, const ProgramState* ps);
void SetSlotLoaded(int flag, int slot, ProgramState* ps);
int GetSlotHeader(ImageHeader* out, int slot, const ProgramState* ps);
void SetSlotHeader(const ImageHeader* header, int slot, ProgramState* ps);
int GetSlotMetadata(ImageMetadata* out, int slot, const ProgramState* ps);
void SetSlotMetadata(const ImageMetadata* metadata, int slot, ProgramState* ps);

// Bytes of the samples the header describes; 0 for a header whose size is
// negative or does not fit a 32-bit allocation.
uint32_t SampleBytes(const ImageHeader* header);

// A zero-filled sample buffer for the header into *out: 1, or 0 with *out
// null when the header is null or unusable or memory is short.
int AllocPixels(int16_t** out, const ImageHeader* header);

// Puts a picture into a slot, which takes ownership of the samples. Returns 1;
// returns 0 and leaves everything (the caller keeps its buffer) when a pointer
// is null or the slot number is outside 1..8.
int InstallImage(int slot, ProgramState* ps, int16_t* samples, const ImageHeader* header,
                 const ImageMetadata* metadata);

// Deep copy of slot `from` into slot `to`: 1 on success (also for from == to,
// which changes nothing), 0 when `from` is empty or memory is short (then `to`
// is left as it was).
int CopySlot(int from, int to, ProgramState* ps);
// Active buffer n into its undo slot n + 4.
int SaveUndo(ProgramState* ps);
// The same for buffer 1..4, active or not: a dialog keeps the undo copy of
// the buffer it changes. 0 when the buffer is empty or the copy fails.
int SaveUndoOf(int buffer, ProgramState* ps);
// Undo slot n + 4 back into the active buffer n; also into an emptied buffer.
int RestoreUndo(ProgramState* ps);
// Empties a slot and frees its samples; the undo slots keep their metadata.
void ClearSlot(int slot, ProgramState* ps);
// At exit: the hot-pixel list, the work buffers, the contrast work areas and
// all eight slots.
void FreeProgramState(ProgramState* ps);

// Ticks the menu item of `buffer` and enables the zoom items when it holds a
// picture; does nothing when called again with the same buffer.
void UpdateBufferMenuChecks(HMENU menu, int buffer);

// 1 when the headers agree in the fields of the mode (0: width, height,
// source bits, colour type; 1: width, height, colour type; 2: width, height);
// otherwise shows `message` under "Fehlermeldung" over `owner` and returns 0.
int CheckHeadersMatch(const ImageHeader* a, const ImageHeader* b, int mode, const char* message, HWND owner);
