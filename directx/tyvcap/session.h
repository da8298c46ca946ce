// State shared by the parts of the capture library: the one capture or
// decoding session of the process, and the helpers every part uses.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <cstdint>
#include <vector>

#include "avi_index.h"
#include "stamp.h"

// In the import library but not declared by the headers.
extern "C" const CLSID CLSID_SampleGrabber;
extern "C" const CLSID CLSID_NullRenderer;

namespace tyvcap {

constexpr HRESULT kNoCaptureFilter = static_cast<HRESULT>(0x80000001);
constexpr UINT kGraphNotify = WM_APP + 1;

template <class T>
void SafeRelease(T*& p) {
  if (p) {
    p->Release();
    p = nullptr;
  }
}

struct VideoFormatInfo {
  int width = 0;
  int height = 0;   // signed, as the format states it
  int bitCount = 0;
};

// The latest frame handed over by the grabber, copied out of the sample
// under the lock so the getters never read a buffer the graph reuses.
struct FrameHandoff {
  CRITICAL_SECTION lock;
  FrameCounter counter;
  std::vector<uint8_t> latest;   // B,G,R rows of width x 3 bytes, bottom-up
  int width = 0;
  int height = 0;
  // Geometry of the samples as the grabber's connection states it.
  int sampleWidth = 0;
  int sampleHeight = 0;
  int sampleStride = 0;
};

struct StampSettings {
  volatile LONG timeOn = 0;
  volatile LONG positionOn = 0;
  double longitude = 0, latitude = 0, altitude = 0;
};

struct CaptureSession {
  ICaptureGraphBuilder2* builder = nullptr;
  IGraphBuilder* graph = nullptr;
  IMediaControl* control = nullptr;
  IVideoWindow* videoWindow = nullptr;
  IMediaEventEx* events = nullptr;
  IMediaSeeking* seeking = nullptr;
  IBaseFilter* captureFilter = nullptr;
  IBaseFilter* grabberFilter = nullptr;
  ISampleGrabber* grabber = nullptr;
  IBaseFilter* nullRenderer = nullptr;
  IBaseFilter* sourceFilter = nullptr;
  IBaseFilter* mux = nullptr;
  IFileSinkFilter* fileSink = nullptr;
  IAMDroppedFrames* droppedFrames = nullptr;
  IAMStreamConfig* streamConfig = nullptr;
  IAMVfwCaptureDialogs* vfwDialogs = nullptr;
  IMediaDet* detector = nullptr;

  int graphState = 0;      // 0 stopped, 2 running
  bool recording = false;  // capture pin feeds an AVI file
  bool grabberInGraph = false;
  VideoFormatInfo format;
  LONGLONG frameDuration = 0;   // 100 ns units
  double frameRate = 0;
  DWORD startTime = 0;
  char iniPath[1024] = {};
  char iniSection[1024] = {};
  // Decoding: frames in the open video (0 when none is open), and its index.
  int decodeFrames = 0;
  AviFrameChunks decodeChunks;
};

extern HINSTANCE g_module;
extern HWND g_displayWnd;
extern CaptureSession g_session;
extern FrameHandoff g_frames;
extern StampSettings g_stamp;

// Diagnostics go nowhere visible; a debugger sees them.
void ReportError(const char* format, HRESULT hr = S_OK);
// The library's only message box: no video capture device exists.
void NotifyNoCaptureDevice();
// COM for the calling thread, on first use rather than at load.
void EnsureCom();
// The glyph strip, built on first use; null when memory failed.
const uint8_t* GlyphStrip();

void* GlobalAllocLocked(SIZE_T bytes);
int GlobalFreeLocked(void** p);
BOOL WriteIniInt(const char* path, const char* section, const char* key, long value);
int ReadIniInt(const char* path, const char* section, const char* key, long* value, long fallback);

// Rows and row length of a table made by TYVCAP_AllocWcharArray (0 when it is not one).
void WideTableShape(wchar_t** table, int* count, int* length);

// Capture graph helpers used by the display window.
HRESULT FitVideoWindow();
HRESULT SetPreviewRunning(int run);
HRESULT BuildPreviewGraph();
void TearDownCaptureGraph();
// Ends a recording (its file complete) and runs the live picture again;
// a live picture that cannot be built closes the session.
HRESULT EndRecording();

// Grabber
ISampleGrabberCB* CaptureCallback();
void ResetFrameHandoff(bool counters);
void TakeGrabberGeometry(ISampleGrabber* grabber);
// Frees a media type the platform handed out.
void FreeMediaType(AM_MEDIA_TYPE* mt);
// Geometry of an RGB24 VIDEOINFOHEADER type; false for any other.
bool Rgb24Geometry(const AM_MEDIA_TYPE& mt, int* width, int* height, int* stride);

// Pin helpers of graph building.
HRESULT GetUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin);
HRESULT ConnectPinToFilter(IGraphBuilder* graph, IPin* out, IBaseFilter* to);
HRESULT ConnectFilters(IGraphBuilder* graph, IBaseFilter* from, IBaseFilter* to);

// A stream sink filter writing what its input pin receives through IStream to a file.
HRESULT CreateStreamSink(IBaseFilter** filter);
// The capture graph's reference clock (instead of the platform's system clock).
HRESULT CreateReferenceClock(IReferenceClock** clock);

}  // namespace tyvcap
