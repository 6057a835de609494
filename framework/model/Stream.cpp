#include "model/Stream.h"

#include <climits>
#include <cstring>

#include "platform/SafeRelease.h"

XFILE_SHAPE_BEGIN

namespace {

struct ElementLayout {
  BYTE offset;
  BYTE type;
  BYTE usage;
};

struct StreamLayout {
  std::uint32_t kind;
  std::uint32_t stride;
  std::uint32_t elementCount;
  ElementLayout elements[2];
};

constexpr StreamLayout kStreamLayouts[] = {
    {STREAM_POSITION_NORMAL, 24, 2,
     {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION}, {12, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL}}},
    {STREAM_TANGENT, 12, 1, {{0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_TANGENT}}},
    {STREAM_TEXCOORD, 8, 1, {{0, D3DDECLTYPE_FLOAT2, D3DDECLUSAGE_TEXCOORD}}},
    {STREAM_COLOR, 4, 1, {{0, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR}}},
#if !defined(XVIEW_REDUCED_MODEL)
    {STREAM_SKIN, 20, 2,
     {{0, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_BLENDWEIGHT}, {16, D3DDECLTYPE_UBYTE4, D3DDECLUSAGE_BLENDINDICES}}},
#endif
};

const StreamLayout* LayoutOf(std::uint32_t kind) {
  for (const StreamLayout& layout : kStreamLayouts)
    if (layout.kind == kind) return &layout;
  return nullptr;
}

// 0 at or below 0 (and for NaN), 255 at or above 1, rounded in between.
std::uint32_t ColorByte(float c) {
  if (!(c > 0.0f)) return 0;
  if (c >= 1.0f) return 255;
  return static_cast<std::uint32_t>(c * 255.0f + 0.5f);
}

std::uint32_t PackColor(const XColorRGBA& c) {
  return ColorByte(c.a) << 24 | ColorByte(c.r) << 16 | ColorByte(c.g) << 8 | ColorByte(c.b);
}

// Writes one vertex of `kind` at `out` (stride bytes).
void WriteVertex(std::uint8_t* out, const XVertex& v, std::uint32_t kind) {
  switch (kind) {
    case STREAM_POSITION_NORMAL:
      std::memcpy(out, &v.position, 12);
      std::memcpy(out + 12, &v.normal, 12);
      break;
    case STREAM_TANGENT: std::memcpy(out, &v.tangent, 12); break;
    case STREAM_TEXCOORD: std::memcpy(out, &v.texCoord, 8); break;
    case STREAM_COLOR: {
      std::uint32_t packed = PackColor(v.color);
      std::memcpy(out, &packed, 4);
      break;
    }
#if !defined(XVIEW_REDUCED_MODEL)
    case STREAM_SKIN: {
      // The first four influences as the file lists them: not sorted, not renormalised.
      float weights[4] = {0, 0, 0, 0};
      std::uint8_t bones[4] = {0, 0, 0, 0};
      for (std::size_t j = 0; j < 4 && j < v.influences.size(); ++j) {
        weights[j] = v.influences[j].weight;
        // Only a mesh of at most kMaxSkinBones bones gets a skin stream.
        bones[j] = static_cast<std::uint8_t>(v.influences[j].bone);
      }
      std::memcpy(out, weights, 16);
      std::memcpy(out + 16, bones, 4);
      break;
    }
#endif
  }
}

// Fills a buffer that `create` made: `write` gets its bytes while it is
// locked. A buffer that cannot be made or locked gives null.
template <class Buffer, class Create, class Write>
Buffer* MakeFilledBuffer(Create create, Write write) {
  Buffer* buffer = nullptr;
  if (FAILED(create(&buffer)) || !buffer) return nullptr;
  void* data = nullptr;
  if (FAILED(buffer->Lock(0, 0, &data, 0)) || !data) {
    buffer->Release();
    return nullptr;
  }
  write(static_cast<std::uint8_t*>(data));
  buffer->Unlock();
  return buffer;
}

}  // namespace

Stream::Stream() : declaration(nullptr), indexBuffer(nullptr) {}

Stream::Stream(Stream&& other) noexcept
    : declaration(other.declaration),
      vertexBuffers(std::move(other.vertexBuffers)),
      indexBuffer(other.indexBuffer),
      strides(std::move(other.strides)) {
  other.declaration = nullptr;
  other.indexBuffer = nullptr;
  other.vertexBuffers.clear();
  other.strides.clear();
}

Stream::~Stream() { ReleaseAll(); }

void Stream::ReleaseAll() {
  SafeRelease(indexBuffer);
  for (IDirect3DVertexBuffer9*& buffer : vertexBuffers) SafeRelease(buffer);
  vertexBuffers.clear();
  strides.clear();
  SafeRelease(declaration);
}

bool Stream::Build(IDirect3DDevice9* device, const XMesh* record, std::uint32_t flags) {
  ReleaseAll();  // a second build replaces the first
  if (!device || !record) return false;
  std::vector<D3DVERTEXELEMENT9> elements;
  WORD stream = 0;
  for (const StreamLayout& layout : kStreamLayouts) {
    if (!(flags & layout.kind)) continue;
    for (std::uint32_t e = 0; e < layout.elementCount; ++e) {
      const ElementLayout& element = layout.elements[e];
      elements.push_back({stream, element.offset, element.type, D3DDECLMETHOD_DEFAULT, element.usage, 0});
    }
    if (!BuildVertexStream(device, record, layout.kind)) {
      ReleaseAll();
      return false;
    }
    ++stream;
  }
  elements.push_back(D3DDECL_END());
  if (FAILED(device->CreateVertexDeclaration(elements.data(), &declaration)) ||
      !BuildIndexBuffer(device, record)) {
    ReleaseAll();
    return false;
  }
  return true;
}

bool Stream::BuildVertexStream(IDirect3DDevice9* device, const XMesh* record, std::uint32_t kind) {
  const StreamLayout* layout = LayoutOf(kind);
  if (!layout || !device || !record) return false;
  const std::vector<XVertex>& vertices = record->vertices;
  std::uint64_t bytes = std::uint64_t{vertices.size()} * layout->stride;
  if (bytes > UINT_MAX) return false;
  auto* buffer = MakeFilledBuffer<IDirect3DVertexBuffer9>(
      [&](IDirect3DVertexBuffer9** made) {
        return device->CreateVertexBuffer(static_cast<UINT>(bytes), 0, 0, D3DPOOL_MANAGED, made, nullptr);
      },
      [&](std::uint8_t* out) {
        for (const XVertex& vertex : vertices) {
          WriteVertex(out, vertex, kind);
          out += layout->stride;
        }
      });
  if (!buffer) return false;
  vertexBuffers.push_back(buffer);
  strides.push_back(layout->stride);
  return true;
}

bool Stream::BuildIndexBuffer(IDirect3DDevice9* device, const XMesh* record) {
  if (!device || !record) return false;
  bool wide = record->vertices.size() > kMaxVerticesOf16BitIndices;
  std::uint64_t indexSize = wide ? 4 : 2;
  std::uint64_t bytes = std::uint64_t{record->faces.size()} * 3 * indexSize;
  if (bytes > UINT_MAX) return false;
  auto* buffer = MakeFilledBuffer<IDirect3DIndexBuffer9>(
      [&](IDirect3DIndexBuffer9** made) {
        return device->CreateIndexBuffer(static_cast<UINT>(bytes), 0, wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                         D3DPOOL_MANAGED, made, nullptr);
      },
      [&](std::uint8_t* out) {
        for (const XFace& face : record->faces) {
          for (std::size_t k = 0; k < 3; ++k) {
            auto corner = static_cast<std::uint32_t>(k < face.corners.size() ? face.corners[k] : 0);
            if (wide) {
              std::memcpy(out, &corner, 4);
            } else {
              auto low = static_cast<std::uint16_t>(corner);
              std::memcpy(out, &low, 2);
            }
            out += indexSize;
          }
        }
      });
  if (!buffer) return false;
  indexBuffer = buffer;
  return true;
}

bool Stream::Bind(IDirect3DDevice9* device) {
  if (!device) return false;
  if (FAILED(device->SetVertexDeclaration(declaration))) return false;
  if (FAILED(device->SetIndices(indexBuffer))) return false;
  for (std::size_t i = 0; i < vertexBuffers.size(); ++i)
    if (FAILED(device->SetStreamSource(static_cast<UINT>(i), vertexBuffers[i], 0, strides[i]))) return false;
  return true;
}

XFILE_SHAPE_END
