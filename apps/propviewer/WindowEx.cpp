#include "propviewer/WindowEx.h"

#include "common/RunOptions.h"

WindowEx::~WindowEx() {}

int WindowEx::OnCreate(HWND window, CREATESTRUCTW* createStruct) {
  direct3d9.Initialize(window, createStruct->cx, createStruct->cy);
  return 1;
}

void WindowEx::OnFrame() {
  // Without a device there is nothing to draw on; the frame still counts.
  if (IDirect3DDevice9* device = direct3d9.device) {
    if (SUCCEEDED(device->BeginScene())) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
      device->EndScene();
    }
    g_RunOptions.BeforePresent(device);
    device->Present(nullptr, nullptr, nullptr, nullptr);
  } else {
    g_RunOptions.BeforePresent(nullptr);
  }
  g_RunOptions.AfterPresent(hwnd);
}
