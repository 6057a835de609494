// The Direct3D 9 object and the program's one rendering device, created for
// the application window through a ladder of device types and
// vertex-processing modes, with the render states all drawing relies on.
#pragma once

#include <d3d9.h>

class Direct3D9 {
 public:
  Direct3D9();
  virtual ~Direct3D9();
  Direct3D9(const Direct3D9&) = delete;
  Direct3D9& operator=(const Direct3D9&) = delete;

  // Creates the Direct3D object and the device for hwnd with a back buffer
  // of width x height, in the display's format unless `backBufferFormat`
  // names another (D3DFMT_A8R8G8B8 keeps the alpha that drawing leaves);
  // true at once when the device already exists.
  bool Initialize(HWND hwnd, int width, int height, D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN);

  IDirect3D9* direct3d;
  IDirect3DDevice9* device;
  D3DPRESENT_PARAMETERS presentParameters;
  D3DDEVTYPE deviceType;
  D3DDISPLAYMODE displayMode;
  D3DCAPS9 caps;
  IDirect3DSurface9* renderTarget;
  IDirect3DSurface9* depthStencil;
  D3DVIEWPORT9 viewport;
};
