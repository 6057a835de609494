#include "dinput8/DataBuffer.h"

#include <cstring>

namespace compat::dinput8 {

void DataBuffer::SetSize(DWORD size) {
  size_ = size;
  Clear();
}

void DataBuffer::Clear() {
  items_.clear();
  overflowed_ = false;
}

void DataBuffer::Add(const DIDEVICEOBJECTDATA& item) {
  if (size_ == 0) return;
  if (items_.size() + 1 >= size_) {
    overflowed_ = true;
    return;
  }
  items_.push_back(item);
}

HRESULT DataBuffer::Take(DWORD itemSize, LPDIDEVICEOBJECTDATA items, LPDWORD inOut, DWORD flags) {
  if (!inOut || (flags & ~static_cast<DWORD>(DIGDD_PEEK))) return DIERR_INVALIDPARAM;
  if (itemSize != sizeof(DIDEVICEOBJECTDATA) && itemSize != sizeof(DIDEVICEOBJECTDATA_DX3)) return DIERR_INVALIDPARAM;
  const bool peek = (flags & DIGDD_PEEK) != 0;
  DWORD count = *inOut < items_.size() ? *inOut : static_cast<DWORD>(items_.size());
  if (items) {
    auto* out = reinterpret_cast<unsigned char*>(items);
    for (DWORD i = 0; i < count; ++i) std::memcpy(out + static_cast<std::size_t>(i) * itemSize, &items_[i], itemSize);
  }
  *inOut = count;
  const HRESULT result = overflowed_ ? DI_BUFFEROVERFLOW : DI_OK;
  if (!peek) {
    items_.erase(items_.begin(), items_.begin() + count);
    overflowed_ = false;
  }
  return result;
}

}  // namespace compat::dinput8
