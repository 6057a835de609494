#include "render/Effect.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/AssetFolders.h"
#include "platform/SafeRelease.h"

std::map<std::wstring, Effect> g_EffectMap;

namespace {

// Effect names are 8-bit; the caches key them as wide strings converted in
// the current C locale, at whatever length they have.
std::wstring Widen(const char* name) {
  std::size_t length = std::mbstowcs(nullptr, name, 0);
  if (length == static_cast<std::size_t>(-1)) {
    // Not valid in the locale: take each byte as one character.
    std::wstring out;
    for (const char* c = name; *c; ++c) out += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return out;
  }
  std::vector<wchar_t> buffer(length + 1, L'\0');
  std::mbstowcs(buffer.data(), name, length + 1);
  return std::wstring(buffer.data(), length);
}

const std::wstring kTechniqueName = L"T0";
const std::wstring kFinalTransformsName = L"g_mFinalTransforms";

}  // namespace

Effect::Effect() : effect(nullptr), currentTechnique(nullptr), pass(0) {}

Effect::Effect(const Effect& source) : effect(nullptr), currentTechnique(nullptr), pass(0) {
  if (!source.effect) return;
  IDirect3DDevice9* device = nullptr;
  if (FAILED(source.effect->GetDevice(&device)) || !device) return;
  ID3DXEffect* clone = nullptr;
  HRESULT result = source.effect->CloneEffect(device, &clone);
  device->Release();
  if (FAILED(result) || !clone) return;
  effect = clone;
  BuildCaches();
  pass = source.pass;
}

Effect::~Effect() {
  techniques.clear();
  parameters.clear();
  SafeRelease(effect);
}

bool Effect::Load(IDirect3DDevice9* device, const wchar_t* name) {
  if (effect) return false;
  ID3DXBuffer* errors = nullptr;
  // A name not in the working directory may be one of the installed effect files.
  std::wstring path = name ? FindAsset(name) : std::wstring();
  HRESULT result = D3DXCreateEffectFromFileExW(device, name ? path.c_str() : nullptr, nullptr, nullptr, nullptr,
                                               D3DXSHADER_SKIPVALIDATION, nullptr, &effect, &errors);
  if (FAILED(result)) {
    effect = nullptr;
    if (errors) {
      OutputErrorBuffer(errors);
      SafeRelease(errors);
    } else {
      // The compiler gave no reason (a missing file, for one): name the file.
      wchar_t line[64];
      std::swprintf(line, sizeof line / sizeof line[0], L": the effect cannot be created (error 0x%08lX)\n",
                    static_cast<unsigned long>(static_cast<std::uint32_t>(result)));
      OutputDebugStringW((std::wstring(name ? name : L"(no file name)") + line).c_str());
    }
    return false;
  }
  SafeRelease(errors);
  BuildCaches();
  fileName = name;
  // Not a compile error for D3DX: the effect loads, but nothing draws with it.
  D3DXHANDLE technique = TechniqueHandle(kTechniqueName);
  D3DXTECHNIQUE_DESC description{};
  if (!technique)
    OutputDebugStringW((fileName + L": the effect has no technique \"T0\"; nothing is drawn with it\n").c_str());
  else if (SUCCEEDED(effect->GetTechniqueDesc(technique, &description)) && description.Passes == 0)
    OutputDebugStringW((fileName + L": technique \"T0\" has no pass; nothing is drawn with it\n").c_str());
  return true;
}

void Effect::BuildCaches() {
  D3DXEFFECT_DESC description{};
  effect->GetDesc(&description);
  currentTechnique = effect->GetCurrentTechnique();
  for (UINT i = 0; i < description.Techniques; ++i) {
    D3DXHANDLE handle = effect->GetTechnique(i);
    D3DXTECHNIQUE_DESC technique{};
    if (FAILED(effect->GetTechniqueDesc(handle, &technique)) || !technique.Name) continue;
    techniques.emplace(Widen(technique.Name), handle);
  }
  effect->GetDesc(&description);
  for (UINT i = 0; i < description.Parameters; ++i) {
    D3DXHANDLE handle = effect->GetParameter(nullptr, i);
    D3DXPARAMETER_DESC parameter{};
    if (FAILED(effect->GetParameterDesc(handle, &parameter)) || !parameter.Name) continue;
    parameters.emplace(Widen(parameter.Name), handle);
  }
}

D3DXHANDLE Effect::ParameterHandle(const std::wstring& name) {
  return parameters.try_emplace(name, nullptr).first->second;
}

D3DXHANDLE Effect::TechniqueHandle(const std::wstring& name) {
  return techniques.try_emplace(name, nullptr).first->second;
}

bool Effect::SetMatrix(const std::wstring& name, const D3DXMATRIX& matrix) {
  D3DXHANDLE handle = ParameterHandle(name);
  return effect && SUCCEEDED(effect->SetMatrix(handle, &matrix));
}

bool Effect::SetVector(const std::wstring& name, const D3DXVECTOR4& vector) {
  D3DXHANDLE handle = ParameterHandle(name);
  return effect && SUCCEEDED(effect->SetVector(handle, &vector));
}

bool Effect::SetFinalTransforms(const D3DXMATRIX* matrices, UINT count) {
  D3DXHANDLE handle = ParameterHandle(kFinalTransformsName);
  return effect && SUCCEEDED(effect->SetMatrixArray(handle, matrices, count));
}

UINT Effect::PaletteCapacity() {
  D3DXHANDLE handle = ParameterHandle(kFinalTransformsName);
  D3DXPARAMETER_DESC description{};
  if (!effect || !handle || FAILED(effect->GetParameterDesc(handle, &description))) return 0;
  return description.Elements == 0 ? 1 : description.Elements;
}

bool Effect::SelectPass(std::uint32_t newPass) {
  if (!effect) return false;
  D3DXHANDLE handle = TechniqueHandle(kTechniqueName);
  if (handle != currentTechnique) {
    if (FAILED(effect->SetTechnique(handle))) return false;
    currentTechnique = effect->GetCurrentTechnique();
  }
  pass = newPass;
  return true;
}

bool Effect::BeginPass() {
  if (!effect) return false;
  UINT passes = 0;
  effect->Begin(&passes, 0);
  if (FAILED(effect->BeginPass(pass))) return false;
  effect->CommitChanges();
  return true;
}

void OutputErrorBuffer(ID3DXBuffer* errors) {
  // The text is as long as the buffer says; a D3DX may leave out the
  // terminating zero, so the buffer is never read past its size.
  const auto* bytes = static_cast<const char*>(errors->GetBufferPointer());
  std::string text = bytes ? std::string(bytes, errors->GetBufferSize()) : std::string();
  text.resize(std::min(text.size(), text.find('\0')));
  OutputDebugStringA(text.c_str());
  OutputDebugStringW(L"\n");
}

bool LoadEffect(IDirect3DDevice9* device, const wchar_t* fileName) {
  std::wstring name = fileName ? fileName : L"";
  // A name that is loaded already keeps its effect.
  auto existing = g_EffectMap.find(name);
  if (existing != g_EffectMap.end() && existing->second.effect) return true;
  g_EffectMap.try_emplace(name);
  if (g_EffectMap[name].Load(device, fileName)) return true;
  g_EffectMap.erase(name);
  return false;
}
