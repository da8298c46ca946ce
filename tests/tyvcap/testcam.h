// The test camera: a push source filter of ours, registered in the video
// input category of the test prefix while a test needs a capture device.
// Its frames carry their number: pixel (x, y) of frame n, y counted from the
// bottom row, is blue n & 255, green x & 255, red y & 255.
#pragma once

#include <windows.h>

namespace testcam {

constexpr wchar_t kFriendlyName[] = L"tyvorn Prüfkamera";
constexpr int kNativeWidth = 160;
constexpr int kNativeHeight = 120;
// The camera also delivers this size, whose rows need padding.
constexpr int kOddWidth = 161;
constexpr int kOddHeight = 90;
constexpr LONGLONG kFrameDuration = 200000;   // 50 frames per second

inline BYTE Blue(int frame) { return static_cast<BYTE>(frame & 255); }

// Registers (or removes) the camera through the fixture DLL next to the test.
bool Register();
void Unregister();
// Whether the camera offers its frame counts (on by default).
void CountFrames(bool on);
// Lets the camera's thread wait this long between filling a capture frame
// and delivering it (0: no wait), as a loaded machine does.
void StallDelivery(int ms);

}  // namespace testcam
