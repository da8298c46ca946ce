// Facts of the Windows environment every later test relies on.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(Platform, AnsiCodePageIs1252AndTextsAreEncodedForIt) {
  EXPECT_EQ(1252u, GetACP());
  const char text[] = "läuft";   // source is UTF-8, the program's strings are CP1252
  ASSERT_EQ(6u, sizeof text);
  EXPECT_EQ(0xE4, static_cast<unsigned char>(text[1]));
}

TEST(Platform, ScreenIsTheTestDisplay) {
  EXPECT_GE(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_GE(GetSystemMetrics(SM_CYSCREEN), 600);
}

}  // namespace
