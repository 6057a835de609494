// Device: creation of vertex declarations, vertex and index buffers, textures.
// D3DPOOL_DEFAULT and D3DPOOL_MANAGED behave alike (memory plus a GL object);
// other pools, shared handles, render-target and depth-stencil textures are
// refused. Usage flags and the FVF are kept for GetDesc only.
#include <cstdio>

#include "common/LayerMessages.h"
#include "common/Trace.h"
#include "d3d9/Buffers.h"
#include "d3d9/Device.h"
#include "d3d9/PixelFormats.h"
#include "d3d9/Texture.h"
#include "d3d9/VertexDeclaration.h"

namespace compat::d3d9 {

namespace {
// Largest single buffer or texture level the layer allocates.
constexpr UINT kMaxBufferBytes = 256u << 20;
constexpr UINT kMaxTextureEdge = 16384;

bool PoolSupported(D3DPOOL pool) { return pool == D3DPOOL_MANAGED || pool == D3DPOOL_DEFAULT; }
}  // namespace

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* sharedHandle) {
  trace::Record("CreateTexture", width, height, levels, usage, format, pool);
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (sharedHandle || width == 0 || height == 0 || width > kMaxTextureEdge || height > kMaxTextureEdge ||
      !PoolSupported(pool) || (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)))
    return D3DERR_INVALIDCALL;
  if (!IsSupportedTextureFormat(format)) return D3DERR_INVALIDCALL;
  if (!MakeCurrent()) return D3DERR_DEVICELOST;
  *texture = new Texture(*this, width, height, levels, usage, format, pool);
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** vertexBuffer, HANDLE* sharedHandle) {
  trace::Record("CreateVertexBuffer", length, usage, fvf, pool);
  if (!vertexBuffer) return D3DERR_INVALIDCALL;
  *vertexBuffer = nullptr;
  if (sharedHandle || length == 0 || length > kMaxBufferBytes || !PoolSupported(pool))
    return D3DERR_INVALIDCALL;
  if (!MakeCurrent()) return D3DERR_DEVICELOST;
  *vertexBuffer = new VertexBuffer(*this, length, usage, fvf, pool);
  return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** indexBuffer, HANDLE* sharedHandle) {
  trace::Record("CreateIndexBuffer", length, usage, format, pool);
  if (!indexBuffer) return D3DERR_INVALIDCALL;
  *indexBuffer = nullptr;
  if (sharedHandle || length == 0 || length > kMaxBufferBytes || !PoolSupported(pool) ||
      (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
    return D3DERR_INVALIDCALL;
  if (!MakeCurrent()) return D3DERR_DEVICELOST;
  *indexBuffer = new IndexBuffer(*this, length, usage, format, pool);
  return D3D_OK;
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* vertexElements,
                                        IDirect3DVertexDeclaration9** declaration) {
  trace::Record("CreateVertexDeclaration");
  if (!declaration) return D3DERR_INVALIDCALL;
  *declaration = nullptr;
  std::string error;
  VertexDeclaration* created = VertexDeclaration::Create(*this, vertexElements, error);
  if (!created) {
    compat::Report(compat::LayerMessage::DeclarationRefused, error.c_str());
    return D3DERR_INVALIDCALL;
  }
  *declaration = created;
  return D3D_OK;
}

}  // namespace compat::d3d9
