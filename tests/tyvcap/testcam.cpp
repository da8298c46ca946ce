// The test camera filter: one capture and one preview pin pushing numbered
// RGB24 frames at 50 frames per second while the graph runs.
#include <windows.h>
#include <dshow.h>

#include <cwchar>
#include <initializer_list>
#include <new>

#include "testcam.h"

namespace {

// {8E2A61C4-3B7D-4F19-A0C5-6D1E9B2F4A83}
const CLSID CLSID_TestCamera = {0x8e2a61c4, 0x3b7d, 0x4f19, {0xa0, 0xc5, 0x6d, 0x1e, 0x9b, 0x2f, 0x4a, 0x83}};

HMODULE g_module;
LONG g_objects;
// Whether the capture pin counts its frames (IAMDroppedFrames); real cameras differ.
bool g_countsFrames = true;
// Milliseconds the push thread stalls between filling a capture frame and
// handing it on, as on a busy machine.
volatile LONG g_stallMs = 0;

template <class T>
void SafeRelease(T*& p) {
  if (p) {
    p->Release();
    p = nullptr;
  }
}

void FreeType(AM_MEDIA_TYPE* mt) {
  if (mt->cbFormat) CoTaskMemFree(mt->pbFormat);
  mt->pbFormat = nullptr;
  mt->cbFormat = 0;
}

// An RGB24 type of the given size (the format block allocated with CoTaskMemAlloc).
HRESULT MakeType(int width, int height, AM_MEDIA_TYPE* mt) {
  *mt = AM_MEDIA_TYPE{};
  auto* vih = static_cast<VIDEOINFOHEADER*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
  if (!vih) return E_OUTOFMEMORY;
  *vih = VIDEOINFOHEADER{};
  vih->AvgTimePerFrame = testcam::kFrameDuration;
  vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  vih->bmiHeader.biWidth = width;
  vih->bmiHeader.biHeight = height;
  vih->bmiHeader.biPlanes = 1;
  vih->bmiHeader.biBitCount = 24;
  vih->bmiHeader.biSizeImage = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = MEDIASUBTYPE_RGB24;
  mt->formattype = FORMAT_VideoInfo;
  mt->bFixedSizeSamples = TRUE;
  mt->lSampleSize = vih->bmiHeader.biSizeImage;
  mt->cbFormat = sizeof(VIDEOINFOHEADER);
  mt->pbFormat = reinterpret_cast<BYTE*>(vih);
  return S_OK;
}

bool SupportedSize(int width, int height) {
  return (width == testcam::kNativeWidth && height == testcam::kNativeHeight) ||
         (width == testcam::kOddWidth && height == testcam::kOddHeight);
}

class Camera;

class TypeEnum : public IEnumMediaTypes {
 public:
  TypeEnum(int width, int height, ULONG position) : width_(width), height_(height), position_(position) {}
  virtual ~TypeEnum() = default;
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IEnumMediaTypes) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (!n) delete this;
    return n;
  }
  STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override {
    ULONG n = 0;
    if (count > 0 && position_ == 0) {
      types[0] = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
      if (!types[0] || FAILED(MakeType(width_, height_, types[0]))) return E_OUTOFMEMORY;
      n = position_ = 1;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    position_ += count;
    return position_ <= 1 ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumMediaTypes** out) override {
    *out = new TypeEnum(width_, height_, position_);
    return S_OK;
  }

 private:
  LONG refs_ = 1;
  int width_, height_;
  ULONG position_;
};

class CamPin : public IPin, public IAMStreamConfig, public IKsPropertySet, public IAMDroppedFrames {
 public:
  CamPin(Camera* camera, const wchar_t* name, const GUID& category) : camera_(camera), name_(name), category_(category) {}
  virtual ~CamPin() { Disconnect(); }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IPin)
      *object = static_cast<IPin*>(this);
    else if (riid == IID_IAMStreamConfig)
      *object = static_cast<IAMStreamConfig*>(this);
    else if (riid == IID_IKsPropertySet)
      *object = static_cast<IKsPropertySet*>(this);
    else if (riid == IID_IAMDroppedFrames && category_ == PIN_CATEGORY_CAPTURE && g_countsFrames)
      *object = static_cast<IAMDroppedFrames*>(this);
    else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IPin
  STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* wanted) override;
  STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
  STDMETHODIMP Disconnect() override {
    if (!peer_) return S_FALSE;
    SafeRelease(allocator_);
    SafeRelease(input_);
    SafeRelease(peer_);
    return S_OK;
  }
  STDMETHODIMP ConnectedTo(IPin** pin) override {
    *pin = peer_;
    if (!peer_) return VFW_E_NOT_CONNECTED;
    peer_->AddRef();
    return S_OK;
  }
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override {
    if (!peer_) {
      *mt = AM_MEDIA_TYPE{};
      return VFW_E_NOT_CONNECTED;
    }
    return MakeType(width_, height_, mt);
  }
  STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
  STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override {
    *dir = PINDIR_OUTPUT;
    return S_OK;
  }
  STDMETHODIMP QueryId(LPWSTR* id) override {
    const size_t bytes = (wcslen(name_) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    memcpy(*id, name_, bytes);
    return S_OK;
  }
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override { return Matches(mt) ? S_OK : S_FALSE; }
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** e) override {
    *e = new TypeEnum(width_, height_, 0);
    return S_OK;
  }
  STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
  STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
  STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }
  STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

  // IAMStreamConfig: the two sizes of the camera; others are refused.
  STDMETHODIMP SetFormat(AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP GetFormat(AM_MEDIA_TYPE** mt) override {
    *mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    return MakeType(width_, height_, *mt);
  }
  STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override {
    *count = 2;
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
  }
  STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) override {
    if (index < 0 || index > 1) return S_FALSE;
    *mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (caps) memset(caps, 0, sizeof(VIDEO_STREAM_CONFIG_CAPS));
    return index == 0 ? MakeType(testcam::kNativeWidth, testcam::kNativeHeight, *mt)
                      : MakeType(testcam::kOddWidth, testcam::kOddHeight, *mt);
  }

  // IKsPropertySet: only the pin category.
  STDMETHODIMP Set(REFGUID, DWORD, void*, DWORD, void*, DWORD) override { return E_PROP_ID_UNSUPPORTED; }
  STDMETHODIMP Get(REFGUID set, DWORD id, void*, DWORD, void* data, DWORD size, DWORD* returned) override {
    if (set != AMPROPSETID_Pin || id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (returned) *returned = sizeof(GUID);
    if (!data) return S_OK;
    if (size < sizeof(GUID)) return E_UNEXPECTED;
    *static_cast<GUID*>(data) = category_;
    return S_OK;
  }
  STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override {
    if (set != AMPROPSETID_Pin || id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (support) *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
  }

  // IAMDroppedFrames
  STDMETHODIMP GetNumDropped(long* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetNumNotDropped(long* n) override {
    *n = delivered_;
    return S_OK;
  }
  STDMETHODIMP GetDroppedInfo(long, long*, long*) override { return E_NOTIMPL; }
  STDMETHODIMP GetAverageFrameSize(long* n) override {
    *n = ((width_ * 3 + 3) & ~3) * height_;
    return S_OK;
  }

  HRESULT Commit() { return allocator_ ? allocator_->Commit() : S_OK; }
  void Decommit() {
    if (allocator_) allocator_->Decommit();
  }
  // Delivers frame `number`; `time` null for a preview sample without time stamps.
  void Deliver(int number, REFERENCE_TIME* time, bool discontinuity);
  bool Matches(const AM_MEDIA_TYPE* mt) const {
    if (!mt) return true;
    if (mt->majortype != GUID_NULL && mt->majortype != MEDIATYPE_Video) return false;
    if (mt->subtype != GUID_NULL && mt->subtype != MEDIASUBTYPE_RGB24) return false;
    if (mt->formattype != GUID_NULL && mt->formattype != FORMAT_VideoInfo) return false;
    return true;
  }
  volatile LONG delivered_ = 0;

 private:
  Camera* camera_;
  const wchar_t* name_;
  GUID category_;
  IPin* peer_ = nullptr;
  IMemInputPin* input_ = nullptr;
  IMemAllocator* allocator_ = nullptr;
  int width_ = testcam::kNativeWidth;
  int height_ = testcam::kNativeHeight;
};

class PinEnum : public IEnumPins {
 public:
  PinEnum(IBaseFilter* filter, IPin* const* pins, ULONG position) : filter_(filter), position_(position) {
    pins_[0] = pins[0];
    pins_[1] = pins[1];
    filter_->AddRef();
  }
  virtual ~PinEnum() { filter_->Release(); }
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IEnumPins) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (!n) delete this;
    return n;
  }
  STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override {
    ULONG n = 0;
    while (n < count && position_ < 2) {
      pins[n] = pins_[position_++];
      pins[n++]->AddRef();
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    position_ += count;
    return position_ <= 2 ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumPins** out) override {
    *out = new PinEnum(filter_, pins_, position_);
    return S_OK;
  }

 private:
  LONG refs_ = 1;
  IBaseFilter* filter_;
  IPin* pins_[2];
  ULONG position_;
};

class Camera : public IBaseFilter, public IAMFilterMiscFlags {
 public:
  Camera()
      : capture_(this, L"Capture", PIN_CATEGORY_CAPTURE), preview_(this, L"Preview", PIN_CATEGORY_PREVIEW) {
    InitializeCriticalSection(&lock_);
    InterlockedIncrement(&g_objects);
  }
  virtual ~Camera() {
    Stop();
    DeleteCriticalSection(&lock_);
    InterlockedDecrement(&g_objects);
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter || riid == IID_IBaseFilter)
      *object = static_cast<IBaseFilter*>(this);
    else if (riid == IID_IAMFilterMiscFlags)
      *object = static_cast<IAMFilterMiscFlags*>(this);
    else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (!n) delete this;
    return n;
  }
  STDMETHODIMP_(ULONG) GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    *clsid = CLSID_TestCamera;
    return S_OK;
  }
  STDMETHODIMP Stop() override {
    EnterCriticalSection(&lock_);
    state_ = State_Stopped;
    HANDLE thread = thread_;
    thread_ = nullptr;
    capture_.Decommit();
    preview_.Decommit();
    LeaveCriticalSection(&lock_);
    if (thread) {
      WaitForSingleObject(thread, INFINITE);
      CloseHandle(thread);
    }
    return S_OK;
  }
  STDMETHODIMP Pause() override {
    EnterCriticalSection(&lock_);
    HRESULT hr = S_OK;
    if (state_ == State_Stopped) {
      hr = capture_.Commit();
      if (SUCCEEDED(hr)) hr = preview_.Commit();
      if (SUCCEEDED(hr)) {
        runs_ = 0;
        thread_ = CreateThread(nullptr, 0, Push, this, 0, nullptr);
      }
    }
    if (SUCCEEDED(hr)) state_ = State_Paused;
    LeaveCriticalSection(&lock_);
    return SUCCEEDED(hr) ? VFW_S_CANT_CUE : hr;
  }
  STDMETHODIMP Run(REFERENCE_TIME) override {
    if (state_ == State_Stopped) Pause();
    EnterCriticalSection(&lock_);
    state_ = State_Running;
    ++runs_;
    LeaveCriticalSection(&lock_);
    return S_OK;
  }
  STDMETHODIMP GetState(DWORD, FILTER_STATE* state) override {
    *state = state_;
    return state_ == State_Paused ? VFW_S_CANT_CUE : S_OK;
  }
  STDMETHODIMP SetSyncSource(IReferenceClock*) override { return S_OK; }
  STDMETHODIMP GetSyncSource(IReferenceClock** clock) override {
    *clock = nullptr;
    return S_OK;
  }
  STDMETHODIMP EnumPins(IEnumPins** e) override {
    IPin* pins[2] = {&capture_, &preview_};
    *e = new PinEnum(this, pins, 0);
    return S_OK;
  }
  STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override {
    *pin = wcscmp(id, L"Capture") == 0 ? static_cast<IPin*>(&capture_)
           : wcscmp(id, L"Preview") == 0 ? static_cast<IPin*>(&preview_)
                                          : nullptr;
    if (!*pin) return VFW_E_NOT_FOUND;
    (*pin)->AddRef();
    return S_OK;
  }
  STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override {
    wcsncpy(info->achName, name_, MAX_FILTER_NAME - 1);
    info->achName[MAX_FILTER_NAME - 1] = 0;
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
  }
  STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override {
    graph_ = graph;
    wcsncpy(name_, name ? name : L"", MAX_FILTER_NAME - 1);
    return S_OK;
  }
  STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

  FILTER_STATE state() const { return state_; }
  bool stopped() const { return state_ == State_Stopped; }

 private:
  static DWORD WINAPI Push(void* self) {
    static_cast<Camera*>(self)->PushLoop();
    return 0;
  }
  void PushLoop() {
    int seenRuns = 0;
    DWORD runStart = 0;
    int index = 0;   // frames since this run started
    for (;;) {
      EnterCriticalSection(&lock_);
      const FILTER_STATE state = state_;
      const int runs = runs_;
      LeaveCriticalSection(&lock_);
      if (state == State_Stopped) return;
      if (state != State_Running) {
        Sleep(2);
        continue;
      }
      if (runs != seenRuns) {
        seenRuns = runs;
        runStart = timeGetTime();
        index = 0;
      }
      const DWORD due = runStart + static_cast<DWORD>(index * testcam::kFrameDuration / 10000);
      const DWORD now = timeGetTime();
      if (static_cast<LONG>(due - now) > 0) {
        Sleep(due - now);
        continue;
      }
      REFERENCE_TIME times[2] = {index * testcam::kFrameDuration, (index + 1) * testcam::kFrameDuration};
      capture_.Deliver(number_, times, index == 0);
      preview_.Deliver(number_, nullptr, index == 0);
      ++number_;
      ++index;
    }
  }

  LONG refs_ = 1;
  CRITICAL_SECTION lock_;
  FILTER_STATE state_ = State_Stopped;
  HANDLE thread_ = nullptr;
  int runs_ = 0;
  int number_ = 0;   // frame number, over the filter's life
  IFilterGraph* graph_ = nullptr;
  wchar_t name_[MAX_FILTER_NAME] = {};
  CamPin capture_;
  CamPin preview_;

  friend class CamPin;
};

STDMETHODIMP_(ULONG) CamPin::AddRef() { return camera_->AddRef(); }
STDMETHODIMP_(ULONG) CamPin::Release() { return camera_->Release(); }

STDMETHODIMP CamPin::QueryPinInfo(PIN_INFO* info) {
  info->pFilter = camera_;
  camera_->AddRef();
  info->dir = PINDIR_OUTPUT;
  wcsncpy(info->achName, name_, MAX_PIN_NAME - 1);
  info->achName[MAX_PIN_NAME - 1] = 0;
  return S_OK;
}

STDMETHODIMP CamPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* wanted) {
  if (!receiver) return E_POINTER;
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  if (!camera_->stopped()) return VFW_E_NOT_STOPPED;
  if (!Matches(wanted)) return VFW_E_TYPE_NOT_ACCEPTED;
  AM_MEDIA_TYPE mt;
  HRESULT hr = MakeType(width_, height_, &mt);
  if (FAILED(hr)) return hr;
  hr = receiver->ReceiveConnection(this, &mt);
  if (FAILED(hr)) {
    FreeType(&mt);
    return VFW_E_NO_ACCEPTABLE_TYPES;
  }
  hr = receiver->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&input_));
  if (SUCCEEDED(hr) && FAILED(input_->GetAllocator(&allocator_)))
    hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                          reinterpret_cast<void**>(&allocator_));
  if (SUCCEEDED(hr)) {
    ALLOCATOR_PROPERTIES want = {3, static_cast<long>(mt.lSampleSize), 1, 0}, got;
    hr = allocator_->SetProperties(&want, &got);
  }
  if (SUCCEEDED(hr)) hr = input_->NotifyAllocator(allocator_, FALSE);
  FreeType(&mt);
  if (FAILED(hr)) {
    SafeRelease(allocator_);
    SafeRelease(input_);
    receiver->Disconnect();
    return hr;
  }
  peer_ = receiver;
  peer_->AddRef();
  return S_OK;
}

STDMETHODIMP CamPin::SetFormat(AM_MEDIA_TYPE* mt) {
  if (!mt || mt->formattype != FORMAT_VideoInfo || !mt->pbFormat || mt->cbFormat < sizeof(VIDEOINFOHEADER))
    return E_INVALIDARG;
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  const BITMAPINFOHEADER& bih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader;
  if (!SupportedSize(bih.biWidth, bih.biHeight)) return E_INVALIDARG;
  // Both pins share the camera's one size.
  for (CamPin* pin : {&camera_->capture_, &camera_->preview_}) {
    pin->width_ = bih.biWidth;
    pin->height_ = bih.biHeight;
  }
  return S_OK;
}

void CamPin::Deliver(int number, REFERENCE_TIME* time, bool discontinuity) {
  if (!peer_ || !allocator_ || !input_) return;
  IMediaSample* sample = nullptr;
  if (FAILED(allocator_->GetBuffer(&sample, nullptr, nullptr, 0))) return;
  BYTE* bits = nullptr;
  sample->GetPointer(&bits);
  const int stride = (width_ * 3 + 3) & ~3;
  for (int y = 0; y < height_; ++y) {
    BYTE* row = bits + y * stride;
    for (int x = 0; x < width_; ++x) {
      row[3 * x] = testcam::Blue(number);
      row[3 * x + 1] = static_cast<BYTE>(x & 255);
      row[3 * x + 2] = static_cast<BYTE>(y & 255);
    }
    for (int p = width_ * 3; p < stride; ++p) row[p] = 0;
  }
  sample->SetActualDataLength(stride * height_);
  sample->SetTime(time, time ? time + 1 : nullptr);
  sample->SetSyncPoint(TRUE);
  sample->SetDiscontinuity(discontinuity);
  if (category_ == PIN_CATEGORY_CAPTURE && g_stallMs > 0) Sleep(static_cast<DWORD>(g_stallMs));
  if (input_->Receive(sample) == S_OK) InterlockedIncrement(&delivered_);
  sample->Release();
}

class Factory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    Camera* camera = new (std::nothrow) Camera();
    if (!camera) return E_OUTOFMEMORY;
    HRESULT hr = camera->QueryInterface(riid, object);
    camera->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

const wchar_t kClsidKey[] = L"CLSID\\{8E2A61C4-3B7D-4F19-A0C5-6D1E9B2F4A83}";

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (clsid != CLSID_TestCamera) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, object);
}

extern "C" void WINAPI TestCameraCountsFrames(BOOL on) { g_countsFrames = on != FALSE; }

extern "C" void WINAPI TestCameraStall(DWORD ms) { InterlockedExchange(&g_stallMs, static_cast<LONG>(ms)); }

extern "C" HRESULT WINAPI DllCanUnloadNow() { return g_objects ? S_FALSE : S_OK; }

extern "C" HRESULT WINAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(g_module, path, MAX_PATH);
  HKEY key;
  wchar_t server[128];
  swprintf(server, 128, L"%ls\\InprocServer32", kClsidKey);
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, server, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return E_FAIL;
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                 static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
  RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Both"), sizeof L"Both");
  RegCloseKey(key);

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IFilterMapper2* mapper = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                reinterpret_cast<void**>(&mapper));
  if (SUCCEEDED(hr)) {
    REGFILTER2 rf = {};
    rf.dwVersion = 1;
    rf.dwMerit = MERIT_DO_NOT_USE;
    hr = mapper->RegisterFilter(CLSID_TestCamera, testcam::kFriendlyName, nullptr, &CLSID_VideoInputDeviceCategory,
                                testcam::kFriendlyName, &rf);
    mapper->Release();
  }
  return hr;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IFilterMapper2* mapper = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                 reinterpret_cast<void**>(&mapper)))) {
    mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, testcam::kFriendlyName, CLSID_TestCamera);
    mapper->Release();
  }
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey);
  return S_OK;
}
