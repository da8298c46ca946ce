// Names and groups of the re-centring run, and the guard that keeps a
// result or a re-centred picture from landing on a raw frame. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kMaxRecenterGroup = 64;

// The number suffix for m output pictures: "_%ld" below 10, "_%02ld" below
// 100, "_%03ld", "_%04ld", else "_%05ld".
const char* RecenterSuffixFormat(int32_t outputs);

// A video by its name: the last four characters ".avi" in any case, or a
// name that ends in "avi"/"AVI" without the dot.
bool IsVideoName(const char* name);

// Frames per output picture: AddNPics limited to 1..kMaxRecenterGroup.
int32_t RecenterGroupSize(int32_t addNPics);
// Output pictures of count frames in groups of n: whole groups and the
// part of one at the end.
int32_t RecenterGroupCount(int32_t count, int32_t n);

// Where one picture goes: directory, a separator (the one the directory
// uses, "\" by default), the base name (no directory, no
// extension) of source, then for a video "_" and number in the width for
// outputs; for pictures "_odd" (field 0) or "_even" (field 1) when
// field >= 0, nothing otherwise; then extension (".png"). 1 built, 0 when
// it does not fit (out empty).
int MakeRecenterName(char* out, size_t capacity, const char* directory, const char* source, bool video,
                     int32_t number, int32_t outputs, int32_t field, const char* extension);

// Whether a picture written to output would replace a raw frame of the
// series that source opens (sourceKind as Addpicsource): the video or the
// first picture itself; for a numbered series a member from source's
// number on while such files exist; for a directory series any picture of
// source's extension in its directory. Names compare without regard to
// case or to the kind of separator.
bool OverwritesSeriesInput(const char* output, const char* source, int32_t sourceKind);
