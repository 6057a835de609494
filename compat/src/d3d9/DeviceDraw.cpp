// Device: input assembly (declaration, streams, indices), textures and
// sampler states, and the draw calls.
//
// Textures bind as GL_TEXTURE_2D on the unit of their stage (0 to 15); each
// stage's sampler states become a GL sampler object at the next draw:
// MINFILTER, MAGFILTER and MIPFILTER (ANISOTROPIC filters as LINEAR),
// ADDRESSU and ADDRESSV (MIRRORONCE wraps), BORDERCOLOR. Accepted but
// ignored: ADDRESSW, MAXANISOTROPY, MIPMAPLODBIAS, MAXMIPLEVEL, SRGBTEXTURE,
// ELEMENTINDEX, DMAPOFFSET.
// Draws need a vertex declaration and an open effect pass (there is no
// fixed-function pipeline). DrawIndexedPrimitive ignores MinVertexIndex and
// NumVertices and finds the vertex range from the indices; DrawPrimitiveUP
// feeds only the declaration's stream 0 elements.
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/LayerMessages.h"
#include "common/Trace.h"
#include "compat/testing_draw.h"
#include "d3d9/Buffers.h"
#include "d3d9/Device.h"
#include "d3d9/DeviceGL.h"
#include "d3d9/Texture.h"
#include "d3d9/VertexDeclaration.h"

namespace compat::d3d9 {

namespace {

std::vector<std::uint8_t> g_lastUserPrimitiveData;

template <class T>
void Rebind(T*& slot, T* value) {
  if (value) value->AddRef();
  if (slot) slot->Release();
  slot = value;
}

bool PrimitiveMode(D3DPRIMITIVETYPE type, UINT primitives, GLenum& mode, UINT& vertices) {
  switch (type) {
    case D3DPT_POINTLIST: mode = GL_POINTS, vertices = primitives; return true;
    case D3DPT_LINELIST: mode = GL_LINES, vertices = primitives * 2; return true;
    case D3DPT_LINESTRIP: mode = GL_LINE_STRIP, vertices = primitives + 1; return true;
    case D3DPT_TRIANGLELIST: mode = GL_TRIANGLES, vertices = primitives * 3; return true;
    case D3DPT_TRIANGLESTRIP: mode = GL_TRIANGLE_STRIP, vertices = primitives + 2; return true;
    case D3DPT_TRIANGLEFAN: mode = GL_TRIANGLE_FAN, vertices = primitives + 2; return true;
  }
  return false;
}

GLint MinFilter(DWORD min, DWORD mip) {
  bool linear = min != D3DTEXF_POINT && min != D3DTEXF_NONE;
  if (mip == D3DTEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
  if (mip == D3DTEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
  return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

GLint AddressMode(DWORD address) {
  switch (address) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
  }
}

void ApplySampler(DrawState& state, DWORD stage) {
  GLuint& sampler = state.samplers[stage];
  if (!sampler) glGenSamplers(1, &sampler);
  const auto& s = state.samplerStates[stage];
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, MinFilter(s[D3DSAMP_MINFILTER], s[D3DSAMP_MIPFILTER]));
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER,
                      s[D3DSAMP_MAGFILTER] == D3DTEXF_POINT ? GL_NEAREST : GL_LINEAR);
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(s[D3DSAMP_ADDRESSU]));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(s[D3DSAMP_ADDRESSV]));
  D3DCOLOR c = s[D3DSAMP_BORDERCOLOR];
  float border[4] = {((c >> 16) & 255) / 255.0f, ((c >> 8) & 255) / 255.0f, (c & 255) / 255.0f,
                     (c >> 24) / 255.0f};
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
  glBindSampler(stage, sampler);
}

// True when `vertices` vertices from `firstVertex` of element `e` lie inside
// a stream of `length` bytes.
bool VertexRangeFits(const D3DVERTEXELEMENT9& e, const AttributeFormat& format, UINT offset, UINT stride,
                     UINT length, UINT firstVertex, UINT vertices) {
  if (vertices == 0) return true;
  std::uint64_t end = std::uint64_t{offset} + e.Offset +
                      (std::uint64_t{firstVertex} + vertices - 1) * stride + format.bytes;
  return end <= length;
}

}  // namespace

bool Device::VerticesFit(UINT firstVertex, UINT vertices) const {
  const DrawState& s = drawState;
  if (!s.declaration) return false;
  for (const D3DVERTEXELEMENT9& e : s.declaration->Elements()) {
    if (AttributeLocation(e.Usage, e.UsageIndex) < 0) continue;
    const StreamBinding& stream = s.streams[e.Stream];
    if (!stream.buffer) return false;
    AttributeFormat format{};
    AttributeFormatOf(e.Type, format);
    if (!VertexRangeFits(e, format, stream.offset, stream.stride, stream.buffer->Length(), firstVertex, vertices))
      return false;
  }
  return true;
}

Device* LayerDevice(IDirect3DDevice9* device) { return device ? dynamic_cast<Device*>(device) : nullptr; }
bool MakeCurrent(Device& device) { return device.MakeCurrent(); }
void UseProgram(Device& device, GLuint program) { device.drawState.program = program; }

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
  trace::Record("SetVertexDeclaration", declaration ? "declaration" : "null");
  auto* ours = declaration ? dynamic_cast<VertexDeclaration*>(declaration) : nullptr;
  if (declaration && !ours) return D3DERR_INVALIDCALL;
  Rebind(drawState.declaration, ours);
  return D3D_OK;
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration) {
  if (!declaration) return D3DERR_INVALIDCALL;
  *declaration = drawState.declaration;
  if (*declaration) (*declaration)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData, UINT offsetInBytes,
                                UINT stride) {
  trace::Record("SetStreamSource", streamNumber, streamData ? "buffer" : "null", offsetInBytes, stride);
  if (streamNumber >= kMaxStreams) return D3DERR_INVALIDCALL;
  auto* ours = streamData ? dynamic_cast<VertexBuffer*>(streamData) : nullptr;
  if (streamData && !ours) return D3DERR_INVALIDCALL;
  StreamBinding& stream = drawState.streams[streamNumber];
  Rebind(stream.buffer, ours);
  stream.offset = offsetInBytes;
  stream.stride = stride;
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9** streamData, UINT* offsetInBytes,
                                UINT* stride) {
  if (streamNumber >= kMaxStreams || !streamData || !offsetInBytes || !stride) return D3DERR_INVALIDCALL;
  const StreamBinding& stream = drawState.streams[streamNumber];
  *streamData = stream.buffer;
  if (stream.buffer) stream.buffer->AddRef();
  *offsetInBytes = stream.offset;
  *stride = stream.stride;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* indexData) {
  trace::Record("SetIndices", indexData ? "buffer" : "null");
  auto* ours = indexData ? dynamic_cast<IndexBuffer*>(indexData) : nullptr;
  if (indexData && !ours) return D3DERR_INVALIDCALL;
  Rebind(drawState.indices, ours);
  return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** indexData) {
  if (!indexData) return D3DERR_INVALIDCALL;
  *indexData = drawState.indices;
  if (*indexData) (*indexData)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  trace::Record("SetTexture", stage, texture ? "texture" : "null");
  if (stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
  auto* ours = texture ? dynamic_cast<Texture*>(texture) : nullptr;
  if (texture && !ours) return D3DERR_INVALIDCALL;
  Rebind(drawState.textures[stage], ours);
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
  if (stage >= kMaxTextureStages || !texture) return D3DERR_INVALIDCALL;
  *texture = drawState.textures[stage];
  if (*texture) (*texture)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  trace::Record("SetSamplerState", sampler, type, value);
  if (sampler >= kMaxTextureStages || type >= kSamplerStateCount || type == 0) return D3DERR_INVALIDCALL;
  DWORD& stored = drawState.samplerStates[sampler][type];
  if (stored != value) drawState.samplerChanged[sampler] = true;
  stored = value;
  return D3D_OK;
}

// Points every attribute of the declaration at its stream, checking that
// `vertices` vertices from `firstVertex` lie inside each buffer.
HRESULT Device::PrepareDraw(const char* call, UINT firstVertex, UINT vertices, bool userStream) {
  DrawState& s = drawState;
  if (!s.program) {
    compat::Report(compat::LayerMessage::DrawWithoutPass, call);
    return D3DERR_INVALIDCALL;
  }
  if (!s.declaration) {
    compat::Report(compat::LayerMessage::DrawWithoutDeclaration, call);
    return D3DERR_INVALIDCALL;
  }
  if (!MakeCurrent()) return D3DERR_DEVICELOST;
  glBindFramebuffer(GL_FRAMEBUFFER, BackBufferFramebuffer());
  if (!s.vertexArray) glGenVertexArrays(1, &s.vertexArray);
  glBindVertexArray(s.vertexArray);
  for (int location = 0; location < kAttributeLocations; ++location)
    glDisableVertexAttribArray(static_cast<GLuint>(location));
  for (const D3DVERTEXELEMENT9& e : s.declaration->Elements()) {
    int location = AttributeLocation(e.Usage, e.UsageIndex);
    if (location < 0) continue;
    AttributeFormat format{};
    AttributeFormatOf(e.Type, format);
    GLuint buffer = 0;
    UINT offset = 0, stride = 0, length = 0;
    if (userStream) {
      if (e.Stream != 0) continue;
      buffer = s.scratchBuffer;
      stride = s.streams[0].stride;
      length = static_cast<UINT>(g_lastUserPrimitiveData.size());
    } else {
      const StreamBinding& stream = s.streams[e.Stream];
      if (!stream.buffer) {
        compat::Report(compat::LayerMessage::DrawStreamMissing, call, e.Stream);
        return D3DERR_INVALIDCALL;
      }
      buffer = stream.buffer->Name();
      offset = stream.offset;
      stride = stream.stride;
      length = stream.buffer->Length();
    }
    if (!VertexRangeFits(e, format, offset, stride, length, firstVertex, vertices)) {
      compat::Report(compat::LayerMessage::DrawBeyondStream, call, firstVertex,
                      firstVertex + vertices - 1, e.Stream);
      return D3DERR_INVALIDCALL;
    }
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(static_cast<GLuint>(location), format.size, format.type, format.normalized,
                          static_cast<GLsizei>(stride),
                          reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset + e.Offset)));
    glEnableVertexAttribArray(static_cast<GLuint>(location));
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glUseProgram(s.program);
  // Only stages whose texture or sampler states changed reach GL.
  for (DWORD stage = 0; stage < kMaxTextureStages; ++stage) {
    GLuint texture = s.textures[stage] ? s.textures[stage]->Name() : 0;
    if (texture != s.boundTextures[stage]) {
      glActiveTexture(GL_TEXTURE0 + stage);
      glBindTexture(GL_TEXTURE_2D, texture);
      s.boundTextures[stage] = texture;
    }
    if (s.samplerChanged[stage]) {
      ApplySampler(s, stage);
      s.samplerChanged[stage] = false;
    }
  }
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex, UINT primitiveCount) {
  trace::Record("DrawPrimitive", primitiveType, startVertex, primitiveCount);
  GLenum mode;
  UINT vertices;
  if (!PrimitiveMode(primitiveType, primitiveCount, mode, vertices) || primitiveCount == 0)
    return D3DERR_INVALIDCALL;
  HRESULT prepared = PrepareDraw("DrawPrimitive", startVertex, vertices, false);
  if (FAILED(prepared)) return prepared;
  glDrawArrays(mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
  glBindVertexArray(0);
  return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType, INT baseVertexIndex, UINT minVertexIndex,
                                     UINT numVertices, UINT startIndex, UINT primitiveCount) {
  trace::Record("DrawIndexedPrimitive", primitiveType, baseVertexIndex, minVertexIndex, numVertices,
                startIndex, primitiveCount);
  GLenum mode;
  UINT indices;
  if (!PrimitiveMode(primitiveType, primitiveCount, mode, indices) || primitiveCount == 0)
    return D3DERR_INVALIDCALL;
  IndexBuffer* indexBuffer = drawState.indices;
  if (!indexBuffer) {
    compat::Report(compat::LayerMessage::DrawWithoutIndices);
    return D3DERR_INVALIDCALL;
  }
  UINT size = indexBuffer->IndexSize();
  if ((std::uint64_t{startIndex} + indices) * size > indexBuffer->Length()) {
    compat::Report(compat::LayerMessage::DrawBeyondIndices, startIndex, startIndex + indices - 1);
    return D3DERR_INVALIDCALL;
  }
  // The vertex range the indices reach, so that no stream is read beyond its
  // end whatever the index buffer holds: the buffer's own range, known since
  // its last unlock, and only where that range does not fit the streams the
  // exact range of the indices drawn.
  std::int64_t lowest = std::int64_t{baseVertexIndex} + indexBuffer->LowestIndex();
  std::int64_t highest = std::int64_t{baseVertexIndex} + indexBuffer->HighestIndex();
  if (lowest < 0 || !VerticesFit(static_cast<UINT>(lowest), static_cast<UINT>(highest - lowest + 1)))
    indexBuffer->IndexRange(startIndex, indices, baseVertexIndex, lowest, highest);
  if (lowest < 0) {
    compat::Report(compat::LayerMessage::DrawBeforeFirstVertex);
    return D3DERR_INVALIDCALL;
  }
  HRESULT prepared = PrepareDraw("DrawIndexedPrimitive", static_cast<UINT>(lowest),
                                 static_cast<UINT>(highest - lowest + 1), false);
  if (FAILED(prepared)) return prepared;
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer->Name());
  glDrawElementsBaseVertex(
      mode, static_cast<GLsizei>(indices), size == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
      reinterpret_cast<const void*>(static_cast<std::uintptr_t>(startIndex) * size), baseVertexIndex);
  glBindVertexArray(0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  return D3D_OK;
}

// Stream 0 comes from memory; afterwards stream 0 is unset, as Direct3D 9 does.
HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                const void* vertexStreamZeroData, UINT vertexStreamZeroStride) {
  trace::Record("DrawPrimitiveUP", primitiveType, primitiveCount, vertexStreamZeroStride);
  GLenum mode;
  UINT vertices;
  if (!PrimitiveMode(primitiveType, primitiveCount, mode, vertices) || primitiveCount == 0 ||
      !vertexStreamZeroData || vertexStreamZeroStride == 0 ||
      std::uint64_t{vertices} * vertexStreamZeroStride > (256u << 20))
    return D3DERR_INVALIDCALL;
  auto* data = static_cast<const std::uint8_t*>(vertexStreamZeroData);
  g_lastUserPrimitiveData.assign(data, data + std::size_t{vertices} * vertexStreamZeroStride);
  Rebind(drawState.streams[0].buffer, static_cast<VertexBuffer*>(nullptr));
  drawState.streams[0].offset = 0;
  drawState.streams[0].stride = vertexStreamZeroStride;
  if (!MakeCurrent()) return D3DERR_DEVICELOST;
  if (!drawState.scratchBuffer) glGenBuffers(1, &drawState.scratchBuffer);
  glBindBuffer(GL_ARRAY_BUFFER, drawState.scratchBuffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(g_lastUserPrimitiveData.size()),
               g_lastUserPrimitiveData.data(), GL_STREAM_DRAW);
  HRESULT prepared = PrepareDraw("DrawPrimitiveUP", 0, vertices, true);
  drawState.streams[0].stride = 0;
  if (FAILED(prepared)) return prepared;
  glDrawArrays(mode, 0, static_cast<GLsizei>(vertices));
  glBindVertexArray(0);
  return D3D_OK;
}

}  // namespace compat::d3d9

namespace compat::testing {
std::vector<std::uint8_t> LastUserPrimitiveData() { return compat::d3d9::g_lastUserPrimitiveData; }
}  // namespace compat::testing
