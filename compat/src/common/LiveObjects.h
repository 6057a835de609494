// Reference counting for the layer's interface objects, and the count of
// live objects that tests read to prove that everything was released.
// RefCounted's QueryInterface answers IID_IUnknown only; an interface that
// must answer its own IID adds it.
#pragma once

#include <windows.h>

#include <atomic>

namespace compat {

// Number of layer objects (device, surfaces, buffers, effects, input
// devices...) that are alive right now.
long LiveObjectCount();

namespace detail {
void CountObject(long delta);
}

// Implements IUnknown for one interface; the object deletes itself when the
// last reference goes.
template <class Interface>
class RefCounted : public Interface {
 public:
  RefCounted() { detail::CountObject(+1); }
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ~RefCounted() override { detail::CountObject(-1); }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace compat
