// Direct3D 9 on a real window.
#include <windows.h>

#include <gtest/gtest.h>

#include "tyvcap.h"

namespace {

TEST(Direct3D, DeviceRendersReportsItsCapsAndCleansUpTwice) {
  HWND window = CreateWindowExA(0, "STATIC", "D3D", WS_OVERLAPPEDWINDOW, 0, 0, 64, 48, nullptr, nullptr, nullptr,
                                nullptr);
  ASSERT_NE(nullptr, window);
  ASSERT_EQ(S_OK, TYVGPU_InitD3D(window));
  EXPECT_EQ(S_OK, TYVGPU_Render());
  int streams = -1, ps = -1, vs = -1;
  ASSERT_EQ(1, TYVGPU_GetStreamingCaps(&streams, &ps, &vs));
  EXPECT_GE(streams, 4);
  EXPECT_GE(ps, 0x300);
  EXPECT_GE(vs, 0x300);
  EXPECT_EQ(1, TYVGPU_CheckStreamingComputing());
  EXPECT_EQ(0, TYVGPU_Cleanup());
  // Nothing is left to release or to draw with.
  EXPECT_EQ(0, TYVGPU_Cleanup());
  EXPECT_EQ(E_FAIL, TYVGPU_Render());
  EXPECT_EQ(0, TYVGPU_GetStreamingCaps(&streams, &ps, &vs));
  EXPECT_EQ(0, streams);
  EXPECT_EQ(0, TYVGPU_CheckStreamingComputing());
  DestroyWindow(window);
}

}  // namespace
