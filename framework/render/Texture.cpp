#include "render/Texture.h"

#include "platform/SafeRelease.h"

std::map<std::wstring, Texture> g_TextureMap;

Texture::Texture() : texture(nullptr), surface(nullptr), extra{nullptr, nullptr}, width(0), height(0) {}

Texture::Texture(const Texture& source) : Texture() { Assign(source); }

Texture::~Texture() {
  for (int i = 1; i >= 0; --i) SafeRelease(extra[i]);
  ReleaseTextureAndSurface();
}

void Texture::ReleaseTextureAndSurface() {
  SafeRelease(surface);
  SafeRelease(texture);
}

void Texture::ReadLevelZero() {
  texture->GetSurfaceLevel(0, &surface);
  D3DSURFACE_DESC description{};
  if (surface && SUCCEEDED(surface->GetDesc(&description))) {
    width = description.Width;
    height = description.Height;
  }
}

bool Texture::Assign(const Texture& source) {
  if (!source.texture) return false;
  if (&source == this) return true;  // releasing first would lose the texture
  ReleaseTextureAndSurface();
  source.texture->AddRef();
  texture = source.texture;
  this->source = source.source;
  ReadLevelZero();
  for (int i = 0; i < 2; ++i) {
    if (!source.extra[i]) continue;
    source.extra[i]->AddRef();
    if (extra[i]) extra[i]->Release();
    extra[i] = source.extra[i];
  }
  return true;
}

void Texture::Take(IDirect3DTexture9* loaded, const std::wstring& path) {
  ReleaseTextureAndSurface();
  texture = loaded;
  source = path;
  ReadLevelZero();
}

bool LoadTexture(IDirect3DDevice9* device, const wchar_t* fileName) {
  return SUCCEEDED(LoadTextureFrom(device, fileName, fileName));
}

HRESULT LoadTextureFrom(IDirect3DDevice9* device, const wchar_t* fileName, const wchar_t* path) {
  std::wstring name = fileName ? fileName : L"";
  IDirect3DTexture9* texture = nullptr;
  HRESULT result = D3DXCreateTextureFromFileW(device, path, &texture);
  if (FAILED(result)) {
    g_TextureMap.erase(name);
    return result;
  }
  g_TextureMap[name].Take(texture, path);
  return D3D_OK;
}

HRESULT ReloadTexture(IDirect3DDevice9* device, const std::wstring& fileName) {
  auto found = g_TextureMap.find(fileName);
  if (found == g_TextureMap.end() || found->second.source.empty()) return D3DERR_NOTFOUND;
  IDirect3DTexture9* texture = nullptr;
  const std::wstring source = found->second.source;
  HRESULT result = D3DXCreateTextureFromFileW(device, source.c_str(), &texture);
  if (FAILED(result)) return result;
  found->second.Take(texture, source);
  return D3D_OK;
}
