// Where the cut-out of the file menu lies: a rectangle of fixed size
// centred on the object the picture shows and moved wholly inside the
// picture. Platform-free.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// The rectangle of sizeX x sizeY (each first limited to the picture) centred
// on (cx, cy), moved inside the W x H picture. Sizes below 1 give none (false).
bool PlaceCutOut(int32_t W, int32_t H, int32_t sizeX, int32_t sizeY, int32_t cx, int32_t cy, ImageRect* rect);

// The object's centre by FindObjectCentre over the whole picture; where that
// fails (a result code, or nothing bright in the picture) the middle of the
// picture. Then PlaceCutOut. false for sizes below 1 or an empty picture.
bool FindCutOutRect(const ImageHeader* h, const int16_t* samples, int32_t sizeX, int32_t sizeY, ImageRect* rect);
