// D3DXCreateTextureFromFileW: an image file into a managed texture with its
// full mip chain, row 0 at the top. A file that cannot be read answers
// D3DERR_NOTFOUND and one that is not an image D3DXERR_INVALIDDATA, without
// a word: the caller knows which model asked for it and says so.
// Unlike D3DX's defaults, the texture keeps the file's size (no rounding up to
// powers of two), its format follows the file (A8R8G8B8, X8R8G8B8 or a DDS
// file's DXTn), and the missing mip levels are box-filtered.
#include <d3dx9.h>

#include <cstring>

#include "common/Unicode.h"
#include "d3dx9/FileBytes.h"
#include "d3dx9/ImageFile.h"

HRESULT WINAPI D3DXCreateTextureFromFileW(IDirect3DDevice9* device, LPCWSTR srcFile,
                                          IDirect3DTexture9** texture) {
  using namespace compat::d3dx9;
  if (texture) *texture = nullptr;
  if (!device || !srcFile || !texture) return D3DERR_INVALIDCALL;
  std::string name = compat::ToUtf8(srcFile);
  auto fail = [&](const std::string& reason, HRESULT result) {
    OutputDebugStringA(("D3DXCreateTextureFromFileW: " + name + ": " + reason + "\n").c_str());
    return result;
  };

  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!ReadFileBytes(srcFile, bytes, error)) return D3DERR_NOTFOUND;
  DecodedImage image;
  if (!DecodeImageFile(bytes, image, error)) return D3DXERR_INVALIDDATA;
  if (!image.warning.empty())
    OutputDebugStringA(("D3DXCreateTextureFromFileW: " + name + ": loaded with a warning: " + image.warning + "\n")
                           .c_str());

  IDirect3DTexture9* created = nullptr;
  HRESULT result = device->CreateTexture(image.levels[0].width, image.levels[0].height,
                                         static_cast<UINT>(image.levels.size()), 0, image.format,
                                         D3DPOOL_MANAGED, &created, nullptr);
  if (FAILED(result) || !created)
    return fail("the device cannot create the texture", FAILED(result) ? result : E_FAIL);
  for (UINT level = 0; level < image.levels.size(); ++level) {
    D3DSURFACE_DESC description{};
    D3DLOCKED_RECT locked{};
    const ImageLevel& source = image.levels[level];
    if (FAILED(created->GetLevelDesc(level, &description)) || description.Width != source.width ||
        description.Height != source.height || FAILED(created->LockRect(level, &locked, nullptr, 0))) {
      created->Release();
      return fail("the texture's mip level " + std::to_string(level) + " cannot be written", E_FAIL);
    }
    std::memcpy(locked.pBits, source.bytes.data(), source.bytes.size());
    created->UnlockRect(level);
  }
  *texture = created;
  return D3D_OK;
}
