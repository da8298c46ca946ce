// Picture files for the native builds of the engine (tests, the stacking
// program, benchmarks): the platform-free readers and writers of imageio/
// behind the engine's loader, without the Windows dialogs and settings.
#pragma once

#include <cstdint>

#include "imagelib/image.h"
#include "stacking/series/frame_source.h"

// BMP (uncompressed 8 or 24 bits, bottom-up), PNG, FITS (triples B,G,R only
// when named so), PPM and IM by the name's extension. FITS reads one at a
// time: the FITS library is built without thread support.
class NativePictureLoader : public PictureLoader {
 public:
  int Load(const char* fileName, FrameBuffer* frame, ImageHeader* header) override;
  bool LoadsConcurrently(const char* fileName) const override;
};

// Writes FITS (16 bits), PNG (16 bits per sample) or BMP (8 or 24 bits of
// the samples' top bits) by extension (with or without its dot); 1 written.
int SaveNativePicture(const char* fileName, const char* extension, const int16_t* samples, const ImageHeader* h);
