// One compiled effect file with its technique and parameter handles resolved
// by name once, and the registry of the effects that meshes are drawn with.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <map>
#include <string>

class Effect {
 public:
  Effect();
  // A copy compiles its own clone of the source's effect; the file name stays behind.
  Effect(const Effect& source);
  Effect& operator=(const Effect&) = delete;
  virtual ~Effect();

  // Compiles `fileName` into this empty Effect; refused when it is loaded.
  bool Load(IDirect3DDevice9* device, const wchar_t* fileName);

  bool SetMatrix(const std::wstring& name, const D3DXMATRIX& matrix);
  bool SetVector(const std::wstring& name, const D3DXVECTOR4& vector);
  bool SetFinalTransforms(const D3DXMATRIX* matrices, UINT count);
  // How many matrices "g_mFinalTransforms" holds, as the effect declares it
  // (its element count; 1 when it is not an array); 0 without it.
  UINT PaletteCapacity();

  // Makes technique "T0" current and remembers the pass BeginPass opens.
  bool SelectPass(std::uint32_t pass);
  bool BeginPass();

  // Cached handle lookups: a name the effect does not declare is remembered
  // with a null handle.
  D3DXHANDLE ParameterHandle(const std::wstring& name);
  D3DXHANDLE TechniqueHandle(const std::wstring& name);

  ID3DXEffect* effect;  // one reference; null while empty
  std::map<std::wstring, D3DXHANDLE> techniques;
  std::map<std::wstring, D3DXHANDLE> parameters;
  std::wstring fileName;
  D3DXHANDLE currentTechnique;
  std::uint32_t pass;

 private:
  void BuildCaches();
};

// The effects of the meshes by file name ("mesh.cfx", "skinmesh.cfx").
extern std::map<std::wstring, Effect> g_EffectMap;

// Writes a D3DX message buffer (8-bit text of GetBufferSize bytes, up to
// its first zero if it has one) and a line break to the debugger output.
void OutputErrorBuffer(ID3DXBuffer* errors);

// Registers and compiles one effect file; a failure leaves no entry.
bool LoadEffect(IDirect3DDevice9* device, const wchar_t* fileName);
