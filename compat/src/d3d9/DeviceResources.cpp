// Resources and drawing of the device.
#include "d3d9/Device.h"

namespace compat::d3d9 {

HRESULT Device::SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) { return E_NOTIMPL; }
HRESULT Device::CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9** texture, HANDLE*) {
  if (texture) *texture = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9** buffer, HANDLE*) {
  if (buffer) *buffer = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9** buffer, HANDLE*) {
  if (buffer) *buffer = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9** declaration) {
  if (declaration) *declaration = nullptr;
  return E_NOTIMPL;
}
HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9*) { return E_NOTIMPL; }
HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9**) { return E_NOTIMPL; }
HRESULT Device::SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) { return E_NOTIMPL; }
HRESULT Device::GetStreamSource(UINT, IDirect3DVertexBuffer9**, UINT*, UINT*) { return E_NOTIMPL; }
HRESULT Device::SetIndices(IDirect3DIndexBuffer9*) { return E_NOTIMPL; }
HRESULT Device::GetIndices(IDirect3DIndexBuffer9**) { return E_NOTIMPL; }
HRESULT Device::SetTexture(DWORD, IDirect3DBaseTexture9*) { return E_NOTIMPL; }
HRESULT Device::GetTexture(DWORD, IDirect3DBaseTexture9**) { return E_NOTIMPL; }
HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) { return E_NOTIMPL; }
HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) { return E_NOTIMPL; }
HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) { return E_NOTIMPL; }

}  // namespace compat::d3d9
