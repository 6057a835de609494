#include "propviewer/WindowEx.h"

#include "common/RunOptions.h"
#include "render/DebugGeometry.h"
#include "render/ViewMatrices.h"

WindowEx::~WindowEx() {}

int WindowEx::OnCreate(HWND window, CREATESTRUCTW* createStruct) {
  direct3d9.Initialize(window, createStruct->cx, createStruct->cy);
  SetupDebugGeometry(direct3d9.device);
  // A fixed view until the camera steers it.
  const D3DXVECTOR3 eye(0.0f, 30.0f, -100.0f), lookAt(0.0f, 5.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&g_ViewMatrix, &eye, &lookAt, &up);
  D3DXMatrixPerspectiveFovLH(&g_ProjectionMatrix, D3DX_PI / 4.0f,
                             static_cast<float>(createStruct->cx) / static_cast<float>(createStruct->cy), 0.1f, 1000.0f);
  return 1;
}

void WindowEx::OnFrame() {
  // Without a device there is nothing to draw on; the frame still counts.
  if (IDirect3DDevice9* device = direct3d9.device) {
    if (SUCCEEDED(device->BeginScene())) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
      DrawGrid(100.0f);
      DrawAxes(50.0f);
      device->EndScene();
    }
    g_RunOptions.BeforePresent(device);
    device->Present(nullptr, nullptr, nullptr, nullptr);
  } else {
    g_RunOptions.BeforePresent(nullptr);
  }
  g_RunOptions.AfterPresent(hwnd);
}
