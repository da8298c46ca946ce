#include "ppm_picture.h"

#include <cstring>

#include "picture_io.h"

namespace {

constexpr int kTokenDigits = 32;

// The header's number, or -1 when the token is empty or too long to be a
// size (nine digits hold every size a picture can have).
int64_t TokenValue(const char* text) {
  const size_t n = std::strlen(text);
  if (n == 0 || n > 9) return -1;
  int64_t v = 0;
  for (size_t i = 0; i < n; ++i) v = v * 10 + (text[i] - '0');
  return v;
}

}  // namespace

int PpmNameOf(char* out, size_t capacity, const char* fileName) {
  const size_t length = std::strlen(fileName);
  size_t stem = length;
  for (size_t i = length; i > 1; --i) {
    const char c = fileName[i - 1];
    if (c == '\\' || c == '/' || c == ':') break;   // a dot in a folder name is no extension
    if (c == '.') {
      stem = i - 1;
      break;
    }
  }
  return std::snprintf(out, capacity, "%.*s.ppm", int(stem), fileName) < int(capacity) ? 1 : 0;
}

char* ReadPpmToken(char* text, FILE* file) {
  std::memset(text, 0, kTokenDigits + 1);
  for (int i = 0; i < kTokenDigits; ++i) {
    const int c = std::fgetc(file);
    if (c < '0' || c > '9') break;   // also EOF; the separator is consumed
    text[i] = char(c);
  }
  return text;
}

int ReadPpmImage(const char* fileName, int16_t** samples, ImageHeader* header) {
  if (!fileName || !samples || *samples || !header) return 0;
  char name[1100];
  if (!PpmNameOf(name, sizeof name, fileName)) return 0;
  FILE* f = std::fopen(name, "rb");
  if (!f) return 0;
  const int64_t fileSize = OpenFileSize(f);
  char magic[3];
  if (std::fread(magic, 1, 3, f) != 3 || magic[0] != 'P' || magic[1] != '6') {
    std::fclose(f);
    return 0;
  }
  char token[kTokenDigits + 1];
  const int64_t width = TokenValue(ReadPpmToken(token, f));
  const int64_t height = TokenValue(ReadPpmToken(token, f));
  const int64_t maximum = TokenValue(ReadPpmToken(token, f));
  const long dataStart = std::ftell(f);
  const bool fits = PictureFits(width, height, true) && maximum >= 1 && maximum <= 65535 && dataStart > 0 &&
                    fileSize >= dataStart && uint64_t(fileSize - dataStart) / 6 >= uint64_t(width * height);
  int16_t* out = fits ? AllocPictureSamples(width, height, true) : nullptr;
  const size_t count = fits ? size_t(width * height * 3) : 0;
  if (!out || std::fread(out, 2, count, f) != count) {
    std::fclose(f);
    FreeMem(&out);
    return 0;
  }
  std::fclose(f);

  const int shift = maximum < 8192 ? 2 : maximum < 16384 ? 1 : maximum < 32768 ? 0 : -1;
  auto scale = [shift](const uint8_t* big) {
    const int64_t v = int64_t(big[0]) << 8 | big[1];
    return ClampSample(shift >= 0 ? v << shift : v >> 1);
  };
  for (size_t p = 0; p < count; p += 3) {
    // Bytes as the file has them: most significant first, red, green, blue.
    const uint8_t* rgb = reinterpret_cast<const uint8_t*>(out + p);
    const int16_t red = scale(rgb), green = scale(rgb + 2), blue = scale(rgb + 4);
    out[p] = blue;
    out[p + 1] = green;
    out[p + 2] = red;
  }
  SetReaderHeader(header, int32_t(width), int32_t(height), true, 24);
  *samples = out;
  return 1;
}
