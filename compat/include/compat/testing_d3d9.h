// Test hooks of the Direct3D 9 part of the layer: make chosen device-creation
// rungs fail on the real path, and read which rungs were tried.
#pragma once

#include <d3d9.h>

#include <vector>

#include "compat/testing.h"

namespace compat::testing {

struct DeviceRung {
  D3DDEVTYPE type;
  DWORD behaviorFlags;
  bool operator==(const DeviceRung&) const = default;
};

// CreateDevice answers D3DERR_NOTAVAILABLE for these (type, flags) pairs.
void FailDeviceRungs(std::vector<DeviceRung> rungs);
// CreateDevice answers D3DERR_NOTAVAILABLE for every rung, as on a machine
// without usable GL.
void FailEveryDeviceRung(bool fail);
// Direct3DCreate9 returns null, as without a display adapter.
void FailDirect3DCreate(bool fail);
// The CreateDevice calls since the last call, oldest first.
std::vector<DeviceRung> TakeDeviceCreationAttempts();
// Clears every failure set above.
void ResetDeviceFailures();

// True where the device's context lacks glClipControl and its effects' vertex
// shaders map Direct3D's depth range themselves.
bool MapsDepthInVertexShaders(IDirect3DDevice9* device);

}  // namespace compat::testing
