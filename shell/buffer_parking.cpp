#include "buffer_parking.h"

#include "imagelib/image.h"

namespace {

bool Contains(void* const* list, int count, const void* ptr) {
  for (int i = 0; i < count; ++i)
    if (list[i] == ptr) return true;
  return false;
}

// Frees every parked buffer that the live record does not point to.
void FreeParked(BufferParking* p, void* const* live, int count) {
  for (int i = 0; i < p->parkedCount; ++i)
    if (!Contains(live, count, p->parked[i])) FreeMem(&p->parked[i]);
  p->parkedCount = 0;
}

}  // namespace

void ParkingOpen(BufferParking* p, void* const* live, int count) {
  FreeParked(p, live, count);
  p->heldCount = 0;
  for (int i = 0; i < count; ++i) {
    if (!live[i] || Contains(p->held, p->heldCount, live[i])) continue;
    if (p->heldCount == kMaxParkedBuffers) break;   // callers stay far below
    p->held[p->heldCount++] = live[i];
  }
  ++p->depth;
}

void ParkingRenew(BufferParking* p, void* const* live, int count) {
  if (p->depth == 0) return;
  ParkingOpen(p, live, count);
  --p->depth;
}

void ParkingRelease(BufferParking* p, void** field) {
  if (!*field) return;
  if (p->depth > 0 && Contains(p->held, p->heldCount, *field)) {
    if (!Contains(p->parked, p->parkedCount, *field)) p->parked[p->parkedCount++] = *field;
    *field = nullptr;
    return;
  }
  FreeMem(field);
}

void ParkingCommit(BufferParking* p, void* const* live, int count) {
  if (p->depth == 0) return;
  // An inner dialog's confirm keeps everything: the outer one may still cancel
  // back to the shared backup.
  if (--p->depth > 0) return;
  FreeParked(p, live, count);
  p->heldCount = 0;
}

int ParkingCancel(BufferParking* p, void* const* live, int count) {
  if (p->depth == 0) return 0;
  for (int i = 0; i < count; ++i) {
    void* ptr = live[i];
    // Skip what the backup brings back, and a pointer already freed for an earlier field.
    if (!ptr || Contains(p->held, p->heldCount, ptr) || Contains(live, i, ptr)) continue;
    FreeMem(&ptr);
  }
  p->parkedCount = 0;
  // The backup itself stays: an outer dialog's cancel goes back to it too.
  if (--p->depth == 0) p->heldCount = 0;
  return 1;
}

void ParkingDrop(BufferParking* p, void* const* live, int count) {
  FreeParked(p, live, count);
  p->heldCount = 0;
  p->depth = 0;
}
