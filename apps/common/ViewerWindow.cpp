#include "common/ViewerWindow.h"

#include <cmath>

#include "common/RunOptions.h"
#include "render/DebugGeometry.h"
#include "render/ViewMatrices.h"

namespace {

// The debug camera's start: looking at a point 5 units above the origin from
// 100 units in front of it and 30 above.
const D3DXVECTOR3 kCameraTarget(0.0f, 5.0f, 0.0f);
const D3DXVECTOR3 kCameraEye(0.0f, 30.0f, -100.0f);
constexpr float kOrbitSpeed = 0.02f;  // radians per mouse count
constexpr float kPanSpeed = 0.2f;     // units per mouse count
constexpr float kZoomSpeed = 1.0f;    // units per wheel step
constexpr float kFieldOfView = D3DX_PI / 4;
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 1000.0f;
constexpr float kGridSize = 100.0f;
constexpr float kAxesLength = 50.0f;
constexpr D3DCOLOR kBackground = 0xFF000000;

// Moves `object` by `move` and, while it moves, turns it to face that way: a
// model whose front faces -Z looks along the walk. Standing still keeps the
// last heading.
void WalkAlong(Object3D& object, const D3DXVECTOR3& move) {
  object.position.x += move.x;
  object.position.y += move.y;
  object.position.z += move.z;
  if (D3DXVec3Length(&move) > 0.0f)
    D3DXMatrixRotationYawPitchRoll(&object.rotation, std::atan2(-move.x, -move.z), 0.0f, 0.0f);
}

}  // namespace

int ViewerWindow::OnCreate(HWND window, CREATESTRUCTW* createStruct) {
  direct3d9.Initialize(window, createStruct->cx, createStruct->cy);
  if (SUCCEEDED(DirectInput8Create(GetModuleHandleW(NULL), DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                   reinterpret_cast<void**>(&input.directInput), NULL))) {
    input.Initialize(window);
  }
  SetupDebugGeometry(direct3d9.device);
  LoadEffects();
  camera.Setup(kCameraTarget, kCameraEye);
  // The aspect of the outer window size, which is the back buffer's.
  D3DXMatrixPerspectiveFovLH(&camera.projection, kFieldOfView,
                             static_cast<float>(createStruct->cx) / static_cast<float>(createStruct->cy), kNearPlane,
                             kFarPlane);
  g_ProjectionMatrix = camera.projection;
  CreateModel();
  return 1;
}

// Clears to black, draws the floor grid, the axes and then the model, and
// presents; presents even when the scene cannot begin. Without a device there
// is nothing to draw on, but the frame still counts for --frames.
void ViewerWindow::OnFrame() {
  input.Update();
  camera.Update(input, kOrbitSpeed, kPanSpeed, kZoomSpeed);
  g_ViewMatrix = camera.view;
  WalkAlong(Walker(), GetMoveDirection(input, camera));
  AdvanceModel();

  IDirect3DDevice9* device = direct3d9.device;
  if (device && SUCCEEDED(device->BeginScene())) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kBackground, 1.0f, 0);
    DrawGrid(kGridSize);
    DrawAxes(kAxesLength);
    DrawModel();
    device->EndScene();
  }
  g_RunOptions.BeforePresent(device);
  if (device) device->Present(nullptr, nullptr, nullptr, nullptr);
  g_RunOptions.AfterPresent(hwnd);
}
