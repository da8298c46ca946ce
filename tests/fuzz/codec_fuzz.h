// Shared body of the decoder fuzz targets: whatever a decoder accepts must be
// a DIB the library itself can read, convert and write again, and what it
// writes must read back.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "rastcodec/codecs.h"

namespace codecfuzz {

using rastcodec::Bytes;
using Decoder = bool (*)(const uint8_t*, size_t, Bytes*);
using Writer = bool (*)(const Bytes& dib, uint8_t flags, Bytes* file);

inline void Check(bool condition) {
  if (!condition) std::abort();
}

// Small pictures only: the fuzzer's memory limit is not the codecs' business.
constexpr uint64_t kByteLimit = uint64_t{4} << 20;

inline void Limit() {
  static const bool limited = (rastcodec::SetDibByteLimit(kByteLimit), true);
  (void)limited;
}

inline int Run(const uint8_t* data, size_t size, Decoder decode, Writer write, Decoder readBack) {
  Limit();
  Bytes dib;
  if (!decode(data, size, &dib)) return 0;
  const bool wide = decode == rastcodec::DecodeTiff;
  rastcodec::DibView v;
  Check(rastcodec::ParseDib(dib.data(), dib.size(),
                            wide ? rastcodec::DibLayout::WideSamples : rastcodec::DibLayout::Standard, &v));
  std::vector<uint8_t> row(size_t(v.width) * 3);
  for (int32_t y = 0; y < v.height; ++y) rastcodec::RowBgr(v, y, row.data());
  // Wider copies of a picture near the limit may be refused; below it they must work.
  const bool small = uint64_t(v.width) * uint64_t(v.height) * 6 <= kByteLimit;
  Bytes colour, file, back;
  const bool converted = v.wide || v.bits == 24 || rastcodec::ConvertDibDepth(dib.data(), dib.size(), 24, &colour);
  const bool written = write(dib, size > 0 ? data[0] : 0, &file);
  Check(!small || (converted && written && readBack(file.data(), file.size(), &back)));
  return 0;
}

}  // namespace codecfuzz
