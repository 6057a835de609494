#include "propviewer/WindowEx.h"

#include "common/RunOptions.h"
#include "render/DebugGeometry.h"
#include "render/Effect.h"
#include "render/ViewMatrices.h"
#include "xfile/ModelLoading.h"

WindowEx::~WindowEx() {}

int WindowEx::OnCreate(HWND window, CREATESTRUCTW* createStruct) {
  direct3d9.Initialize(window, createStruct->cx, createStruct->cy);
  if (SUCCEEDED(DirectInput8Create(GetModuleHandleW(NULL), 0x0800, IID_IDirectInput8W,
                                   reinterpret_cast<void**>(&input.directInput), NULL))) {
    input.Initialize(window);
  }
  SetupDebugGeometry(direct3d9.device);
  LoadEffect(direct3d9.device, L"mesh.cfx");
  camera.Setup(D3DXVECTOR3(0.0f, 5.0f, 0.0f), D3DXVECTOR3(0.0f, 30.0f, -100.0f));
  // Single-precision pi/4; the aspect of the outer window size, which is the back buffer's.
  D3DXMatrixPerspectiveFovLH(&camera.projection, 0.7853981852531433f,
                             static_cast<float>(createStruct->cx) / static_cast<float>(createStruct->cy),
                             0.1f, 1000.0f);
  g_ProjectionMatrix = camera.projection;
  LoadModel(direct3d9.device);
  return 1;
}

void WindowEx::OnFrame() {
  input.Update();
  camera.Update(input, 0.02f, 0.2f, 1.0f);
  g_ViewMatrix = camera.view;
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
