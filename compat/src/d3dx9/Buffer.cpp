#include "d3dx9/Buffer.h"

#include <cstring>
#include <vector>

#include "common/LiveObjects.h"

namespace compat::d3dx9 {

namespace {

class Buffer final : public RefCounted<ID3DXBuffer> {
 public:
  explicit Buffer(std::size_t size) : bytes_(size) {}
  void* GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
  DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

 private:
  std::vector<unsigned char> bytes_;
};

}  // namespace

ID3DXBuffer* CreateTextBuffer(std::string_view text) {
  auto* buffer = new Buffer(text.size() + 1);
  std::memcpy(buffer->GetBufferPointer(), text.data(), text.size());
  return buffer;
}

}  // namespace compat::d3dx9

HRESULT WINAPI D3DXCreateBuffer(DWORD size, ID3DXBuffer** buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = new compat::d3dx9::Buffer(size);
  return S_OK;
}
