// IDirect3DTexture9 in the managed pool: each level's memory (top row first,
// as Direct3D lays out surfaces) plus a GL texture that UnlockRect refreshes.
// GL row 0 is memory row 0, so texture coordinate v = 0 samples the top.
// Every format reaches GL as RGBA8 (DXT levels are decoded on the CPU; the
// alpha of X8R8G8B8 reads as 1). Accepted but ignored: LockRect flags (a
// rectangle only offsets the pointer; the whole level is uploaded again),
// usage (D3DUSAGE_AUTOGENMIPMAP included) and pool, kept for GetLevelDesc.
#pragma once

#include <d3d9.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "common/LiveObjects.h"
#include "d3d9/DeviceChild.h"
#include "d3d9/ReadableSurface.h"

namespace compat::d3d9 {

class Texture final : public RefCounted<IDirect3DTexture9>, public DeviceChild {
 public:
  // `levels` 0 makes the full chain. The format must be supported.
  Texture(Device& device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  HRESULT GetDevice(IDirect3DDevice9** device) override { return GetDeviceInterface(device); }
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  GLuint Name() const { return name_; }
  // Level memory as rows of 8-bit RGBA, top row first.
  bool ReadLevelRgba(UINT level, std::vector<std::uint8_t>& rgba, UINT& width, UINT& height) const;

 private:
  struct Level {
    UINT width, height;
    std::vector<std::uint8_t> bytes;
    int locks = 0;
  };

  void UploadLevel(UINT level);  // context current
  void DeleteGLObjects() override;

  std::vector<Level> levels_;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
  GLuint name_ = 0;
};

// A level of a texture as a surface; it keeps its texture alive.
class TextureSurface final : public RefCounted<IDirect3DSurface9>, public ReadableSurface {
 public:
  TextureSurface(Texture* texture, UINT level) : texture_(texture), level_(level) { texture_->AddRef(); }
  ~TextureSurface() override { texture_->Release(); }

  HRESULT GetDevice(IDirect3DDevice9** device) override { return texture_->GetDevice(device); }
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override { return texture_->GetLevelDesc(level_, desc); }
  HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override {
    return texture_->LockRect(level_, lockedRect, rect, flags);
  }
  HRESULT UnlockRect() override { return texture_->UnlockRect(level_); }
  bool ReadRgba(std::vector<std::uint8_t>& rgba, UINT& width, UINT& height) override {
    return texture_->ReadLevelRgba(level_, rgba, width, height);
  }

 private:
  Texture* texture_;  // one reference
  UINT level_;
};

}  // namespace compat::d3d9
