// What the D3DX side of the layer needs of a device: its GL context, and the
// program that the current effect pass draws with.
#pragma once

#include <d3d9.h>
#include <epoxy/gl.h>

#include <string_view>

#include "d3d9/AttributeLocations.h"

namespace compat::d3d9 {

class Device;

// The layer's device behind an interface pointer; null for anything else.
Device* LayerDevice(IDirect3DDevice9* device);

// False when the context cannot be made current (its window is gone).
bool MakeCurrent(Device& device);

// Whether the current context takes Direct3D's clip-space depth (0 to 1)
// from glClipControl (OpenGL 4.5 or GL_ARB_clip_control). Without it the
// device leaves GL's -1 to 1 in place and every vertex shader maps its
// depth (z' = 2z - w) before clipping.
bool ClipControlAvailable();

// The program the next draws use; 0 when no effect pass is open, in which
// case draws fail (there is no fixed-function pipeline to fall back on).
void UseProgram(Device& device, GLuint program);

}  // namespace compat::d3d9
