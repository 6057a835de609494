// D3DXSaveSurfaceToFileW: writes a readable surface (the back buffer or a
// texture level) as 32-bit PNG, BMP or TGA with its alpha channel; other
// D3DXIFF formats and the depth-stencil surface are refused. The palette is
// ignored. A surface whose format has no alpha (a D3DFMT_X8R8G8B8 back
// buffer) is written opaque, whatever alpha the drawing left in it.
#include <d3dx9.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/LayerMessages.h"
#include "common/Unicode.h"
#include "common/WindowsPath.h"
#include "d3d9/ReadableSurface.h"

HRESULT WINAPI D3DXSaveSurfaceToFileW(LPCWSTR destFile, D3DXIMAGE_FILEFORMAT destFormat, IDirect3DSurface9* srcSurface,
                                      const PALETTEENTRY*, const RECT* srcRect) {
  if (!destFile || !srcSurface) return D3DERR_INVALIDCALL;
  auto* readable = dynamic_cast<compat::d3d9::ReadableSurface*>(srcSurface);
  std::vector<std::uint8_t> rgba;
  UINT width = 0, height = 0;
  if (!readable || !readable->ReadRgba(rgba, width, height)) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC description{};
  if (SUCCEEDED(srcSurface->GetDesc(&description)) &&
      (description.Format == D3DFMT_X8R8G8B8 || description.Format == D3DFMT_R5G6B5 ||
       description.Format == D3DFMT_X1R5G5B5))
    for (std::size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;

  int left = 0, top = 0, w = static_cast<int>(width), h = static_cast<int>(height);
  if (srcRect) {
    if (srcRect->left < 0 || srcRect->top < 0 || srcRect->right > w || srcRect->bottom > h ||
        srcRect->left >= srcRect->right || srcRect->top >= srcRect->bottom)
      return D3DERR_INVALIDCALL;
    left = srcRect->left, top = srcRect->top, w = srcRect->right - srcRect->left, h = srcRect->bottom - srcRect->top;
  }
  const std::uint8_t* first = rgba.data() + (static_cast<std::size_t>(top) * width + static_cast<std::size_t>(left)) * 4;
  int stride = static_cast<int>(width) * 4;

  std::string path = compat::ResolveWindowsPath(std::wstring_view(destFile));
  int written = 0;
  switch (destFormat) {
    case D3DXIFF_PNG:
      written = stbi_write_png(path.c_str(), w, h, 4, first, stride);
      break;
    case D3DXIFF_BMP:
    case D3DXIFF_TGA: {
      std::vector<std::uint8_t> packed(static_cast<std::size_t>(w) * h * 4);
      for (int y = 0; y < h; ++y)
        std::copy_n(first + static_cast<std::size_t>(y) * stride, w * 4, packed.data() + static_cast<std::size_t>(y) * w * 4);
      written = destFormat == D3DXIFF_BMP ? stbi_write_bmp(path.c_str(), w, h, 4, packed.data())
                                          : stbi_write_tga(path.c_str(), w, h, 4, packed.data());
      break;
    }
    default:
      return D3DERR_INVALIDCALL;
  }
  if (!written) {
    compat::Report(compat::LayerMessage::SurfaceNotSaved, path.c_str());
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}
