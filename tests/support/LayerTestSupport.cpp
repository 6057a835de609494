#include "support/LayerTestSupport.h"

#include "d3d9/ReadableSurface.h"

namespace test_support {

HWND CreatePlainWindow(int clientWidth, int clientHeight, bool hidden) {
  static const bool registered = [] {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"TEST_PLAIN_WINDOW";
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
  RECT rect = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
  HWND hwnd = CreateWindowExW(0, L"TEST_PLAIN_WINDOW", L"test", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
  if (hwnd && !hidden) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

std::uint32_t Pixels::At(UINT x, UINT y) const {
  const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
  return static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[0]) << 16 |
         static_cast<std::uint32_t>(p[1]) << 8 | p[2];
}

Pixels ReadBackBuffer(IDirect3DDevice9* device) {
  Pixels pixels;
  IDirect3DSurface9* surface = nullptr;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface))) return pixels;
  if (auto* readable = dynamic_cast<compat::d3d9::ReadableSurface*>(surface))
    readable->ReadRgba(pixels.rgba, pixels.width, pixels.height);
  surface->Release();
  return pixels;
}

IDirect3DDevice9* CreateDevice(IDirect3D9* direct3d, HWND window, UINT width, UINT height) {
  D3DPRESENT_PARAMETERS parameters = {};
  parameters.BackBufferWidth = width;
  parameters.BackBufferHeight = height;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  parameters.Windowed = TRUE;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  IDirect3DDevice9* device = nullptr;
  direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                         &parameters, &device);
  return device;
}

}  // namespace test_support
