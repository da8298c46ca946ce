// Video-file decoding: a playback graph (source -> sample grabber asking for
// RGB24 -> null renderer) sought to each requested frame, and the older
// decoder over the media detector.
#include <cstdlib>
#include <cstring>

#include "session.h"
#include "tyvcap.h"

namespace tyvcap {
namespace {

CaptureSession& S = g_session;

// How long a frame may take to arrive after a seek.
constexpr DWORD kDecodeWaitMs = 10000;
// The file holds no picture for the frame asked for.
constexpr HRESULT kFrameMissing = VFW_E_SAMPLE_REJECTED;

// Receives the decoded samples; copies the one that follows a seek.
class DecodeCB : public ISampleGrabberCB {
 public:
  DecodeCB() {
    InitializeCriticalSection(&lock_);
    arrived_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ISampleGrabberCB) {
      *object = static_cast<ISampleGrabberCB*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 2; }
  STDMETHODIMP BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }
  STDMETHODIMP SampleCB(double, IMediaSample* sample) override {
    BYTE* bits = nullptr;
    if (FAILED(sample->GetPointer(&bits))) return S_OK;
    const long size = sample->GetSize();
    EnterCriticalSection(&lock_);
    // After a seek the times start at 0 with the sought frame. A file that
    // holds no picture for it (a multiplexer writes an empty chunk for a
    // dropped frame) gets the next frame instead, half a frame or more later.
    REFERENCE_TIME start = 0, stop = 0;
    missing_ = armed_ && frameDuration_ > 0 && sample->GetTime(&start, &stop) == S_OK &&
               2 * (start < 0 ? -start : start) >= frameDuration_;
    if (armed_ && missing_) {
      armed_ = false;
      SetEvent(arrived_);
    } else if (armed_ && width_ > 0) {
      int rows = std::abs(height_);
      if (static_cast<long long>(rows) * stride_ > size) rows = static_cast<int>(size / stride_);
      // Rows leave bottom-up and unpadded, as the callers read them.
      const uint8_t* first = height_ > 0 ? bits : bits + static_cast<ptrdiff_t>(rows - 1) * stride_;
      const int step = height_ > 0 ? stride_ : -stride_;
      frame_.resize(static_cast<size_t>(width_) * 3 * rows);
      PackRows(first, step, rows, width_ * 3, frame_.data(), frame_.size());
      armed_ = false;
      SetEvent(arrived_);
    }
    LeaveCriticalSection(&lock_);
    return S_OK;
  }

  void SetGeometry(int width, int height, int stride, LONGLONG frameDuration) {
    EnterCriticalSection(&lock_);
    width_ = width;
    height_ = height;
    stride_ = stride;
    frameDuration_ = frameDuration;
    armed_ = false;
    LeaveCriticalSection(&lock_);
  }
  void Arm() {
    EnterCriticalSection(&lock_);
    armed_ = true;
    missing_ = false;
    frame_.clear();
    ResetEvent(arrived_);
    LeaveCriticalSection(&lock_);
  }
  bool Wait() { return WaitForSingleObject(arrived_, kDecodeWaitMs) == WAIT_OBJECT_0; }
  bool Missing() {
    EnterCriticalSection(&lock_);
    const bool missing = missing_;
    LeaveCriticalSection(&lock_);
    return missing;
  }
  void CopyTo(BYTE* dst) {
    EnterCriticalSection(&lock_);
    memcpy(dst, frame_.data(), frame_.size());
    LeaveCriticalSection(&lock_);
  }

 private:
  CRITICAL_SECTION lock_;
  HANDLE arrived_;
  bool armed_ = false;
  bool missing_ = false;   // the sample after the last seek was not the sought frame
  int width_ = 0, height_ = 0, stride_ = 0;
  LONGLONG frameDuration_ = 0;
  std::vector<uint8_t> frame_;
};

DecodeCB g_decodeCB;

HRESULT CloseWith(const char* text, HRESULT hr) {
  ReportError(text, hr);
  TYVCAP_CloseCapture();
  return hr;
}

// The callers tell a missing file and an undecodable one apart by these two codes.
HRESULT OpeningFailure(const wchar_t* file, HRESULT hr) {
  if (hr == E_OUTOFMEMORY) return hr;
  if (GetFileAttributesW(file) == INVALID_FILE_ATTRIBUTES) return VFW_E_NOT_FOUND;
  return VFW_E_INVALID_MEDIA_TYPE;
}

// The frame chunks of the file's index, when it is an AVI file that has one.
AviFrameChunks ReadFrameChunks(const wchar_t* fileName) {
  HANDLE file = CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return AviFrameChunks{};
  LARGE_INTEGER size = {};
  AviFrameChunks chunks;
  if (GetFileSizeEx(file, &size)) {
    chunks = ReadAviFrameChunks(static_cast<uint64_t>(size.QuadPart), [file](uint64_t at, void* data, size_t n) {
      LARGE_INTEGER to;
      to.QuadPart = static_cast<LONGLONG>(at);
      DWORD got = 0;
      return n <= MAXDWORD && SetFilePointerEx(file, to, nullptr, FILE_BEGIN) &&
             ReadFile(file, data, static_cast<DWORD>(n), &got, nullptr) && got == n;
    });
  }
  CloseHandle(file);
  return chunks;
}

HRESULT ConnectSourceToGrabber() {
  IEnumPins* pins = nullptr;
  HRESULT hr = S.sourceFilter->EnumPins(&pins);
  if (FAILED(hr)) return hr;
  IPin* pin = nullptr;
  hr = VFW_E_CANNOT_CONNECT;
  while (pins->Next(1, &pin, nullptr) == S_OK) {
    PIN_DIRECTION dir = PINDIR_INPUT;
    pin->QueryDirection(&dir);
    if (dir == PINDIR_OUTPUT) hr = ConnectPinToFilter(S.graph, pin, S.grabberFilter);
    pin->Release();
    if (SUCCEEDED(hr)) break;
  }
  pins->Release();
  return hr;
}

}  // namespace

HRESULT GetUnconnectedPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin) {
  *pin = nullptr;
  IEnumPins* pins = nullptr;
  HRESULT hr = filter->EnumPins(&pins);
  if (FAILED(hr)) return hr;
  IPin* p = nullptr;
  while (pins->Next(1, &p, nullptr) == S_OK) {
    PIN_DIRECTION dir;
    p->QueryDirection(&dir);
    if (dir == direction) {
      IPin* peer = nullptr;
      if (FAILED(p->ConnectedTo(&peer)) || !peer) {
        pins->Release();
        *pin = p;
        return S_OK;
      }
      peer->Release();
    }
    p->Release();
  }
  pins->Release();
  return E_FAIL;
}

HRESULT ConnectPinToFilter(IGraphBuilder* graph, IPin* out, IBaseFilter* to) {
  if (!graph || !out || !to) return E_POINTER;
  IPin* in = nullptr;
  HRESULT hr = GetUnconnectedPin(to, PINDIR_INPUT, &in);
  if (FAILED(hr)) return hr;
  hr = graph->Connect(out, in);
  in->Release();
  return hr;
}

HRESULT ConnectFilters(IGraphBuilder* graph, IBaseFilter* from, IBaseFilter* to) {
  if (!graph || !from || !to) return E_POINTER;
  IPin* out = nullptr;
  HRESULT hr = GetUnconnectedPin(from, PINDIR_OUTPUT, &out);
  if (FAILED(hr)) return hr;
  hr = ConnectPinToFilter(graph, out, to);
  out->Release();
  return hr;
}

}  // namespace tyvcap

using namespace tyvcap;

extern "C" {

HRESULT TYVCAP_CALL TYVCAP_InitAVIDecoder2(const wchar_t* fileName, int* frames, int* width, int* height,
                                           int* bitCount) {
  int dummy[4];
  if (!frames) frames = &dummy[0];
  if (!width) width = &dummy[1];
  if (!height) height = &dummy[2];
  if (!bitCount) bitCount = &dummy[3];
  *frames = *width = *height = *bitCount = 0;
  EnsureCom();
  if (S.graph) TYVCAP_CloseCapture();
  S.format = VideoFormatInfo{};
  if (!fileName) return E_POINTER;

  HRESULT hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&S.graph));
  if (SUCCEEDED(hr)) hr = S.graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&S.events));
  if (SUCCEEDED(hr)) hr = S.graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&S.control));
  if (SUCCEEDED(hr)) hr = S.graph->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&S.seeking));
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                          reinterpret_cast<void**>(&S.grabberFilter));
  if (FAILED(hr)) return CloseWith("Failed to build the decoding graph!  hr=0x%x", hr);
  hr = S.graph->AddFilter(S.grabberFilter, L"SampleGrabber");
  if (FAILED(hr)) return CloseWith("Couldn't add sample grabber to graph!  hr=0x%x", hr);
  hr = S.grabberFilter->QueryInterface(IID_ISampleGrabber, reinterpret_cast<void**>(&S.grabber));
  if (FAILED(hr)) return CloseWith("Failed ISampleGrabber!  hr=0x%x", hr);
  AM_MEDIA_TYPE wanted = {};
  wanted.majortype = MEDIATYPE_Video;
  wanted.subtype = MEDIASUBTYPE_RGB24;
  hr = S.grabber->SetMediaType(&wanted);
  if (FAILED(hr)) return CloseWith("couldn't configure SampleGrabber!  hr=0x%x", hr);

  hr = S.graph->AddSourceFilter(fileName, L"Source", &S.sourceFilter);
  if (FAILED(hr)) return CloseWith("Failed Source filter!  hr=0x%x", OpeningFailure(fileName, hr));
  hr = ConnectSourceToGrabber();
  if (FAILED(hr)) return CloseWith("Couldn't connect the source!  hr=0x%x", OpeningFailure(fileName, hr));

  hr = CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                        reinterpret_cast<void**>(&S.nullRenderer));
  if (FAILED(hr)) return CloseWith("Failed Null Filter!  hr=0x%x", hr);
  hr = S.graph->AddFilter(S.nullRenderer, L"Null Filter");
  if (SUCCEEDED(hr)) hr = ConnectFilters(S.graph, S.grabberFilter, S.nullRenderer);
  if (FAILED(hr)) return CloseWith("Couldn't connect the renderer!  hr=0x%x", hr);

  AM_MEDIA_TYPE mt = {};
  hr = S.grabber->GetConnectedMediaType(&mt);
  if (FAILED(hr)) return CloseWith("Failed ISampleGrabber!  hr=0x%x", hr);
  int w = 0, h = 0, stride = 0;
  LONGLONG duration = 0;
  const bool rgb = Rgb24Geometry(mt, &w, &h, &stride);
  if (rgb) duration = reinterpret_cast<VIDEOINFOHEADER*>(mt.pbFormat)->AvgTimePerFrame;
  if (mt.cbFormat) CoTaskMemFree(mt.pbFormat);
  if (mt.pUnk) mt.pUnk->Release();
  if (!rgb) return CloseWith("Not an RGB24 picture!  hr=0x%x", VFW_E_INVALIDMEDIATYPE);
  if (duration <= 0) return CloseWith("No frame duration!  hr=0x%x", E_INVALIDARG);

  GUID timeFormat;
  LONGLONG stop = 0;
  hr = S.seeking->GetTimeFormat(&timeFormat);
  if (SUCCEEDED(hr)) hr = S.seeking->GetStopPosition(&stop);
  if (FAILED(hr)) return CloseWith("Couldn't read the stream length!  hr=0x%x", hr);

  S.grabber->SetBufferSamples(FALSE);
  S.grabber->SetOneShot(FALSE);
  S.grabber->SetCallback(&g_decodeCB, 0);
  g_decodeCB.SetGeometry(w, h, stride, duration);
  S.format = VideoFormatInfo{w, h, 24};
  S.frameDuration = duration;
  S.decodeFrames = static_cast<int>(stop / duration);
  S.decodeChunks = ReadFrameChunks(fileName);
  *frames = S.decodeFrames;
  *width = w;
  *height = std::abs(h);
  *bitCount = 24;
  return S_OK;
}

HRESULT TYVCAP_CALL TYVCAP_GetAVIFrame2(BYTE* dst, int frameIndex) {
  if (!S.seeking || !S.control || S.format.width == 0 || S.format.height == 0) return E_INVALIDARG;
  if (!dst) return E_POINTER;
  if (frameIndex < 0 || frameIndex >= S.decodeFrames) return E_INVALIDARG;
  // The platform's reader would hand out another frame for one whose chunk
  // is empty or cut short.
  if (S.decodeChunks.Lacks(static_cast<size_t>(frameIndex))) return kFrameMissing;
  // Stopped first, so no sample from before the seek can reach the callback.
  S.control->Stop();
  g_decodeCB.Arm();
  LONGLONG position = static_cast<LONGLONG>(frameIndex) * S.frameDuration;
  HRESULT hr = S.seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr,
                                       AM_SEEKING_NoPositioning);
  if (FAILED(hr)) return hr;
  hr = S.control->Pause();
  if (FAILED(hr)) return hr;
  if (!g_decodeCB.Wait()) return VFW_E_TIMEOUT;
  if (g_decodeCB.Missing()) return kFrameMissing;
  g_decodeCB.CopyTo(dst);
  return S_OK;
}

int TYVCAP_CALL TYVCAP_ExitAVIDecoder2(void) {
  TYVCAP_CloseCapture();
  return 0;
}

HRESULT TYVCAP_CALL TYVCAP_InitAVIDecoder(BSTR fileName, int* frames, int* width, int* height, int* bitCount) {
  EnsureCom();
  HRESULT hr = S_OK;
  if (!S.detector) {
    hr = CoCreateInstance(CLSID_MediaDet, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IMediaDet,
                          reinterpret_cast<void**>(&S.detector));
    if (FAILED(hr)) {
      ReportError("No AVI Decoder available!\nPlease update DirectX at least to version 9.0c or install matching "
                  "video codec.", hr);
      return hr;
    }
  }
  hr = S.detector->put_Filename(fileName);
  if (FAILED(hr)) {
    ReportError("Invalid path or filename!", hr);
    return OpeningFailure(fileName ? fileName : L"", hr);
  }
  long streams = 0;
  S.detector->get_OutputStreams(&streams);
  bool video = false;
  for (long i = 0; i < streams && !video; ++i) {
    GUID type = GUID_NULL;
    if (SUCCEEDED(S.detector->put_CurrentStream(i)) && SUCCEEDED(S.detector->get_StreamType(&type)))
      video = type == MEDIATYPE_Video;
  }
  if (!video) {
    ReportError("AVI contains no video data!");
    return VFW_E_INVALIDMEDIATYPE;
  }
  AM_MEDIA_TYPE mt = {};
  hr = S.detector->get_StreamMediaType(&mt);
  const bool vih = SUCCEEDED(hr) && mt.formattype == FORMAT_VideoInfo && mt.pbFormat &&
                   mt.cbFormat >= sizeof(VIDEOINFOHEADER);
  int w = 0, h = 0, bits = 0;
  if (vih) {
    const BITMAPINFOHEADER& bih = reinterpret_cast<VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    w = bih.biWidth;
    h = bih.biHeight;
    bits = bih.biBitCount;
  }
  if (SUCCEEDED(hr)) {
    if (mt.cbFormat) CoTaskMemFree(mt.pbFormat);
    if (mt.pUnk) mt.pUnk->Release();
  }
  if (!vih) {
    if (frames) *frames = 0;
    if (width) *width = 0;
    if (height) *height = 0;
    if (bitCount) *bitCount = 0;
    return VFW_E_INVALIDMEDIATYPE;
  }
  S.format = VideoFormatInfo{w, h, bits};
  double length = 0;
  S.detector->get_StreamLength(&length);
  S.detector->get_FrameRate(&S.frameRate);
  if (frames) *frames = static_cast<int>(length * S.frameRate + 0.5);
  if (width) *width = w;
  if (height) *height = std::abs(h);
  if (bitCount) *bitCount = bits;
  return S_OK;
}

HRESULT TYVCAP_CALL TYVCAP_GetAVIFrame(BYTE* dst, int frameIndex) {
  if (!S.detector || S.frameRate == 0) return E_INVALIDARG;
  if (!dst) return E_POINTER;
  const HRESULT hr = S.detector->GetBitmapBits(frameIndex / S.frameRate, nullptr, reinterpret_cast<char*>(dst),
                                               S.format.width, std::abs(S.format.height));
  return FAILED(hr) ? E_OUTOFMEMORY : S_OK;
}

int TYVCAP_CALL TYVCAP_ExitAVIDecoder(void) {
  SafeRelease(S.detector);
  return 0;
}

}  // extern "C"
