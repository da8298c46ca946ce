// The intervals of the capture timer: the two lists of recommended
// intervals, and the interval as the user reads and types it, in seconds or,
// for integrating video cameras, in frames of 20 ms. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>

struct IntervalChoice {
  const char* label;
  int32_t ms;
};

constexpr int kCaptureIntervalCount = 27;
extern const IntervalChoice CaptureIntervalTable[kCaptureIntervalCount];   // "0.2 Sec." .. "1 Tag"
constexpr int kFrameStepCount = 9;
extern const IntervalChoice FrameStepTable[kFrameStepCount];               // "8 Bilder" .. "128 Bilder"

// Milliseconds of one frame of an integrating camera.
constexpr int32_t kIntegratedFrameMs = 20;
// Intervals the timer accepts: 1 ms to one day.
constexpr int32_t kMinIntervalMs = 1;
constexpr int32_t kMaxIntervalMs = 86400000;

// The row whose label is text, or -1.
int FindIntervalLabel(const IntervalChoice* table, int count, const char* text);
// The row of ms, or -1.
int FindIntervalMs(const IntervalChoice* table, int count, int32_t ms);

// The interval as the edit shows it: seconds, or frames when integrating,
// with as many decimals as it needs ("10", "1.5", "0.2", "16").
void FormatIntervalText(char* out, size_t capacity, int32_t ms, bool integrated);

// A typed interval (seconds, or frames when integrating; blanks around it
// and a decimal comma allowed): true with the milliseconds rounded to the
// nearest one. Text that is no number, and an interval outside
// kMinIntervalMs..kMaxIntervalMs, are refused.
bool ParseIntervalText(const char* text, bool integrated, int32_t* ms);

// A list's text: a label of the table gives its milliseconds, other text is
// read as seconds. false for text that is neither.
bool ReadIntervalChoice(const IntervalChoice* table, int count, const char* text, int32_t* ms);
