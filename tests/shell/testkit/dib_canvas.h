// A top-down 32-bit DIB section, optionally selected into its own memory DC,
// whose pixels a test reads back one by one after GDI drew into it.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr COLORREF kMarker = RGB(1, 2, 3);   // pixels nobody painted

class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill = kMarker, bool withDc = true) : w_(w), h_(h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    Fill(fill);
    if (withDc) {
      dc_ = CreateCompatibleDC(nullptr);
      old_ = SelectObject(dc_, bitmap_);
    }
  }
  ~Canvas() {
    if (dc_) {
      SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  int width() const { return w_; }
  int height() const { return h_; }
  // The pixels as 0x00RRGGBB, rows from the top, after pending drawing.
  const uint32_t* bits() const {
    GdiFlush();
    return bits_;
  }
  void Fill(COLORREF c) {
    GdiFlush();
    for (int i = 0; i < w_ * h_; ++i) bits_[i] = Pixel(c);
  }
  void Set(int x, int y, COLORREF c) { bits_[y * w_ + x] = Pixel(c); }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[y * w_ + x];
    return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255);
  }

 private:
  static uint32_t Pixel(COLORREF c) { return uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); }
  int w_, h_;
  HBITMAP bitmap_;
  uint32_t* bits_;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};
