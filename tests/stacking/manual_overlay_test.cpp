// The picture arithmetic of the manual overlay against plain references:
// the overlay of a placed picture with the mean, and the turned picture.
#include "stacking/manual/manual_overlay.h"

#include <gtest/gtest.h>

#include "imagelib/resample.h"
#include "tests/imagelib/random_image.h"

namespace {

using testimg::At;
using testimg::Header;
using testimg::Random;
using testimg::Samples;

TEST(ManualOverlayTest, EachSampleIsHalvedWithItsPartnerInTheMean) {
  const struct {
    int32_t dx, dy;
  } shifts[] = {{0, 0}, {-5, 0}, {3, -2}, {-20, 0}, {40, 40}};
  for (bool colour : {false, true}) {
    const ImageHeader h = Header(17, 11, colour);
    const Samples picture = Random(h, 5, -3000, 30000), mean = Random(h, 6, -3000, 30000);
    const int spp = SamplesPerPixel(&h);
    for (const auto& s : shifts) {
      SCOPED_TRACE(testing::Message() << s.dx << "," << s.dy << (colour ? " colour" : " grey"));
      Samples out(picture.size());
      BlendWithMean(picture.data(), mean.data(), &h, s.dx, s.dy, out.data());
      for (int y = 0; y < h.height; ++y)
        for (int x = 0; x < h.width; ++x)
          for (int k = 0; k < spp; ++k) {
            const int mx = x + s.dx, my = y + s.dy;
            const int own = At(picture, h, x, y, k);
            const int want = mx >= 0 && mx < h.width && my >= 0 && my < h.height ? (own + At(mean, h, mx, my, k)) / 2 : own;
            ASSERT_EQ(want, At(out, h, x, y, k)) << x << "," << y;
          }
      // In place gives the same.
      Samples inPlace = picture;
      BlendWithMean(inPlace.data(), mean.data(), &h, s.dx, s.dy, inPlace.data());
      EXPECT_EQ(out, inPlace);
    }
  }
}

TEST(ManualOverlayTest, APictureIsTurnedAboutItsMiddleOrCopied) {
  const ImageHeader h = Header(24, 16, true);
  const Samples picture = Random(h, 9, 1, 30000);
  Samples out(picture.size());
  ASSERT_EQ(IMG_OK, PlaceManualPicture(picture.data(), &h, 0.0, out.data()));
  EXPECT_EQ(picture, out);
  const double angle = 12 * kManualAngleStep;
  Samples reference(picture.size());
  ASSERT_EQ(IMG_OK, ResampleImage(&h, &h, picture.data(), reference.data(), 12, 8, angle, 1.0, 3));
  ASSERT_EQ(IMG_OK, PlaceManualPicture(picture.data(), &h, angle, out.data()));
  EXPECT_EQ(reference, out);
  EXPECT_NE(picture, out);
  EXPECT_EQ(IMG_NULL_IMAGE, PlaceManualPicture(nullptr, &h, 0.0, out.data()));
}

}  // namespace
