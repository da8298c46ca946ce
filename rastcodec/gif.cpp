// GIF through giflib, from and to memory. Reading takes the first image of
// the file; writing stores one image.

#include "codecs.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace rastcodec {

namespace {

struct MemoryInput {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

int ReadInput(GifFileType* gif, GifByteType* buf, int n) {
  auto* in = static_cast<MemoryInput*>(gif->UserData);
  const size_t count = std::min(size_t(n < 0 ? 0 : n), in->size - in->pos);
  std::memcpy(buf, in->data + in->pos, count);
  in->pos += count;
  return int(count);
}

int WriteOutput(GifFileType* gif, const GifByteType* buf, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  try {
    out->insert(out->end(), buf, buf + n);
  } catch (const std::exception&) {
    return 0;
  }
  return n;
}

// Row order of an interlaced image: four passes over the rows.
struct InterlacedRows {
  int32_t height;
  int pass = 0;
  int32_t next = 0;
  int32_t Next() {
    static const int32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    while (pass < 4 && next >= height) {
      if (++pass < 4) next = start[pass];
    }
    const int32_t row = next;
    if (pass < 4) next += step[pass];
    return row;
  }
};

// Skips an extension's sub-blocks.
bool SkipExtension(GifFileType* gif) {
  int code;
  GifByteType* block;
  if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
  }
  return true;
}

bool DecodeFirstImage(GifFileType* gif, size_t fileSize, DibImage* img) {
  GifRecordType type;
  do {
    if (DGifGetRecordType(gif, &type) != GIF_OK) return false;
    if (type == EXTENSION_RECORD_TYPE && !SkipExtension(gif)) return false;
    if (type == TERMINATE_RECORD_TYPE) return false;   // no image at all
  } while (type != IMAGE_DESC_RECORD_TYPE);
  if (DGifGetImageDesc(gif) != GIF_OK) return false;

  const GifImageDesc& d = gif->Image;
  if (d.Width <= 0 || d.Height <= 0 || d.Left < 0 || d.Top < 0) return false;
  // The image goes onto its screen when it lies inside it; else it stands alone.
  const bool onScreen = d.Left + d.Width <= gif->SWidth && d.Top + d.Height <= gif->SHeight;
  const int32_t width = onScreen ? gif->SWidth : d.Width;
  const int32_t height = onScreen ? gif->SHeight : d.Height;
  // One LZW code stands for at most 4096 pixels and takes at least 2 bits.
  if (uint64_t(width) * uint64_t(height) > uint64_t(fileSize) * 4 * 4096) return false;
  if (!img->Create(width, height, 8)) return false;

  const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
  if (map != nullptr) {
    for (int i = 0; i < std::min(map->ColorCount, 256); ++i) {
      const GifColorType& c = map->Colors[i];
      img->SetColour(uint32_t(i), Bgr{c.Blue, c.Green, c.Red});
    }
  } else {
    img->SetGreyRamp();
  }
  if (onScreen && gif->SBackGroundColor != 0) {
    for (int32_t y = 0; y < height; ++y) std::memset(img->Row(y), gif->SBackGroundColor & 0xFF, size_t(width));
  }
  const int32_t left = onScreen ? d.Left : 0, top = onScreen ? d.Top : 0;
  InterlacedRows interlaced{d.Height};
  for (int32_t i = 0; i < d.Height; ++i) {
    const int32_t y = d.Interlace ? interlaced.Next() : i;
    if (DGifGetLine(gif, img->Row(top + y) + left, d.Width) != GIF_OK) return false;
  }
  return true;
}

}  // namespace

bool IsGif(const uint8_t* head, size_t size) {
  return head != nullptr && size >= 6 &&
         (std::memcmp(head, GIF87_STAMP, 6) == 0 || std::memcmp(head, GIF89_STAMP, 6) == 0);
}

bool DecodeGif(const uint8_t* file, size_t size, Bytes* dib) {
  if (!IsGif(file, size)) return false;
  MemoryInput in{file, size, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&in, ReadInput, &error);
  if (gif == nullptr) return false;
  DibImage img;
  bool ok;
  try {
    ok = DecodeFirstImage(gif, size, &img);
  } catch (const std::exception&) {
    ok = false;
  }
  DGifCloseFile(gif, &error);
  if (ok) *dib = std::move(img.data);
  return ok;
}

bool EncodeGif(const uint8_t* dib, size_t size, const GifOptions& options, Bytes* file) {
  DibView v;
  if (!ParseDib(dib, size, DibLayout::Standard, &v)) return false;
  try {
    IndexedPicture pic;
    if (!ToIndexed(v, 256, options.GifGrayscale24 != 0, &pic)) return false;
    const int bits = std::max(1, GifBitSize(int(pic.palette.size())));
    ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
    if (map == nullptr) return false;
    for (size_t i = 0; i < pic.palette.size(); ++i) {
      map->Colors[i] = GifColorType{pic.palette[i].r, pic.palette[i].g, pic.palette[i].b};
    }

    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteOutput, &error);
    if (gif == nullptr) {
      GifFreeMapObject(map);
      return false;
    }
    EGifSetGifVersion(gif, options.GifFormat == 89);
    const bool global = options.GifGlobalColorMap != 0;
    const bool interlace = options.GifInterlaced != 0;
    bool ok = EGifPutScreenDesc(gif, v.width, v.height, bits, 0, global ? map : nullptr) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, v.width, v.height, interlace, global ? nullptr : map) == GIF_OK;
    InterlacedRows interlaced{v.height};
    for (int32_t i = 0; ok && i < v.height; ++i) {
      const int32_t y = interlace ? interlaced.Next() : i;
      ok = EGifPutLine(gif, pic.indices.data() + size_t(y) * size_t(v.width), v.width) == GIF_OK;
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    if (ok) *file = std::move(out);
    return ok;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace rastcodec
