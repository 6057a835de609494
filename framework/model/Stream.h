// The device side of a mesh: a vertex declaration, one vertex buffer per kind
// of vertex data, and the index buffer, built from a parsed mesh record and
// bound to the device before the mesh is drawn.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "xfile/XFileRecords.h"

XFILE_SHAPE_BEGIN

// The kinds of vertex stream. Streams are numbered from 0 in this order,
// counting only the kinds that are built.
enum StreamKind : std::uint32_t {
  STREAM_POSITION_NORMAL = 0x01,  // FLOAT3 position, FLOAT3 normal; stride 24
  STREAM_TANGENT = 0x02,          // FLOAT3 tangent (its handedness is dropped); stride 12
  STREAM_TEXCOORD = 0x04,         // FLOAT2 texture coordinate; stride 8
  STREAM_COLOR = 0x08,            // D3DCOLOR; stride 4
  STREAM_SKIN = 0x10,             // FLOAT4 blend weights, UBYTE4 blend indices; stride 20 (character shape only)
};

// Indices stay 16 bits wide up to this many vertices; larger meshes get 32-bit indices.
inline constexpr std::size_t kMaxVerticesOf16BitIndices = 65536;

class Stream {
 public:
  Stream();
  Stream(Stream&& other) noexcept;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  Stream& operator=(Stream&&) = delete;
  virtual ~Stream();

  // Builds the streams of the kinds in `flags` (in table order), the
  // declaration, then the index buffer. A vertex or index buffer that cannot
  // be created or filled leaves the stream empty and returns false; a
  // declaration the device refuses returns false and builds no index buffer.
  bool Build(IDirect3DDevice9* device, const XMesh* record, std::uint32_t flags);
  // One vertex buffer of one kind, appended with its stride; false for a kind
  // this shape does not know or a buffer that cannot be made.
  bool BuildVertexStream(IDirect3DDevice9* device, const XMesh* record, std::uint32_t kind);
  // Three indices per face in face order: 16-bit, or 32-bit for a mesh of
  // more than 65,536 vertices.
  bool BuildIndexBuffer(IDirect3DDevice9* device, const XMesh* record);

  // Sets the declaration, the indices and stream i = vertexBuffers[i] with
  // strides[i]; false at the first call the device refuses.
  bool Bind(IDirect3DDevice9* device);

  // True once the declaration and the index buffer exist: only then is there
  // anything to draw.
  bool IsBuilt() const { return declaration && indexBuffer; }

  IDirect3DVertexDeclaration9* declaration;
  std::vector<IDirect3DVertexBuffer9*> vertexBuffers;
  IDirect3DIndexBuffer9* indexBuffer;
  std::vector<std::uint32_t> strides;

  // Releases the device objects; the stream is then empty, as before Build.
  void ReleaseAll();
};

XFILE_SHAPE_END
