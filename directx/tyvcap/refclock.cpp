// The reference clock of the capture graph. The platform's system clock
// (Wine 8) sometimes misses the wake-up of its advise thread when the graph
// lets go of it: the last release of the graph then waits for that thread
// for ever. This clock keeps no thread of its own; its advises run on timer
// queue timers, which it deletes itself.
#include <new>

#include "session.h"

namespace tyvcap {
namespace {

class ReferenceClock : public IReferenceClock {
 public:
  ReferenceClock() {
    InitializeCriticalSection(&lock_);
    QueryPerformanceFrequency(&frequency_);
  }
  virtual ~ReferenceClock() {
    while (advises_) Delete(Take(advises_), true);
    DeleteCriticalSection(&lock_);
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IReferenceClock) {
      *object = static_cast<IReferenceClock*>(this);
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

  // 100 ns units from the performance counter, never going back.
  STDMETHODIMP GetTime(REFERENCE_TIME* time) override {
    if (!time) return E_POINTER;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const LONGLONG f = frequency_.QuadPart;
    *time = now.QuadPart / f * 10000000 + now.QuadPart % f * 10000000 / f;
    return S_OK;
  }

  STDMETHODIMP AdviseTime(REFERENCE_TIME base, REFERENCE_TIME stream, HEVENT event, DWORD_PTR* cookie) override {
    if (!cookie) return E_POINTER;
    if (!event || base + stream <= 0) return E_INVALIDARG;
    return Add(base + stream, 0, reinterpret_cast<HANDLE>(event), cookie);
  }
  STDMETHODIMP AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                              DWORD_PTR* cookie) override {
    if (!cookie) return E_POINTER;
    if (!semaphore || start <= 0 || period <= 0) return E_INVALIDARG;
    return Add(start, period, reinterpret_cast<HANDLE>(semaphore), cookie);
  }
  STDMETHODIMP Unadvise(DWORD_PTR cookie) override {
    EnterCriticalSection(&lock_);
    Advise** at = &advises_;
    while (*at && (*at)->cookie != cookie) at = &(*at)->next;
    Advise* advise = *at ? Take(*at) : nullptr;
    LeaveCriticalSection(&lock_);
    if (!advise) return S_FALSE;
    Delete(advise, true);
    return S_OK;
  }

 private:
  struct Advise {
    Advise* next = nullptr;
    DWORD_PTR cookie = 0;          // a serial number: a stale cookie never names a newer advise
    HANDLE timer = nullptr;
    HANDLE signal = nullptr;       // an event, or a semaphore for periodic advises
    bool periodic = false;
    volatile LONG fired = 0;       // a single advise that has signalled
  };

  static VOID CALLBACK Fire(PVOID context, BOOLEAN) {
    auto* advise = static_cast<Advise*>(context);
    if (advise->periodic) {
      ReleaseSemaphore(advise->signal, 1, nullptr);
    } else {
      SetEvent(advise->signal);
      InterlockedExchange(&advise->fired, 1);   // the last touch of the record
    }
  }

  static Advise* Take(Advise*& link) {
    Advise* advise = link;
    link = advise->next;
    return advise;
  }
  // wait: until a running callback has returned; a fired single advise has none left.
  static void Delete(Advise* advise, bool wait) {
    DeleteTimerQueueTimer(nullptr, advise->timer, wait ? INVALID_HANDLE_VALUE : nullptr);
    delete advise;
  }

  HRESULT Add(REFERENCE_TIME due, REFERENCE_TIME period, HANDLE signal, DWORD_PTR* cookie) {
    Advise* advise = new (std::nothrow) Advise;
    if (!advise) return E_OUTOFMEMORY;
    advise->signal = signal;
    advise->periodic = period > 0;
    REFERENCE_TIME now = 0;
    GetTime(&now);
    // Whole milliseconds, rounded up, so nothing signals early.
    const DWORD delay = due > now ? static_cast<DWORD>((due - now + 9999) / 10000) : 0;
    const DWORD every = period > 0 ? static_cast<DWORD>(period / 10000 > 0 ? period / 10000 : 1) : 0;
    if (!CreateTimerQueueTimer(&advise->timer, nullptr, Fire, advise, delay, every, WT_EXECUTEINTIMERTHREAD)) {
      delete advise;
      return E_OUTOFMEMORY;
    }
    EnterCriticalSection(&lock_);
    // Single advises that have signalled are done; their records go now.
    Advise* done = nullptr;
    for (Advise** at = &advises_; *at;) {
      if ((*at)->fired) {
        Advise* old = Take(*at);
        old->next = done;
        done = old;
      } else {
        at = &(*at)->next;
      }
    }
    advise->cookie = ++lastCookie_;
    advise->next = advises_;
    advises_ = advise;
    *cookie = advise->cookie;
    LeaveCriticalSection(&lock_);
    while (done) Delete(Take(done), false);
    return S_OK;
  }

  LONG refs_ = 1;
  CRITICAL_SECTION lock_;
  LARGE_INTEGER frequency_;
  Advise* advises_ = nullptr;
  DWORD_PTR lastCookie_ = 0;
};

}  // namespace

HRESULT CreateReferenceClock(IReferenceClock** clock) {
  if (!clock) return E_POINTER;
  *clock = new (std::nothrow) ReferenceClock();
  return *clock ? S_OK : E_OUTOFMEMORY;
}

}  // namespace tyvcap
