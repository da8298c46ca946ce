// The frame of the temperature and humidity sensor, platform-free: text
// from "@" on, at least 65 characters; characters 27..30 hold the
// temperature in 0.01 °C, 59..62 the relative humidity in 0.005 %, each as
// four hexadecimal digits of a signed 16-bit number.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kClimateFrameLength = 65;

// Collects a frame from reads cut anywhere: bytes before the first "@" are
// passed over, the rest kept up to the size of text. Zero-initialise it.
struct ClimateFrameBuffer {
  char text[256];
  int32_t length;   // 0 until the "@" came
};

// Adds n bytes; 1 once a whole frame is there.
int AddClimateBytes(ClimateFrameBuffer* b, const void* data, size_t n);

// 1 with the temperature (°C) and the humidity (%) of a frame of at least
// 65 characters that starts with "@"; 0 and the outputs untouched
// otherwise. A character that is no digit "0".."9" or "A".."F" counts as 0.
int DecodeClimateFrame(const char* text, size_t length, double* temperature, double* humidity);
