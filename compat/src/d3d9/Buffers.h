// IDirect3DVertexBuffer9 and IDirect3DIndexBuffer9 in the managed pool: the
// bytes live in memory (Lock hands them out) and in a GL buffer that the last
// Unlock refreshes.
// Accepted but ignored: Lock flags (DISCARD, NOOVERWRITE, READONLY) and the
// locked range (the whole buffer is uploaded again), usage and FVF (kept for
// GetDesc), the D3DPOOL_DEFAULT pool (handled as managed).
#pragma once

#include <d3d9.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "common/LiveObjects.h"
#include "d3d9/DeviceChild.h"

namespace compat::d3d9 {

// The memory, GL buffer and locking shared by both kinds of buffer.
class BufferStore {
 public:
  BufferStore(UINT length);
  HRESULT Lock(UINT offset, UINT size, void** data);
  // True when the last lock was undone, so the GL copy must be refreshed.
  HRESULT Unlock(bool& refresh);
  void Upload();  // context current
  void DeleteGLBuffer();
  GLuint Name() const { return name_; }
  UINT Length() const { return static_cast<UINT>(bytes_.size()); }
  const std::uint8_t* Bytes() const { return bytes_.data(); }

 private:
  std::vector<std::uint8_t> bytes_;
  GLuint name_ = 0;
  int locks_ = 0;
};

class VertexBuffer final : public RefCounted<IDirect3DVertexBuffer9>, public DeviceChild {
 public:
  VertexBuffer(Device& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

  HRESULT GetDevice(IDirect3DDevice9** device) override { return GetDeviceInterface(device); }
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

  GLuint Name() const { return store_.Name(); }
  UINT Length() const { return store_.Length(); }

 private:
  void DeleteGLObjects() override { store_.DeleteGLBuffer(); }

  BufferStore store_;
  DWORD usage_;
  DWORD fvf_;
  D3DPOOL pool_;
};

class IndexBuffer final : public RefCounted<IDirect3DIndexBuffer9>, public DeviceChild {
 public:
  IndexBuffer(Device& device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  HRESULT GetDevice(IDirect3DDevice9** device) override { return GetDeviceInterface(device); }
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

  GLuint Name() const { return store_.Name(); }
  UINT Length() const { return store_.Length(); }
  D3DFORMAT Format() const { return format_; }
  UINT IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }
  const std::uint8_t* Bytes() const { return store_.Bytes(); }

  // The smallest and largest index the whole buffer holds, found when its
  // last lock is undone, so that a draw need not read its indices.
  std::uint32_t LowestIndex() const { return lowest_; }
  std::uint32_t HighestIndex() const { return highest_; }
  // The vertex range that `count` indices from `start` reach, offset by
  // `baseVertex`; the range must lie inside the buffer.
  void IndexRange(UINT start, UINT count, INT baseVertex, std::int64_t& lowest, std::int64_t& highest) const;

 private:
  void DeleteGLObjects() override { store_.DeleteGLBuffer(); }
  std::uint32_t IndexAt(std::size_t i) const;
  void FindRange();

  BufferStore store_;
  std::uint32_t lowest_ = 0, highest_ = 0;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
};

}  // namespace compat::d3d9
