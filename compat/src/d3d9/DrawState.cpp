#include "d3d9/DrawState.h"

#include "d3d9/Buffers.h"
#include "d3d9/DeviceChild.h"
#include "d3d9/Texture.h"
#include "d3d9/VertexDeclaration.h"

namespace compat::d3d9 {

namespace {
// The sampler defaults of Direct3D 9: wrap, point filtering, no mipmapping.
std::array<DWORD, kSamplerStateCount> DefaultSamplerStates() {
  std::array<DWORD, kSamplerStateCount> states{};
  states[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
  states[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
  states[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
  states[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
  states[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
  states[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
  return states;
}
}  // namespace

DrawState::DrawState() {
  samplerStates.fill(DefaultSamplerStates());
  samplerChanged.fill(true);
}

void ForgetTextureBinding(DrawState& state, GLuint texture) {
  for (GLuint& bound : state.boundTextures)
    if (bound == texture) bound = 0;
}

void ReleaseDrawState(DrawState& state, bool contextCurrent) {
  // Detach first: releasing a binding may destroy a resource, which must then
  // no longer reach back into the device.
  std::set<DeviceChild*> children;
  children.swap(state.children);
  for (DeviceChild* child : children) child->DetachFromDevice(contextCurrent);

  if (state.declaration) state.declaration->Release();
  state.declaration = nullptr;
  for (StreamBinding& stream : state.streams) {
    if (stream.buffer) stream.buffer->Release();
    stream = {};
  }
  if (state.indices) state.indices->Release();
  state.indices = nullptr;
  for (Texture*& texture : state.textures) {
    if (texture) texture->Release();
    texture = nullptr;
  }
  if (contextCurrent) {
    if (state.vertexArray) glDeleteVertexArrays(1, &state.vertexArray);
    if (state.scratchBuffer) glDeleteBuffers(1, &state.scratchBuffer);
    for (GLuint& sampler : state.samplers)
      if (sampler) glDeleteSamplers(1, &sampler);
  }
  state.vertexArray = state.scratchBuffer = 0;
  state.samplers.fill(0);
  state.boundTextures.fill(0);
  state.samplerChanged.fill(true);
  state.program = 0;
}

}  // namespace compat::d3d9
