// A top-down DIB section, optionally selected into its own memory DC, whose
// pixels a test reads back one by one after GDI drew into it: 32 bits by
// default, or 24, or 8 with a table of 256 greys.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr COLORREF kMarker = RGB(1, 2, 3);   // pixels nobody painted

class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill = kMarker, bool withDc = true, int bitsPerPixel = 32)
      : w_(w), h_(h), bytes_(bitsPerPixel / 8), stride_((w * bitsPerPixel / 8 + 3) / 4 * 4) {
    struct {
      BITMAPINFOHEADER header;
      RGBQUAD colours[256];
    } bi = {};
    bi.header.biSize = sizeof bi.header;
    bi.header.biWidth = w;
    bi.header.biHeight = -h;
    bi.header.biPlanes = 1;
    bi.header.biBitCount = WORD(bitsPerPixel);
    bi.header.biCompression = BI_RGB;
    for (int i = 0; i < 256; ++i) bi.colours[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint8_t*>(bits);
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
  // The pixels of a 32-bit canvas as 0x00RRGGBB, rows from the top, after
  // pending drawing.
  const uint32_t* bits() const {
    GdiFlush();
    return reinterpret_cast<const uint32_t*>(bits_);
  }
  void Fill(COLORREF c) {
    GdiFlush();
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) Set(x, y, c);
  }
  // On 8 bits a colour is taken as its green level.
  void Set(int x, int y, COLORREF c) {
    uint8_t* p = bits_ + size_t(y) * stride_ + size_t(x) * bytes_;
    if (bytes_ == 1) {
      p[0] = GetGValue(c);
      return;
    }
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
    if (bytes_ == 4) p[3] = 0;
  }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const uint8_t* p = bits_ + size_t(y) * stride_ + size_t(x) * bytes_;
    return bytes_ == 1 ? RGB(p[0], p[0], p[0]) : RGB(p[2], p[1], p[0]);
  }

 private:
  int w_, h_, bytes_, stride_;
  HBITMAP bitmap_;
  uint8_t* bits_;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};
