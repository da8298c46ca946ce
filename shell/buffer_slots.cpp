#include "buffer_slots.h"

#include <cstring>

#include "menu_ids.h"
#include "message_box.h"

namespace {

HWND gBufferWindows[kBufferCount];

bool ValidSlot(int slot) { return slot >= 1 && slot <= kSlotCount; }
bool ValidBuffer(int buffer) { return buffer >= 1 && buffer <= kBufferCount; }

ImageHeader MakeEmptySlotHeader() {
  ImageHeader h;
  InitImageHeader(&h);
  h.colourType = 0;
  return h;
}

const ImageHeader kEmptySlotHeader = MakeEmptySlotHeader();

}  // namespace

const char* GetSlotName(int number) {
  static const char* const kNames[] = {"kein Puffer", "Puffer A", "Puffer B", "Puffer C", "Puffer D"};
  return number >= 0 && number <= kBufferCount ? kNames[number] : nullptr;
}

void RegisterBufferWindow(int buffer, HWND window) {
  if (ValidBuffer(buffer)) gBufferWindows[buffer - 1] = window;
}

int SlotOfWindow(HWND window) {
  if (!window) return 0;
  for (int b = 1; b <= kBufferCount; ++b)
    if (gBufferWindows[b - 1] == window) return b;
  return 0;
}

HWND WindowOfSlot(int buffer) { return ValidBuffer(buffer) ? gBufferWindows[buffer - 1] : nullptr; }

int16_t* GetSlotPixels(int slot, const ProgramState* ps) {
  return ValidSlot(slot) ? ps->SlotPixels[slot - 1] : nullptr;
}

void SetSlotPixels(int16_t* pixels, int slot, ProgramState* ps) {
  if (ValidSlot(slot)) ps->SlotPixels[slot - 1] = pixels;
}

int IsSlotLoaded(int slot, const ProgramState* ps) { return ValidSlot(slot) ? ps->SlotLoaded[slot - 1] : 0; }

void SetSlotLoaded(int flag, int slot, ProgramState* ps) {
  if (ValidSlot(slot)) ps->SlotLoaded[slot - 1] = flag;
}

int GetSlotHeader(ImageHeader* out, int slot, const ProgramState* ps) {
  if (!ValidSlot(slot) || !out) return 0;
  *out = ps->Slots[slot - 1].Header;
  return 1;
}

void SetSlotHeader(const ImageHeader* header, int slot, ProgramState* ps) {
  if (ValidSlot(slot) && header) ps->Slots[slot - 1].Header = *header;
}

int GetSlotMetadata(ImageMetadata* out, int slot, const ProgramState* ps) {
  if (!ValidSlot(slot) || !out) return 0;
  *out = ps->Slots[slot - 1].Metadata;
  return 1;
}

void SetSlotMetadata(const ImageMetadata* metadata, int slot, ProgramState* ps) {
  if (ValidSlot(slot) && metadata) ps->Slots[slot - 1].Metadata = *metadata;
}

uint32_t SampleBytes(const ImageHeader* header) {
  if (header->width < 0 || header->height < 0) return 0;
  const uint64_t bytes = uint64_t(header->width) * uint64_t(header->height) * 2u * SamplesPerPixel(header);
  return bytes <= UINT32_MAX ? uint32_t(bytes) : 0;
}

int AllocPixels(int16_t** out, const ImageHeader* header) {
  if (!out) return 0;
  *out = nullptr;
  if (!header) return 0;
  const uint32_t bytes = SampleBytes(header);
  // A zero size from a broken header is refused; a real empty picture has none.
  if (bytes == 0 && header->width != 0 && header->height != 0) return 0;
  *out = static_cast<int16_t*>(AllocMem(bytes));
  return *out ? 1 : 0;
}

int InstallImage(int slot, ProgramState* ps, int16_t* samples, const ImageHeader* header,
                 const ImageMetadata* metadata) {
  if (!ValidSlot(slot) || !samples || !header || !metadata) return 0;
  // Copies first: the caller may hand in the slot's own header or metadata.
  const ImageHeader newHeader = *header;
  const ImageMetadata newMetadata = *metadata;
  // Re-installing the slot's own buffer must not free it.
  if (ps->SlotPixels[slot - 1] == samples) ps->SlotPixels[slot - 1] = nullptr;
  ClearSlot(slot, ps);
  ps->SlotPixels[slot - 1] = samples;
  ps->Slots[slot - 1].Header = newHeader;
  ps->Slots[slot - 1].Metadata = newMetadata;
  ps->SlotLoaded[slot - 1] = 1;
  return 1;
}

int CopySlot(int from, int to, ProgramState* ps) {
  if (!ValidSlot(from) || !ValidSlot(to) || !IsSlotLoaded(from, ps)) return 0;
  if (from == to) return 1;
  const SlotImage source = ps->Slots[from - 1];
  const int16_t* pixels = ps->SlotPixels[from - 1];
  if (!pixels) return 0;
  const uint32_t bytes = SampleBytes(&source.Header);
  if (bytes == 0 && source.Header.width != 0 && source.Header.height != 0) return 0;
  auto* copy = static_cast<int16_t*>(AllocMem(bytes));
  if (!copy) return 0;
  if (IsSlotLoaded(to, ps)) ClearSlot(to, ps);
  std::memcpy(copy, pixels, bytes);
  ps->SlotPixels[to - 1] = copy;
  ps->Slots[to - 1] = source;
  ps->SlotLoaded[to - 1] = 1;
  return 1;
}

int SaveUndo(ProgramState* ps) { return SaveUndoOf(ps->ActiveBuffer, ps); }

int SaveUndoOf(int n, ProgramState* ps) {
  if (!ValidBuffer(n) || !IsSlotLoaded(n, ps)) return 0;
  return CopySlot(n, n + kBufferCount, ps);
}

int RestoreUndo(ProgramState* ps) {
  const int n = ps->ActiveBuffer;
  if (!ValidBuffer(n) || !IsSlotLoaded(n + kBufferCount, ps)) return 0;
  return CopySlot(n + kBufferCount, n, ps);
}

void ClearSlot(int slot, ProgramState* ps) {
  if (!ValidSlot(slot)) return;
  ps->SlotLoaded[slot - 1] = 0;
  ps->Slots[slot - 1].Header = kEmptySlotHeader;
  if (slot <= kBufferCount) InitImageMetadata(&ps->Slots[slot - 1].Metadata);
  ReleaseStateBuffer(ps, &ps->SlotPixels[slot - 1]);
}

void FreeProgramState(ProgramState* ps) {
  DropProgramStateBackup(ps);
  FreeMem(&ps->HotPixelList.Entries);
  FreeMem(&ps->PatternSamples);
  FreeMem(&ps->DarkFrameSamples);
  FreeMem(&ps->FlatFieldSamples);
  for (void*& p : ps->WorkBuffers) FreeMem(&p);
  for (uint16_t*& p : ps->ContrastLuts) FreeMem(&p);
  for (uint32_t*& p : ps->ContrastHistograms) FreeMem(&p);
  for (int s = 1; s <= kSlotCount; ++s) ClearSlot(s, ps);
}

void UpdateBufferMenuChecks(HMENU menu, int buffer) {
  static int lastBuffer = 0;
  static const UINT kItems[] = {IDM_BUFFER_A, IDM_BUFFER_B, IDM_BUFFER_C, IDM_BUFFER_D};
  if (buffer == lastBuffer) return;
  for (UINT item : kItems) CheckMenuItem(menu, item, MF_BYCOMMAND | MF_UNCHECKED);
  if (ValidBuffer(buffer)) CheckMenuItem(menu, kItems[buffer - 1], MF_BYCOMMAND | MF_CHECKED);
  const bool picture = ValidBuffer(buffer) && IsSlotLoaded(buffer, &gProgramState);
  const UINT zoom = MF_BYCOMMAND | (picture ? MF_ENABLED : MF_GRAYED);
  EnableMenuItem(menu, IDM_ZOOM_IN, zoom);
  EnableMenuItem(menu, IDM_ZOOM_OUT, zoom);
  lastBuffer = buffer;
}

int CheckHeadersMatch(const ImageHeader* a, const ImageHeader* b, int mode, const char* message, HWND owner) {
  bool match = false;
  if (a && b && mode >= 0 && mode <= 2) {
    match = a->width == b->width && a->height == b->height;
    if (mode <= 1) match = match && a->colourType == b->colourType;
    if (mode == 0) match = match && a->sourceBits == b->sourceBits;
  }
  if (match) return 1;
  ShowMessageBox(owner, message, kTitleError, MB_OK | MB_ICONSTOP);
  return 0;
}
