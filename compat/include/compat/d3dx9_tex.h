// D3DX 9 textures and surfaces: loading images into textures, saving surfaces.
#pragma once

#include <d3d9.h>

enum D3DXIMAGE_FILEFORMAT : DWORD {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_HDR = 7,
  D3DXIFF_PFM = 8,
  D3DXIFF_FORCE_DWORD = 0x7fffffff
};

// Loads an image file (BMP, JPEG, PNG, TGA, DDS) into a managed texture with a
// full mip chain; row 0 of level 0 is the top of the image (v = 0).
HRESULT WINAPI D3DXCreateTextureFromFileW(IDirect3DDevice9* device, LPCWSTR srcFile, IDirect3DTexture9** texture);

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};

// Writes a surface to an image file; this layer writes PNG (and BMP, TGA).
HRESULT WINAPI D3DXSaveSurfaceToFileW(LPCWSTR destFile, D3DXIMAGE_FILEFORMAT destFormat,
                                      IDirect3DSurface9* srcSurface, const PALETTEENTRY* srcPalette,
                                      const RECT* srcRect);
