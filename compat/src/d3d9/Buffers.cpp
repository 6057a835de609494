#include "d3d9/Buffers.h"

#include <algorithm>
#include <cstring>

#include "common/Trace.h"

namespace compat::d3d9 {

BufferStore::BufferStore(UINT length) : bytes_(length) {
  glGenBuffers(1, &name_);
  Upload();
}

HRESULT BufferStore::Lock(UINT offset, UINT size, void** data) {
  if (!data) return D3DERR_INVALIDCALL;
  *data = nullptr;
  if (size == 0 && offset <= bytes_.size()) size = static_cast<UINT>(bytes_.size()) - offset;
  if (offset > bytes_.size() || size > bytes_.size() - offset) return D3DERR_INVALIDCALL;
  ++locks_;
  *data = bytes_.data() + offset;
  return D3D_OK;
}

HRESULT BufferStore::Unlock(bool& refresh) {
  refresh = false;
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  refresh = --locks_ == 0;
  return D3D_OK;
}

// Uploads through the copy target so that no vertex array's element binding
// changes behind the device's back.
void BufferStore::Upload() {
  if (!name_) return;
  glBindBuffer(GL_COPY_WRITE_BUFFER, name_);
  glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(bytes_.size()),
               bytes_.empty() ? nullptr : bytes_.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
}

void BufferStore::DeleteGLBuffer() {
  if (name_) glDeleteBuffers(1, &name_);
  name_ = 0;
}

VertexBuffer::VertexBuffer(Device& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : DeviceChild(device), store_(length), usage_(usage), fvf_(fvf), pool_(pool) {}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
  trace::Record("IDirect3DVertexBuffer9::Lock", offset, size, flags);
  return store_.Lock(offset, size, data);
}

HRESULT VertexBuffer::Unlock() {
  trace::Record("IDirect3DVertexBuffer9::Unlock");
  bool refresh = false;
  HRESULT result = store_.Unlock(refresh);
  if (refresh && MakeDeviceCurrent()) store_.Upload();
  return result;
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage_, pool_, store_.Length(), fvf_};
  return D3D_OK;
}

IndexBuffer::IndexBuffer(Device& device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : DeviceChild(device), store_(length), usage_(usage), format_(format), pool_(pool) {}

HRESULT IndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
  trace::Record("IDirect3DIndexBuffer9::Lock", offset, size, flags);
  return store_.Lock(offset, size, data);
}

HRESULT IndexBuffer::Unlock() {
  trace::Record("IDirect3DIndexBuffer9::Unlock");
  bool refresh = false;
  HRESULT result = store_.Unlock(refresh);
  if (refresh) FindRange();
  if (refresh && MakeDeviceCurrent()) store_.Upload();
  return result;
}

std::uint32_t IndexBuffer::IndexAt(std::size_t i) const {
  if (IndexSize() == 2) {
    std::uint16_t index;
    std::memcpy(&index, store_.Bytes() + i * 2, 2);
    return index;
  }
  std::uint32_t index;
  std::memcpy(&index, store_.Bytes() + i * 4, 4);
  return index;
}

void IndexBuffer::FindRange() {
  std::size_t count = store_.Length() / IndexSize();
  lowest_ = count ? UINT32_MAX : 0;
  highest_ = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t index = IndexAt(i);
    lowest_ = std::min(lowest_, index);
    highest_ = std::max(highest_, index);
  }
}

void IndexBuffer::IndexRange(UINT start, UINT count, INT baseVertex, std::int64_t& lowest,
                             std::int64_t& highest) const {
  lowest = INT64_MAX, highest = INT64_MIN;
  for (std::size_t i = start; i < std::size_t{start} + count; ++i) {
    std::int64_t vertex = std::int64_t{baseVertex} + IndexAt(i);
    lowest = std::min(lowest, vertex);
    highest = std::max(highest, vertex);
  }
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = {format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, store_.Length()};
  return D3D_OK;
}

}  // namespace compat::d3d9
