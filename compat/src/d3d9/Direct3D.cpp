// IDirect3D9: the default adapter's display mode and capabilities, and device
// creation. Device types: the hardware device takes the platform's GL as it
// is; the reference device asks for a software-rendered GL context; the
// pluggable software device is not registered on this platform and fails, as
// on Direct3D 9 without RegisterSoftwareDevice.
//
// One adapter; its display mode is SDL's desktop mode, always reported as
// D3DFMT_X8R8G8B8, and its capabilities are a fixed table. CreateDevice
// offers windowed devices only, checks that the behaviour flags name exactly
// one vertex-processing mode and ignores the other flags (PUREDEVICE,
// MULTITHREADED, FPU_PRESERVE...); the focus window serves only where
// hDeviceWindow is null. Direct3DCreate9 ignores the SDK version's debug bit.
#include <SDL.h>
#include <d3d9.h>

#include <algorithm>
#include <cstdio>

#include "common/LiveObjects.h"
#include "common/Trace.h"
#include "compat/testing_d3d9.h"
#include "d3d9/Device.h"
#include "win32/WindowTable.h"

namespace compat::d3d9 {

namespace {

struct Failures {
  std::vector<testing::DeviceRung> failingRungs;
  bool failEveryRung = false;
  bool failCreate = false;
  std::vector<testing::DeviceRung> attempts;
};

Failures& TestFailures() {
  static Failures failures;
  return failures;
}

bool ExactlyOneVertexProcessingMode(DWORD flags) {
  int modes = ((flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0) +
              ((flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0) +
              ((flags & D3DCREATE_MIXED_VERTEXPROCESSING) != 0);
  return modes == 1;
}

void FillCaps(D3DDEVTYPE type, D3DCAPS9& caps) {
  caps = {};
  caps.DeviceType = type;
  caps.AdapterOrdinal = 0;
  caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  caps.DevCaps = 0x00010000 | 0x00080000;  // hardware transform and lighting, hardware rasterization
  caps.PrimitiveMiscCaps = 0x00000010 | 0x00000020 | 0x00000040;  // cull none, CW, CCW
  caps.ZCmpCaps = caps.AlphaCmpCaps = 0xFF;
  caps.SrcBlendCaps = caps.DestBlendCaps = 0x1FFF;
  caps.TextureCaps = 0x00000001 | 0x00000004 | 0x00004000;  // perspective, alpha, mip maps
  caps.TextureFilterCaps = 0x03030300;
  caps.TextureAddressCaps = 0x1F;
  caps.MaxTextureWidth = caps.MaxTextureHeight = 8192;
  caps.MaxTextureRepeat = 8192;
  caps.MaxTextureAspectRatio = 8192;
  caps.MaxAnisotropy = 16;
  caps.MaxVertexW = 1e10f;
  caps.StencilCaps = 0x1FF;
  caps.MaxTextureBlendStages = 8;
  caps.MaxSimultaneousTextures = 8;
  caps.MaxPrimitiveCount = 0xFFFFFF;
  caps.MaxVertexIndex = 0xFFFFFF;
  caps.MaxStreams = 16;
  caps.MaxStreamStride = 255;
  caps.VertexShaderVersion = D3DVS_VERSION(3, 0);
  caps.MaxVertexShaderConst = 256;
  caps.PixelShaderVersion = D3DPS_VERSION(3, 0);
  caps.PixelShader1xMaxValue = 65504.0f;
  caps.NumberOfAdaptersInGroup = 1;
  caps.DeclTypes = 0x3FF;
  caps.NumSimultaneousRTs = 1;
  caps.MaxVShaderInstructionsExecuted = caps.MaxPShaderInstructionsExecuted = 65535;
  caps.MaxVertexShader30InstructionSlots = caps.MaxPixelShader30InstructionSlots = 32768;
}

class Direct3D final : public RefCounted<IDirect3D9> {
 public:
  UINT GetAdapterCount() override { return 1; }

  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
    if (adapter != D3DADAPTER_DEFAULT || !mode) return D3DERR_INVALIDCALL;
    SDL_DisplayMode desktop = {};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
      desktop.w = 1024;
      desktop.h = 768;
      desktop.refresh_rate = 60;
    }
    mode->Width = static_cast<UINT>(desktop.w);
    mode->Height = static_cast<UINT>(desktop.h);
    mode->RefreshRate = static_cast<UINT>(desktop.refresh_rate);
    mode->Format = D3DFMT_X8R8G8B8;
    return D3D_OK;
  }

  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override {
    if (adapter != D3DADAPTER_DEFAULT || !caps) return D3DERR_INVALIDCALL;
    if (type == D3DDEVTYPE_SW) return D3DERR_NOTAVAILABLE;
    if (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF) return D3DERR_INVALIDCALL;
    FillCaps(type, *caps);
    return D3D_OK;
  }

  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override {
    trace::Record("CreateDevice", type, behaviorFlags);
    Failures& failures = TestFailures();
    failures.attempts.push_back({type, behaviorFlags});
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!parameters || adapter != D3DADAPTER_DEFAULT || !ExactlyOneVertexProcessingMode(behaviorFlags))
      return D3DERR_INVALIDCALL;
    HWND window = parameters->hDeviceWindow ? parameters->hDeviceWindow : focusWindow;
    if (!IsWindow(window)) return D3DERR_INVALIDCALL;
    if (type == D3DDEVTYPE_SW) return D3DERR_NOTAVAILABLE;
    if (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF) return D3DERR_INVALIDCALL;
    if (!parameters->Windowed) return D3DERR_NOTAVAILABLE;  // full-screen modes are not offered
    if (failures.failEveryRung ||
        std::find(failures.failingRungs.begin(), failures.failingRungs.end(),
                  testing::DeviceRung{type, behaviorFlags}) != failures.failingRungs.end())
      return D3DERR_NOTAVAILABLE;

    // A windowed device takes the client size and the desktop format where
    // the parameters leave them open, and writes them back.
    RECT client = {};
    GetClientRect(window, &client);
    if (parameters->BackBufferWidth == 0) parameters->BackBufferWidth = static_cast<UINT>(client.right);
    if (parameters->BackBufferHeight == 0) parameters->BackBufferHeight = static_cast<UINT>(client.bottom);
    if (parameters->BackBufferFormat == D3DFMT_UNKNOWN) parameters->BackBufferFormat = D3DFMT_X8R8G8B8;
    if (parameters->BackBufferCount == 0) parameters->BackBufferCount = 1;
    if (parameters->hDeviceWindow == nullptr) parameters->hDeviceWindow = window;

    Device* created = Device::Create(this, type, window, behaviorFlags, *parameters);
    if (!created) return D3DERR_NOTAVAILABLE;
    *device = created;
    return D3D_OK;
  }
};

}  // namespace

}  // namespace compat::d3d9

IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
  using namespace compat::d3d9;
  if ((sdkVersion & 0x7FFFFFFF) != D3D_SDK_VERSION) return nullptr;
  if (TestFailures().failCreate || !compat::win32::EnsureVideo()) return nullptr;
  return new Direct3D();
}

namespace compat::testing {
void FailDeviceRungs(std::vector<DeviceRung> rungs) { d3d9::TestFailures().failingRungs = std::move(rungs); }
void FailEveryDeviceRung(bool fail) { d3d9::TestFailures().failEveryRung = fail; }
void FailDirect3DCreate(bool fail) { d3d9::TestFailures().failCreate = fail; }
std::vector<DeviceRung> TakeDeviceCreationAttempts() { return std::move(d3d9::TestFailures().attempts); }
void ResetDeviceFailures() {
  auto& failures = d3d9::TestFailures();
  failures.failingRungs.clear();
  failures.failEveryRung = false;
  failures.failCreate = false;
}
}  // namespace compat::testing
