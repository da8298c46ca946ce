#include "astro/ephemeris/ephemeris.h"

#include <gtest/gtest.h>

namespace {
TEST(Ephemeris, Placeholder) { EXPECT_STREQ("S", CompassWord(0)); }
}  // namespace
