// AVI indexes: frame chunk sizes from idx1 and from OpenDML indexes, which
// frames lack a picture, and files the reader must not trust.
#include "avi_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using tyvcap::AviFrameChunks;
using Bytes = std::vector<uint8_t>;

struct Riff {
  Bytes bytes;
  void U16(uint32_t v) {
    for (int i = 0; i < 2; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
  }
  void U64(uint64_t v) {
    U32(uint32_t(v));
    U32(uint32_t(v >> 32));
  }
  void Tag(const char* t) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(t[i]));
  }
  size_t Open(const char* tag, const char* type = nullptr) {
    Tag(tag);
    U32(0);
    const size_t at = bytes.size() - 4;
    if (type) Tag(type);
    return at;
  }
  void Close(size_t at) {
    const uint32_t size = uint32_t(bytes.size() - at - 4);
    std::memcpy(&bytes[at], &size, 4);
    if (size & 1) bytes.push_back(0);
  }
  void Put64At(size_t at, uint64_t v) {
    for (int i = 0; i < 8; ++i) bytes[at + size_t(i)] = uint8_t(v >> (8 * i));
  }
};

struct Layout {
  bool audioFirst = false;   // an audio stream ahead of the video: stream 01 is the video
  bool openDml = false;      // indx and ix## instead of idx1
  uint32_t compression = 0;  // biCompression
};

// A 4 x 2, 24-bit video whose frame chunks hold the given bytes (a picture is 24).
Bytes MakeAvi(const std::vector<uint32_t>& chunkBytes, const Layout& l) {
  Riff w;
  const size_t riff = w.Open("RIFF", "AVI ");
  const size_t hdrl = w.Open("LIST", "hdrl");
  const size_t avih = w.Open("avih");
  for (int i = 0; i < 14; ++i) w.U32(0);
  w.Close(avih);
  auto stream = [&](const char* type) {
    const size_t strl = w.Open("LIST", "strl");
    const size_t strh = w.Open("strh");
    w.Tag(type);
    for (int i = 0; i < 13; ++i) w.U32(0);
    w.Close(strh);
    const size_t strf = w.Open("strf");
    w.U32(40);
    w.U32(4);
    w.U32(2);
    w.U16(1);
    w.U16(24);
    w.U32(l.compression);
    for (int i = 0; i < 5; ++i) w.U32(0);
    w.Close(strf);
    size_t superEntry = 0;
    if (l.openDml && std::string(type) == "vids") {
      const size_t indx = w.Open("indx");
      w.U16(4);
      w.bytes.push_back(0);
      w.bytes.push_back(0);   // an index of indexes
      w.U32(1);
      w.Tag(l.audioFirst ? "01db" : "00db");
      for (int i = 0; i < 3; ++i) w.U32(0);
      superEntry = w.bytes.size();
      w.U64(0);
      w.U32(0);
      w.U32(uint32_t(chunkBytes.size()));
      w.Close(indx);
    }
    w.Close(strl);
    return superEntry;
  };
  if (l.audioFirst) stream("auds");
  const size_t superEntry = stream("vids");
  w.Close(hdrl);
  const char* id = l.audioFirst ? "01db" : "00db";
  const size_t movi = w.Open("LIST", "movi");
  const size_t moviStart = movi + 4;
  std::vector<uint32_t> offsets;
  for (uint32_t n : chunkBytes) {
    if (l.audioFirst) {
      const size_t wb = w.Open("00wb");
      w.bytes.insert(w.bytes.end(), 6, 1);
      w.Close(wb);
    }
    offsets.push_back(uint32_t(w.bytes.size() + 8));
    const size_t chunk = w.Open(id);
    w.bytes.insert(w.bytes.end(), n, 0x5A);
    w.Close(chunk);
  }
  if (l.openDml) {
    w.Put64At(superEntry, w.bytes.size());
    const size_t ix = w.Open(l.audioFirst ? "ix01" : "ix00");
    w.U16(2);
    w.bytes.push_back(0);
    w.bytes.push_back(1);   // an index of chunks
    w.U32(uint32_t(chunkBytes.size()));
    w.Tag(id);
    w.U64(0);
    w.U32(0);
    for (size_t i = 0; i < chunkBytes.size(); ++i) {
      w.U32(offsets[i]);
      w.U32(chunkBytes[i] | (i ? 0x80000000u : 0));   // all but the first are delta frames
    }
    w.Close(ix);
  }
  w.Close(movi);
  if (!l.openDml) {
    const size_t idx1 = w.Open("idx1");
    for (size_t i = 0; i < chunkBytes.size(); ++i) {
      if (l.audioFirst) {
        w.Tag("00wb");
        w.U32(0x10);
        w.U32(0);
        w.U32(6);
      }
      w.Tag(id);
      w.U32(0x10);
      w.U32(uint32_t(offsets[i] - 8 - moviStart));
      w.U32(chunkBytes[i]);
    }
    w.Close(idx1);
  }
  w.Close(riff);
  return w.bytes;
}

AviFrameChunks Read(const Bytes& file) {
  return tyvcap::ReadAviFrameChunks(file.size(), [&file](uint64_t at, void* data, size_t n) {
    if (at > file.size() || file.size() - at < n) return false;
    std::memcpy(data, file.data() + at, n);
    return true;
  });
}

TEST(AviIndex, ChunkSizesAndTheFramesThatLackAPicture) {
  const std::vector<uint32_t> chunks = {24, 0, 24, 10, 24};
  const struct {
    const char* what;
    Layout layout;
    uint32_t pictureBytes;
  } cases[] = {{"idx1", {}, 24},
               {"idx1 with an audio stream first", {true, false, 0}, 24},
               {"OpenDML", {false, true, 0}, 24},
               {"OpenDML with an audio stream first", {true, true, 0}, 24},
               {"compressed", {false, false, 0x47504A4D}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const AviFrameChunks got = Read(MakeAvi(chunks, c.layout));
    EXPECT_EQ(chunks, got.sizes);
    EXPECT_EQ(c.pictureBytes, got.pictureBytes);
    EXPECT_FALSE(got.Lacks(0));
    EXPECT_TRUE(got.Lacks(1)) << "an empty chunk";
    EXPECT_EQ(c.pictureBytes != 0, got.Lacks(3)) << "a short chunk lacks a picture unless compressed";
    EXPECT_FALSE(got.Lacks(5)) << "beyond the index nothing is judged";
  }
}

TEST(AviIndex, WhatIsNoIndexGivesNone) {
  const Bytes good = MakeAvi({24, 24}, {});
  Bytes notAvi = good;
  for (int i = 0; i < 4; ++i) notAvi.at(8 + size_t(i)) = uint8_t("WAVE"[i]);
  Bytes cut = good;
  cut.resize(cut.size() - 20);   // into idx1
  Bytes crazy = MakeAvi({24, 24}, {false, true, 0});
  // The super index claims a hundred million standard indexes.
  const size_t indx = std::search(crazy.begin(), crazy.end(), std::begin("indx"), std::end("indx") - 1) - crazy.begin();
  const uint32_t many = 100000000;
  std::memcpy(&crazy[indx + 8 + 4], &many, 4);
  for (const Bytes* file : {&notAvi, &cut, &crazy}) {
    const AviFrameChunks got = Read(*file);
    EXPECT_TRUE(got.sizes.empty());
    EXPECT_FALSE(got.Lacks(0));
  }
  EXPECT_TRUE(Read(Bytes{'R', 'I', 'F', 'F'}).sizes.empty());
}

}  // namespace
