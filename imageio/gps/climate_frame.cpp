#include "climate_frame.h"

#include <cstring>

namespace {

constexpr int kTemperatureAt = 27;
constexpr int kHumidityAt = 59;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

int SignedHex16(const char* p) {
  int v = 0;
  for (int i = 0; i < 4; ++i) v = v * 16 + HexDigit(p[i]);
  return v > 32767 ? v - 65536 : v;
}

}  // namespace

int AddClimateBytes(ClimateFrameBuffer* b, const void* data, size_t n) {
  const char* p = static_cast<const char*>(data);
  const char* end = p + n;
  if (b->length == 0) {
    p = static_cast<const char*>(std::memchr(p, '@', n));
    if (!p) return 0;
  }
  const size_t room = sizeof b->text - size_t(b->length);
  const size_t take = size_t(end - p) < room ? size_t(end - p) : room;
  std::memcpy(b->text + b->length, p, take);
  b->length += int32_t(take);
  return b->length >= kClimateFrameLength;
}

int DecodeClimateFrame(const char* text, size_t length, double* temperature, double* humidity) {
  if (length < size_t(kClimateFrameLength) || text[0] != '@') return 0;
  *temperature = SignedHex16(text + kTemperatureAt) * 0.01;
  *humidity = SignedHex16(text + kHumidityAt) * 0.005;
  return 1;
}
