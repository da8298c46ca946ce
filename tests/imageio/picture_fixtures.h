// Small picture files for the reader and writer tests, made here byte by
// byte (FITS cards, PPM headers, BMP headers) so that the readers are checked
// against the formats rather than against the libraries that also read them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "imagelib/image.h"

namespace pictures {

using Bytes = std::vector<uint8_t>;

// A fresh folder for one test's files, removed with them at the end.
class ScratchDir {
 public:
  ScratchDir() {
    static int counter = 0;
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    // Other builds and other work trees may run the same test at the same time.
    static const unsigned salt = std::random_device{}();
    std::string name = std::string("tyv_") + (info ? info->name() : "pictures") + "_" + std::to_string(salt) + "_" +
                       std::to_string(++counter);
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::string& name, const Bytes& bytes) {
  FILE* f = std::fopen(name.c_str(), "wb");
  ASSERT_NE(nullptr, f) << name;
  if (!bytes.empty()) {
    ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), f));
  }
  std::fclose(f);
}

inline Bytes ReadBytes(const std::string& name) {
  Bytes out;
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return out;
  uint8_t buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.insert(out.end(), buffer, buffer + n);
  std::fclose(f);
  return out;
}

inline bool FileExists(const std::string& name) { return std::filesystem::exists(name); }

// --- FITS, written by hand: 80-character cards in 2880-byte blocks, data
// big-endian and padded with zeros.

// "KEY     = value" with the value right-aligned up to column 30.
inline std::string Card(const std::string& key, const std::string& value) {
  char card[81];
  std::snprintf(card, sizeof card, "%-8s= %20s", key.c_str(), value.c_str());
  return card;
}
inline std::string Card(const std::string& key, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return Card(key, std::string(text));
}
// A string value starts in column 11 and is quoted.
inline std::string StringCard(const std::string& key, const std::string& value) {
  char card[81];
  std::snprintf(card, sizeof card, "%-8s= '%-8s'", key.c_str(), value.c_str());
  return card;
}

inline void PadTo2880(Bytes* b, uint8_t fill) {
  while (b->size() % 2880) b->push_back(fill);
}

// The primary header: SIMPLE, BITPIX, NAXIS and its axes, then the extra
// cards, then END.
inline Bytes FitsHeader(int bitpix, const std::vector<long>& axes, const std::vector<std::string>& extra) {
  std::vector<std::string> cards = {Card("SIMPLE", "T"), Card("BITPIX", bitpix), Card("NAXIS", double(axes.size()))};
  for (size_t i = 0; i < axes.size(); ++i) cards.push_back(Card("NAXIS" + std::to_string(i + 1), double(axes[i])));
  cards.insert(cards.end(), extra.begin(), extra.end());
  cards.push_back("END");
  Bytes b;
  for (std::string c : cards) {
    c.resize(80, ' ');
    b.insert(b.end(), c.begin(), c.end());
  }
  PadTo2880(&b, ' ');
  return b;
}

// Stored values in the file's representation of BITPIX, big-endian.
inline void AppendValue(Bytes* b, int bitpix, double v) {
  uint8_t raw[8];
  int n = 0;
  uint64_t bits = 0;
  switch (bitpix) {
    case 8: bits = uint8_t(v); n = 1; break;
    case 16: bits = uint16_t(int16_t(v)); n = 2; break;
    case 32: bits = uint32_t(int32_t(v)); n = 4; break;
    case 64: bits = uint64_t(int64_t(v)); n = 8; break;
    case -32: {
      const float f = float(v);
      uint32_t u;
      std::memcpy(&u, &f, 4);
      bits = u;
      n = 4;
      break;
    }
    case -64: std::memcpy(&bits, &v, 8); n = 8; break;
    default: n = 0;
  }
  for (int i = 0; i < n; ++i) raw[i] = uint8_t(bits >> (8 * (n - 1 - i)));
  b->insert(b->end(), raw, raw + n);
}

inline Bytes FitsFile(int bitpix, const std::vector<long>& axes, const std::vector<std::string>& extra,
                      const std::vector<double>& stored) {
  Bytes b = FitsHeader(bitpix, axes, extra);
  for (double v : stored) AppendValue(&b, bitpix, v);
  PadTo2880(&b, 0);
  return b;
}

// Reads our own files back the same way: the header cards by keyword and
// the 16-bit data values.
struct ParsedFits {
  std::vector<std::string> cards;
  std::vector<int16_t> values;
  std::string Value(const std::string& key) const {
    for (const std::string& c : cards) {
      if (c.compare(0, 8, (key + "        ").substr(0, 8)) == 0 && c.size() > 10) {
        std::string v = c.substr(10, c.find('/') == std::string::npos ? std::string::npos : c.find('/') - 10);
        v.erase(0, v.find_first_not_of(" '"));
        v.erase(v.find_last_not_of(" '") + 1);
        return v;
      }
    }
    return "";
  }
};

inline ParsedFits ParseFits16(const Bytes& b) {
  ParsedFits p;
  size_t pos = 0;
  for (; pos + 80 <= b.size(); pos += 80) {
    std::string card(b.begin() + long(pos), b.begin() + long(pos + 80));
    if (card.compare(0, 3, "END") == 0 && card.find_first_not_of(' ', 3) == std::string::npos) break;
    p.cards.push_back(card);
  }
  pos = (pos / 2880 + 1) * 2880;
  for (; pos + 2 <= b.size(); pos += 2) p.values.push_back(int16_t(b[pos] << 8 | b[pos + 1]));
  return p;
}

// --- a picture with a header, owned samples

struct Picture {
  ImageHeader header;
  std::vector<int16_t> samples;
};

// w x h of the given colour; sample i (counted over all channels) from the function.
template <typename Fn>
Picture MakePicture(int w, int h, bool colour, Fn value) {
  Picture p;
  InitImageHeader(&p.header);
  p.header.width = w;
  p.header.height = h;
  p.header.colourType = colour ? kColourRgb : 0;
  p.header.xScale = p.header.yScale = 1.0;
  p.samples.resize(size_t(w) * h * (colour ? 3 : 1));
  for (size_t i = 0; i < p.samples.size(); ++i) p.samples[i] = int16_t(value(i));
  return p;
}

// Owns what a reader hands over.
struct Loaded {
  int16_t* samples = nullptr;
  ImageHeader header{};
  ~Loaded() { FreeMem(&samples); }
  std::vector<int16_t> Samples() const {
    const size_t n = samples ? size_t(header.width) * header.height * (header.colourType == kColourRgb ? 3 : 1) : 0;
    return std::vector<int16_t>(samples, samples + n);
  }
};

}  // namespace pictures
