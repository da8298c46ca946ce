#include "image.h"
#include "alloc_limit.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

ImageHeader MakeDefaultHeader() {
  ImageHeader h;
  std::memset(&h, 0, sizeof h);
  h.levels = kFullScale;
  h.sourceBits = 16;
  h.pixelAspect = 1.0;
  h.xScale = 1.0;
  h.yScale = 1.0;
  h.carried40 = 16;
  h.colourType = 13;
  h.carried52 = 12;
  h.carried80 = 1;
  std::strcpy(h.valueUnit, "Counts");
  h.carried136 = 1.0;
  h.carried144 = 1.0;
  std::strcpy(h.xUnit, "Pixel");
  std::strcpy(h.yUnit, "Pixel");
  h.carried216 = 1;
  h.carried220 = 1;
  return h;
}

ImageMetadata MakeDefaultMetadata() {
  ImageMetadata md;
  std::memset(&md, 0, sizeof md);
  auto setWord = [&md](int index, int32_t value) {
    std::memcpy(reinterpret_cast<char*>(&md) + 4 * index, &value, 4);
  };
  setWord(19, 1);
  setWord(20, 1);
  setWord(147, 5);
  setWord(150, 1);
  return md;
}

const ImageHeader kDefaultHeader = MakeDefaultHeader();
const ImageMetadata kDefaultMetadata = MakeDefaultMetadata();

}  // namespace

int32_t MetadataWord(const ImageMetadata* md, int index) {
  int32_t v;
  std::memcpy(&v, reinterpret_cast<const char*>(md) + 4 * index, 4);
  return v;
}

void InitImageHeader(ImageHeader* out) { *out = kDefaultHeader; }

void InitImageMetadata(ImageMetadata* out) { *out = kDefaultMetadata; }

ImageRect* MakeRect(ImageRect* r, int32_t x, int32_t y, int32_t w, int32_t h) {
  r->x = x;
  r->y = y;
  r->w = w;
  r->h = h;
  return r;
}

int RectInImage(const ImageRect* r, const ImageHeader* h) {
  if (r->x < 0 || r->y < 0 || r->w < 0 || r->h < 0) return 0;
  if (r->x >= h->width || r->y >= h->height) return 0;
  // 64-bit sums: x = 1, w = INT32_MAX must not wrap into a valid rectangle.
  if (int64_t{r->x} + r->w > h->width) return 0;
  if (int64_t{r->y} + r->h > h->height) return 0;
  return 1;
}

namespace {
std::atomic<long> gLiveBlocks{0};
std::atomic<uint32_t> gAllocationLimit{0};
}

void SetAllocationLimit(uint32_t bytes) { gAllocationLimit.store(bytes); }

long LiveMemBlocks() { return gLiveBlocks.load(); }

void* AllocMem(uint32_t size) {
  const uint32_t limit = gAllocationLimit.load();
  if (limit && size > limit) return nullptr;
  // calloc(0) may return null; a zero-size request still gets a block.
  void* p = std::calloc(size ? size : 1, 1);
  if (p) ++gLiveBlocks;
  return p;
}

void* AllocArray(size_t count, size_t size) {
  if (size != 0 && count > UINT32_MAX / size) return nullptr;
  return AllocMem(static_cast<uint32_t>(count * size));
}

void* ReallocMem(void* p, uint32_t newSize) {
  void* q = std::realloc(p, newSize ? newSize : 1);
  if (q && !p) ++gLiveBlocks;
  return q;
}

int FreeMem(void** p) {
  if (*p) {
    std::free(*p);
    *p = nullptr;
    --gLiveBlocks;
  }
  return 0;
}
