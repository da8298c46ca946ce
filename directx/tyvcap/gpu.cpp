// Direct3D 9: a device on a window, an empty blue frame, and the test
// whether the card could serve streaming computations.
#include <d3d9.h>

#include "gpurule.h"
#include "session.h"
#include "tyvcap.h"

namespace {
IDirect3D9* g_d3d = nullptr;
IDirect3DDevice9* g_device = nullptr;
}  // namespace

using namespace tyvcap;

extern "C" {

HRESULT TYVCAP_CALL TYVGPU_InitD3D(HWND window) {
  if (!g_d3d) g_d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!g_d3d) return E_FAIL;
  SafeRelease(g_device);
  D3DPRESENT_PARAMETERS pp = {};
  pp.Windowed = TRUE;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.BackBufferFormat = D3DFMT_UNKNOWN;
  if (FAILED(g_d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_MIXED_VERTEXPROCESSING, &pp,
                                 &g_device)))
    return E_FAIL;
  return S_OK;
}

int TYVCAP_CALL TYVGPU_Cleanup(void) {
  // The references are cleared too, so a second clean-up or a later render
  // finds nothing rather than a released object.
  int count = 0;
  if (g_device) count = static_cast<int>(g_device->Release());
  g_device = nullptr;
  if (g_d3d) count = static_cast<int>(g_d3d->Release());
  g_d3d = nullptr;
  return count;
}

HRESULT TYVCAP_CALL TYVGPU_Render(void) {
  if (!g_device) return E_FAIL;
  g_device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(0xFF, 0, 0, 0xFF), 1.0f, 0);
  if (SUCCEEDED(g_device->BeginScene())) g_device->EndScene();
  return g_device->Present(nullptr, nullptr, nullptr, nullptr);
}

int TYVCAP_CALL TYVGPU_GetStreamingCaps(int* maxStreams, int* pixelShaderVersion, int* vertexShaderVersion) {
  D3DCAPS9 caps;
  const bool ok = g_device && SUCCEEDED(g_device->GetDeviceCaps(&caps));
  if (maxStreams) *maxStreams = ok ? static_cast<int>(caps.MaxStreams) : 0;
  if (pixelShaderVersion) *pixelShaderVersion = ok ? static_cast<int>(caps.PixelShaderVersion & 0xFFFF) : 0;
  if (vertexShaderVersion) *vertexShaderVersion = ok ? static_cast<int>(caps.VertexShaderVersion & 0xFFFF) : 0;
  return ok;
}

int TYVCAP_CALL TYVGPU_CheckStreamingComputing(void) {
  int streams, ps, vs;
  return TYVGPU_GetStreamingCaps(&streams, &ps, &vs) && StreamingCapsSuffice(streams, ps, vs);
}

}  // extern "C"
