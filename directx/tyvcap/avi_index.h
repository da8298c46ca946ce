// The chunk sizes of an AVI file's video frames, from its index. The
// platform's reader passes over a frame whose chunk is empty (a recording's
// multiplexer writes one for a dropped frame) or cut short, and hands out
// another frame in its place; the index tells such frames apart.
// Platform-free: the decoder and the tests both use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tyvcap {

// Reads n bytes at offset of the file; false when they are not all there.
using ReadAt = std::function<bool(uint64_t offset, void* data, size_t n)>;

struct AviFrameChunks {
  std::vector<uint32_t> sizes;   // bytes of each frame's chunk, in frame order
  uint32_t pictureBytes = 0;     // bytes of an uncompressed picture; 0 for compressed video

  // Whether the file holds no whole picture for the frame: its chunk is
  // empty, or shorter than an uncompressed picture. Frames the index does
  // not list are not judged.
  bool Lacks(size_t frame) const {
    return frame < sizes.size() && (sizes[frame] == 0 || sizes[frame] < pictureBytes);
  }
};

// The first video stream's chunks of a RIFF AVI file of fileSize bytes,
// from its OpenDML index or else its idx1. Empty for anything else, or when
// the index does not fit into the file.
AviFrameChunks ReadAviFrameChunks(uint64_t fileSize, const ReadAt& read);

}  // namespace tyvcap
