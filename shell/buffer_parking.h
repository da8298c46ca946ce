// Ownership of heap buffers while a backup of the program state is held.
//
// A dialog takes a backup of the whole state when it opens and puts it back
// when it is cancelled. The backup points to the sample buffers the state
// owned at that moment, so a buffer the dialog replaces or clears must not be
// freed while the backup may still bring it back: it is parked instead.
// Confirming frees what is parked; cancelling frees the buffers that came
// after the backup, and the restored record owns the parked ones again.
//
// The engine knows nothing of the state record: callers hand it the values of
// the record's owning pointer fields ("live"). Platform-free.
#pragma once

#include <cstdint>

constexpr int kMaxParkedBuffers = 32;

struct BufferParking {
  int depth;                           // dialogs open since the first backup
  int heldCount;
  void* held[kMaxParkedBuffers];       // owned buffers the backup points to
  int parkedCount;
  void* parked[kMaxParkedBuffers];     // dropped from the state, kept for the backup
};

// A dialog opens: the backup is (re)taken from the live pointers. Buffers
// parked for an older backup can no longer come back and are freed now.
void ParkingOpen(BufferParking* p, void* const* live, int count);

// The open dialog takes its backup anew (a tab page that was just shown):
// as ParkingOpen, but no further dialog is counted.
void ParkingRenew(BufferParking* p, void* const* live, int count);

// Frees *field, or parks it when the backup points to it; *field is null after.
void ParkingRelease(BufferParking* p, void** field);

// A dialog is confirmed. When it was the outermost one, the parked buffers
// are freed (those the live state still points to are kept).
void ParkingCommit(BufferParking* p, void* const* live, int count);

// A dialog is cancelled: frees every live buffer the backup does not point to
// and forgets the parked ones, which the caller's restored record owns again.
// Returns 1, or 0 (and does nothing) when no backup is held.
int ParkingCancel(BufferParking* p, void* const* live, int count);

// Ends every backup (program exit): frees what is parked and not live.
void ParkingDrop(BufferParking* p, void* const* live, int count);
