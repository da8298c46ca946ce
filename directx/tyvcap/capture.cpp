// The capture graph: device enumeration, live picture, AVI recording with
// file change, the driver's set-up dialogs and closing.
#include <olectl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "session.h"
#include "tyvcap.h"

namespace tyvcap {
namespace {

CaptureSession& S = g_session;

// Adds a filter under its name, taking it out first when a previous build left it in.
HRESULT AddFresh(IBaseFilter* filter, const wchar_t* name) {
  S.graph->RemoveFilter(filter);
  return S.graph->AddFilter(filter, name);
}

HRESULT Fail(const char* text, HRESULT hr) {
  ReportError(text, hr);
  TYVCAP_CloseCapture();
  return hr;
}

// The platform's system clock can hang the graph's last release (see
// refclock.cpp); the graph keeps ours instead and never makes its own.
HRESULT UseOwnClock() {
  IReferenceClock* clock = nullptr;
  IMediaFilter* filter = nullptr;
  HRESULT hr = CreateReferenceClock(&clock);
  if (SUCCEEDED(hr)) hr = S.graph->QueryInterface(IID_IMediaFilter, reinterpret_cast<void**>(&filter));
  if (SUCCEEDED(hr)) hr = filter->SetSyncSource(clock);
  SafeRelease(filter);
  SafeRelease(clock);
  return hr;
}

// Builder, graph and grabber, their control interfaces, and the display
// window as the receiver of the graph's notices.
HRESULT OpenSessionGraph() {
  HRESULT hr;
  if (!S.builder) {
    hr = CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                          reinterpret_cast<void**>(&S.builder));
    if (FAILED(hr)) return Fail("Failed ICaptureGraphBuilder2!  hr=0x%x", hr);
    hr = CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                          reinterpret_cast<void**>(&S.graph));
    if (FAILED(hr)) return Fail("Failed IGraphBuilder!  hr=0x%x", hr);
    hr = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                          reinterpret_cast<void**>(&S.grabberFilter));
    if (FAILED(hr)) return Fail("Failed IGrabberFilter!  hr=0x%x", hr);
    hr = UseOwnClock();
    if (FAILED(hr)) return Fail("Failed to set the graph's clock!  hr=0x%x", hr);
  }
  SafeRelease(S.control);
  SafeRelease(S.videoWindow);
  SafeRelease(S.events);
  hr = S.graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&S.control));
  if (FAILED(hr)) return Fail("Failed IMediaControl!  hr=0x%x", hr);
  hr = S.graph->QueryInterface(IID_IVideoWindow, reinterpret_cast<void**>(&S.videoWindow));
  if (FAILED(hr)) return Fail("Failed IVideoWindow!  hr=0x%x", hr);
  hr = S.graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&S.events));
  if (FAILED(hr)) return Fail("Failed IMediaEvent!  hr=0x%x", hr);
  S.events->SetNotifyWindow(reinterpret_cast<OAHWND>(g_displayWnd), kGraphNotify, 0);
  hr = S.builder->SetFiltergraph(S.graph);
  if (FAILED(hr)) return Fail("Failed to set capture filter graph!  hr=0x%x", hr);
  return S_OK;
}

// The system's video input devices; null when there are none.
IEnumMoniker* VideoInputDevices() {
  ICreateDevEnum* devices = nullptr;
  IEnumMoniker* monikers = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                reinterpret_cast<void**>(&devices));
  if (SUCCEEDED(hr)) hr = devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
  SafeRelease(devices);
  // S_FALSE: the category is empty.
  if (hr != S_OK) SafeRelease(monikers);
  return monikers;
}

// The device's "FriendlyName"; false when it has none.
bool ReadFriendlyName(IMoniker* moniker, VARIANT* name) {
  VariantInit(name);
  IPropertyBag* bag = nullptr;
  if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag)))) return false;
  const bool found = SUCCEEDED(bag->Read(L"FriendlyName", name, nullptr)) && name->vt == VT_BSTR;
  bag->Release();
  return found;
}

HRESULT FindCaptureDevice(IBaseFilter** filter, const wchar_t* name) {
  IEnumMoniker* monikers = VideoInputDevices();
  if (!monikers) {
    NotifyNoCaptureDevice();
    return S_OK;
  }
  IMoniker* moniker = nullptr;
  HRESULT result = S_OK;
  while (monikers->Next(1, &moniker, nullptr) == S_OK) {
    VARIANT v;
    const bool match = ReadFriendlyName(moniker, &v) && wcscmp(v.bstrVal, name) == 0;
    VariantClear(&v);
    if (match) {
      const HRESULT hr = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter));
      moniker->Release();
      if (FAILED(hr)) {
        ReportError("Unable to access video capture device!", hr);
        result = hr;
      }
      break;
    }
    moniker->Release();
  }
  monikers->Release();
  if (FAILED(result)) TYVCAP_CloseCapture();
  return result;
}

HRESULT SetupVideoWindow() {
  if (!S.videoWindow) return E_POINTER;
  HRESULT hr = S.videoWindow->put_Owner(reinterpret_cast<OAHWND>(g_displayWnd));
  if (FAILED(hr)) return hr;
  hr = S.videoWindow->put_WindowStyle(WS_CHILD | WS_CLIPCHILDREN);
  if (FAILED(hr)) return hr;
  hr = FitVideoWindow();
  if (FAILED(hr)) return hr;
  return S.videoWindow->put_Visible(OATRUE);
}

HRESULT RenderTestPreview() {
  if (!S.captureFilter) return kNoCaptureFilter;
  HRESULT hr = AddFresh(S.captureFilter, L"Video Capture");
  if (FAILED(hr)) {
    ReportError("Couldn't add capture filter to graph!  hr=0x%x", hr);
    return hr;
  }
  hr = S.builder->RenderStream(nullptr, &MEDIATYPE_Video, S.captureFilter, nullptr, nullptr);
  if (FAILED(hr)) {
    ReportError("Couldn't render preview stream.  The device may already be in use.\r\n\r\nhr=0x%x", hr);
    return hr;
  }
  hr = SetupVideoWindow();
  if (FAILED(hr)) {
    ReportError("Couldn't initialize video window!  hr=0x%x", hr);
    return hr;
  }
  // A graph still on its way to running (S_FALSE) runs as well.
  hr = S.control->Run();
  if (FAILED(hr)) {
    ReportError("Couldn't run the graph!  hr=0x%x", hr);
    return hr;
  }
  return S_OK;
}

HRESULT TestCaptureDevice(const wchar_t* name) {
  HRESULT hr = OpenSessionGraph();
  if (FAILED(hr)) return hr;
  if (!S.captureFilter) hr = FindCaptureDevice(&S.captureFilter, name);
  if (SUCCEEDED(hr)) hr = RenderTestPreview();
  TYVCAP_CloseCapture();
  return hr;
}

// The grabber asks for RGB24 of the session's size; the platform converts.
HRESULT ConfigureGrabber() {
  VIDEOINFOHEADER vih = {};
  vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  vih.bmiHeader.biWidth = S.format.width;
  vih.bmiHeader.biHeight = S.format.height;
  vih.bmiHeader.biPlanes = 1;
  vih.bmiHeader.biBitCount = static_cast<WORD>(S.format.bitCount);
  AM_MEDIA_TYPE mt = {};
  mt.majortype = MEDIATYPE_Video;
  mt.subtype = MEDIASUBTYPE_RGB24;
  mt.formattype = FORMAT_VideoInfo;
  mt.cbFormat = sizeof vih;
  mt.pbFormat = reinterpret_cast<BYTE*>(&vih);
  HRESULT hr = S.grabber->SetMediaType(&mt);
  if (SUCCEEDED(hr)) hr = S.grabber->SetOneShot(FALSE);
  if (FAILED(hr)) ReportError("Couldn't configure sample grabber!  hr=0x%x", hr);
  hr = S.grabber->SetCallback(CaptureCallback(), 0);
  if (FAILED(hr)) ReportError("Couldn't set sample grabber callback!  hr=0x%x", hr);
  return hr;
}

// Capture filter and grabber into the graph, the grabber configured.
HRESULT AddCaptureAndGrabber() {
  HRESULT hr = AddFresh(S.captureFilter, L"Video Capture");
  if (FAILED(hr)) return Fail("Couldn't add capture filter to graph!  hr=0x%x", hr);
  if (!S.grabber) {
    hr = S.grabberFilter->QueryInterface(IID_ISampleGrabber, reinterpret_cast<void**>(&S.grabber));
    if (FAILED(hr)) return Fail("Failed ISampleGrabber!  hr=0x%x", hr);
  }
  hr = AddFresh(S.grabberFilter, L"SampleGrabber");
  if (FAILED(hr)) return Fail("Couldn't add sample grabber to graph!  hr=0x%x", hr);
  ConfigureGrabber();
  return S_OK;
}

// Reads the capture pin's format, asks for the size kept in "tyvcap.ini" and
// takes the device's own size back when the driver refuses it.
HRESULT TakeDeviceFormat() {
  AM_MEDIA_TYPE* mt = nullptr;
  if (FAILED(S.streamConfig->GetFormat(&mt)) || !mt) return S_OK;
  HRESULT hr = S_OK;
  if (mt->formattype == FORMAT_DvInfo) {
    S.format = VideoFormatInfo{720, 576, 24};
    S.frameRate = 25;
  } else if (mt->formattype == FORMAT_VideoInfo && mt->pbFormat && mt->cbFormat >= sizeof(VIDEOINFOHEADER)) {
    auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
    S.format = VideoFormatInfo{vih->bmiHeader.biWidth, vih->bmiHeader.biHeight, vih->bmiHeader.biBitCount};
    S.frameDuration = vih->AvgTimePerFrame ? vih->AvgTimePerFrame : 1000000;
    S.frameRate = 10000000.0 / static_cast<double>(S.frameDuration);
    const LONG nativeWidth = vih->bmiHeader.biWidth, nativeHeight = vih->bmiHeader.biHeight;
    long x = 1, y = 1;
    ReadIniInt(S.iniPath, S.iniSection, "XSize", &x, 1);
    ReadIniInt(S.iniPath, S.iniSection, "YSize", &y, 1);
    S.format.width = vih->bmiHeader.biWidth = static_cast<LONG>(x);
    S.format.height = vih->bmiHeader.biHeight = static_cast<LONG>(y);
    if (FAILED(S.streamConfig->SetFormat(mt))) {
      S.format.width = vih->bmiHeader.biWidth = nativeWidth;
      S.format.height = vih->bmiHeader.biHeight = nativeHeight;
      S.streamConfig->SetFormat(mt);
    }
  } else {
    S.format = VideoFormatInfo{};
    S.frameRate = 0;
    hr = VFW_E_INVALIDMEDIATYPE;
  }
  FreeMediaType(mt);
  return hr;
}

HRESULT ShowPropertyFrame(IUnknown* object, HWND owner, const wchar_t* caption) {
  ISpecifyPropertyPages* specify = nullptr;
  HRESULT hr = object->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify));
  if (FAILED(hr)) return hr;
  CAUUID pages = {};
  hr = specify->GetPages(&pages);
  if (SUCCEEDED(hr)) {
    hr = OleCreatePropertyFrame(owner, 30, 30, caption, 1, &object, pages.cElems, pages.pElems, 0, 0, nullptr);
    CoTaskMemFree(pages.pElems);
  }
  specify->Release();
  return hr;
}

// The older driver model brings its own format dialog.
bool ShowVfwFormatDialog() {
  if (!S.vfwDialogs)
    S.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, S.captureFilter, IID_IAMVfwCaptureDialogs,
                             reinterpret_cast<void**>(&S.vfwDialogs));
  if (!S.vfwDialogs) return false;
  S.vfwDialogs->ShowDialog(VfwCaptureDialog_Format, g_displayWnd);
  return true;
}

HRESULT FindStreamConfig() {
  return S.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, S.captureFilter, IID_IAMStreamConfig,
                                  reinterpret_cast<void**>(&S.streamConfig));
}

void TearDownDownstream(IBaseFilter* filter) {
  IEnumPins* pins = nullptr;
  if (FAILED(filter->EnumPins(&pins))) return;
  IPin* pin = nullptr;
  while (pins->Next(1, &pin, nullptr) == S_OK) {
    IPin* peer = nullptr;
    if (SUCCEEDED(pin->ConnectedTo(&peer)) && peer) {
      PIN_INFO info = {};
      if (SUCCEEDED(peer->QueryPinInfo(&info))) {
        if (info.dir == PINDIR_INPUT) {
          TearDownDownstream(info.pFilter);
          S.graph->Disconnect(peer);
          S.graph->Disconnect(pin);
          S.graph->RemoveFilter(info.pFilter);
        }
        if (info.pFilter) info.pFilter->Release();
      }
      peer->Release();
    }
    pin->Release();
  }
  pins->Release();
}

// The recording's end of the graph: the AVI multiplexer, fully interleaved,
// writing through our stream sink into the file.
HRESULT OpenAviFile(const wchar_t* file) {
  IBaseFilter* sink = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_AviDest, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                reinterpret_cast<void**>(&S.mux));
  if (SUCCEEDED(hr)) {
    IConfigInterleaving* interleaving = nullptr;
    if (SUCCEEDED(S.mux->QueryInterface(IID_IConfigInterleaving, reinterpret_cast<void**>(&interleaving)))) {
      interleaving->put_Mode(INTERLEAVE_FULL);
      interleaving->Release();
    }
    hr = S.graph->AddFilter(S.mux, L"AVI Mux");
  }
  if (SUCCEEDED(hr)) hr = CreateStreamSink(&sink);
  if (SUCCEEDED(hr)) hr = sink->QueryInterface(IID_IFileSinkFilter, reinterpret_cast<void**>(&S.fileSink));
  if (SUCCEEDED(hr)) hr = S.fileSink->SetFileName(file, nullptr);
  if (SUCCEEDED(hr)) hr = S.graph->AddFilter(sink, L"File Writer");
  if (SUCCEEDED(hr)) hr = ConnectFilters(S.graph, S.mux, sink);
  if (FAILED(hr)) {
    // Nothing of a file that cannot be had stays in the graph.
    if (sink) S.graph->RemoveFilter(sink);
    if (S.mux) S.graph->RemoveFilter(S.mux);
    SafeRelease(S.fileSink);
    SafeRelease(S.mux);
  }
  SafeRelease(sink);
  return hr;
}

// The grabber hands on the samples of its upstream allocator without
// telling the pin after it (so on this platform); a multiplexer that is never
// told cannot start. Telling it again what it would have been told is harmless.
void ShareGrabberAllocator() {
  IPin* in = nullptr;
  IPin* out = nullptr;
  IPin* next = nullptr;
  IMemInputPin* grabberInput = nullptr;
  IMemInputPin* nextInput = nullptr;
  IMemAllocator* allocator = nullptr;
  if (SUCCEEDED(S.builder->FindPin(S.grabberFilter, PINDIR_INPUT, nullptr, nullptr, FALSE, 0, &in)) &&
      SUCCEEDED(S.builder->FindPin(S.grabberFilter, PINDIR_OUTPUT, nullptr, nullptr, FALSE, 0, &out)) &&
      SUCCEEDED(out->ConnectedTo(&next)) &&
      SUCCEEDED(in->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&grabberInput))) &&
      SUCCEEDED(next->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&nextInput))) &&
      SUCCEEDED(grabberInput->GetAllocator(&allocator)))
    nextInput->NotifyAllocator(allocator, FALSE);
  SafeRelease(allocator);
  SafeRelease(nextInput);
  SafeRelease(grabberInput);
  SafeRelease(next);
  SafeRelease(out);
  SafeRelease(in);
}

// Every filter stopped, also those a failed start left paused, so the graph
// can let go of them.
void StopEveryFilter() {
  IEnumFilters* filters = nullptr;
  if (!S.graph || FAILED(S.graph->EnumFilters(&filters))) return;
  IBaseFilter* filter = nullptr;
  while (filters->Next(1, &filter, nullptr) == S_OK) {
    filter->Stop();
    filter->Release();
  }
  filters->Release();
}

}  // namespace

HRESULT FitVideoWindow() {
  if (!S.videoWindow || !g_displayWnd) return S_OK;
  RECT rc;
  GetClientRect(g_displayWnd, &rc);
  return S.videoWindow->SetWindowPosition(0, 0, rc.right, rc.bottom);
}

// The graph stops its filters from the file end upstream, and this
// platform's multiplexer neither locks nor refuses a sample that arrives
// after it completed its file: a frame the camera's thread was already
// handing over would reach a released stream. A stopped capture filter has
// no thread left, so it goes first while a recording runs.
static HRESULT StopGraph() {
  if (!S.control) return S_OK;
  if (S.recording && S.captureFilter) S.captureFilter->Stop();
  return S.control->Stop();
}

HRESULT SetPreviewRunning(int run) {
  if (!S.control) return S_OK;
  if (!run) {
    StopGraph();
    S.graphState = 0;
    return S_OK;
  }
  if (S.graphState == 2) return S_OK;
  HRESULT hr = S.control->Run();
  S.graphState = 2;
  return hr;
}

void TearDownCaptureGraph() {
  if (S.captureFilter && S.graph) TearDownDownstream(S.captureFilter);
}

HRESULT EndRecording() {
  SetPreviewRunning(0);   // the multiplexer completes the file here
  StopEveryFilter();
  S.recording = false;
  SafeRelease(S.mux);
  SafeRelease(S.fileSink);
  TearDownCaptureGraph();
  HRESULT hr = BuildPreviewGraph();
  if (FAILED(hr)) return Fail("Preview nicht möglich !  hr=0x%x", hr);
  SetPreviewRunning(1);
  return S_OK;
}

HRESULT BuildPreviewGraph() {
  if (!S.captureFilter) return kNoCaptureFilter;
  HRESULT hr = FindStreamConfig();
  if (FAILED(hr)) return Fail("Couldn't get stream config.  hr=0x%x", hr);
  ResetFrameHandoff(false);
  hr = TakeDeviceFormat();
  SafeRelease(S.streamConfig);
  if (FAILED(hr)) return Fail("Couldn't get video format informations!  hr=0x%x", hr);
  hr = AddCaptureAndGrabber();
  if (FAILED(hr)) return hr;

  hr = S.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, S.captureFilter, S.grabberFilter, nullptr);
  S.grabberInGraph = SUCCEEDED(hr);
  if (FAILED(hr)) {
    // A live picture without frames for the getters is still worth having.
    HRESULT removed = S.graph->RemoveFilter(S.grabberFilter);
    if (FAILED(removed)) ReportError("Couldn't remove filter. hr=0x%x", removed);
    hr = S.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, S.captureFilter, nullptr, nullptr);
    if (FAILED(hr))
      return Fail("Couldn't render preview stream.  The device may already be in use.\r\n\r\nhr=0x%x", hr);
  } else {
    TakeGrabberGeometry(S.grabber);
  }
  hr = SetupVideoWindow();
  if (FAILED(hr)) {
    ReportError("Couldn't initialize video window!  hr=0x%x", hr);
    return hr;
  }
  hr = S.control->Run();
  if (FAILED(hr)) return Fail("Couldn't run the graph!  hr=0x%x", hr);
  S.graphState = 2;
  return S_OK;
}

}  // namespace tyvcap

using namespace tyvcap;

extern "C" {

int TYVCAP_CALL TYVCAP_EnumCaptureDevices(wchar_t** names) {
  EnsureCom();
  int rows = 0, length = 0;
  WideTableShape(names, &rows, &length);
  const int limit = rows > 0 && rows < 20 ? rows : 20;
  IEnumMoniker* monikers = VideoInputDevices();
  if (!monikers) return 0;
  int count = 0;
  IMoniker* moniker = nullptr;
  while (count < limit && monikers->Next(1, &moniker, nullptr) == S_OK) {
    VARIANT v;
    if (ReadFriendlyName(moniker, &v) && TestCaptureDevice(v.bstrVal) == S_OK && names) {
      wchar_t* row = names[count];
      if (length > 0) {
        wcsncpy(row, v.bstrVal, static_cast<size_t>(length) - 1);
        row[length - 1] = 0;
      } else {
        wcscpy(row, v.bstrVal);
      }
      ++count;
    }
    VariantClear(&v);
    moniker->Release();
  }
  monikers->Release();
  return count;
}

HRESULT TYVCAP_CALL TYVCAP_InitCapture(const wchar_t* deviceFriendlyName, const char* iniDirectory) {
  EnsureCom();
  GlyphStrip();
  if (S.seeking) TYVCAP_CloseCapture();   // a decoding session gives way
  HRESULT hr = OpenSessionGraph();
  if (FAILED(hr)) return hr;
  if (!S.captureFilter) {
    hr = FindCaptureDevice(&S.captureFilter, deviceFriendlyName ? deviceFriendlyName : L"");
    if (FAILED(hr)) return Fail("Cant't find valid source!  hr=0x%x", hr);
  }
  ResetFrameHandoff(true);
  snprintf(S.iniPath, sizeof S.iniPath, "%s\\tyvcap.ini", iniDirectory ? iniDirectory : ".");
  S.iniSection[0] = 0;
  if (deviceFriendlyName)
    WideCharToMultiByte(CP_ACP, 0, deviceFriendlyName, -1, S.iniSection, sizeof S.iniSection - 1, nullptr, nullptr);
  S.iniSection[sizeof S.iniSection - 1] = 0;
  return BuildPreviewGraph();
}

void TYVCAP_CALL TYVCAP_GetVideoInfo(int* width, int* height, int* bitCount) {
  if (width) *width = S.format.width;
  if (height) *height = S.format.height;
  if (bitCount) *bitCount = S.format.bitCount;
}

int TYVCAP_CALL TYVCAP_IsCrossbar(void) {
  if (!S.captureFilter || !S.builder) return 0;
  IAMCrossbar* crossbar = nullptr;
  if (FAILED(S.builder->FindInterface(&LOOK_UPSTREAM_ONLY, nullptr, S.captureFilter, IID_IAMCrossbar,
                                      reinterpret_cast<void**>(&crossbar))) ||
      !crossbar)
    return 0;
  crossbar->Release();
  return 1;
}

HRESULT TYVCAP_CALL TYVCAP_SetupVideoformat(HWND owner, const wchar_t* caption) {
  if (!S.captureFilter || !S.builder) return kNoCaptureFilter;
  if (ShowVfwFormatDialog()) return S_OK;
  const bool wasRecording = S.recording;
  if (wasRecording) return VFW_E_WRONG_STATE;   // the format of a running file stays
  SetPreviewRunning(0);
  TearDownCaptureGraph();
  HRESULT hr = FindStreamConfig();
  if (FAILED(hr)) return Fail("Capturefilter ist weg !  hr=0x%x", hr);
  ShowPropertyFrame(S.streamConfig, owner, caption);
  AM_MEDIA_TYPE* mt = nullptr;
  hr = S.streamConfig->GetFormat(&mt);
  if (FAILED(hr) || !mt) {
    ReportError("Eigenschaften nicht zu ermitteln !  hr=0x%x", hr);
  } else {
    if (mt->majortype == MEDIATYPE_Video && mt->formattype == FORMAT_VideoInfo && mt->pbFormat &&
        mt->cbFormat >= sizeof(VIDEOINFOHEADER)) {
      const BITMAPINFOHEADER& bih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader;
      S.format.width = bih.biWidth;
      S.format.height = bih.biHeight;
      WriteIniInt(S.iniPath, S.iniSection, "XSize", bih.biWidth);
      WriteIniInt(S.iniPath, S.iniSection, "YSize", bih.biHeight);
    }
    FreeMediaType(mt);
  }
  SafeRelease(S.streamConfig);
  hr = BuildPreviewGraph();
  if (FAILED(hr)) return Fail("Preview nicht möglich !  hr=0x%x", hr);
  SetPreviewRunning(1);
  return S_OK;
}

HRESULT TYVCAP_CALL TYVCAP_SetupVideoquali(HWND owner, const wchar_t* caption) {
  if (!S.captureFilter || !S.builder) return kNoCaptureFilter;
  if (ShowVfwFormatDialog()) return S_OK;
  return ShowPropertyFrame(S.captureFilter, owner, caption);
}

HRESULT TYVCAP_CALL TYVCAP_SetupCrossbar(HWND owner, const wchar_t* caption) {
  if (!S.captureFilter || !S.builder) return kNoCaptureFilter;
  IAMCrossbar* crossbar = nullptr;
  HRESULT hr = S.builder->FindInterface(&LOOK_UPSTREAM_ONLY, nullptr, S.captureFilter, IID_IAMCrossbar,
                                        reinterpret_cast<void**>(&crossbar));
  if (FAILED(hr) || !crossbar) {
    ReportError("Es gibt nur einen Videoeingang !", hr);
    return FAILED(hr) ? hr : E_NOINTERFACE;
  }
  hr = ShowPropertyFrame(crossbar, owner, caption);
  crossbar->Release();
  return hr;
}

HRESULT TYVCAP_CALL TYVCAP_CaptureVideo(int, const wchar_t* aviFileName) {
  if (!S.captureFilter || !S.graph) return kNoCaptureFilter;
  if (!aviFileName) return E_POINTER;
  SetPreviewRunning(0);
  SafeRelease(S.mux);
  SafeRelease(S.fileSink);
  TearDownCaptureGraph();

  HRESULT hr = OpenAviFile(aviFileName);
  if (FAILED(hr)) return Fail("Couldn't open capture file. hr=0x%x", hr);
  if (!S.droppedFrames)
    S.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, S.captureFilter, IID_IAMDroppedFrames,
                             reinterpret_cast<void**>(&S.droppedFrames));
  hr = AddCaptureAndGrabber();
  if (FAILED(hr)) return hr;
  S.builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video, S.captureFilter, nullptr, nullptr);
  hr = SetupVideoWindow();
  if (FAILED(hr)) ReportError("Couldn't initialize video window!  hr=0x%x", hr);
  hr = S.builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, S.captureFilter, S.grabberFilter, S.mux);
  if (FAILED(hr))
    return Fail("Couldn't render capture stream.  The device may already be in use.\r\n\r\nhr=0x%x", hr);
  S.grabberInGraph = true;
  ShareGrabberAllocator();
  TakeGrabberGeometry(S.grabber);
  EnterCriticalSection(&g_frames.lock);
  g_frames.counter.callbacks = 0;
  LeaveCriticalSection(&g_frames.lock);
  S.recording = true;
  S.startTime = timeGetTime();
  hr = S.control->Run();
  S.graphState = 2;
  if (FAILED(hr)) {
    // Nothing is recorded: say so, and give the live picture back.
    ReportError("Couldn't run the graph!  hr=0x%x", hr);
    TYVCAP_StopCapture();
    return hr;
  }
  return S_OK;
}

void TYVCAP_CALL TYVCAP_GetCaptureState(int* framesCaptured, int* framesDropped, DWORD* elapsedMs,
                                        int* callbackFrames, int* newFrame) {
  const DWORD elapsed = timeGetTime() - S.startTime;
  long dropped = 0, captured = 0;
  if (S.droppedFrames) {
    S.droppedFrames->GetNumDropped(&dropped);
    S.droppedFrames->GetNumNotDropped(&captured);
  } else {
    captured = static_cast<long>(elapsed * S.frameRate / 1000.0 + 0.5);
  }
  EnterCriticalSection(&g_frames.lock);
  const int callbacks = g_frames.counter.callbacks;
  const bool fresh = g_frames.counter.TakeNew();
  LeaveCriticalSection(&g_frames.lock);
  if (framesCaptured) *framesCaptured = captured;
  if (framesDropped) *framesDropped = dropped;
  if (elapsedMs) *elapsedMs = elapsed;
  if (callbackFrames) *callbackFrames = callbacks;
  if (newFrame) *newFrame = fresh;
}

HRESULT TYVCAP_CALL TYVCAP_RenameCapVideo(const wchar_t* newFileName) {
  if (!S.recording || !S.mux || !S.control) return VFW_E_WRONG_STATE;
  if (!newFileName) return E_POINTER;
  // Whatever fails, the old file is complete and the recording is over: the
  // live picture comes back, so the getters answer at once.
  auto endRecording = [](const char* text, HRESULT hr) {
    ReportError(text, hr);
    EndRecording();
    return hr;
  };
  HRESULT hr = StopGraph();   // the multiplexer completes the old file
  if (FAILED(hr)) return endRecording("Stop failed !  hr=0x%x", hr);
  StopEveryFilter();
  // A fresh multiplexer for the new file: the platform's keeps its index
  // across runs, which would spoil every part after the first.
  SafeRelease(S.mux);
  SafeRelease(S.fileSink);
  TearDownDownstream(S.grabberFilter);
  hr = OpenAviFile(newFileName);
  if (SUCCEEDED(hr)) hr = ConnectFilters(S.graph, S.grabberFilter, S.mux);
  if (FAILED(hr)) return endRecording("SetOutputFileName failed !  hr=0x%x", hr);
  ShareGrabberAllocator();
  hr = S.control->Run();
  if (FAILED(hr)) return endRecording("Run failed !  hr=0x%x", hr);
  return S_OK;   // also while the graph is still on its way to running
}

HRESULT TYVCAP_CALL TYVCAP_StopCapture(void) {
  if (!S.captureFilter) return kNoCaptureFilter;
  return EndRecording();
}

int TYVCAP_CALL TYVCAP_CloseCapture(void) {
  StopGraph();
  StopEveryFilter();
  S.graphState = 0;
  S.recording = false;
  S.grabberInGraph = false;
  if (S.events) S.events->SetNotifyWindow(0, kGraphNotify, 0);
  TearDownCaptureGraph();
  if (S.videoWindow) {
    S.videoWindow->put_Visible(OAFALSE);
    S.videoWindow->put_Owner(0);
  }
  // The multiplexer and the file writer go too, so an interrupted recording
  // still leaves a complete file behind.
  SafeRelease(S.mux);
  SafeRelease(S.fileSink);
  SafeRelease(S.vfwDialogs);
  int count = 0;
  auto release = [&count](auto*& p) {
    if (p) {
      count = static_cast<int>(p->Release());
      p = nullptr;
    }
  };
  release(S.grabberFilter);
  release(S.nullRenderer);
  release(S.graph);
  release(S.captureFilter);
  release(S.builder);
  release(S.droppedFrames);
  release(S.grabber);
  release(S.streamConfig);
  release(S.control);
  release(S.events);
  release(S.seeking);
  release(S.videoWindow);
  release(S.sourceFilter);
  S.decodeFrames = 0;
  S.decodeChunks = AviFrameChunks{};
  return count;
}

}  // extern "C"
