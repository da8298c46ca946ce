// Where the frames of a series come from: picture files through a loader,
// or the frames of a video through a reader. The engine holds each frame in
// a FrameBuffer that is grown when needed and otherwise reused, so reading
// frame after frame allocates nothing. Platform-free; the Windows edge plugs
// in the program's picture loader and the capture library's video decoder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/image.h"

// A sample block of AllocMem that keeps its size between frames.
class FrameBuffer {
 public:
  FrameBuffer() = default;
  ~FrameBuffer() { Release(); }
  FrameBuffer(const FrameBuffer&) = delete;
  FrameBuffer& operator=(const FrameBuffer&) = delete;

  int16_t* samples() const { return samples_; }
  size_t capacity() const { return capacity_; }
  // Room for the header's picture and spareRows more rows; the block is
  // kept when it is large enough (its content then stays). 1, or 0 when the
  // header is unusable or memory is short (the old block is then gone).
  int Reserve(const ImageHeader* h, int32_t spareRows = 0);
  // Takes over a block of AllocMem holding `capacity` samples.
  void Adopt(int16_t* samples, size_t capacity);
  // Gives the block to the caller (who frees it) and leaves the buffer empty.
  int16_t* Detach();
  void Release();
  // Swaps the blocks of two buffers.
  void Swap(FrameBuffer* other);

 private:
  int16_t* samples_ = nullptr;
  size_t capacity_ = 0;
};

// Samples of a picture of the header: width x height, three per pixel for
// colour; 0 for a header of no positive size.
size_t PictureSamples(const ImageHeader* h);

// Loads picture files by their extension. Load is called from several
// threads at once; an implementation serialises what its libraries need.
class PictureLoader {
 public:
  virtual ~PictureLoader() = default;
  // The picture into frame (its block reused when large enough) and its
  // header; silent. 1 loaded, 0 not.
  virtual int Load(const char* fileName, FrameBuffer* frame, ImageHeader* header) = 0;
  // Whether pictures of this kind (by the name's extension) load on several
  // threads at once without waiting for each other; a threaded run then
  // reads them on its workers, else on one thread in file order.
  virtual bool LoadsConcurrently(const char* /*fileName*/) const { return false; }
};

// The frames of one video file, one file open at a time, all calls on the
// thread that opened it.
class VideoReader {
 public:
  virtual ~VideoReader() = default;
  // With showErrors the reader shows its own message on failure. 1/0.
  virtual int Open(const char* fileName, int32_t* frameCount, ImageHeader* header, int showErrors) = 0;
  // Frame videoFrame (from 0) into samples of the header's size. 1/0.
  virtual int Read(int32_t videoFrame, int16_t* samples, const ImageHeader* header) = 0;
  virtual void Close() = 0;
};
