#include "stacking/series/frame_source.h"

#include <utility>

size_t PictureSamples(const ImageHeader* h) {
  if (!h || h->width <= 0 || h->height <= 0) return 0;
  return size_t(h->width) * size_t(h->height) * size_t(SamplesPerPixel(h));
}

int FrameBuffer::Reserve(const ImageHeader* h, int32_t spareRows) {
  const size_t picture = PictureSamples(h);
  if (picture == 0 || spareRows < 0) return 0;
  const size_t needed = picture + size_t(spareRows) * size_t(h->width) * size_t(SamplesPerPixel(h));
  if (needed <= capacity_) return 1;
  Release();
  samples_ = static_cast<int16_t*>(AllocArray(needed, sizeof(int16_t)));
  if (!samples_) return 0;
  capacity_ = needed;
  return 1;
}

void FrameBuffer::Adopt(int16_t* samples, size_t capacity) {
  Release();
  samples_ = samples;
  capacity_ = samples ? capacity : 0;
}

int16_t* FrameBuffer::Detach() {
  int16_t* samples = samples_;
  samples_ = nullptr;
  capacity_ = 0;
  return samples;
}

void FrameBuffer::Release() {
  FreeMem(&samples_);
  capacity_ = 0;
}

void FrameBuffer::Swap(FrameBuffer* other) {
  std::swap(samples_, other->samples_);
  std::swap(capacity_, other->capacity_);
}
