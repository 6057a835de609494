// A device's buffered data (DIPROP_BUFFERSIZE, GetDeviceData): the changes of
// its objects in the order they happened. A buffer of size N holds N - 1
// items, as DirectInput's does; once full, newer items are lost and the next
// read reports DI_BUFFEROVERFLOW. Memory grows with the items held, never with
// the size asked for.
#pragma once

#include <dinput.h>

#include <deque>

namespace compat::dinput8 {

class DataBuffer {
 public:
  // 0 turns buffering off. Forgets what is held.
  void SetSize(DWORD size);
  DWORD Size() const { return size_; }
  bool Buffering() const { return size_ > 0; }
  void Clear();

  // Appends `item` unless the buffer is full; then it is lost and the overflow noted.
  void Add(const DIDEVICEOBJECTDATA& item);

  // GetDeviceData's work on a buffering device: copies up to *inOut oldest
  // items into `items` (none is copied when it is null) in records of
  // `itemSize` bytes (DIDEVICEOBJECTDATA or its DirectX 3 form) and removes
  // them unless `flags` holds DIGDD_PEEK; *inOut becomes their number.
  // DI_BUFFEROVERFLOW when items were lost since the last read that removed
  // items, else DI_OK; DIERR_INVALIDPARAM for another record size or flag.
  HRESULT Take(DWORD itemSize, LPDIDEVICEOBJECTDATA items, LPDWORD inOut, DWORD flags);

 private:
  DWORD size_ = 0;
  std::deque<DIDEVICEOBJECTDATA> items_;
  bool overflowed_ = false;
};

}  // namespace compat::dinput8
