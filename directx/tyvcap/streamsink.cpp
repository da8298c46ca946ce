// A sink filter that writes its input stream into a file. The AVI
// multiplexer writes through the IStream of the pin it is connected to, so
// our input pin offers IStream (Write and Seek on the file) besides IPin;
// samples that arrive through IMemInputPin carry their byte offset as time.
// The file stays open after the graph stops, because the multiplexer writes
// its index and headers while it stops, after its downstream filters did.
#include <cwchar>
#include <string>

#include "session.h"

namespace tyvcap {
namespace {

// {5C9F5B2E-7A51-4E0B-9D53-2F2B6E4C8A17}
const CLSID CLSID_TyvcapStreamSink = {0x5c9f5b2e, 0x7a51, 0x4e0b, {0x9d, 0x53, 0x2f, 0x2b, 0x6e, 0x4c, 0x8a, 0x17}};

class StreamSink;

class SinkPin : public IPin, public IStream, public IMemInputPin {
 public:
  explicit SinkPin(StreamSink* filter) : filter_(filter) {}
  virtual ~SinkPin() { SafeRelease(peer_); }

  // IUnknown: the pin lives inside its filter and shares its count.
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IPin
  STDMETHODIMP Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
  STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP Disconnect() override;
  STDMETHODIMP ConnectedTo(IPin** pin) override {
    if (!pin) return E_POINTER;
    *pin = peer_;
    if (!peer_) return VFW_E_NOT_CONNECTED;
    peer_->AddRef();
    return S_OK;
  }
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override {
    if (!mt) return E_POINTER;
    *mt = AM_MEDIA_TYPE{};
    if (!peer_) return VFW_E_NOT_CONNECTED;
    mt->majortype = MEDIATYPE_Stream;
    mt->subtype = subtype_;
    mt->bFixedSizeSamples = TRUE;
    mt->lSampleSize = 1;
    return S_OK;
  }
  STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
  STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override {
    if (!dir) return E_POINTER;
    *dir = PINDIR_INPUT;
    return S_OK;
  }
  STDMETHODIMP QueryId(LPWSTR* id) override {
    if (!id) return E_POINTER;
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof L"in"));
    if (!*id) return E_OUTOFMEMORY;
    wcscpy(*id, L"in");
    return S_OK;
  }
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override {
    return mt && mt->majortype == MEDIATYPE_Stream ? S_OK : S_FALSE;
  }
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
  STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  STDMETHODIMP EndOfStream() override;
  STDMETHODIMP BeginFlush() override { return S_OK; }
  STDMETHODIMP EndFlush() override { return S_OK; }
  STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

  // ISequentialStream / IStream on the file
  STDMETHODIMP Read(void* data, ULONG bytes, ULONG* read) override;
  STDMETHODIMP Write(const void* data, ULONG bytes, ULONG* written) override;
  STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
  STDMETHODIMP SetSize(ULARGE_INTEGER size) override;
  STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP Commit(DWORD) override;
  STDMETHODIMP Revert() override { return E_NOTIMPL; }
  STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  STDMETHODIMP Stat(STATSTG* stat, DWORD) override;
  STDMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }

  // IMemInputPin: the upstream pin brings its own allocator.
  STDMETHODIMP GetAllocator(IMemAllocator**) override { return VFW_E_NO_ALLOCATOR; }
  STDMETHODIMP NotifyAllocator(IMemAllocator*, BOOL) override { return S_OK; }
  STDMETHODIMP GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override {
    if (!props) return E_POINTER;
    *props = ALLOCATOR_PROPERTIES{1, 1, 1, 0};   // any buffers, byte aligned
    return S_OK;
  }
  STDMETHODIMP Receive(IMediaSample* sample) override;
  STDMETHODIMP ReceiveMultiple(IMediaSample** samples, long count, long* done) override {
    long n = 0;
    HRESULT hr = S_OK;
    while (n < count && (hr = Receive(samples[n])) == S_OK) ++n;
    if (done) *done = n;
    return hr;
  }
  STDMETHODIMP ReceiveCanBlock() override { return S_FALSE; }

 private:
  StreamSink* filter_;
  IPin* peer_ = nullptr;
  GUID subtype_ = GUID_NULL;
};

class StreamSink : public IBaseFilter, public IFileSinkFilter {
 public:
  StreamSink() : pin_(this) { InitializeCriticalSection(&lock_); }
  virtual ~StreamSink() {
    CloseFile();
    SafeRelease(clock_);
    DeleteCriticalSection(&lock_);
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter || riid == IID_IBaseFilter)
      *object = static_cast<IBaseFilter*>(this);
    else if (riid == IID_IFileSinkFilter)
      *object = static_cast<IFileSinkFilter*>(this);
    else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }

  // IPersist / IMediaFilter
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_TyvcapStreamSink;
    return S_OK;
  }
  STDMETHODIMP Stop() override {
    EnterCriticalSection(&lock_);
    state_ = State_Stopped;
    LeaveCriticalSection(&lock_);
    return S_OK;
  }
  STDMETHODIMP Pause() override { return Start(State_Paused); }
  STDMETHODIMP Run(REFERENCE_TIME) override { return Start(State_Running); }
  STDMETHODIMP GetState(DWORD, FILTER_STATE* state) override {
    if (!state) return E_POINTER;
    *state = state_;
    return S_OK;
  }
  STDMETHODIMP SetSyncSource(IReferenceClock* clock) override {
    EnterCriticalSection(&lock_);
    if (clock) clock->AddRef();
    SafeRelease(clock_);
    clock_ = clock;
    LeaveCriticalSection(&lock_);
    return S_OK;
  }
  STDMETHODIMP GetSyncSource(IReferenceClock** clock) override {
    if (!clock) return E_POINTER;
    *clock = clock_;
    if (clock_) clock_->AddRef();
    return S_OK;
  }

  // IBaseFilter
  STDMETHODIMP EnumPins(IEnumPins** pins) override;
  STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override {
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    if (wcscmp(id, L"in") != 0) return VFW_E_NOT_FOUND;
    *pin = &pin_;
    pin_.AddRef();
    return S_OK;
  }
  STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override {
    if (!info) return E_POINTER;
    wcsncpy(info->achName, name_.c_str(), MAX_FILTER_NAME - 1);
    info->achName[MAX_FILTER_NAME - 1] = 0;
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
  }
  STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override {
    graph_ = graph;   // not counted: the graph owns us
    name_ = name ? name : L"";
    return S_OK;
  }
  STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

  // IFileSinkFilter. The file is made here, so a place that cannot be
  // written fails before the graph runs: a graph whose start failed half-way
  // cannot be released on this platform.
  STDMETHODIMP SetFileName(LPCOLESTR name, const AM_MEDIA_TYPE*) override {
    if (!name) return E_POINTER;
    EnterCriticalSection(&lock_);
    CloseFile();
    fileName_ = name;
    const HRESULT hr = OpenedFile() == INVALID_HANDLE_VALUE ? HRESULT_FROM_WIN32(GetLastError()) : S_OK;
    LeaveCriticalSection(&lock_);
    return hr;
  }
  STDMETHODIMP GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE* mt) override {
    if (!name) return E_POINTER;
    const size_t bytes = (fileName_.size() + 1) * sizeof(wchar_t);
    *name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!*name) return E_OUTOFMEMORY;
    memcpy(*name, fileName_.c_str(), bytes);
    if (mt) *mt = AM_MEDIA_TYPE{};
    return S_OK;
  }

  // File access for the pin, under the filter's lock.
  HANDLE OpenedFile() {
    if (file_ == INVALID_HANDLE_VALUE && !fileName_.empty())
      file_ = CreateFileW(fileName_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return file_;
  }
  void CloseFile() {
    if (file_ != INVALID_HANDLE_VALUE) {
      CloseHandle(file_);
      file_ = INVALID_HANDLE_VALUE;
    }
  }
  void NotifyComplete() {
    IMediaEventSink* sink = nullptr;
    if (graph_ && SUCCEEDED(graph_->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)))) {
      sink->Notify(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
      sink->Release();
    }
  }
  CRITICAL_SECTION lock_;
  IFilterGraph* graph_ = nullptr;
  std::wstring name_;

 private:
  HRESULT Start(FILTER_STATE state) {
    EnterCriticalSection(&lock_);
    HRESULT hr = S_OK;
    // An empty file for each start from stopped; the multiplexer writes it anew.
    if (state_ == State_Stopped) {
      HANDLE file = OpenedFile();
      LARGE_INTEGER zero = {};
      if (file == INVALID_HANDLE_VALUE || !SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) || !SetEndOfFile(file))
        hr = HRESULT_FROM_WIN32(GetLastError());
    }
    if (SUCCEEDED(hr)) state_ = state;
    LeaveCriticalSection(&lock_);
    return hr;
  }

  LONG refs_ = 1;
  SinkPin pin_;
  FILTER_STATE state_ = State_Stopped;
  IReferenceClock* clock_ = nullptr;
  std::wstring fileName_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

// The filter's one pin, enumerated.
class PinEnum : public IEnumPins {
 public:
  PinEnum(IBaseFilter* filter, IPin* pin, ULONG position) : filter_(filter), pin_(pin), position_(position) {
    filter_->AddRef();
  }
  virtual ~PinEnum() { filter_->Release(); }
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
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
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }
  STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override {
    if (!pins) return E_POINTER;
    ULONG n = 0;
    if (count > 0 && position_ == 0) {
      pins[0] = pin_;
      pin_->AddRef();
      position_ = n = 1;
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
  STDMETHODIMP Clone(IEnumPins** out) override {
    if (!out) return E_POINTER;
    *out = new PinEnum(filter_, pin_, position_);
    return S_OK;
  }

 private:
  LONG refs_ = 1;
  IBaseFilter* filter_;
  IPin* pin_;
  ULONG position_;
};

STDMETHODIMP StreamSink::EnumPins(IEnumPins** pins) {
  if (!pins) return E_POINTER;
  *pins = new PinEnum(this, &pin_, 0);
  return S_OK;
}

STDMETHODIMP SinkPin::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IPin)
    *object = static_cast<IPin*>(this);
  else if (riid == IID_IStream || riid == IID_ISequentialStream)
    *object = static_cast<IStream*>(this);
  else if (riid == IID_IMemInputPin)
    *object = static_cast<IMemInputPin*>(this);
  else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}
STDMETHODIMP_(ULONG) SinkPin::AddRef() { return filter_->AddRef(); }
STDMETHODIMP_(ULONG) SinkPin::Release() { return filter_->Release(); }

STDMETHODIMP SinkPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
  if (!connector || !mt) return E_POINTER;
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  if (mt->majortype != MEDIATYPE_Stream) return VFW_E_TYPE_NOT_ACCEPTED;
  peer_ = connector;
  peer_->AddRef();
  subtype_ = mt->subtype;
  return S_OK;
}

STDMETHODIMP SinkPin::Disconnect() {
  if (!peer_) return S_FALSE;
  SafeRelease(peer_);
  return S_OK;
}

STDMETHODIMP SinkPin::QueryPinInfo(PIN_INFO* info) {
  if (!info) return E_POINTER;
  info->pFilter = static_cast<IBaseFilter*>(filter_);
  info->pFilter->AddRef();
  info->dir = PINDIR_INPUT;
  wcscpy(info->achName, L"in");
  return S_OK;
}

STDMETHODIMP SinkPin::EndOfStream() {
  // A renderer reports the end of its stream itself.
  filter_->NotifyComplete();
  return S_OK;
}

STDMETHODIMP SinkPin::Receive(IMediaSample* sample) {
  if (!sample) return E_POINTER;
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  REFERENCE_TIME start = 0, stop = 0;
  if (sample->GetTime(&start, &stop) == S_OK) {
    LARGE_INTEGER at;
    at.QuadPart = start;
    hr = Seek(at, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
  }
  const long length = sample->GetActualDataLength();
  return length > 0 ? Write(data, static_cast<ULONG>(length), nullptr) : S_OK;
}

STDMETHODIMP SinkPin::Read(void* data, ULONG bytes, ULONG* read) {
  EnterCriticalSection(&filter_->lock_);
  DWORD n = 0;
  HANDLE file = filter_->OpenedFile();
  const BOOL ok = file != INVALID_HANDLE_VALUE && ReadFile(file, data, bytes, &n, nullptr);
  LeaveCriticalSection(&filter_->lock_);
  if (read) *read = n;
  return ok ? (n == bytes ? S_OK : S_FALSE) : STG_E_READFAULT;
}

STDMETHODIMP SinkPin::Write(const void* data, ULONG bytes, ULONG* written) {
  EnterCriticalSection(&filter_->lock_);
  DWORD n = 0;
  HANDLE file = filter_->OpenedFile();
  const BOOL ok = file != INVALID_HANDLE_VALUE && WriteFile(file, data, bytes, &n, nullptr);
  LeaveCriticalSection(&filter_->lock_);
  if (written) *written = n;
  return ok && n == bytes ? S_OK : STG_E_WRITEFAULT;
}

STDMETHODIMP SinkPin::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
  static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
  EnterCriticalSection(&filter_->lock_);
  LARGE_INTEGER now = {};
  HANDLE file = filter_->OpenedFile();
  const BOOL ok = file != INVALID_HANDLE_VALUE && SetFilePointerEx(file, move, &now, kMethods[origin]);
  LeaveCriticalSection(&filter_->lock_);
  if (position) position->QuadPart = static_cast<ULONGLONG>(now.QuadPart);
  return ok ? S_OK : STG_E_SEEKERROR;
}

STDMETHODIMP SinkPin::SetSize(ULARGE_INTEGER size) {
  EnterCriticalSection(&filter_->lock_);
  HANDLE file = filter_->OpenedFile();
  BOOL ok = FALSE;
  LARGE_INTEGER here = {}, zero = {}, target;
  target.QuadPart = static_cast<LONGLONG>(size.QuadPart);
  if (file != INVALID_HANDLE_VALUE && SetFilePointerEx(file, zero, &here, FILE_CURRENT) &&
      SetFilePointerEx(file, target, nullptr, FILE_BEGIN)) {
    ok = SetEndOfFile(file);
    SetFilePointerEx(file, here, nullptr, FILE_BEGIN);
  }
  LeaveCriticalSection(&filter_->lock_);
  return ok ? S_OK : STG_E_MEDIUMFULL;
}

STDMETHODIMP SinkPin::Commit(DWORD) {
  EnterCriticalSection(&filter_->lock_);
  HANDLE file = filter_->OpenedFile();
  if (file != INVALID_HANDLE_VALUE) FlushFileBuffers(file);
  LeaveCriticalSection(&filter_->lock_);
  return S_OK;
}

STDMETHODIMP SinkPin::Stat(STATSTG* stat, DWORD) {
  if (!stat) return E_POINTER;
  *stat = STATSTG{};
  stat->type = STGTY_STREAM;
  EnterCriticalSection(&filter_->lock_);
  HANDLE file = filter_->OpenedFile();
  LARGE_INTEGER size = {};
  if (file != INVALID_HANDLE_VALUE) GetFileSizeEx(file, &size);
  LeaveCriticalSection(&filter_->lock_);
  stat->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
  return S_OK;
}

}  // namespace

HRESULT CreateStreamSink(IBaseFilter** filter) {
  if (!filter) return E_POINTER;
  *filter = new (std::nothrow) StreamSink();
  return *filter ? S_OK : E_OUTOFMEMORY;
}

}  // namespace tyvcap
