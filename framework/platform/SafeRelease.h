// Letting go of a COM interface that an owner holds: its one reference is
// released and the pointer set to null, so a second release does nothing.
#pragma once

template <class Interface>
inline void SafeRelease(Interface*& object) {
  if (object) object->Release();
  object = nullptr;
}
