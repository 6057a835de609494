// The device's input-assembly and texture state, and the resources it must
// tear down before its GL context goes. One member of Device holds it.
#pragma once

#include <d3d9.h>
#include <epoxy/gl.h>

#include <array>
#include <set>

namespace compat::d3d9 {

class DeviceChild;
class VertexDeclaration;
class VertexBuffer;
class IndexBuffer;
class Texture;

inline constexpr UINT kMaxStreams = 16;
inline constexpr DWORD kMaxTextureStages = 16;
inline constexpr DWORD kSamplerStateCount = 14;
// Texture uploads bind on a unit past the stages, so they never disturb what
// the stages have bound (GL 3.3 offers at least 48 units).
inline constexpr DWORD kUploadTextureUnit = kMaxTextureStages;

struct StreamBinding {
  VertexBuffer* buffer = nullptr;  // one reference
  UINT offset = 0;
  UINT stride = 0;
};

struct DrawState {
  std::set<DeviceChild*> children;  // every live resource of the device

  VertexDeclaration* declaration = nullptr;  // bindings hold one reference each
  std::array<StreamBinding, kMaxStreams> streams{};
  IndexBuffer* indices = nullptr;
  std::array<Texture*, kMaxTextureStages> textures{};
  std::array<std::array<DWORD, kSamplerStateCount>, kMaxTextureStages> samplerStates{};

  GLuint program = 0;  // chosen by the open effect pass
  GLuint vertexArray = 0;
  GLuint scratchBuffer = 0;  // vertices of DrawPrimitiveUP
  std::array<GLuint, kMaxTextureStages> samplers{};

  // What GL has bound on each stage, so that a draw binds only what changed.
  std::array<GLuint, kMaxTextureStages> boundTextures{};
  std::array<bool, kMaxTextureStages> samplerChanged{};

  DrawState();
};

// Tears the state down: detaches every resource and releases the bindings.
// Runs first in the device's destructor; GL objects are deleted only when
// the context is current (otherwise they go with the context).
void ReleaseDrawState(DrawState& state, bool contextCurrent);

// A deleted GL texture leaves its units bound to nothing.
void ForgetTextureBinding(DrawState& state, GLuint texture);

}  // namespace compat::d3d9
