// D3DX 9: core. The buffer object that carries compiler messages and other
// blobs out of D3DX calls.
#pragma once

#include <d3d9.h>

// D3DX's own results.
#define D3DXERR_INVALIDDATA MAKE_D3DHRESULT(2905)

struct ID3DXBuffer : IUnknown {
  virtual void* GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

// A buffer of `size` bytes, zero-filled.
HRESULT WINAPI D3DXCreateBuffer(DWORD size, ID3DXBuffer** buffer);
