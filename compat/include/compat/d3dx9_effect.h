// D3DX 9: effects. The subset of ID3DXEffect that the framework calls, with
// the SDK's names, descriptions and flags.
#pragma once

#include <d3d9.h>

#include "compat/d3dx9_core.h"

struct D3DXMATRIX;
struct D3DXVECTOR4;

typedef const char* D3DXHANDLE;
typedef D3DXHANDLE* LPD3DXHANDLE;

#define D3DXSHADER_DEBUG 0x1
#define D3DXSHADER_SKIPVALIDATION 0x2
#define D3DXSHADER_SKIPOPTIMIZATION 0x4

struct D3DXMACRO {
  const char* Name;
  const char* Definition;
};
typedef D3DXMACRO* LPD3DXMACRO;

enum D3DXINCLUDE_TYPE : DWORD { D3DXINC_LOCAL = 0, D3DXINC_SYSTEM = 1, D3DXINC_FORCE_DWORD = 0x7fffffff };

struct ID3DXInclude {
  virtual HRESULT Open(D3DXINCLUDE_TYPE includeType, const char* fileName, const void* parentData,
                       const void** data, UINT* bytes) = 0;
  virtual HRESULT Close(const void* data) = 0;

 protected:
  virtual ~ID3DXInclude() = default;
};
typedef ID3DXInclude* LPD3DXINCLUDE;

enum D3DXPARAMETER_CLASS : DWORD {
  D3DXPC_SCALAR = 0,
  D3DXPC_VECTOR = 1,
  D3DXPC_MATRIX_ROWS = 2,
  D3DXPC_MATRIX_COLUMNS = 3,
  D3DXPC_OBJECT = 4,
  D3DXPC_STRUCT = 5,
  D3DXPC_FORCE_DWORD = 0x7fffffff
};

enum D3DXPARAMETER_TYPE : DWORD {
  D3DXPT_VOID = 0,
  D3DXPT_BOOL = 1,
  D3DXPT_INT = 2,
  D3DXPT_FLOAT = 3,
  D3DXPT_STRING = 4,
  D3DXPT_TEXTURE = 5,
  D3DXPT_TEXTURE1D = 6,
  D3DXPT_TEXTURE2D = 7,
  D3DXPT_TEXTURE3D = 8,
  D3DXPT_TEXTURECUBE = 9,
  D3DXPT_SAMPLER = 10,
  D3DXPT_SAMPLER1D = 11,
  D3DXPT_SAMPLER2D = 12,
  D3DXPT_SAMPLER3D = 13,
  D3DXPT_SAMPLERCUBE = 14,
  D3DXPT_PIXELSHADER = 15,
  D3DXPT_VERTEXSHADER = 16,
  D3DXPT_PIXELFRAGMENT = 17,
  D3DXPT_VERTEXFRAGMENT = 18,
  D3DXPT_UNSUPPORTED = 19,
  D3DXPT_FORCE_DWORD = 0x7fffffff
};

struct D3DXEFFECT_DESC {
  const char* Creator;
  UINT Parameters;
  UINT Techniques;
  UINT Functions;
};

struct D3DXPARAMETER_DESC {
  const char* Name;
  const char* Semantic;
  D3DXPARAMETER_CLASS Class;
  D3DXPARAMETER_TYPE Type;
  UINT Rows;
  UINT Columns;
  UINT Elements;
  UINT Annotations;
  UINT StructMembers;
  DWORD Flags;
  UINT Bytes;
};

struct D3DXTECHNIQUE_DESC {
  const char* Name;
  UINT Passes;
  UINT Annotations;
};

struct D3DXPASS_DESC {
  const char* Name;
  UINT Annotations;
  const DWORD* pVertexShaderFunction;
  const DWORD* pPixelShaderFunction;
};

// Begin flags: which device state the effect saves and restores.
#define D3DXFX_DONOTSAVESTATE 0x1
#define D3DXFX_DONOTSAVESHADERSTATE 0x2
#define D3DXFX_DONOTSAVESAMPLERSTATE 0x4

struct ID3DXEffectPool : IUnknown {};
typedef ID3DXEffectPool* LPD3DXEFFECTPOOL;

struct ID3DXBaseEffect : IUnknown {
  virtual HRESULT GetDesc(D3DXEFFECT_DESC* desc) = 0;
  virtual HRESULT GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) = 0;
  virtual HRESULT GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) = 0;
  virtual HRESULT GetPassDesc(D3DXHANDLE pass, D3DXPASS_DESC* desc) = 0;
  virtual D3DXHANDLE GetParameter(D3DXHANDLE parameter, UINT index) = 0;
  virtual D3DXHANDLE GetParameterByName(D3DXHANDLE parameter, const char* name) = 0;
  virtual D3DXHANDLE GetParameterElement(D3DXHANDLE parameter, UINT index) = 0;
  virtual D3DXHANDLE GetTechnique(UINT index) = 0;
  virtual D3DXHANDLE GetTechniqueByName(const char* name) = 0;
  virtual D3DXHANDLE GetPass(D3DXHANDLE technique, UINT index) = 0;
  virtual D3DXHANDLE GetPassByName(D3DXHANDLE technique, const char* name) = 0;
  virtual HRESULT SetValue(D3DXHANDLE parameter, const void* data, UINT bytes) = 0;
  virtual HRESULT GetValue(D3DXHANDLE parameter, void* data, UINT bytes) = 0;
  virtual HRESULT SetFloat(D3DXHANDLE parameter, FLOAT value) = 0;
  virtual HRESULT GetFloat(D3DXHANDLE parameter, FLOAT* value) = 0;
  virtual HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) = 0;
  virtual HRESULT GetVector(D3DXHANDLE parameter, D3DXVECTOR4* vector) = 0;
  virtual HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) = 0;
  virtual HRESULT GetMatrix(D3DXHANDLE parameter, D3DXMATRIX* matrix) = 0;
  virtual HRESULT SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* matrices, UINT count) = 0;
  virtual HRESULT GetMatrixArray(D3DXHANDLE parameter, D3DXMATRIX* matrices, UINT count) = 0;
  virtual HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) = 0;
  virtual HRESULT GetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9** texture) = 0;
};

struct ID3DXEffect : ID3DXBaseEffect {
  virtual HRESULT GetPool(ID3DXEffectPool** pool) = 0;
  virtual HRESULT SetTechnique(D3DXHANDLE technique) = 0;
  virtual D3DXHANDLE GetCurrentTechnique() = 0;
  virtual HRESULT Begin(UINT* passes, DWORD flags) = 0;
  virtual HRESULT BeginPass(UINT pass) = 0;
  virtual HRESULT CommitChanges() = 0;
  virtual HRESULT EndPass() = 0;
  virtual HRESULT End() = 0;
  virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
  virtual HRESULT OnLostDevice() = 0;
  virtual HRESULT OnResetDevice() = 0;
  virtual HRESULT CloneEffect(IDirect3DDevice9* device, ID3DXEffect** effect) = 0;
};
typedef ID3DXEffect* LPD3DXEFFECT;

HRESULT WINAPI D3DXCreateEffectFromFileExW(IDirect3DDevice9* device, LPCWSTR srcFile,
                                           const D3DXMACRO* defines, ID3DXInclude* include,
                                           LPCSTR skipConstants, DWORD flags, ID3DXEffectPool* pool,
                                           ID3DXEffect** effect, ID3DXBuffer** compilationErrors);
HRESULT WINAPI D3DXCreateEffectFromFileW(IDirect3DDevice9* device, LPCWSTR srcFile, const D3DXMACRO* defines,
                                         ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool,
                                         ID3DXEffect** effect, ID3DXBuffer** compilationErrors);
