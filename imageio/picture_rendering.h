// The display rendering that the BMP, GIF, JPEG, PCX and 8-bit TIFF writers
// store, and the showing of a platform-free reader's message. Private to
// the picture writers.
#pragma once

#include <windows.h>

#include <cstdint>

#include "imagelib/image.h"
#include "picture_io.h"
#include "shell/palette_colours.h"
#include "shell/program_state.h"

// Rows of w x h pixels (bottom-up, padded to 4 bytes; DibRowsSize bytes):
// the picture mapped as the display shows it on a screen of the file's depth
// (8 bits grey, 24 colour), resampled when w x h is not its size. 1/0.
int RenderPictureRows(uint8_t* rows, const int16_t* samples, const ImageHeader* h, const ProgramState* ps,
                      int32_t w, int32_t height);

// Colour of grey level i in the palette type of the state: the colour table
// of 8-bit picture files.
void PictureFileColours(Bgr table[256], const ProgramState* ps);

// A reader's or writer's message as a box without owner under "Fehlermeldung".
void ShowPictureMessage(const PictureMessage& m);
