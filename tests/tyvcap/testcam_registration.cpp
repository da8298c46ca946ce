#include "testcam.h"

namespace testcam {
namespace {

HMODULE Fixture() {
  static HMODULE module = LoadLibraryA("tyvtestcam.dll");
  return module;
}

bool CallExport(const char* name) {
  HMODULE m = Fixture();
  if (!m) return false;
  using Fn = HRESULT(WINAPI*)();
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
  return fn && SUCCEEDED(fn());
}

}  // namespace

bool Register() { return CallExport("DllRegisterServer"); }

void CountFrames(bool on) {
  using Fn = void(WINAPI*)(BOOL);
  if (auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(Fixture(), "TestCameraCountsFrames"))))
    fn(on);
}
void StallDelivery(int ms) {
  using Fn = void(WINAPI*)(DWORD);
  if (auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(Fixture(), "TestCameraStall"))))
    fn(static_cast<DWORD>(ms));
}

void Unregister() { CallExport("DllUnregisterServer"); }

}  // namespace testcam
