#include "d3d9/Surface.h"

#include "d3d9/Device.h"

namespace compat::d3d9 {

Surface::Surface(Device* device, Kind kind, const D3DSURFACE_DESC& desc) : device_(device), kind_(kind), desc_(desc) {
  device_->AddRef();
}

Surface::~Surface() {
  device_->SurfaceGone(this);
  device_->Release();
}

HRESULT Surface::GetDevice(IDirect3DDevice9** device) {
  if (!device) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *device = device_;
  return D3D_OK;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return D3D_OK;
}

// The back buffer was not created lockable, and depth-stencil formats of
// type D24S8 cannot be locked, as on Direct3D 9.
HRESULT Surface::LockRect(D3DLOCKED_RECT*, const RECT*, DWORD) { return D3DERR_INVALIDCALL; }
HRESULT Surface::UnlockRect() { return D3DERR_INVALIDCALL; }

bool Surface::ReadRgba(std::vector<std::uint8_t>& rgba, UINT& width, UINT& height) {
  if (kind_ != Kind::BackBuffer) return false;
  return device_->ReadBackBuffer(rgba, width, height);
}

}  // namespace compat::d3d9
