#include "avi_index.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tyvcap {
namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint64_t U64(const uint8_t* p) { return U32(p) | static_cast<uint64_t>(U32(p + 4)) << 32; }
bool Is(const uint8_t* p, const char* fourcc) { return std::memcmp(p, fourcc, 4) == 0; }

// More frames than any index of ours lists: a broken count allocates little.
constexpr size_t kMaxFrames = size_t{1} << 24;

struct Chunk {
  uint8_t id[4] = {};
  uint32_t size = 0;
  uint64_t data = 0;   // offset of the chunk's data
  uint64_t next() const { return data + size + (size & 1); }
};

// The chunk at `at`, whole within [at, end).
bool ChunkAt(const ReadAt& read, uint64_t at, uint64_t end, Chunk* c) {
  uint8_t head[8];
  if (at > end || end - at < 8 || !read(at, head, 8)) return false;
  std::memcpy(c->id, head, 4);
  c->size = U32(head + 4);
  c->data = at + 8;
  return c->size <= end - c->data;
}

// A LIST chunk's type, or false for any other chunk.
bool ListOf(const ReadAt& read, const Chunk& c, const char* type) {
  uint8_t t[4];
  return Is(c.id, "LIST") && c.size >= 4 && read(c.data, t, 4) && Is(t, type);
}

struct VideoStream {
  int number = -1;
  uint32_t pictureBytes = 0;
  Chunk indx;   // size 0 when the stream has no OpenDML index
};

uint32_t PictureBytes(const uint8_t* bih) {
  if (U32(bih + 16) != 0) return 0;   // compressed: any chunk size may be a whole picture
  const int64_t width = std::abs(static_cast<int32_t>(U32(bih + 4)));
  const int64_t height = std::abs(static_cast<int32_t>(U32(bih + 8)));
  const int64_t bits = U16(bih + 14);
  if (width > 65535 || height > 65535 || bits > 64) return 0;
  const int64_t bytes = (width * bits + 31) / 32 * 4 * height;
  return bytes <= UINT32_MAX ? static_cast<uint32_t>(bytes) : 0;
}

// The first stream of type "vids" among the header list's stream lists.
VideoStream FindVideo(const ReadAt& read, const Chunk& hdrl) {
  VideoStream video;
  int number = 0;
  Chunk strl;
  for (uint64_t at = hdrl.data + 4; ChunkAt(read, at, hdrl.data + hdrl.size, &strl); at = strl.next()) {
    if (!ListOf(read, strl, "strl")) continue;
    bool isVideo = false;
    uint32_t picture = 0;
    Chunk indx, c;
    for (uint64_t in = strl.data + 4; ChunkAt(read, in, strl.data + strl.size, &c); in = c.next()) {
      uint8_t bytes[40];
      if (Is(c.id, "strh") && c.size >= 4 && read(c.data, bytes, 4)) isVideo = Is(bytes, "vids");
      if (Is(c.id, "strf") && c.size >= 40 && read(c.data, bytes, 40)) picture = PictureBytes(bytes);
      if (Is(c.id, "indx")) indx = c;
    }
    if (isVideo) {
      video.number = number;
      video.pictureBytes = picture;
      video.indx = indx;
      return video;
    }
    ++number;
  }
  return video;
}

// OpenDML: a super index of standard indexes, each listing chunks by offset
// and size (the top bit of a size marks a frame that is not a key frame).
bool ReadOpenDml(const ReadAt& read, uint64_t fileSize, const Chunk& indx, std::vector<uint32_t>* sizes) {
  uint8_t head[24];
  if (indx.size < 24 || !read(indx.data, head, 24)) return false;
  const uint32_t entries = U32(head + 4);
  if (U16(head) != 4 || head[3] != 0 || entries > (indx.size - 24) / 16) return false;
  for (uint32_t e = 0; e < entries; ++e) {
    uint8_t entry[16];
    Chunk ix;
    uint8_t ixHead[24];
    if (!read(indx.data + 24 + 16ull * e, entry, 16) || !ChunkAt(read, U64(entry), fileSize, &ix) || ix.size < 24 ||
        !read(ix.data, ixHead, 24))
      return false;
    const uint32_t chunks = U32(ixHead + 4);
    if (U16(ixHead) != 2 || ixHead[3] != 1 || chunks > (ix.size - 24) / 8 || sizes->size() + chunks > kMaxFrames)
      return false;
    std::vector<uint8_t> list(size_t{chunks} * 8);
    if (chunks && !read(ix.data + 24, list.data(), list.size())) return false;
    for (uint32_t i = 0; i < chunks; ++i) sizes->push_back(U32(&list[8 * size_t{i} + 4]) & 0x7FFFFFFF);
  }
  return true;
}

// The old index: entries of all streams; the stream's frames are its "NNdb"
// and "NNdc" chunks.
bool ReadIdx1(const ReadAt& read, const Chunk& idx1, int stream, std::vector<uint32_t>* sizes) {
  const char digits[2] = {static_cast<char>('0' + stream / 10 % 10), static_cast<char>('0' + stream % 10)};
  const uint32_t entries = idx1.size / 16;
  uint8_t block[16 * 256];
  for (uint32_t first = 0; first < entries; first += 256) {
    const uint32_t n = std::min<uint32_t>(256, entries - first);
    if (!read(idx1.data + 16ull * first, block, 16 * size_t{n})) return false;
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* e = block + 16 * i;
      if (e[0] != digits[0] || e[1] != digits[1] || e[2] != 'd' || (e[3] != 'b' && e[3] != 'c')) continue;
      if (sizes->size() == kMaxFrames) return false;
      sizes->push_back(U32(e + 12));
    }
  }
  return true;
}

}  // namespace

AviFrameChunks ReadAviFrameChunks(uint64_t fileSize, const ReadAt& read) {
  AviFrameChunks out;
  uint8_t head[12];
  if (fileSize < 12 || !read(0, head, 12) || !Is(head, "RIFF") || !Is(head + 8, "AVI ")) return out;
  const uint64_t end = std::min<uint64_t>(fileSize, 8 + uint64_t{U32(head + 4)});
  VideoStream video;
  Chunk idx1;
  Chunk c;
  for (uint64_t at = 12; ChunkAt(read, at, end, &c); at = c.next()) {
    if (video.number < 0 && ListOf(read, c, "hdrl")) video = FindVideo(read, c);
    if (Is(c.id, "idx1")) idx1 = c;
  }
  if (video.number < 0) return out;
  const bool indexed = video.indx.size ? ReadOpenDml(read, fileSize, video.indx, &out.sizes)
                                     : idx1.size && ReadIdx1(read, idx1, video.number, &out.sizes);
  if (!indexed) return AviFrameChunks{};
  out.pictureBytes = video.pictureBytes;
  return out;
}

}  // namespace tyvcap
