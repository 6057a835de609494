// What both viewers do every frame once the model is placed: walk it, then
// draw and present the picture.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <cmath>

#include "common/RunOptions.h"
#include "model/Object3D.h"
#include "render/DebugGeometry.h"

// Moves `object` by `move` and, while it moves, turns it to face that way: a
// model whose front faces -Z looks along the walk. Standing still keeps the
// last heading.
inline void WalkAlong(Object3D& object, const D3DXVECTOR3& move) {
  object.position.x += move.x;
  object.position.y += move.y;
  object.position.z += move.z;
  if (D3DXVec3Length(&move) > 0.0f)
    D3DXMatrixRotationYawPitchRoll(&object.rotation, std::atan2(-move.x, -move.z), 0.0f, 0.0f);
}

// Clears to black, draws the floor grid, the axes and then the model, and
// presents; presents even when the scene cannot begin. Without a device there
// is nothing to draw on, but the frame still counts for --frames.
template <class DrawModel>
void DrawSceneFrame(IDirect3DDevice9* device, HWND window, DrawModel drawModel) {
  if (device) {
    if (SUCCEEDED(device->BeginScene())) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
      DrawGrid(100.0f);
      DrawAxes(50.0f);
      drawModel();
      device->EndScene();
    }
  }
  g_RunOptions.BeforePresent(device);
  if (device) device->Present(nullptr, nullptr, nullptr, nullptr);
  g_RunOptions.AfterPresent(window);
}
