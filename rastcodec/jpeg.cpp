// JPEG through libjpeg-turbo, from and to memory. libjpeg reports errors by
// calling back; we leave its calls by longjmp, so the functions that call
// setjmp hold no C++ object that is made after it.

#include "codecs.h"

#include <cstdio>   // jpeglib.h needs FILE
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdlib>
#include <stdexcept>

namespace rastcodec {

namespace {

struct ErrorTrap {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr c) { std::longjmp(reinterpret_cast<ErrorTrap*>(c->err)->jump, 1); }

// Silent; a file cut short counts as broken, not as a grey lower part.
void EmitMessage(j_common_ptr c, int level) {
  if (level < 0 && (c->err->msg_code == JWRN_JPEG_EOF || c->err->msg_code == JWRN_HIT_MARKER)) ErrorExit(c);
}

void OutputMessage(j_common_ptr) {}

void InstallTrap(ErrorTrap* trap) {
  jpeg_std_error(&trap->mgr);
  trap->mgr.error_exit = ErrorExit;
  trap->mgr.emit_message = EmitMessage;
  trap->mgr.output_message = OutputMessage;
}

// Adobe writes CMYK inverted, everybody else plainly.
void CmykToBgr(const uint8_t* cmyk, int32_t width, bool inverted, uint8_t* bgr) {
  for (int32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    for (int c = 0; c < 3; ++c) {
      const unsigned ink = inverted ? cmyk[2 - c] : 255u - cmyk[2 - c];
      bgr[c] = static_cast<uint8_t>((ink * k + 127) / 255);
    }
  }
}

bool Decompress(const uint8_t* file, size_t size, DibImage* img) {
  jpeg_decompress_struct cinfo;
  ErrorTrap trap;
  cinfo.err = &trap.mgr;
  InstallTrap(&trap);
  if (setjmp(trap.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
  const uint64_t pixels = uint64_t(cinfo.image_width) * cinfo.image_height;
  // Every block of a Huffman-coded scan takes at least one bit: a header
  // promising far more pixels than the data can hold is broken.
  const bool plausible = cinfo.arith_code || pixels <= uint64_t(size) * 8 * 64 * 16;
  cinfo.mem->max_memory_to_use = static_cast<long>(std::min<uint64_t>(DibByteLimit() * 2, LONG_MAX));
  if (!plausible || cinfo.image_width > uint32_t(kMaxSide) || cinfo.image_height > uint32_t(kMaxSide) ||
      !img->Create(int32_t(cinfo.image_width), int32_t(cinfo.image_height), grey ? 8 : 24)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_start_decompress(&cinfo);
  JSAMPARRAY cmykRow =
      cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 4, 1)
           : nullptr;
  while (cinfo.output_scanline < cinfo.output_height) {
    uint8_t* row = img->Row(int32_t(cinfo.output_scanline));
    JSAMPROW target = cmyk ? cmykRow[0] : row;
    if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) ErrorExit(reinterpret_cast<j_common_ptr>(&cinfo));
    if (cmyk) CmykToBgr(cmykRow[0], img->width, cinfo.saw_Adobe_marker, row);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  if (grey) img->SetGreyRamp();
  return true;
}

struct MemoryDestination {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
};

bool Compress(const DibView& v, const JpegOptions& options, uint16_t dpiX, uint16_t dpiY, uint8_t* bgr,
              MemoryDestination* dest) {
  jpeg_compress_struct cinfo;
  ErrorTrap trap;
  cinfo.err = &trap.mgr;
  InstallTrap(&trap);
  if (setjmp(trap.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &dest->buffer, &dest->size);
  cinfo.image_width = JDIMENSION(v.width);
  cinfo.image_height = JDIMENSION(v.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  if (options.JpegGrayscale != 0) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  const int quality = options.JpegQuality < 1 ? 1 : options.JpegQuality > 100 ? 100 : options.JpegQuality;
  jpeg_set_quality(&cinfo, quality, TRUE);
  // At high quality fine colour detail (planetary bands) is worth more than
  // the bytes that halving the chroma resolution saves.
  if (quality >= 90) {
    for (int c = 0; c < cinfo.num_components; ++c) {
      cinfo.comp_info[c].h_samp_factor = 1;
      cinfo.comp_info[c].v_samp_factor = 1;
    }
  }
  cinfo.density_unit = 1;   // dots per inch
  cinfo.X_density = dpiX;
  cinfo.Y_density = dpiY;
  jpeg_start_compress(&cinfo, TRUE);
  for (int32_t y = 0; y < v.height; ++y) {
    RowBgr(v, y, bgr);
    JSAMPROW row = bgr;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool IsJpeg(const uint8_t* head, size_t size) {
  return head != nullptr && size >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

bool DecodeJpeg(const uint8_t* file, size_t size, Bytes* dib) {
  if (!IsJpeg(file, size) || size > ULONG_MAX) return false;
  DibImage img;
  if (!Decompress(file, size, &img)) return false;
  *dib = std::move(img.data);
  return true;
}

bool EncodeJpeg(const uint8_t* dib, size_t size, const JpegOptions& options, Bytes* file) {
  DibView v;
  if (!ParseDib(dib, size, DibLayout::Standard, &v)) return false;
  MemoryDestination dest;
  bool ok;
  try {
    Bytes bgr(size_t(v.width) * 3);
    const uint16_t dpiX = uint16_t(std::min<uint32_t>(DibDpi(dib, false), 65535));
    const uint16_t dpiY = uint16_t(std::min<uint32_t>(DibDpi(dib, true), 65535));
    ok = Compress(v, options, dpiX, dpiY, bgr.data(), &dest);
    if (ok) file->assign(dest.buffer, dest.buffer + dest.size);
  } catch (const std::exception&) {
    ok = false;
  }
  std::free(dest.buffer);
  return ok;
}

}  // namespace rastcodec
