#include "platform/Direct3D9.h"

#include <cstring>

#include "platform/SafeRelease.h"

namespace {

struct Rung {
  bool readsType;  // the rung names its device type and reads its capabilities
  D3DDEVTYPE type;
  DWORD behaviorFlags;
};

// Hardware first, then the reference rasterizer with hardware and software
// vertex processing, then the pluggable software device.
constexpr Rung kLadder[] = {
    {true, D3DDEVTYPE_HAL, D3DCREATE_MIXED_VERTEXPROCESSING | D3DCREATE_MULTITHREADED},
    {true, D3DDEVTYPE_REF, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED},
    {false, D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED},
    {true, D3DDEVTYPE_SW, D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED},
};

}  // namespace

Direct3D9::Direct3D9()
    : direct3d(nullptr),
      device(nullptr),
      deviceType(D3DDEVTYPE_HAL),
      renderTarget(nullptr),
      depthStencil(nullptr) {
  std::memset(&presentParameters, 0, sizeof(presentParameters));
  std::memset(&displayMode, 0, sizeof(displayMode));
  std::memset(&caps, 0, sizeof(caps));
  std::memset(&viewport, 0, sizeof(viewport));
}

Direct3D9::~Direct3D9() {
  SafeRelease(depthStencil);
  SafeRelease(renderTarget);
  SafeRelease(device);
  SafeRelease(direct3d);
}

bool Direct3D9::Initialize(HWND hwnd, int width, int height, D3DFORMAT backBufferFormat) {
  if (device) return true;
  // The SDK version with the debug-information bit set.
  if (!direct3d) direct3d = Direct3DCreate9(0x80000000 | D3D_SDK_VERSION);
  if (!direct3d) return false;

  std::memset(&presentParameters, 0, sizeof(presentParameters));
  direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displayMode);
  presentParameters.BackBufferWidth = static_cast<UINT>(width);
  presentParameters.BackBufferHeight = static_cast<UINT>(height);
  presentParameters.BackBufferFormat = backBufferFormat == D3DFMT_UNKNOWN ? displayMode.Format : backBufferFormat;
  presentParameters.BackBufferCount = 1;
  presentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
  presentParameters.MultiSampleQuality = 0;
  presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  presentParameters.hDeviceWindow = hwnd;
  presentParameters.Windowed = TRUE;
  presentParameters.EnableAutoDepthStencil = TRUE;
  presentParameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  presentParameters.Flags = 0;
  presentParameters.FullScreen_RefreshRateInHz = 0;
  presentParameters.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

  for (const Rung& rung : kLadder) {
    if (rung.readsType) {
      deviceType = rung.type;
      direct3d->GetDeviceCaps(D3DADAPTER_DEFAULT, deviceType, &caps);
    }
    if (SUCCEEDED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, deviceType, hwnd, rung.behaviorFlags,
                                         &presentParameters, &device)))
      break;
    device = nullptr;
  }
  if (!device) {
    MessageBoxW(nullptr, L"DirectXが使えません、グラフィックボードを買い替えてください", nullptr, MB_ICONWARNING);
    return false;
  }

  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  device->SetRenderState(D3DRS_CLIPPING, TRUE);
  device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);

  device->GetRenderTarget(0, &renderTarget);
  device->GetDepthStencilSurface(&depthStencil);
  device->GetViewport(&viewport);
  return true;
}
