#include <cmath>
#include <cstdint>

#include "astro/maps/map_projections.h"
#include "astro/maps/projection_tables.h"

namespace {

// Folded into -17999..18000.
int Fold(int a) {
  a %= 36000;
  if (a < 0) a += 36000;
  return a > 18000 ? a - 36000 : a;
}

int Sin(int a) { return SinCentidegree(a); }
int Cos(int a) { return CosCentidegree(a); }

void Hide(int* x, int* y) { *x = *y = kHiddenPoint; }

// The oblique aspect shared by the azimuthal projections; z the distance
// from the projection centre.
void AzimuthalAspect(int* lat, int* lon, int longitude, int poleLatitude, int centreLongitude, int latitude) {
  const int shifted = longitude + centreLongitude - 18000;
  if (poleLatitude == 9000 || poleLatitude == -9000) {
    *lat = poleLatitude > 0 ? latitude : -latitude;
    *lon = shifted;
  } else {
    RotateToPole(lat, lon, latitude, shifted, poleLatitude);
  }
}

}  // namespace

int OrthographicDiskPoint(int* x, int* y, int longitude, int latitude, int radiusX, int radiusY, int rotation,
                          int centreLatitude) {
  // 64-bit products: large disks overflow 32 bits in the turn by rotation.
  const int64_t sl = Sin(longitude), cl = Cos(longitude), sp = Sin(latitude), cp = Cos(latitude);
  const int64_t sc = Sin(centreLatitude), cc = Cos(centreLatitude);
  const int64_t u = int64_t(radiusX) * sl / 1000 * cp / 10000;
  const int64_t v = ((cp * sc / 10000 * cl + cc * sp) / 1000) * radiusY / 10000;
  const int64_t sr = Sin(rotation), cr = Cos(rotation);
  *x = int((u * cr - v * sr) / 100000);
  *y = int((u * sr + v * cr) / 100000);
  return cl * (cp * cc / 10000) - sc * sp >= 0 ? 1 : 0;
}

void RotateToPole(int* latitudeOut, int* longitudeOut, int latitude, int longitudeDifference, int poleLatitude) {
  const int64_t cp = Cos(latitude), sp = Sin(latitude), cpp = Cos(poleLatitude), spp = Sin(poleLatitude);
  const int64_t cd = Cos(longitudeDifference), sd = Sin(longitudeDifference);
  const int64_t w = (cp * cpp / 10000 * cd + sp * spp) / 10000;
  if (w > 9999 || w < -9999) {
    *latitudeOut = w > 0 ? 9000 : -9000;
    *longitudeOut = 0;
    return;
  }
  const int lat = AsinCentidegree(int(w));
  const int64_t k = Cos(lat);
  const int64_t p = -cp * sd / k;
  const int64_t q = (sp * cpp - cp * spp / 10000 * cd) / k;
  int lon;
  // The arc sine near the meridian, the arc cosine elsewhere, for accuracy.
  if (p > -5000 && p < 5000) {
    lon = AsinCentidegree(int(p));
    if (q < 0) lon = 18000 - lon;
  } else {
    lon = AcosCentidegree(int(q));
    if (p < 0) lon = 36000 - lon;
  }
  *latitudeOut = lat;
  *longitudeOut = lon;
}

void GnomonicFixed(int* x, int* y, int longitude, int poleLatitude, int centreLongitude, int latitude) {
  int lat, lon;
  AzimuthalAspect(&lat, &lon, longitude, poleLatitude, centreLongitude, latitude);
  if (lat < 1000) return Hide(x, y);
  const int64_t c = CotCentidegree(lat);
  *x = int(c * Sin(lon) / 20000);
  *y = int(c * Cos(lon) / 20000);
}

void StereographicFixed(int* x, int* y, int longitude, int poleLatitude, int centreLongitude, int latitude) {
  int lat, lon;
  AzimuthalAspect(&lat, &lon, longitude, poleLatitude, centreLongitude, latitude);
  if (lat < -8000) return Hide(x, y);
  const int64_t d = Sin(lat) + 10000;
  *x = int(int64_t(Sin(lon)) * Cos(lat) / d);
  *y = int(int64_t(Cos(lon)) * Cos(lat) / d);
}

void AzimuthalEqualAreaFixed(int* x, int* y, int longitude, int poleLatitude, int centreLongitude, int latitude) {
  int lat, lon;
  AzimuthalAspect(&lat, &lon, longitude, poleLatitude, centreLongitude, latitude);
  if (lat < -8000) return Hide(x, y);
  const int half = Sin((9000 - lat) / 2);
  *x = int(std::trunc(double(half) * Sin(lon) * 0.0001));
  *y = int(std::trunc(double(half) * Cos(lon) * 0.0001));
}

void AzimuthalEquidistantFixed(int* x, int* y, int longitude, int poleLatitude, int centreLongitude, int latitude) {
  int lat, lon;
  AzimuthalAspect(&lat, &lon, longitude, poleLatitude, centreLongitude, latitude);
  if (lat < -8000) return Hide(x, y);
  const int64_t z = 9000 - lat;
  *x = int(Sin(lon) * z / 10000);
  *y = int(Cos(lon) * z / 10000);
}

void SimpleConicFixed(int* x, int* y, int longitude, int cone, int centreLongitude, int latitude) {
  const int64_t lc = Fold(longitude + centreLongitude + 18000);
  const int64_t r = cone > 0 ? 9000 - latitude : latitude + 9000;
  const int a = int(cone * lc / 10000);
  *x = int(-Sin(a) * r / 10000);
  *y = int(-Cos(a) * r / 10000);
}

void MercatorFixed(int* x, int* y, int longitude, int, int centreLongitude, int latitude) {
  *x = -Fold(longitude + centreLongitude);
  // Near the north pole the tangent's tenth is 0; LogFixed(0) is a huge
  // sentinel, so count it as 1: y then keeps growing up to the pole.
  int v = TanCentidegree((9000 - latitude) / 2) / 10;
  if (v <= 0) v = 1;
  *y = int(-int64_t(LogFixed(v)) * 573 / 1000);
}

void SinusoidalFixed(int* x, int* y, int longitude, int, int centreLongitude, int latitude) {
  *x = int(int64_t(Fold(-longitude - centreLongitude)) * Cos(latitude) / 10000);
  *y = latitude;
}

void AitoffFixed(int* x, int* y, int longitude, int, int centreLongitude, int latitude) {
  const int l2 = Fold(18000 - longitude - centreLongitude);
  int lat, lon;
  RotateToPole(&lat, &lon, latitude, l2 / 2, 0);
  *x = int(int64_t(Sin(lon)) * (lat - 9000) / 20000 + l2 / 4);
  *y = int(int64_t(Cos(lon)) * (9000 - lat) / 40000 + latitude / 4);
}

void HammerFixed(int* x, int* y, int longitude, int, int centreLongitude, int latitude) {
  const int l2 = Fold(longitude + centreLongitude - 18000);
  int lat, lon;
  RotateToPole(&lat, &lon, latitude, l2 / 2, 0);
  const int64_t half = Sin((9000 - lat) / 2);
  *x = int(Sin(lon) * (half * 12732 / 10000) / 10000);
  *y = int(Cos(lon) * (half * 6366 / 10000) / 10000);
}

void WernerFixed(int* x, int* y, int longitude, int pole, int centreLongitude, int latitude) {
  const int p = pole >= 0 ? 9000 : -9000;
  if (latitude == p) {
    *x = *y = 0;
    return;
  }
  const int l2 = Fold(18000 - longitude - centreLongitude);
  const int chi = p - latitude;
  const int64_t scale = int64_t(Sin(chi)) * 5730 / chi;   // about 10000 sin(chi) / chi in radians
  const int tau = int(std::trunc(l2 * double(scale) * 0.0001));
  const int64_t r = p > 0 ? 9000 - latitude : latitude + 9000;
  *x = int(Sin(tau) * r / 10000);
  *y = int(int64_t(latitude - p) * Cos(tau) / 10000);
}
