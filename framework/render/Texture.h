// One texture loaded from an image file with its level-0 surface and size,
// and the registry of the textures that model materials name.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <map>
#include <string>

class Texture {
 public:
  Texture();
  // A copy shares the source's texture and holds its own level-0 surface.
  Texture(const Texture& source);
  Texture& operator=(const Texture&) = delete;
  virtual ~Texture();

  // Shares `source`'s texture (and its extra objects); false when it is empty.
  bool Assign(const Texture& source);
  // Holds `loaded` (its reference taken over), read from the file `path`, in
  // place of what it held.
  void Take(IDirect3DTexture9* loaded, const std::wstring& path);

  IDirect3DTexture9* texture;  // each reference held once; null while empty
  IDirect3DSurface9* surface;  // level 0 of texture
  IUnknown* extra[2];          // carried along by Assign, released with the Texture
  std::uint32_t width;
  std::uint32_t height;
  std::wstring source;         // the image file it was read from

 private:
  void ReleaseTextureAndSurface();
  void ReadLevelZero();
};

// Textures by the file name the model loader builds.
extern std::map<std::wstring, Texture> g_TextureMap;

// Registers and loads one texture file; a failure leaves no entry, even when
// the name had loaded before.
bool LoadTexture(IDirect3DDevice9* device, const wchar_t* fileName);
// The same, reading the image from `path` but keeping it under `fileName`,
// the name the materials give; returns the loader's result.
HRESULT LoadTextureFrom(IDirect3DDevice9* device, const wchar_t* fileName, const wchar_t* path);
// Reads the texture kept under `fileName` again from its source file. Only a
// read that succeeds replaces it; a failure (a file half written, gone, or no
// image) keeps the texture as it was. D3DERR_NOTFOUND for a name not loaded.
HRESULT ReloadTexture(IDirect3DDevice9* device, const std::wstring& fileName);
