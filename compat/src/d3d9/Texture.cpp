#include "d3d9/Texture.h"

#include "common/Trace.h"
#include "d3d9/Device.h"
#include "d3d9/PixelFormats.h"

namespace compat::d3d9 {

Texture::Texture(Device& device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                 D3DPOOL pool)
    : DeviceChild(device), usage_(usage), format_(format), pool_(pool) {
  UINT full = FullMipCount(width, height);
  UINT count = levels == 0 || levels > full ? full : levels;
  for (UINT level = 0; level < count; ++level) {
    UINT w = MipSize(width, level), h = MipSize(height, level);
    levels_.push_back({w, h, std::vector<std::uint8_t>(LevelSize(format, w, h)), 0});
  }
  glGenTextures(1, &name_);
  glActiveTexture(GL_TEXTURE0 + kUploadTextureUnit);
  glBindTexture(GL_TEXTURE_2D, name_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(count - 1));
  if (format == D3DFMT_X8R8G8B8) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, 0);
  for (UINT level = 0; level < count; ++level) UploadLevel(level);
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (!desc || level >= levels_.size()) return D3DERR_INVALIDCALL;
  *desc = {format_,
           D3DRTYPE_SURFACE,
           usage_,
           pool_,
           D3DMULTISAMPLE_NONE,
           0,
           levels_[level].width,
           levels_[level].height};
  return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  *surface = new TextureSurface(this, level);
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
  trace::Record("IDirect3DTexture9::LockRect", level, flags);
  if (!lockedRect || level >= levels_.size()) return D3DERR_INVALIDCALL;
  Level& l = levels_[level];
  UINT pitch = RowPitch(format_, l.width);
  std::size_t offset = 0;
  if (rect) {
    bool blocks = IsBlockCompressed(format_);
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        static_cast<UINT>(rect->right) > l.width || static_cast<UINT>(rect->bottom) > l.height ||
        (blocks && (rect->left % 4 || rect->top % 4)))
      return D3DERR_INVALIDCALL;
    UINT row = blocks ? static_cast<UINT>(rect->top) / 4 : static_cast<UINT>(rect->top);
    UINT column = blocks ? static_cast<UINT>(rect->left) / 4 * (format_ == D3DFMT_DXT1 ? 8 : 16)
                         : static_cast<UINT>(rect->left) * 4;
    offset = static_cast<std::size_t>(row) * pitch + column;
  }
  ++l.locks;
  lockedRect->Pitch = static_cast<INT>(pitch);
  lockedRect->pBits = l.bytes.data() + offset;
  return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level) {
  trace::Record("IDirect3DTexture9::UnlockRect", level);
  if (level >= levels_.size() || levels_[level].locks == 0) return D3DERR_INVALIDCALL;
  if (--levels_[level].locks == 0 && MakeDeviceCurrent()) UploadLevel(level);
  return D3D_OK;
}

bool Texture::ReadLevelRgba(UINT level, std::vector<std::uint8_t>& rgba, UINT& width, UINT& height) const {
  if (level >= levels_.size()) return false;
  const Level& l = levels_[level];
  rgba = ToBgra8(format_, l.width, l.height, l.bytes.data());
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    std::swap(rgba[i], rgba[i + 2]);
    if (format_ == D3DFMT_X8R8G8B8) rgba[i + 3] = 255;
  }
  width = l.width;
  height = l.height;
  return true;
}

void Texture::UploadLevel(UINT level) {
  if (!name_) return;
  const Level& l = levels_[level];
  std::vector<std::uint8_t> bgra = ToBgra8(format_, l.width, l.height, l.bytes.data());
  glActiveTexture(GL_TEXTURE0 + kUploadTextureUnit);
  glBindTexture(GL_TEXTURE_2D, name_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, static_cast<GLsizei>(l.width),
               static_cast<GLsizei>(l.height), 0, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
  glBindTexture(GL_TEXTURE_2D, 0);
}

void Texture::DeleteGLObjects() {
  if (name_ && device()) ForgetTextureBinding(device()->drawState, name_);
  if (name_) glDeleteTextures(1, &name_);
  name_ = 0;
}

}  // namespace compat::d3d9
