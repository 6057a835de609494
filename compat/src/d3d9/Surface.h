// The device's default surfaces: the back buffer and the automatic
// depth-stencil buffer. Each holds a reference on its device.
// LockRect always fails; only the back buffer's pixels can be read, by
// D3DXSaveSurfaceToFileW. GetDesc reports the present parameters' formats
// and multisample type, whatever GL holds (RGBA8, D24S8, one sample).
#pragma once

#include <d3d9.h>

#include "common/LiveObjects.h"
#include "d3d9/ReadableSurface.h"

namespace compat::d3d9 {

class Device;

class Surface final : public RefCounted<IDirect3DSurface9>, public ReadableSurface {
 public:
  enum class Kind { BackBuffer, DepthStencil };
  Surface(Device* device, Kind kind, const D3DSURFACE_DESC& desc);

  Kind GetKind() const { return kind_; }

  HRESULT GetDevice(IDirect3DDevice9** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;
  bool ReadRgba(std::vector<std::uint8_t>& rgba, UINT& width, UINT& height) override;

 private:
  ~Surface() override;

  Device* device_;
  Kind kind_;
  D3DSURFACE_DESC desc_;
};

}  // namespace compat::d3d9
