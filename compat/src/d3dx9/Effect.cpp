// ID3DXEffect over GL programs: parameter values live in the effect and go to
// the pass's program when the pass begins and on every CommitChanges.
// Implemented: parameters (float to float4, float4x4, float4x3, arrays of
// them, texture, sampler2D) by handle and by name, techniques and passes,
// Begin/BeginPass/CommitChanges/EndPass/End, CloneEffect. Begin saves the
// textures of the stages the effect's samplers use and End restores them
// (unless D3DXFX_DONOTSAVESTATE or D3DXFX_DONOTSAVESAMPLERSTATE); the
// effect's passes set no other device state. Effect pools are ignored.
#include <d3dx9.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/LiveObjects.h"
#include "common/Trace.h"
#include "common/Unicode.h"
#include "compat/testing_draw.h"
#include "d3d9/DeviceGL.h"
#include "d3dx9/Buffer.h"
#include "d3dx9/EffectProgram.h"
#include "d3dx9/EffectCompiler.h"
#include "d3dx9/EffectSource.h"

namespace compat::d3dx9 {

namespace {

// Bytes of parameter values sent to GL, for the tests.
std::uint64_t g_uploadedBytes = 0;

class Effect final : public RefCounted<ID3DXEffect> {
 public:
  // Compiles `source` for `device`; null with `error` set on failure.
  static Effect* Create(IDirect3DDevice9* device, std::shared_ptr<const CompiledEffect> source,
                        const std::string& fileName, std::string& error) {
    compat::d3d9::Device* layerDevice = compat::d3d9::LayerDevice(device);
    if (!layerDevice) {
      error = fileName + ": the device is not a device of this layer";
      return nullptr;
    }
    if (!d3d9::MakeCurrent(*layerDevice)) {
      error = fileName + ": the device's GL context cannot be made current";
      return nullptr;
    }
    std::vector<std::vector<PassProgram>> programs;
    if (!BuildPassPrograms(source->source, source->texts, fileName, programs, error)) return nullptr;
    return new Effect(device, std::move(source), fileName, std::move(programs));
  }

  ~Effect() override {
    for (Parameter& p : parameters_)
      if (p.texture) p.texture->Release();
    if (begun_) d3d9::UseProgram(*layerDevice_, 0);
    // Without a context the programs and buffers go with it.
    if (d3d9::MakeCurrent(*layerDevice_)) DeletePassPrograms(programs_);
    device_->Release();
  }

  HRESULT GetDesc(D3DXEFFECT_DESC* desc) override {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Creator = "compat HLSL effect compiler (glslang, SPIRV-Cross)";
    desc->Parameters = static_cast<UINT>(parameters_.size());
    desc->Techniques = static_cast<UINT>(Techniques().size());
    desc->Functions = static_cast<UINT>(source_->source.functions.size());
    return D3D_OK;
  }

  HRESULT GetParameterDesc(D3DXHANDLE handle, D3DXPARAMETER_DESC* desc) override {
    Parameter* p = FindParameter(handle);
    if (!p || !desc) return D3DERR_INVALIDCALL;
    const ParameterDecl& d = p->decl;
    *desc = {};
    desc->Name = d.name.c_str();
    desc->Semantic = d.semantic.empty() ? nullptr : d.semantic.c_str();
    desc->Elements = d.elements;
    desc->Annotations = d.annotations;
    // HLSL matrices are column-major unless declared row_major.
    D3DXPARAMETER_CLASS matrixClass = d.rowMajor ? D3DXPC_MATRIX_ROWS : D3DXPC_MATRIX_COLUMNS;
    switch (d.type) {
      case ParameterType::Float:
        desc->Class = D3DXPC_SCALAR, desc->Type = D3DXPT_FLOAT, desc->Rows = 1, desc->Columns = 1;
        break;
      case ParameterType::Float2:
      case ParameterType::Float3:
      case ParameterType::Float4:
        desc->Class = D3DXPC_VECTOR, desc->Type = D3DXPT_FLOAT, desc->Rows = 1;
        desc->Columns = d.type == ParameterType::Float2 ? 2 : d.type == ParameterType::Float3 ? 3 : 4;
        break;
      case ParameterType::Float4x4:
        desc->Class = matrixClass, desc->Type = D3DXPT_FLOAT, desc->Rows = 4, desc->Columns = 4;
        break;
      case ParameterType::Float4x3:
        desc->Class = matrixClass, desc->Type = D3DXPT_FLOAT, desc->Rows = 4, desc->Columns = 3;
        break;
      case ParameterType::Texture: desc->Class = D3DXPC_OBJECT, desc->Type = D3DXPT_TEXTURE; break;
      case ParameterType::Sampler: desc->Class = D3DXPC_OBJECT, desc->Type = D3DXPT_SAMPLER2D; break;
    }
    desc->Bytes = IsObject(d) ? sizeof(void*) : ParameterFloatCount(d) * 4;
    return D3D_OK;
  }

  HRESULT GetTechniqueDesc(D3DXHANDLE handle, D3DXTECHNIQUE_DESC* desc) override {
    int t = FindTechnique(handle);
    if (t < 0 || !desc) return D3DERR_INVALIDCALL;
    const TechniqueDecl& technique = Techniques()[static_cast<std::size_t>(t)];
    desc->Name = technique.name.c_str();
    desc->Passes = static_cast<UINT>(technique.passes.size());
    desc->Annotations = technique.annotations;
    return D3D_OK;
  }

  HRESULT GetPassDesc(D3DXHANDLE handle, D3DXPASS_DESC* desc) override {
    const PassDecl* pass = FindPass(handle);
    if (!pass || !desc) return D3DERR_INVALIDCALL;
    *desc = {};
    desc->Name = pass->name.c_str();
    desc->Annotations = pass->annotations;
    return D3D_OK;
  }

  D3DXHANDLE GetParameter(D3DXHANDLE parent, UINT index) override {
    // Structures and arrays do not hand out member handles here.
    if (parent || index >= parameters_.size()) return nullptr;
    return Handle(parameters_[index]);
  }

  D3DXHANDLE GetParameterByName(D3DXHANDLE parent, const char* name) override {
    if (parent || !name) return nullptr;
    for (Parameter& p : parameters_)
      if (p.decl.name == name) return Handle(p);
    return nullptr;
  }

  D3DXHANDLE GetParameterElement(D3DXHANDLE, UINT) override { return nullptr; }

  D3DXHANDLE GetTechnique(UINT index) override {
    return index < Techniques().size() ? Techniques()[index].name.c_str() : nullptr;
  }

  D3DXHANDLE GetTechniqueByName(const char* name) override {
    if (!name) return nullptr;
    for (const TechniqueDecl& t : Techniques())
      if (t.name == name) return t.name.c_str();
    return nullptr;
  }

  D3DXHANDLE GetPass(D3DXHANDLE technique, UINT index) override {
    int t = FindTechnique(technique);
    if (t < 0 || index >= Techniques()[static_cast<std::size_t>(t)].passes.size()) return nullptr;
    return Techniques()[static_cast<std::size_t>(t)].passes[index].name.c_str();
  }

  D3DXHANDLE GetPassByName(D3DXHANDLE technique, const char* name) override {
    int t = FindTechnique(technique);
    if (t < 0 || !name) return nullptr;
    for (const PassDecl& pass : Techniques()[static_cast<std::size_t>(t)].passes)
      if (pass.name == name) return pass.name.c_str();
    return nullptr;
  }

  HRESULT SetValue(D3DXHANDLE handle, const void* data, UINT bytes) override {
    Parameter* p = FindParameter(handle);
    if (!p || !data || IsObject(p->decl) || bytes > p->values.size() * 4) return D3DERR_INVALIDCALL;
    Store(*p, data, bytes);
    return D3D_OK;
  }

  HRESULT GetValue(D3DXHANDLE handle, void* data, UINT bytes) override {
    Parameter* p = FindParameter(handle);
    if (!p || !data || IsObject(p->decl) || bytes > p->values.size() * 4) return D3DERR_INVALIDCALL;
    std::memcpy(data, p->values.data(), bytes);
    return D3D_OK;
  }

  HRESULT SetFloat(D3DXHANDLE handle, FLOAT value) override {
    Parameter* p = FindParameter(handle);
    if (!p || IsObject(p->decl) || IsMatrix(p->decl)) return D3DERR_INVALIDCALL;
    Store(*p, &value, 4);
    return D3D_OK;
  }

  HRESULT GetFloat(D3DXHANDLE handle, FLOAT* value) override {
    Parameter* p = FindParameter(handle);
    if (!p || !value || IsObject(p->decl)) return D3DERR_INVALIDCALL;
    *value = p->values[0];
    return D3D_OK;
  }

  // A vector goes into as many components as the parameter has.
  HRESULT SetVector(D3DXHANDLE handle, const D3DXVECTOR4* vector) override {
    trace::Record("ID3DXEffect::SetVector", HandleName(handle));
    Parameter* p = FindParameter(handle);
    if (!p || !vector || IsObject(p->decl) || IsMatrix(p->decl)) return D3DERR_INVALIDCALL;
    std::size_t count = std::min<std::size_t>(4, ParameterFloatCount(p->decl));
    Store(*p, vector, count * 4);
    return D3D_OK;
  }

  HRESULT GetVector(D3DXHANDLE handle, D3DXVECTOR4* vector) override {
    Parameter* p = FindParameter(handle);
    if (!p || !vector || IsObject(p->decl) || IsMatrix(p->decl)) return D3DERR_INVALIDCALL;
    float out[4] = {0, 0, 0, 0};
    std::memcpy(out, p->values.data(), std::min<std::size_t>(4, p->values.size()) * 4);
    std::memcpy(reinterpret_cast<float*>(vector), out, sizeof out);
    return D3D_OK;
  }

  HRESULT SetMatrix(D3DXHANDLE handle, const D3DXMATRIX* matrix) override {
    trace::Record("ID3DXEffect::SetMatrix", HandleName(handle));
    return SetMatrices(handle, matrix, 1);
  }

  HRESULT GetMatrix(D3DXHANDLE handle, D3DXMATRIX* matrix) override { return GetMatrices(handle, matrix, 1); }

  HRESULT SetMatrixArray(D3DXHANDLE handle, const D3DXMATRIX* matrices, UINT count) override {
    trace::Record("ID3DXEffect::SetMatrixArray", HandleName(handle), count);
    return SetMatrices(handle, matrices, count);
  }

  HRESULT GetMatrixArray(D3DXHANDLE handle, D3DXMATRIX* matrices, UINT count) override {
    return GetMatrices(handle, matrices, count);
  }

  HRESULT SetTexture(D3DXHANDLE handle, IDirect3DBaseTexture9* texture) override {
    trace::Record("ID3DXEffect::SetTexture", HandleName(handle), texture ? "texture" : "null");
    Parameter* p = FindParameter(handle);
    if (!p || p->decl.type != ParameterType::Texture) return D3DERR_INVALIDCALL;
    if (texture) texture->AddRef();
    if (p->texture) p->texture->Release();
    p->texture = texture;
    return D3D_OK;
  }

  HRESULT GetTexture(D3DXHANDLE handle, IDirect3DBaseTexture9** texture) override {
    Parameter* p = FindParameter(handle);
    if (!p || !texture || p->decl.type != ParameterType::Texture) return D3DERR_INVALIDCALL;
    *texture = p->texture;
    if (p->texture) p->texture->AddRef();
    return D3D_OK;
  }

  HRESULT GetPool(ID3DXEffectPool** pool) override {
    if (!pool) return D3DERR_INVALIDCALL;
    *pool = nullptr;
    return D3D_OK;
  }

  HRESULT SetTechnique(D3DXHANDLE handle) override {
    trace::Record("ID3DXEffect::SetTechnique", HandleName(handle));
    int t = FindTechnique(handle);
    if (t < 0 || begun_) return D3DERR_INVALIDCALL;
    currentTechnique_ = t;
    return D3D_OK;
  }

  D3DXHANDLE GetCurrentTechnique() override {
    return Techniques()[static_cast<std::size_t>(currentTechnique_)].name.c_str();
  }

  HRESULT Begin(UINT* passes, DWORD flags) override {
    trace::Record("ID3DXEffect::Begin", flags);
    if (begun_) return D3DERR_INVALIDCALL;
    begun_ = true;
    saveState_ = !(flags & (D3DXFX_DONOTSAVESTATE | D3DXFX_DONOTSAVESAMPLERSTATE));
    if (saveState_) SaveStageTextures();
    if (passes) *passes = static_cast<UINT>(CurrentPasses().size());
    return D3D_OK;
  }

  HRESULT BeginPass(UINT pass) override {
    trace::Record("ID3DXEffect::BeginPass", pass);
    if (!begun_ || passOpen_ || pass >= CurrentPasses().size()) return D3DERR_INVALIDCALL;
    if (!d3d9::MakeCurrent(*layerDevice_)) return D3DERR_DEVICELOST;
    passOpen_ = true;
    openPass_ = pass;
    d3d9::UseProgram(*layerDevice_, CurrentPasses()[pass].program);
    Upload();
    return D3D_OK;
  }

  HRESULT CommitChanges() override {
    trace::Record("ID3DXEffect::CommitChanges");
    if (!passOpen_) return D3DERR_INVALIDCALL;
    if (!d3d9::MakeCurrent(*layerDevice_)) return D3DERR_DEVICELOST;
    Upload();
    return D3D_OK;
  }

  HRESULT EndPass() override {
    trace::Record("ID3DXEffect::EndPass");
    if (!passOpen_) return D3DERR_INVALIDCALL;
    passOpen_ = false;
    return D3D_OK;
  }

  // Restores what Begin found: no program is selected afterwards, and the
  // stages the samplers used hold their textures again.
  HRESULT End() override {
    trace::Record("ID3DXEffect::End");
    if (!begun_) return D3DERR_INVALIDCALL;
    begun_ = passOpen_ = false;
    d3d9::UseProgram(*layerDevice_, 0);
    if (saveState_) RestoreStageTextures();
    return D3D_OK;
  }

  HRESULT GetDevice(IDirect3DDevice9** device) override {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
  }

  HRESULT OnLostDevice() override { return D3D_OK; }
  HRESULT OnResetDevice() override { return D3D_OK; }

  // The clone is compiled afresh for `device` and starts with this effect's
  // values, textures and current technique.
  HRESULT CloneEffect(IDirect3DDevice9* device, ID3DXEffect** effect) override {
    if (!device || !effect) return D3DERR_INVALIDCALL;
    *effect = nullptr;
    std::string error;
    Effect* clone = Create(device, source_, fileName_, error);
    if (!clone) {
      OutputDebugStringA(("CloneEffect: " + error).c_str());
      return E_FAIL;
    }
    for (std::size_t i = 0; i < parameters_.size(); ++i) {
      Parameter& copy = clone->parameters_[i];
      copy.values = parameters_[i].values;
      ++copy.version;
      if (parameters_[i].texture) clone->SetTexture(Handle(clone->parameters_[i]), parameters_[i].texture);
    }
    clone->currentTechnique_ = currentTechnique_;
    *effect = clone;
    return D3D_OK;
  }

 private:
  struct Parameter {
    ParameterDecl decl;
    std::vector<float> values;  // matrices row by row, as D3DX gives them
    std::uint64_t version = 1;  // grows with every change of `values`
    IDirect3DBaseTexture9* texture = nullptr;  // one reference
    int samplerUnit = -1;       // samplers: the stage they sample
    int textureParameter = -1;  // samplers: the texture parameter their block names
  };

  Effect(IDirect3DDevice9* device, std::shared_ptr<const CompiledEffect> source, std::string fileName,
         std::vector<std::vector<PassProgram>> programs)
      : device_(device),
        layerDevice_(d3d9::LayerDevice(device)),
        source_(std::move(source)),
        fileName_(std::move(fileName)),
        programs_(std::move(programs)) {
    device_->AddRef();
    const std::vector<ParameterDecl>& decls = source_->source.parameters;
    std::vector<int> units = SamplerUnits(source_->source);
    parameters_.reserve(decls.size());
    for (std::size_t i = 0; i < decls.size(); ++i) {
      Parameter p;
      p.decl = decls[i];
      p.values.assign(ParameterFloatCount(p.decl), 0.0f);
      std::copy_n(p.decl.initialValue.begin(), std::min(p.values.size(), p.decl.initialValue.size()),
                  p.values.begin());
      p.samplerUnit = units[i];
      for (std::size_t t = 0; t < decls.size(); ++t)
        if (decls[t].type == ParameterType::Texture && decls[t].name == p.decl.texture)
          p.textureParameter = static_cast<int>(t);
      parameters_.push_back(std::move(p));
    }
  }

  static bool IsObject(const ParameterDecl& d) {
    return d.type == ParameterType::Texture || d.type == ParameterType::Sampler;
  }
  static bool IsMatrix(const ParameterDecl& d) {
    return d.type == ParameterType::Float4x4 || d.type == ParameterType::Float4x3;
  }

  const std::vector<TechniqueDecl>& Techniques() const { return source_->source.techniques; }

  // Copies a new value into the start of the parameter. Only a change of
  // some float counts, so setting the same value again uploads nothing.
  static void Store(Parameter& p, const void* data, std::size_t bytes) {
    bytes = std::min(bytes, p.values.size() * 4);
    if (std::memcmp(p.values.data(), data, bytes) == 0) return;
    std::memcpy(p.values.data(), data, bytes);
    ++p.version;
  }

  void SaveStageTextures() {
    for (Parameter& p : parameters_) {
      if (p.samplerUnit < 0) continue;
      auto stage = static_cast<std::size_t>(p.samplerUnit);
      if (saved_.size() <= stage) saved_.resize(stage + 1, nullptr);
      if (saved_[stage]) saved_[stage]->Release();
      saved_[stage] = nullptr;
      device_->GetTexture(static_cast<DWORD>(stage), &saved_[stage]);
    }
  }

  void RestoreStageTextures() {
    for (Parameter& p : parameters_) {
      if (p.samplerUnit < 0) continue;
      auto stage = static_cast<std::size_t>(p.samplerUnit);
      device_->SetTexture(static_cast<DWORD>(stage), saved_[stage]);
    }
    for (IDirect3DBaseTexture9*& texture : saved_) {
      if (texture) texture->Release();
      texture = nullptr;
    }
  }

  static D3DXHANDLE Handle(const Parameter& p) { return p.decl.name.c_str(); }

  // A handle is one this effect gave out or, as in D3DX, a name.
  Parameter* FindParameter(D3DXHANDLE handle) {
    if (!handle) return nullptr;
    for (Parameter& p : parameters_)
      if (Handle(p) == handle) return &p;
    for (Parameter& p : parameters_)
      if (p.decl.name == handle) return &p;
    return nullptr;
  }

  int FindTechnique(D3DXHANDLE handle) const {
    if (!handle) return -1;
    const auto& techniques = Techniques();
    for (std::size_t i = 0; i < techniques.size(); ++i)
      if (techniques[i].name.c_str() == handle) return static_cast<int>(i);
    for (std::size_t i = 0; i < techniques.size(); ++i)
      if (techniques[i].name == handle) return static_cast<int>(i);
    return -1;
  }

  const PassDecl* FindPass(D3DXHANDLE handle) const {
    if (!handle) return nullptr;
    for (const TechniqueDecl& t : Techniques())
      for (const PassDecl& pass : t.passes)
        if (pass.name.c_str() == handle) return &pass;
    return nullptr;
  }

  // For the trace: the name behind a handle, "null" for none.
  std::string HandleName(D3DXHANDLE handle) const {
    if (!handle) return "null";
    for (const Parameter& p : parameters_)
      if (Handle(p) == handle) return p.decl.name;
    for (const TechniqueDecl& t : Techniques())
      if (t.name.c_str() == handle) return t.name;
    return handle;
  }

  const std::vector<PassProgram>& CurrentPasses() const {
    return programs_[static_cast<std::size_t>(currentTechnique_)];
  }

  // A float4x3 keeps the first three columns of each 4x4 matrix, as D3DX
  // writes a 4x4 matrix into a float4x3 array.
  HRESULT SetMatrices(D3DXHANDLE handle, const D3DXMATRIX* matrices, UINT count) {
    Parameter* p = FindParameter(handle);
    if (!p || !matrices || !IsMatrix(p->decl) || count > std::max<std::uint32_t>(1, p->decl.elements))
      return D3DERR_INVALIDCALL;
    const auto* floats = reinterpret_cast<const float*>(matrices);
    if (p->decl.type == ParameterType::Float4x4) {
      Store(*p, floats, std::size_t{count} * 64);
      return D3D_OK;
    }
    std::vector<float> packed(std::size_t{count} * 12);
    for (std::size_t m = 0; m < count; ++m)
      for (std::size_t r = 0; r < 4; ++r)
        for (std::size_t c = 0; c < 3; ++c) packed[m * 12 + r * 3 + c] = floats[m * 16 + r * 4 + c];
    Store(*p, packed.data(), packed.size() * 4);
    return D3D_OK;
  }

  HRESULT GetMatrices(D3DXHANDLE handle, D3DXMATRIX* matrices, UINT count) {
    Parameter* p = FindParameter(handle);
    if (!p || !matrices || !IsMatrix(p->decl) || count > std::max<std::uint32_t>(1, p->decl.elements))
      return D3DERR_INVALIDCALL;
    auto* floats = reinterpret_cast<float*>(matrices);
    if (p->decl.type == ParameterType::Float4x4) {
      std::memcpy(floats, p->values.data(), std::size_t{count} * 64);
      return D3D_OK;
    }
    for (std::size_t m = 0; m < count; ++m)
      for (std::size_t r = 0; r < 4; ++r)
        for (std::size_t c = 0; c < 4; ++c)
          floats[m * 16 + r * 4 + c] = c < 3 ? p->values[m * 12 + r * 3 + c] : 0.0f;
    return D3D_OK;
  }

  // Lays what changed since this pass's program last received it into the
  // program's block of constants and sends the changed bytes; binds the
  // samplers' textures and states.
  void Upload() {
    PassProgram& pass = programs_[static_cast<std::size_t>(currentTechnique_)][openPass_];
    glUseProgram(pass.program);
    std::size_t begin = SIZE_MAX, end = 0;
    for (std::size_t i = 0; i < parameters_.size(); ++i) {
      Parameter& p = parameters_[i];
      if (p.samplerUnit >= 0) {
        auto stage = static_cast<DWORD>(p.samplerUnit);
        // A sampler without a Texture state samples whatever the stage holds.
        if (p.textureParameter >= 0)
          device_->SetTexture(stage, parameters_[static_cast<std::size_t>(p.textureParameter)].texture);
        for (const SamplerStateDecl& s : p.decl.samplerStates)
          device_->SetSamplerState(stage, static_cast<D3DSAMPLERSTATETYPE>(s.state), s.value);
        continue;
      }
      if (!pass.members[i].present || pass.uploaded[i] == p.version) continue;
      pass.uploaded[i] = p.version;
      PackParameter(p.decl, p.values.data(), pass.members[i], pass.image, begin, end);
    }
    if (pass.constants) {
      glBindBuffer(GL_UNIFORM_BUFFER, pass.constants);
      if (!pass.sent) begin = 0, end = pass.image.size(), pass.sent = true;
      if (end > begin) {
        glBufferSubData(GL_UNIFORM_BUFFER, static_cast<GLintptr>(begin), static_cast<GLsizeiptr>(end - begin),
                        pass.image.data() + begin);
        g_uploadedBytes += end - begin;
      }
      glBindBuffer(GL_UNIFORM_BUFFER, 0);
      glBindBufferBase(GL_UNIFORM_BUFFER, 0, pass.constants);
    }
  }

  IDirect3DDevice9* device_;  // one reference
  d3d9::Device* layerDevice_;
  std::shared_ptr<const CompiledEffect> source_;
  std::string fileName_;
  std::vector<std::vector<PassProgram>> programs_;  // [technique][pass]
  std::vector<Parameter> parameters_;
  int currentTechnique_ = 0;
  bool begun_ = false;
  bool passOpen_ = false;
  UINT openPass_ = 0;
  bool saveState_ = false;
  std::vector<IDirect3DBaseTexture9*> saved_;  // per stage, one reference each, between Begin and End
};

}  // namespace

}  // namespace compat::d3dx9

namespace compat::testing {
std::uint64_t EffectBytesUploaded() { return compat::d3dx9::g_uploadedBytes; }
}  // namespace compat::testing

HRESULT WINAPI D3DXCreateEffectFromFileExW(IDirect3DDevice9* device, LPCWSTR srcFile,
                                           const D3DXMACRO* defines, ID3DXInclude* include,
                                           LPCSTR skipConstants, DWORD flags, ID3DXEffectPool* pool,
                                           ID3DXEffect** effect, ID3DXBuffer** compilationErrors) {
  using namespace compat::d3dx9;
  (void)defines, (void)include, (void)skipConstants, (void)flags, (void)pool;
  if (effect) *effect = nullptr;
  if (compilationErrors) *compilationErrors = nullptr;
  if (!device || !srcFile || !effect) return D3DERR_INVALIDCALL;

  std::string fileName = compat::ToUtf8(srcFile);
  auto fail = [&](std::string message) {
    while (!message.empty() && message.back() == '\n') message.pop_back();
    if (compilationErrors) *compilationErrors = CreateTextBuffer(message);
    return E_FAIL;
  };
  std::vector<std::pair<std::string, std::string>> macros;
  for (const D3DXMACRO* m = defines; m && m->Name; ++m) macros.emplace_back(m->Name, m->Definition ? m->Definition : "");
  compat::d3d9::Device* layerDevice = compat::d3d9::LayerDevice(device);
  if (!layerDevice || !compat::d3d9::MakeCurrent(*layerDevice)) return fail(fileName + ": the device cannot draw");
  auto compiled = std::make_shared<CompiledEffect>();
  std::string error;
  if (!CompileEffectFile(srcFile, macros, !compat::d3d9::ClipControlAvailable(), *compiled, error))
    return fail(error);
  Effect* created = Effect::Create(device, std::move(compiled), fileName, error);
  if (!created) return fail(error);
  *effect = created;
  return D3D_OK;
}

HRESULT WINAPI D3DXCreateEffectFromFileW(IDirect3DDevice9* device, LPCWSTR srcFile, const D3DXMACRO* defines,
                                         ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool,
                                         ID3DXEffect** effect, ID3DXBuffer** compilationErrors) {
  return D3DXCreateEffectFromFileExW(device, srcFile, defines, include, nullptr, flags, pool, effect,
                                     compilationErrors);
}
