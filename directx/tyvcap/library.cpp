// Library entry, the display window, the DirectX probe, wide-string tables,
// "tyvcap.ini" access and the diagnostic reporter.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "session.h"
#include "tyvcap.h"

namespace tyvcap {

HINSTANCE g_module = nullptr;
HWND g_displayWnd = nullptr;
CaptureSession g_session;
FrameHandoff g_frames;
StampSettings g_stamp;

namespace {

const char kDisplayClass[] = "DisplayWnd";
uint8_t* g_glyphs = nullptr;
INIT_ONCE g_glyphsOnce = INIT_ONCE_STATIC_INIT;

// The string tables carry their shape in front of the pointer table, so the
// device enumeration never writes past a row or a table's end.
struct WideTableHeader {
  uint32_t magic;
  int32_t count;
  int32_t length;
  int32_t reserved;
};
constexpr uint32_t kWideTableMagic = 0x54595657;   // "WVYT"

WideTableHeader* HeaderOf(wchar_t** table) {
  if (!table) return nullptr;
  auto* header = reinterpret_cast<WideTableHeader*>(table) - 1;
  return header->magic == kWideTableMagic ? header : nullptr;
}

LRESULT CALLBACK DisplayWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      FitVideoWindow();
      break;
    case WM_WINDOWPOSCHANGED:
      // Minimising pauses the live picture; a recording goes on regardless.
      if (g_session.captureFilter && !g_session.recording) SetPreviewRunning(IsIconic(hwnd) ? 0 : 1);
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// The stamps' glyph bitmap, built once on first use.
BOOL CALLBACK BuildGlyphBitmap(PINIT_ONCE, PVOID, PVOID*) {
  g_glyphs = static_cast<uint8_t*>(GlobalAllocLocked(kGlyphStripBytes));
  if (g_glyphs) FillGlyphStrip(g_glyphs);
  return TRUE;
}

}  // namespace

void ReportError(const char* format, HRESULT hr) {
  char text[512];
  snprintf(text, sizeof text, format, static_cast<unsigned>(hr));
  OutputDebugStringA(text);
}

void NotifyNoCaptureDevice() {
  MessageBoxA(nullptr,
              "No video capture device was detected.\r\n\r\n"
              "This sample requires a video capture device, such as a USB WebCam,\r\n"
              "to be installed and working properly. No Video Capture Hardware found.",
              "", MB_OK | MB_ICONINFORMATION);
}

void EnsureCom() {
  static thread_local bool done = false;
  if (!done) {
    // An apartment the caller already chose is fine as it is.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    done = true;
  }
}

const uint8_t* GlyphStrip() {
  InitOnceExecuteOnce(&g_glyphsOnce, BuildGlyphBitmap, nullptr, nullptr);
  return g_glyphs;
}

void* GlobalAllocLocked(SIZE_T bytes) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (!h) return nullptr;
  void* p = GlobalLock(h);
  if (!p) GlobalFree(h);
  return p;
}

int GlobalFreeLocked(void** p) {
  if (p && *p) {
    HGLOBAL h = GlobalHandle(*p);
    GlobalUnlock(h);
    GlobalFree(h);
    *p = nullptr;
  }
  return 0;
}

BOOL WriteIniInt(const char* path, const char* section, const char* key, long value) {
  char text[24];
  snprintf(text, sizeof text, "%ld", value);
  return WritePrivateProfileStringA(section, key, text, path);
}

int ReadIniInt(const char* path, const char* section, const char* key, long* value, long fallback) {
  char fallbackText[24];
  char text[20];
  snprintf(fallbackText, sizeof fallbackText, "%ld", fallback);
  if (GetPrivateProfileStringA(section, key, fallbackText, text, sizeof text, path) >= 1) {
    *value = atol(text);
    return 1;
  }
  *value = fallback;
  return 0;
}

}  // namespace tyvcap

using namespace tyvcap;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH: {
      g_module = instance;
      InitializeCriticalSection(&g_frames.lock);
      WNDCLASSA wc = {};
      wc.style = CS_HREDRAW | CS_VREDRAW;
      wc.lpfnWndProc = DisplayWndProc;
      wc.hInstance = instance;
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
      wc.lpszClassName = kDisplayClass;
      return RegisterClassA(&wc) != 0;
    }
    case DLL_PROCESS_DETACH:
      GlobalFreeLocked(reinterpret_cast<void**>(&g_glyphs));
      // Classes of a library outlive it; a later load would find the name taken.
      UnregisterClassA(kDisplayClass, instance);
      break;
  }
  return TRUE;
}

extern "C" {

int TYVCAP_CALL TYVCAP_OpenDisplayWnd(HWND parent, int x, int y, int width, int height) {
  g_displayWnd = CreateWindowExA(0, kDisplayClass, nullptr, WS_CHILD | WS_VISIBLE, x, y, width, height,
                                 parent, nullptr, g_module, nullptr);
  return g_displayWnd != nullptr;
}

int TYVCAP_CALL TYVCAP_CloseDisplayWnd(void) {
  SendMessageA(g_displayWnd, WM_CLOSE, 0, 0);
  return 1;
}

HWND TYVCAP_CALL TYVCAP_GetDisplayWnd(void) { return g_displayWnd; }

int TYVCAP_CALL TYVCAP_SetDisplayWndPos(int x, int y, int width, int height) {
  SetWindowPos(g_displayWnd, nullptr, x, y, width, height, SWP_NOZORDER);
  FitVideoWindow();
  return 1;
}

BOOL TYVCAP_CALL TYVCAP_SetDisplayWndOnTop(void) {
  return SetWindowPos(g_displayWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

int TYVCAP_CALL TYVCAP_TestDXVersion(void) {
  HMODULE ddraw = LoadLibraryA("DDRAW.DLL");
  if (!ddraw) return 0;
  using DirectDrawCreateFn = HRESULT(WINAPI*)(GUID*, IUnknown**, IUnknown*);
  auto create = reinterpret_cast<DirectDrawCreateFn>(
      reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawCreate")));
  IUnknown* dd = nullptr;
  if (!create || FAILED(create(nullptr, &dd, nullptr))) {
    FreeLibrary(ddraw);
    return 0;
  }
  dd->Release();
  static const struct {
    const char* library;
    int version;
  } kProbes[] = {{"D3D8.DLL", 0x800}, {"dpnhpast.dll", 0x801}, {"dpnet.dll", 0x802}, {"D3D9.DLL", 0x900}};
  int version = 0;
  for (const auto& probe : kProbes) {
    if (HMODULE m = LoadLibraryA(probe.library)) {
      version = probe.version;
      FreeLibrary(m);
    }
  }
  FreeLibrary(ddraw);
  return version >= 0x800;
}

int TYVCAP_CALL TYVCAP_AllocWcharArray(wchar_t*** table, int count, int length) {
  if (!table) return 0;
  *table = nullptr;
  if (count <= 0 || length <= 0 || static_cast<long long>(count) * length > (1LL << 28)) return 0;
  auto* header = static_cast<WideTableHeader*>(
      GlobalAllocLocked(sizeof(WideTableHeader) + sizeof(wchar_t*) * static_cast<size_t>(count)));
  if (!header) return 0;
  auto* strings = static_cast<wchar_t*>(
      GlobalAllocLocked(sizeof(wchar_t) * static_cast<size_t>(count) * static_cast<size_t>(length)));
  if (!strings) {
    GlobalFreeLocked(reinterpret_cast<void**>(&header));
    return 0;
  }
  *header = WideTableHeader{kWideTableMagic, count, length, 0};
  wchar_t** rows = reinterpret_cast<wchar_t**>(header + 1);
  for (int i = 0; i < count; ++i) rows[i] = strings + static_cast<size_t>(i) * length;
  *table = rows;
  return 1;
}

int TYVCAP_CALL TYVCAP_FreeWcharArray(wchar_t** table) {
  WideTableHeader* header = HeaderOf(table);
  if (!header) return 0;
  void* strings = table[0];
  GlobalFreeLocked(&strings);
  header->magic = 0;
  GlobalFreeLocked(reinterpret_cast<void**>(&header));
  return 0;
}

wchar_t* TYVCAP_CALL TYVCAP_StrToWchar(wchar_t* dst, const char* src) {
  if (!dst || !src) return dst;
  const int n = static_cast<int>(strlen(src)) + 1;
  if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, src, n, dst, n) == 0) {
    static const struct {
      DWORD error;
      const char* text;
    } kErrors[] = {{ERROR_INVALID_PARAMETER, "MultiByteToWideChar: invalid parameter!"},
                   {ERROR_INSUFFICIENT_BUFFER, "MultiByteToWideChar: not enough buffer!"},
                   {ERROR_INVALID_FLAGS, "MultiByteToWideChar: invalid flags!"},
                   {ERROR_NO_UNICODE_TRANSLATION, "MultiByteToWideChar: no unicode!"}};
    const DWORD error = GetLastError();
    for (const auto& e : kErrors)
      if (e.error == error) ReportError(e.text);
  }
  return dst;
}

}  // extern "C"

namespace tyvcap {
// Rows and row length of a table made by TYVCAP_AllocWcharArray (0 when it is not one).
void WideTableShape(wchar_t** table, int* count, int* length) {
  WideTableHeader* header = HeaderOf(table);
  *count = header ? header->count : 0;
  *length = header ? header->length : 0;
}
}  // namespace tyvcap
