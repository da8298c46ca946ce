// The frame callback of the capture graph: counts frames, burns the stamp
// into them and keeps a copy of the latest one for the frame getters.
#include <cstdlib>
#include <cstring>

#include "session.h"
#include "tyvcap.h"

namespace tyvcap {
namespace {

// A getter gives up after this long without a frame rather than hang the caller.
constexpr DWORD kFrameWaitMs = 10000;

class GrabberCB : public ISampleGrabberCB {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ISampleGrabberCB) {
      *object = static_cast<ISampleGrabberCB*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // One static object for the library's life: no counting.
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 2; }
  STDMETHODIMP SampleCB(double, IMediaSample* sample) override;
  STDMETHODIMP BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }
};

GrabberCB g_grabberCB;

StampTime UtcNow() {
  SYSTEMTIME st;
  GetSystemTime(&st);
  return StampTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

STDMETHODIMP GrabberCB::SampleCB(double, IMediaSample* sample) {
  BYTE* bits = nullptr;
  HRESULT hr = sample->GetPointer(&bits);
  if (FAILED(hr)) {
    ReportError("SampleCB: GetPointer FAILED\n", hr);
    return hr;
  }
  const long size = sample->GetSize();
  const bool discontinuity = sample->IsDiscontinuity() == S_OK;
  AM_MEDIA_TYPE* changed = nullptr;
  if (sample->GetMediaType(&changed) == S_OK && changed) {
    int w, h, stride;
    if (Rgb24Geometry(*changed, &w, &h, &stride)) {
      EnterCriticalSection(&g_frames.lock);
      g_frames.sampleWidth = w;
      g_frames.sampleHeight = h;
      g_frames.sampleStride = stride;
      LeaveCriticalSection(&g_frames.lock);
    }
    FreeMediaType(changed);
  }

  EnterCriticalSection(&g_frames.lock);
  FrameHandoff& f = g_frames;
  f.counter.OnSample(discontinuity);
  int width = f.sampleWidth;
  int rows = std::abs(f.sampleHeight);
  const int stride = f.sampleStride;
  if (width > 0 && stride >= width * 3) {
    // Never walk past the sample, whatever the connection claimed.
    if (static_cast<long long>(rows) * stride > size) rows = static_cast<int>(size / stride);
    // Bottom-up view of the picture, whichever way the rows lie in memory.
    FrameView view{bits, width, rows, stride};
    if (f.sampleHeight < 0 && rows > 0) view = FrameView{bits + static_cast<ptrdiff_t>(rows - 1) * stride, width,
                                                         rows, -stride};
    const uint8_t* glyphs = GlyphStrip();
    if (g_stamp.timeOn == 1 && glyphs) {
      const StampPosition position{g_stamp.longitude, g_stamp.latitude, g_stamp.altitude};
      DrawStamp(view, glyphs, UtcNow(), g_stamp.positionOn == 1 ? &position : nullptr);
    }
    f.latest.resize(static_cast<size_t>(width) * 3 * rows);
    PackRows(view.bits, view.stride, rows, width * 3, f.latest.data(), f.latest.size());
    f.width = width;
    f.height = rows;
  }
  LeaveCriticalSection(&g_frames.lock);
  return S_OK;
}

// Waits for a frame newer than the last one handed out; on true the lock is
// held and the caller copies from g_frames.latest, then leaves the lock.
bool LockNewFrame() {
  if (g_session.graphState != 2 || !g_session.grabberInGraph) return false;
  const DWORD start = GetTickCount();
  for (;;) {
    EnterCriticalSection(&g_frames.lock);
    if (g_frames.counter.TakeNew()) return true;
    LeaveCriticalSection(&g_frames.lock);
    if (GetTickCount() - start > kFrameWaitMs) return false;
    Sleep(5);
  }
}

// Bytes the caller's buffer holds: the size TYVCAP_GetVideoInfo reports.
size_t CallerFrameBytes() {
  const VideoFormatInfo& v = g_session.format;
  const size_t reported = static_cast<size_t>(std::abs(v.width)) * std::abs(v.height) * 3;
  return reported && reported < g_frames.latest.size() ? reported : g_frames.latest.size();
}

std::vector<uint8_t> g_pointerCopy;

}  // namespace

ISampleGrabberCB* CaptureCallback() { return &g_grabberCB; }

void ResetFrameHandoff(bool counters) {
  EnterCriticalSection(&g_frames.lock);
  g_frames.latest.clear();
  g_frames.width = g_frames.height = 0;
  if (counters) g_frames.counter.Reset();
  LeaveCriticalSection(&g_frames.lock);
}

void FreeMediaType(AM_MEDIA_TYPE* mt) {
  if (!mt) return;
  if (mt->cbFormat) CoTaskMemFree(mt->pbFormat);
  if (mt->pUnk) mt->pUnk->Release();
  CoTaskMemFree(mt);
}

bool Rgb24Geometry(const AM_MEDIA_TYPE& mt, int* width, int* height, int* stride) {
  if (mt.formattype != FORMAT_VideoInfo || mt.cbFormat < sizeof(VIDEOINFOHEADER) || !mt.pbFormat) return false;
  const BITMAPINFOHEADER& bih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
  if (bih.biBitCount != 24 || bih.biWidth <= 0 || bih.biWidth > 65536 || bih.biHeight == 0) return false;
  *width = bih.biWidth;
  *height = bih.biHeight;
  *stride = (bih.biWidth * 3 + 3) & ~3;   // DIB rows are padded to 4 bytes
  return true;
}

void TakeGrabberGeometry(ISampleGrabber* grabber) {
  AM_MEDIA_TYPE mt = {};
  if (!grabber || FAILED(grabber->GetConnectedMediaType(&mt))) return;
  int w, h, stride;
  if (Rgb24Geometry(mt, &w, &h, &stride)) {
    EnterCriticalSection(&g_frames.lock);
    g_frames.sampleWidth = w;
    g_frames.sampleHeight = h;
    g_frames.sampleStride = stride;
    LeaveCriticalSection(&g_frames.lock);
  }
  if (mt.cbFormat) CoTaskMemFree(mt.pbFormat);
  if (mt.pUnk) mt.pUnk->Release();
}

}  // namespace tyvcap

using namespace tyvcap;

extern "C" {

int TYVCAP_CALL TYVCAP_SetTimemarker(int on) {
  InterlockedExchange(&g_stamp.timeOn, on);
  if (on == 1) GlyphStrip();
  return on;
}

int TYVCAP_CALL TYVCAP_SetPositionmarker(double longitude, double latitude, double altitudeMetres, int on) {
  EnterCriticalSection(&g_frames.lock);
  g_stamp.longitude = longitude;
  g_stamp.latitude = latitude;
  g_stamp.altitude = altitudeMetres;
  g_stamp.positionOn = on;
  LeaveCriticalSection(&g_frames.lock);
  return on;
}

int TYVCAP_CALL TYVCAP_GetFramePointer(BYTE** frame, int* length) {
  if (frame) *frame = nullptr;
  if (length) *length = 0;
  if (!frame || !length || !LockNewFrame()) return 0;
  g_pointerCopy.assign(g_frames.latest.begin(), g_frames.latest.end());
  LeaveCriticalSection(&g_frames.lock);
  *frame = g_pointerCopy.data();
  *length = static_cast<int>(g_pointerCopy.size());
  return 1;
}

int TYVCAP_CALL TYVCAP_GetFrame(BYTE* dst) {
  if (!dst || !LockNewFrame()) return 0;
  memcpy(dst, g_frames.latest.data(), CallerFrameBytes());
  LeaveCriticalSection(&g_frames.lock);
  return 1;
}

int TYVCAP_CALL TYVCAP_GetFrameChannel(BYTE* dst, unsigned channel) {
  if (!dst || !LockNewFrame()) return 0;
  ExtractChannel(g_frames.latest.data(), CallerFrameBytes() / 3, channel, dst);
  LeaveCriticalSection(&g_frames.lock);
  return 1;
}

int TYVCAP_CALL TYVCAP_GetStandardFrame(short* dst) {
  if (!dst || !LockNewFrame()) return 0;
  WidenFrame(g_frames.latest.data(), CallerFrameBytes(), reinterpret_cast<int16_t*>(dst));
  LeaveCriticalSection(&g_frames.lock);
  return 1;
}

}  // extern "C"
