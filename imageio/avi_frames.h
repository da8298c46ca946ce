// Video frames as pictures, over the capture library's file decoder, which
// holds one open video at a time.
#pragma once

#include <cstdint>

#include "imagelib/image.h"

// 1 when the decoder can open the video, its frame count in *frameCount;
// the decoder is closed again either way. Date and time stamping go off.
int ProbeAviFile(const char* fileName, int32_t* frameCount);
// Opens the video with date and time stamping switched off. The header gets
// its size, grey with 8 source bits for videos of up to 8 bits per pixel and
// colour with 24 otherwise, pixel aspect (width x 4) / (height x 3), pixel
// scales 8 x aspect and 8.0, and else the reader header. Failure closes the
// decoder; with showErrors it names a missing file ("AVI-Datei nicht
// gefunden !") and an unknown format ("AVI-Format unbekannt !"). 1/0.
int OpenAviFile(const char* fileName, int32_t* frameCount, ImageHeader* header, int showErrors);
// Frame frameIndex (from 0) of the open video into samples of the header's
// size and colour type (grey takes the blue byte). 1/0.
int ReadAviFrame(int16_t* samples, const ImageHeader* header, int32_t frameIndex);
// Closes the decoder; 1.
int CloseAviFile();

// Reader of the picture contract for "AVI": frame AviFrameIndex of the
// global state; stores the video's frame count in AviFrameCount. The
// buffer has 32 spare rows.
int ReadAviFrameImage(const char* fileName, int16_t** samples, ImageHeader* header);
